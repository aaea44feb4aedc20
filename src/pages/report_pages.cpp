#include "pages/report_pages.h"

#include "platform/host.h"
#include "pages/pdf_pages.h"
#include "core/texts/export.h"
#include "core/texts/language.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace saxolith
{

namespace
{

constexpr double sideMarginMm = 20.0;
constexpr double topMarginMm = 12.0;
constexpr double bottomMarginMm = 12.0;
constexpr double headerPoints = 8.5;
constexpr double subscriptScale = 0.72;
constexpr double cellPaddingMm = 1.4;
constexpr double tablePoints = 9.5;

struct StyleRow {
    BlockStyle style;
    double points;
    bool bold;
    bool centred;
    double indentMm;
    double beforeMm;
    double afterMm;
};

// Indexed by BlockStyle.
constexpr std::array<StyleRow, 8> styles{{
    {BlockStyle::CoverTitle, 24.0, true, true, 0.0, 45.0, 6.0},
    {BlockStyle::Subtitle, 12.0, false, true, 0.0, 0.0, 22.0},
    {BlockStyle::PileTitle, 13.5, true, false, 0.0, 5.0, 2.5},
    {BlockStyle::Heading, 10.5, true, false, 0.0, 2.5, 1.2},
    {BlockStyle::Body, 10.0, false, false, 4.0, 0.4, 0.4},
    {BlockStyle::Formula, 10.0, false, false, 8.0, 0.6, 0.6},
    {BlockStyle::Table, tablePoints, false, false, 0.0, 1.2, 1.6},
    {BlockStyle::PageBreak, 10.0, false, false, 0.0, 0.0, 0.0},
}};

const StyleRow &styleOf(BlockStyle style)
{
    return styles[static_cast<std::size_t>(style)];
}

// The fonts the report uses, made once per size, weight and subscript for the device they measure on.
class Fonts
{
  public:
    explicit Fonts(QPaintDevice *device) : m_device(device) {}

    struct Face {
        QFont font;
        std::unique_ptr<QFontMetricsF> metrics;
        double shift = 0.0; // baseline shift of a subscript, device units

        // A word's advance, measured once: the report's words repeat from pile to pile, and a long
        // report is laid out twice. The numbers that do not repeat are let go now and then.
        double advance(const QString &word) const
        {
            if (const auto found = advances.constFind(word); found != advances.constEnd()) {
                return *found;
            }
            if (advances.size() >= 8192) {
                advances.clear();
            }
            const double width = metrics->horizontalAdvance(word);
            advances.insert(word, width);
            return width;
        }
        mutable QHash<QString, double> advances;
    };

    const Face &face(double points, bool bold, bool subscript)
    {
        for (const auto &[key, face] : m_faces) {
            if (key.points == points && key.bold == bold && key.subscript == subscript) {
                return *face;
            }
        }
        auto face = std::make_unique<Face>();
        face->font = printFont(reportFontFamily, subscript ? points * subscriptScale : points);
        face->font.setBold(bold);
        face->metrics = std::make_unique<QFontMetricsF>(face->font, m_device);
        if (subscript) {
            face->shift = points * 0.22 * m_device->logicalDpiY() / 72.0;
        }
        m_faces.emplace_back(Key{points, bold, subscript}, std::move(face));
        return *m_faces.back().second;
    }

  private:
    struct Key {
        double points;
        bool bold;
        bool subscript;
    };
    QPaintDevice *m_device;
    std::vector<std::pair<Key, std::unique_ptr<Face>>> m_faces;
};

// One piece of text placed on a line.
struct Piece {
    const Fonts::Face *face;
    QString text;
    double x; // from the line's left
    double width;
};

struct TextLine {
    std::vector<Piece> pieces;
    double width = 0.0;
};

bool breaksAfter(QChar c)
{
    // Ideographs and their punctuation break anywhere; Latin text at blanks.
    return c == QLatin1Char(' ') || c.unicode() >= 0x2E80;
}

// Greedy wrapping of runs into lines no wider than `width`.
std::vector<TextLine> wrap(const Runs &runs, double points, bool bold, double width, Fonts &fonts)
{
    std::vector<TextLine> lines(1);
    for (const Run &run : runs) {
        const Fonts::Face &face = fonts.face(points, bold || run.bold, run.subscript);
        const QString text = qs(run.text);
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype end = start;
            while (end < text.size() && !breaksAfter(text[end])) {
                ++end;
            }
            if (end < text.size()) {
                ++end;
            }
            QString word = text.mid(start, end - start);
            double advance = face.advance(word);
            if (advance > width) {
                // A word wider than a whole line (a long id or code without blanks) breaks between its
                // characters, a surrogate pair kept whole, rather than running out of its cell.
                end = start + (text[start].isHighSurrogate() && start + 1 < text.size() ? 2 : 1);
                word = text.mid(start, end - start);
                advance = face.advance(word);
            }
            TextLine *line = &lines.back();
            if (line->width + advance > width && !line->pieces.empty() && word != QLatin1String(" ")) {
                lines.emplace_back();
                line = &lines.back();
            }
            if (!line->pieces.empty() && line->pieces.back().face == &face) {
                line->pieces.back().text += word;
                line->pieces.back().width += advance;
            } else {
                line->pieces.push_back({&face, word, line->width, advance});
            }
            line->width += advance;
            start = end;
        }
    }
    return lines;
}

// What is drawn: a piece of text at a baseline, or a rule.
struct TextOp {
    const Fonts::Face *face;
    QString text;
    QPointF at;
};
struct Page {
    std::vector<TextOp> texts;
    std::vector<QLineF> rules;
};

// Where a laid-out page goes once it is full, for a report too long to keep its pages; the page is
// emptied for the next afterwards.
using PageSink = std::function<void(Page &page)>;

class Layout
{
  public:
    // Without a sink the pages are kept, all of them, for pages().
    Layout(QPagedPaintDevice &device, Fonts &fonts, PageSink sink = {}) : m_fonts(fonts), m_sink(std::move(sink))
    {
        m_mm = device.logicalDpiX() / 25.4;
        m_width = device.width();
        const Fonts::Face &header = fonts.face(headerPoints, false, false);
        m_band = header.metrics->height() * 2.0;
        m_top = m_band;
        m_bottom = device.height() - m_band;
        m_pages.emplace_back();
        m_y = m_top;
    }

    // False when `progress` stopped it.
    bool add(const std::vector<Block> &blocks, const ReportProgress &progress = {})
    {
        std::size_t i = 0;
        while (i < blocks.size()) {
            if (progress && !progress(i, 2 * blocks.size())) {
                return false;
            }
            std::size_t end = i;
            while (end + 1 < blocks.size() && blocks[end].keepWithNext) {
                ++end;
            }
            ++end;
            // A group that fits a page but not the rest of this one starts a fresh page.
            double height = 0.0;
            for (std::size_t b = i; b < end; ++b) {
                height += measure(blocks[b]);
            }
            if (m_y > m_top && m_y + height > m_bottom && height <= m_bottom - m_top) {
                newPage();
            }
            for (std::size_t b = i; b < end; ++b) {
                place(blocks[b]);
            }
            i = end;
        }
        return true;
    }

    std::vector<Page> &pages() { return m_pages; }

    // A table given a row at a time: its block with the rows known at first (the header rows), then each
    // further row, then its end; placed as add() places the whole table.
    void beginTable(const Block &block)
    {
        spaceBefore(styleOf(block.style), block.style);
        startTable(block.table);
        for (const std::vector<Runs> &cells : block.table.rows) {
            addTableRow(cells);
        }
    }
    void addTableRow(const std::vector<Runs> &cells)
    {
        const OpenTable &open = *m_table;
        const std::size_t index = m_table->next++;
        const bool isHead = static_cast<int>(index) < open.form.headerRows;
        const Row row = isHead ? open.head[index] : layRow(open.form, cells, index);
        if (!isHead && m_y + row.height > m_bottom && m_y > m_top + open.headHeight) {
            newPage();
            for (std::size_t h = 0; h < open.head.size(); ++h) {
                drawRow(open.head[h], h);
            }
        }
        drawRow(row, index);
    }
    void endTable()
    {
        m_table.reset();
        m_y += styleOf(BlockStyle::Table).afterMm * m_mm;
    }

    // Hands the last page to the sink.
    void finish()
    {
        if (m_sink) {
            m_sink(m_pages.back());
        }
    }
    double band() const { return m_band; }
    double mm() const { return m_mm; }

  private:
    void newPage()
    {
        if (m_sink) {
            m_sink(m_pages.back());
            m_pages.back().texts.clear();
            m_pages.back().rules.clear();
        } else {
            m_pages.emplace_back();
        }
        m_y = m_top;
    }

    double lineHeight(double points) const
    {
        return m_fonts.face(points, false, false).metrics->lineSpacing() * 1.15;
    }

    // Cell lines of a table row, and the row's height.
    struct Row {
        std::vector<std::vector<TextLine>> cells;
        double height = 0.0;
    };
    // `table` gives the columns, `cells` the row's texts.
    Row layRow(const ReportTable &table, const std::vector<Runs> &cells, std::size_t index)
    {
        Row row;
        const bool head = static_cast<int>(index) < table.headerRows;
        const double pad = cellPaddingMm * m_mm;
        std::size_t most = 1;
        for (std::size_t column = 0; column < table.widths.size(); ++column) {
            const Runs empty;
            const Runs &runs = column < cells.size() ? cells[column] : empty;
            row.cells.push_back(
                wrap(runs, tablePoints, head, table.widths[column] * m_width - 2 * pad, m_fonts));
            most = std::max(most, row.cells.back().size());
        }
        row.height = static_cast<double>(most) * lineHeight(tablePoints) + 2 * pad;
        return row;
    }

    double measure(const Block &block)
    {
        const StyleRow &style = styleOf(block.style);
        const double space = (style.beforeMm + style.afterMm) * m_mm;
        if (block.style == BlockStyle::PageBreak) {
            return 0.0;
        }
        if (block.style == BlockStyle::Table) {
            double height = space;
            for (std::size_t r = 0; r < block.table.rows.size(); ++r) {
                height += layRow(block.table, block.table.rows[r], r).height;
            }
            return height;
        }
        const auto lines =
            wrap(block.runs, style.points, style.bold, m_width - style.indentMm * m_mm, m_fonts);
        return space + static_cast<double>(lines.size()) * lineHeight(style.points);
    }

    void place(const Block &block)
    {
        const StyleRow &style = styleOf(block.style);
        if (block.style == BlockStyle::PageBreak) {
            if (m_y > m_top) {
                newPage();
            }
            return;
        }
        if (block.style == BlockStyle::Table) {
            beginTable(block);
            endTable();
            return;
        }
        spaceBefore(style, block.style);
        placeText(block, style);
        m_y += style.afterMm * m_mm;
    }

    void spaceBefore(const StyleRow &style, BlockStyle blockStyle)
    {
        if (m_y > m_top || blockStyle == BlockStyle::CoverTitle) {
            m_y += style.beforeMm * m_mm;
        }
    }

    void placeText(const Block &block, const StyleRow &style)
    {
        const double indent = style.indentMm * m_mm;
        const double height = lineHeight(style.points);
        for (const TextLine &line : wrap(block.runs, style.points, style.bold, m_width - indent, m_fonts)) {
            if (m_y + height > m_bottom && m_y > m_top) {
                newPage();
            }
            const double left = style.centred ? (m_width - line.width) / 2 : indent;
            emitLine(line, left, m_y, height);
            m_y += height;
        }
        if (block.style == BlockStyle::PileTitle) {
            m_pages.back().rules.emplace_back(0, m_y, m_width, m_y);
        }
    }

    void emitLine(const TextLine &line, double left, double top, double height)
    {
        for (const Piece &piece : line.pieces) {
            const QFontMetricsF &metrics = *piece.face->metrics;
            // Baselines of every size sit together: a line's text is centred on its height.
            const double base = top + (height + metrics.ascent() - metrics.descent()) / 2;
            m_pages.back().texts.push_back(
                {piece.face, piece.text, QPointF(left + piece.x, base + piece.face->shift)});
        }
    }

    // A table's columns, its header rows laid out once to repeat on each page it runs over.
    struct OpenTable {
        ReportTable form; // widths, aligns and header rows; no rows
        std::vector<double> edges;
        std::vector<Row> head;
        double headHeight = 0.0;
        std::size_t next = 0; // the index of the next row
    };

    void startTable(const ReportTable &table)
    {
        OpenTable open;
        open.form.widths = table.widths;
        open.form.aligns = table.aligns;
        open.form.headerRows = table.headerRows;
        open.edges.push_back(0.0);
        for (double share : table.widths) {
            open.edges.push_back(open.edges.back() + share * m_width);
        }
        for (int r = 0; r < table.headerRows && r < static_cast<int>(table.rows.size()); ++r) {
            const auto index = static_cast<std::size_t>(r);
            open.head.push_back(layRow(table, table.rows[index], index));
            open.headHeight += open.head.back().height;
        }
        m_table = std::move(open);
    }

    void drawRow(const Row &row, std::size_t index)
    {
        const OpenTable &open = *m_table;
        const std::vector<double> &edges = open.edges;
        const double pad = cellPaddingMm * m_mm;
        const double lineH = lineHeight(tablePoints);
        Page &page = m_pages.back();
        page.rules.emplace_back(edges.front(), m_y, edges.back(), m_y);
        page.rules.emplace_back(edges.front(), m_y + row.height, edges.back(), m_y + row.height);
        for (double x : edges) {
            page.rules.emplace_back(x, m_y, x, m_y + row.height);
        }
        for (std::size_t column = 0; column < row.cells.size(); ++column) {
            const Align align = column < open.form.aligns.size() ? open.form.aligns[column] : Align::Left;
            const double inner = edges[column + 1] - edges[column] - 2 * pad;
            double top = m_y + pad;
            for (const TextLine &line : row.cells[column]) {
                double left = edges[column] + pad;
                if (align == Align::Centre || static_cast<int>(index) < open.form.headerRows) {
                    left += (inner - line.width) / 2;
                } else if (align == Align::Right) {
                    left += inner - line.width;
                }
                emitLine(line, left, top, lineH);
                top += lineH;
            }
        }
        m_y += row.height;
    }

    Fonts &m_fonts;
    PageSink m_sink;
    std::optional<OpenTable> m_table;
    double m_mm = 1.0;
    double m_width = 0.0;
    double m_band = 0.0;
    double m_top = 0.0;
    double m_bottom = 0.0;
    double m_y = 0.0;
    std::vector<Page> m_pages;
};

// Nothing when `progress` stopped it.
std::optional<std::vector<Page>> layOut(QPagedPaintDevice &device, const ReportDocument &document, Fonts &fonts,
                                        const ReportProgress &progress = {})
{
    Layout layout(device, fonts);
    if (!layout.add(document.blocks, progress)) {
        return std::nullopt;
    }
    return std::move(layout.pages());
}

// Paints laid-out pages one after another, each with its page header and "第 n 页 共 m 页".
class PagePainter
{
  public:
    PagePainter(QPainter &painter, QPagedPaintDevice &device, Fonts &fonts, const ReportDocument &headers)
        : m_painter(painter), m_device(device), m_header(fonts.face(headerPoints, false, false)),
          m_area(0, 0, device.width(), device.height()), m_left(qs(headers.headerLeft)),
          m_right(qs(headers.headerRight)), m_language(headers.language)
    {
        m_band = m_header.metrics->height() * 2.0;
        m_rule.setWidthF(device.logicalDpiX() / 300.0);
        m_thin.setWidthF(device.logicalDpiX() / 400.0);
    }

    // Page `index` of `total`; false when the device could not begin it.
    bool page(const Page &page, std::size_t index, std::size_t total)
    {
        if (index > 0 && !m_device.newPage()) {
            return false;
        }
        QPainter &painter = m_painter;
        const QRectF &area = m_area;
        const Fonts::Face &header = m_header;
        painter.setPen(Qt::black);
        painter.setFont(header.font);
        const double headerBase = area.top() + header.metrics->ascent();
        // A long project name gives way to the title rather than run into it.
        const double room = area.width() - header.metrics->horizontalAdvance(m_right) - m_band;
        painter.drawText(QPointF(area.left(), headerBase),
                         header.metrics->elidedText(m_left, Qt::ElideRight, room));
        painter.drawText(QPointF(area.right() - header.metrics->horizontalAdvance(m_right), headerBase), m_right);
        const QString footer = qs(translate(
            m_language, exportText::pageFooter(static_cast<int>(index + 1), static_cast<int>(total))));
        painter.drawText(QPointF(area.center().x() - header.metrics->horizontalAdvance(footer) / 2,
                                 area.bottom() - header.metrics->descent()),
                         footer);
        painter.setPen(m_rule);
        painter.drawLine(QPointF(area.left(), m_band * 0.7), QPointF(area.right(), m_band * 0.7));
        painter.drawLine(QPointF(area.left(), area.bottom() - m_band * 0.7),
                         QPointF(area.right(), area.bottom() - m_band * 0.7));

        painter.setPen(m_thin);
        painter.drawLines(page.rules.data(), static_cast<int>(page.rules.size()));
        painter.setPen(Qt::black);
        const QFont *current = nullptr;
        for (const TextOp &op : page.texts) {
            if (current != &op.face->font) {
                painter.setFont(op.face->font);
                current = &op.face->font;
            }
            painter.drawText(op.at, op.text);
        }
        return true;
    }

  private:
    QPainter &m_painter;
    QPagedPaintDevice &m_device;
    const Fonts::Face &m_header;
    QRectF m_area;
    QString m_left;
    QString m_right;
    Language m_language;
    double m_band = 0.0;
    QPen m_rule{Qt::black};
    QPen m_thin{Qt::black};
};

// Lays out the report of `report`'s piles, handing each full page to `sink`: the cover, each pile's
// section as it comes, the summary a row at a time. `progress` is asked with the piles gone through, from
// `done`. False when the piles could not all be given or `progress` stopped it.
bool layOutStreamed(QPagedPaintDevice &device, Fonts &fonts, const StreamedReport &report,
                    const ReportDocument &cover, const PageSink &sink, const ReportProgress &progress,
                    std::size_t done, std::size_t total)
{
    const ReportBuilder parts(report.settings);
    Layout layout(device, fonts, sink);
    layout.add(cover.blocks);
    bool stopped = false;
    const auto ask = [&] {
        constexpr std::size_t progressEvery = 16;
        if (progress && !stopped && done % progressEvery == 0 && !progress(done, total)) {
            stopped = true;
        }
        ++done;
    };
    int piles = 0;
    bool given = report.piles([&](const PileRecord &record, std::string_view name) {
        if (!stopped) {
            ++piles;
            layout.add(parts.pileSection(record, name));
            ask();
        }
    });
    if (given && !stopped && piles > 0) {
        std::vector<Block> head = parts.summaryHead();
        const Block table = std::move(head.back());
        head.pop_back();
        layout.add(head);
        layout.beginTable(table);
        given = report.piles([&](const PileRecord &record, std::string_view name) {
            if (!stopped) {
                layout.addTableRow(parts.summaryRow(record, name));
                ask();
            }
        });
        layout.endTable();
    }
    layout.finish();
    return given && !stopped;
}

} // namespace

