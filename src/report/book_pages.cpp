#include "book_pages.h"

#include "book/calculation_book.h"
#include "host.h"
#include "pdf_pages.h"
#include "texts/export.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace saxolith
{

namespace
{

constexpr double marginMillimetres = 15.0;
constexpr double largestBodyPoints = 10.5;
constexpr double smallestBodyPoints = 4.0;
constexpr double headerPoints = 9.0;
constexpr double measuringPoints = 100.0;

QFont bookFont(double points)
{
    // Without hinting, so that the two-letters-per-ideograph rule holds at every size.
    QFont font = printFont(bookFontFamily, points);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// Fills pages of `capacity` drawn lines with blocks of lines, starting a block on a fresh page when
// it does not fit in what is left but would fit on a page of its own. A line wrapped at the page's
// width takes the drawn lines `heights` gives it (one each when there are none).
class PageFiller
{
  public:
    PageFiller(std::size_t capacity, const std::vector<std::size_t> &heights)
        : m_capacity(std::max<std::size_t>(capacity, 1)), m_heights(heights)
    {
    }

    void addBlock(std::size_t first, std::size_t end)
    {
        std::size_t size = 0;
        for (std::size_t line = first; line < end; ++line) {
            size += height(line);
        }
        if (!m_current.empty() && m_used + size > m_capacity && size <= m_capacity) {
            turnPage();
        }
        for (std::size_t line = first; line < end; ++line) {
            if (!m_current.empty() && m_used + height(line) > m_capacity) {
                turnPage();
            }
            m_current.push_back(line);
            m_used += height(line);
        }
    }

    std::vector<std::vector<std::size_t>> finish()
    {
        if (!m_current.empty() || m_pages.empty()) {
            turnPage();
        }
        return std::move(m_pages);
    }

  private:
    std::size_t height(std::size_t line) const { return line < m_heights.size() ? m_heights[line] : 1; }

    void turnPage()
    {
        m_pages.push_back(std::move(m_current));
        m_current.clear();
        m_used = 0;
    }

    std::size_t m_capacity;
    const std::vector<std::size_t> &m_heights;
    std::size_t m_used = 0;
    std::vector<std::size_t> m_current;
    std::vector<std::vector<std::size_t>> m_pages;
};

// The book's lines shaped once each: a book repeats most of its lines (headings, labels, rules)
// entry after entry, and shaping a line costs far more than drawing its glyphs. Lines are kept with
// their baseline at y = 0; the store starts afresh when it has grown large, so a long book of
// different lines never holds them all.
class ShapedLines
{
  public:
    ShapedLines(const QFont &font, QPaintDevice *device) : m_font(font), m_device(device) {}

    const QList<QGlyphRun> &runs(const QString &text)
    {
        constexpr qsizetype largestStore = 1 << 14;
        if (const auto found = m_runs.constFind(text); found != m_runs.cend()) {
            return found.value();
        }
        if (m_runs.size() >= largestStore) {
            m_runs.clear();
        }
        QTextLayout layout(text, m_font, m_device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        QList<QGlyphRun> runs;
        if (line.isValid()) {
            const double ascent = line.ascent();
            runs = layout.glyphRuns();
            for (QGlyphRun &run : runs) {
                // A blank draws nothing, and QPdfWriter writes every glyph as text of its own, so
                // blanks are left out: their places stay between the glyphs around them.
                const QList<quint32> blanks = run.rawFont().glyphIndexesForString(QStringLiteral(" "));
                const quint32 blank = blanks.isEmpty() ? 0 : blanks.front();
                const QList<quint32> glyphs = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                QList<quint32> kept;
                QList<QPointF> keptPositions;
                for (qsizetype i = 0; i < glyphs.size(); ++i) {
                    if (blanks.isEmpty() || glyphs[i] != blank) {
                        kept << glyphs[i];
                        keptPositions << QPointF(positions[i].x(), positions[i].y() - ascent);
                    }
                }
                run.setGlyphIndexes(kept);
                run.setPositions(keptPositions);
            }
        }
        return m_runs.insert(text, std::move(runs)).value();
    }

    void draw(QPainter &painter, const QPointF &baseline, const QString &text)
    {
        for (const QGlyphRun &run : runs(text)) {
            painter.drawGlyphRun(baseline, run);
        }
    }

  private:
    QFont m_font;
    QPaintDevice *m_device;
    QHash<QString, QList<QGlyphRun>> m_runs;
};

// The pages of the book, each line taking the drawn lines `heights` gives it.
std::vector<std::vector<std::size_t>> paginate(const std::vector<std::string> &lines, BookForm form,
                                               std::size_t linesPerPage, const std::vector<std::size_t> &heights)
{
    const std::size_t count = lines.size();
    if (form == BookForm::Table) {
        const std::size_t header = std::min(book::tableHeaderLines, count);
        const std::size_t footerStart = count >= header + book::tableFooterLines
                                            ? count - book::tableFooterLines
                                            : count; // rows end here
        std::size_t headerHeight = 0;
        for (std::size_t line = 0; line < header; ++line) {
            headerHeight += line < heights.size() ? heights[line] : 1;
        }
        PageFiller filler(linesPerPage > headerHeight ? linesPerPage - headerHeight : 1, heights);
        for (std::size_t row = header; row < footerStart; ++row) {
            filler.addBlock(row, row + 1);
        }
        filler.addBlock(footerStart, count);
        std::vector<std::vector<std::size_t>> pages = filler.finish();
        for (std::vector<std::size_t> &page : pages) {
            std::vector<std::size_t> withHeader(header);
            for (std::size_t line = 0; line < header; ++line) {
                withHeader[line] = line;
            }
            withHeader.insert(withHeader.end(), page.begin(), page.end());
            page = std::move(withHeader);
        }
        return pages;
    }

    PageFiller filler(linesPerPage, heights);
    std::size_t entryStart = 0;
    for (std::size_t line = 0; line < count; ++line) {
        if (lines[line] == book::entryClosingRule) {
            filler.addBlock(entryStart, line + 1);
            entryStart = line + 1;
        }
    }
    filler.addBlock(entryStart, count);
    return filler.finish();
}

// A line too wide for `width` in pieces that each fit, broken between characters; the line itself
// when it fits.
QStringList wrapped(const QString &text, const QFontMetricsF &metrics, double width)
{
    QStringList pieces;
    QString piece;
    double used = 0.0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length;
        const double advance = metrics.horizontalAdvance(character);
        if (!piece.isEmpty() && used + advance > width) {
            pieces << piece;
            piece.clear();
            used = 0.0;
        }
        piece += character;
        used += advance;
    }
    pieces << piece;
    return pieces;
}

} // namespace

void setUpBookPages(QPagedPaintDevice &device, BookForm form)
{
    const QPageLayout layout(
        QPageSize(QPageSize::A4), form == BookForm::Table ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(marginMillimetres, marginMillimetres, marginMillimetres, marginMillimetres),
        QPageLayout::Millimeter);
    device.setPageLayout(layout);
}

std::vector<std::vector<std::size_t>> paginateBook(const std::vector<std::string> &lines, BookForm form,
                                                   std::size_t linesPerPage)
{
    return paginate(lines, form, linesPerPage, {});
}

bool paintBook(QPagedPaintDevice &device, const std::vector<std::string> &lines, BookForm form)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const QRectF area(0, 0, device.width(), device.height());

    const QFont headerFont = bookFont(headerPoints);
    const QFontMetricsF headerMetrics(headerFont, &device);
    const double band = headerMetrics.height() * 1.8;

    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size()));
    double widest = 1.0;
    const QFontMetricsF measuring(bookFont(measuringPoints), &device);
    QHash<QString, double> widths; // each distinct line measured once
    for (const std::string &line : lines) {
        texts << qs(line);
        auto width = widths.constFind(texts.back());
        if (width == widths.cend()) {
            width = widths.insert(texts.back(), measuring.horizontalAdvance(texts.back()));
        }
        widest = std::max(widest, width.value());
    }
    // The widest line fills the width at most; a short book is not blown up beyond reading size.
    const double points =
        std::clamp(measuringPoints * area.width() / widest * 0.995, smallestBodyPoints, largestBodyPoints);
    const QFont font = bookFont(points);
    const QFontMetricsF metrics(font, &device);
    const double lineHeight = metrics.lineSpacing();
    const double bodyTop = area.top() + band;
    const double bodyHeight = area.height() - 2 * band;
    const auto linesPerPage = static_cast<std::size_t>(std::max(1.0, std::floor(bodyHeight / lineHeight)));

    // A line still too wide at the smallest size (a long id) wraps onto the lines below it, so no
    // character is cut at the page's edge.
    std::vector<std::size_t> heights;
    QHash<qsizetype, QStringList> wraps;
    if (widest * points / measuringPoints > area.width()) {
        heights.assign(lines.size(), 1);
        for (qsizetype line = 0; line < texts.size(); ++line) {
            if (widths.value(texts[line]) * points / measuringPoints > area.width() * 0.99) {
                QStringList pieces = wrapped(texts[line], metrics, area.width());
                heights[static_cast<std::size_t>(line)] = static_cast<std::size_t>(pieces.size());
                wraps.insert(line, std::move(pieces));
            }
        }
    }
    widths.clear();

    const std::vector<std::vector<std::size_t>> pages = paginate(lines, form, linesPerPage, heights);
    const QString program = programLine();
    const QString title = qs(exportText::bookPageTitle);
    QPen rule(Qt::black);
    rule.setWidthF(device.logicalDpiX() / 200.0);

    ShapedLines shaped(font, &device);
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.setPen(Qt::black);
        painter.setFont(headerFont);
        const double headerBase = area.top() + headerMetrics.ascent();
        painter.drawText(QPointF(area.left(), headerBase), program);
        painter.drawText(QPointF(area.right() - headerMetrics.horizontalAdvance(title), headerBase), title);
        const QString footer =
            qs(exportText::pageFooter(static_cast<int>(page + 1), static_cast<int>(pages.size())));
        const double footerBase = area.bottom() - headerMetrics.descent();
        painter.drawText(QPointF(area.center().x() - headerMetrics.horizontalAdvance(footer) / 2, footerBase),
                         footer);
        painter.setPen(rule);
        painter.drawLine(QPointF(area.left(), bodyTop - band * 0.3),
                         QPointF(area.right(), bodyTop - band * 0.3));
        painter.drawLine(QPointF(area.left(), area.bottom() - band * 0.7),
                         QPointF(area.right(), area.bottom() - band * 0.7));

        painter.setPen(Qt::black);
        painter.setFont(font);
        double baseline = bodyTop + metrics.ascent();
        for (const std::size_t line : pages[page]) {
            if (const auto pieces = wraps.constFind(static_cast<qsizetype>(line)); pieces != wraps.cend()) {
                for (const QString &piece : pieces.value()) {
                    shaped.draw(painter, QPointF(area.left(), baseline), piece);
                    baseline += lineHeight;
                }
                continue;
            }
            shaped.draw(painter, QPointF(area.left(), baseline), texts[static_cast<qsizetype>(line)]);
            baseline += lineHeight;
        }
    }
    return painter.end();
}

std::optional<std::string> writeBookPdf(const std::vector<std::string> &lines, BookForm form,
                                        const std::string &path)
{
    return writePdf(path, qs(exportText::bookPageTitle), [&](QPdfWriter &writer) {
        setUpBookPages(writer, form);
        return paintBook(writer, lines, form);
    });
}

} // namespace saxolith
