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

// Fills pages of `capacity` lines with blocks of lines, starting a block on a fresh page when it
// does not fit in what is left but would fit on a page of its own.
class PageFiller
{
  public:
    explicit PageFiller(std::size_t capacity) : m_capacity(std::max<std::size_t>(capacity, 1)) {}

    void addBlock(std::size_t first, std::size_t end)
    {
        const std::size_t size = end - first;
        if (!m_current.empty() && m_current.size() + size > m_capacity && size <= m_capacity) {
            turnPage();
        }
        for (std::size_t line = first; line < end; ++line) {
            if (m_current.size() == m_capacity) {
                turnPage();
            }
            m_current.push_back(line);
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
    void turnPage()
    {
        m_pages.push_back(std::move(m_current));
        m_current.clear();
    }

    std::size_t m_capacity;
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
    const std::size_t count = lines.size();
    if (form == BookForm::Table) {
        const std::size_t header = std::min(book::tableHeaderLines, count);
        const std::size_t footerStart = count >= header + book::tableFooterLines
                                            ? count - book::tableFooterLines
                                            : count; // rows end here
        PageFiller filler(linesPerPage > header ? linesPerPage - header : 1);
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

    PageFiller filler(linesPerPage);
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
    widths.clear();
    // The widest line fills the width at most; a short book is not blown up beyond reading size.
    const double points =
        std::clamp(measuringPoints * area.width() / widest * 0.995, smallestBodyPoints, largestBodyPoints);
    const QFont font = bookFont(points);
    const QFontMetricsF metrics(font, &device);
    const double lineHeight = metrics.lineSpacing();
    const double bodyTop = area.top() + band;
    const double bodyHeight = area.height() - 2 * band;
    const auto linesPerPage = static_cast<std::size_t>(std::max(1.0, std::floor(bodyHeight / lineHeight)));

    const std::vector<std::vector<std::size_t>> pages = paginateBook(lines, form, linesPerPage);
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