void setUpReportPages(QPagedPaintDevice &device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(sideMarginMm, topMarginMm, sideMarginMm, bottomMarginMm),
                                     QPageLayout::Millimeter));
}

int reportPageCount(QPagedPaintDevice &device, const ReportDocument &document)
{
    Fonts fonts(&device);
    return static_cast<int>(layOut(device, document, fonts)->size());
}

bool paintReport(QPagedPaintDevice &device, const ReportDocument &document, const ReportProgress &progress)
{
    Fonts fonts(&device);
    const std::optional<std::vector<Page>> laidOut = layOut(device, document, fonts, progress);
    if (!laidOut) {
        return false;
    }
    const std::vector<Page> &pages = *laidOut;
    const std::size_t blocks = document.blocks.size();
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    PagePainter paint(painter, device, fonts, document);
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (progress && !progress(blocks + blocks * index / pages.size(), 2 * blocks)) {
            painter.end();
            return false;
        }
        if (!paint.page(pages[index], index, pages.size())) {
            painter.end();
            return false;
        }
    }
    return painter.end();
}

std::optional<std::string> writeReportPdf(const ReportDocument &document, const std::string &path,
                                          const ReportProgress &progress)
{
    return writePdf(path, qs(document.headerRight), [&](QPdfWriter &writer) {
        setUpReportPages(writer);
        return paintReport(writer, document, progress);
    });
}

