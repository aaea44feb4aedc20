#include "report_pages.h"

#include "host.h"
#include "pdf_pages.h"
#include "texts/export.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

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
            const QString word = text.mid(start, end - start);
            const double advance = face.metrics->horizontalAdvance(word);
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

class Layout
{
  public:
    Layout(QPagedPaintDevice &device, Fonts &fonts) : m_fonts(fonts)
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
    double band() const { return m_band; }
    double mm() const { return m_mm; }

  private:
    void newPage()
    {
        m_pages.emplace_back();
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
    Row layRow(const ReportTable &table, std::size_t index)
    {
        Row row;
        const bool head = static_cast<int>(index) < table.headerRows;
        const double pad = cellPaddingMm * m_mm;
        std::size_t most = 1;
        for (std::size_t column = 0; column < table.widths.size(); ++column) {
            const Runs empty;
            const Runs &runs = column < table.rows[index].size() ? table.rows[index][column] : empty;
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
                height += layRow(block.table, r).height;
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
        if (m_y > m_top) {
            m_y += style.beforeMm * m_mm;
        } else if (block.style == BlockStyle::CoverTitle) {
            m_y += style.beforeMm * m_mm;
        }
        if (block.style == BlockStyle::Table) {
            placeTable(block.table);
        } else {
            placeText(block, style);
        }
        m_y += style.afterMm * m_mm;
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

    void placeTable(const ReportTable &table)
    {
        std::vector<double> edges{0.0};
        for (double share : table.widths) {
            edges.push_back(edges.back() + share * m_width);
        }
        const double pad = cellPaddingMm * m_mm;
        const double lineH = lineHeight(tablePoints);
        std::vector<Row> head;
        for (int r = 0; r < table.headerRows && r < static_cast<int>(table.rows.size()); ++r) {
            head.push_back(layRow(table, static_cast<std::size_t>(r)));
        }
        double headHeight = 0.0;
        for (const Row &row : head) {
            headHeight += row.height;
        }
        auto drawRow = [&](const Row &row, std::size_t index) {
            Page &page = m_pages.back();
            page.rules.emplace_back(edges.front(), m_y, edges.back(), m_y);
            page.rules.emplace_back(edges.front(), m_y + row.height, edges.back(), m_y + row.height);
            for (double x : edges) {
                page.rules.emplace_back(x, m_y, x, m_y + row.height);
            }
            for (std::size_t column = 0; column < row.cells.size(); ++column) {
                const Align align = column < table.aligns.size() ? table.aligns[column] : Align::Left;
                const double inner = edges[column + 1] - edges[column] - 2 * pad;
                double top = m_y + pad;
                for (const TextLine &line : row.cells[column]) {
                    double left = edges[column] + pad;
                    if (align == Align::Centre || static_cast<int>(index) < table.headerRows) {
                        left += (inner - line.width) / 2;
                    } else if (align == Align::Right) {
                        left += inner - line.width;
                    }
                    emitLine(line, left, top, lineH);
                    top += lineH;
                }
            }
            m_y += row.height;
        };
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const bool isHead = static_cast<int>(r) < table.headerRows;
            const Row row = isHead ? head[r] : layRow(table, r);
            if (!isHead && m_y + row.height > m_bottom && m_y > m_top + headHeight) {
                newPage();
                for (std::size_t h = 0; h < head.size(); ++h) {
                    drawRow(head[h], h);
                }
            }
            drawRow(row, r);
        }
    }

    Fonts &m_fonts;
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
    const QRectF area(0, 0, device.width(), device.height());
    const Fonts::Face &header = fonts.face(headerPoints, false, false);
    const double band = header.metrics->height() * 2.0;
    const QString left = qs(document.headerLeft);
    const QString right = qs(document.headerRight);
    QPen rule(Qt::black);
    rule.setWidthF(device.logicalDpiX() / 300.0);
    QPen thin(Qt::black);
    thin.setWidthF(device.logicalDpiX() / 400.0);

    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (progress && !progress(blocks + blocks * index / pages.size(), 2 * blocks)) {
            painter.end();
            return false;
        }
        if (index > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.setPen(Qt::black);
        painter.setFont(header.font);
        const double headerBase = area.top() + header.metrics->ascent();
        // A long project name gives way to the title rather than run into it.
        const double room = area.width() - header.metrics->horizontalAdvance(right) - band;
        painter.drawText(QPointF(area.left(), headerBase),
                         header.metrics->elidedText(left, Qt::ElideRight, room));
        painter.drawText(QPointF(area.right() - header.metrics->horizontalAdvance(right), headerBase), right);
        const QString footer =
            qs(exportText::pageFooter(static_cast<int>(index + 1), static_cast<int>(pages.size())));
        painter.drawText(QPointF(area.center().x() - header.metrics->horizontalAdvance(footer) / 2,
                                 area.bottom() - header.metrics->descent()),
                         footer);
        painter.setPen(rule);
        painter.drawLine(QPointF(area.left(), band * 0.7), QPointF(area.right(), band * 0.7));
        painter.drawLine(QPointF(area.left(), area.bottom() - band * 0.7),
                         QPointF(area.right(), area.bottom() - band * 0.7));

        const Page &page = pages[index];
        painter.setPen(thin);
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

} // namespace saxolith