std::optional<std::string> writeReportPdf(const StreamedReport &report, const std::string &path,
                                          const ReportProgress &progress)
{
    const ReportDocument cover = ReportBuilder(report.settings).cover(report.pileCount, report.outcomes);
    return writePdf(path, qs(cover.headerRight), [&](QPdfWriter &writer) {
        setUpReportPages(writer);
        Fonts fonts(&writer);
        // Each page says how many there are: the pages are laid out once to count them, then again to
        // be painted as each is full. Both go through the piles twice (sections, summary rows).
        const std::size_t piles = static_cast<std::size_t>(std::max(report.pileCount, 1));
        std::size_t total = 0;
        if (!layOutStreamed(writer, fonts, report, cover, [&total](Page &) { ++total; }, progress, 0, 4 * piles)) {
            return false;
        }
        QPainter painter;
        if (!painter.begin(&writer)) {
            return false;
        }
        PagePainter paint(painter, writer, fonts, cover);
        std::size_t index = 0;
        bool painted = true;
        const bool laidOut = layOutStreamed(
            writer, fonts, report, cover,
            [&](Page &page) { painted = painted && paint.page(page, index++, total); }, progress, 2 * piles,
            4 * piles);
        return painter.end() && laidOut && painted && index == total;
    });
}

} // namespace saxolith
