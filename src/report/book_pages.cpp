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
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <optional>

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

// Whether a character comes out of shaping as its own glyph at its own advance, whatever stands
// beside it: the scripts the book's monospace font covers without kerning or ligatures, left to
// right, and no control, format or combining character.
bool setAlone(QChar character)
{
    if (character.unicode() < 0x20 || character.isSurrogate()) {
        return false;
    }
    switch (character.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        break;
    }
    switch (character.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        break;
    default:
        return false;
    }
    switch (character.direction()) {
    case QChar::DirL:
    case QChar::DirEN:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirCS:
    case QChar::DirWS:
    case QChar::DirON:
        return true;
    default:
        return false;
    }
}

// The book's lines set once each. A book repeats most of its lines (headings, labels, rules) entry
// after entry. Its font is monospace, without kerning or ligatures, so a line of the scripts it
// covers is set from each character's glyph and advance, found once, to the very glyphs and places
// shaping the line would give; any other line (a character the font lacks, a script shaped in
// context) is shaped whole. Lines are kept with their baseline at y = 0, blanks left out unless
// asked for: a blank draws nothing, and QPdfWriter writes every glyph as text of its own. The store
// of lines starts afresh when it has grown large, so a long book of different lines never holds
// them all.
class ShapedLines
{
  public:
    // Whether blanks are drawn: the page's header and footer keep theirs, as text drawn whole has them.
    enum class Blanks { Dropped, Kept };

    ShapedLines(const QFont &font, QPaintDevice *device, Blanks blanks = Blanks::Dropped)
        : m_font(font), m_device(device), m_dropBlanks(blanks == Blanks::Dropped)
    {
        QTextLayout probe(QStringLiteral("M"), m_font, m_device);
        probe.beginLayout();
        probe.createLine();
        probe.endLayout();
        if (const QList<QGlyphRun> runs = probe.glyphRuns(); !runs.isEmpty()) {
            m_rawFont = runs.front().rawFont();
            const QList<quint32> blanks = m_rawFont.glyphIndexesForString(QStringLiteral(" "));
            m_blank = blanks.size() == 1 ? blanks.front() : 0;
        }
    }

    // The width of `text` when it can be set glyph by glyph: the same as the font's metrics give.
    std::optional<qreal> width(const QString &text)
    {
        qreal width = 0.0;
        for (const QChar character : text) {
            const Glyph *glyph = glyphOf(character);
            if (glyph == nullptr) {
                return std::nullopt;
            }
            width += glyph->advance;
        }
        return width;
    }

    const QList<QGlyphRun> &runs(const QString &text)
    {
        constexpr qsizetype largestStore = 1 << 14;
        if (const auto found = m_runs.constFind(text); found != m_runs.cend()) {
            return found.value();
        }
        if (m_runs.size() >= largestStore) {
            m_runs.clear();
        }
        QList<QGlyphRun> runs;
        if (QGlyphRun run; setGlyphByGlyph(text, run)) {
            runs << run;
        } else {
            runs = shapedWhole(text);
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
    struct Glyph {
        quint32 index = 0;
        qreal advance = 0.0;
        bool alone = false;
    };

    const Glyph *glyphOf(QChar character)
    {
        auto found = m_glyphs.find(character.unicode());
        if (found == m_glyphs.end()) {
            Glyph glyph;
            if (m_rawFont.isValid() && setAlone(character)) {
                const QList<quint32> indexes = m_rawFont.glyphIndexesForString(QString(character));
                if (indexes.size() == 1 && indexes.front() != 0) {
                    glyph.index = indexes.front();
                    glyph.advance = m_rawFont.advancesForGlyphIndexes(indexes).front().x();
                    glyph.alone = true;
                }
            }
            found = m_glyphs.insert(character.unicode(), glyph);
        }
        return found->alone ? &found.value() : nullptr;
    }

    bool setGlyphByGlyph(const QString &text, QGlyphRun &run)
    {
        QList<quint32> glyphs;
        QList<QPointF> positions;
        qreal place = 0.0;
        for (const QChar character : text) {
            const Glyph *glyph = glyphOf(character);
            if (glyph == nullptr) {
                return false;
            }
            if (!m_dropBlanks || glyph->index != m_blank) {
                glyphs << glyph->index;
                positions << QPointF(place, 0.0);
            }
            place += glyph->advance;
        }
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        return true;
    }

    QList<QGlyphRun> shapedWhole(const QString &text) const
    {
        QTextLayout layout(text, m_font, m_device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        QList<QGlyphRun> runs;
        if (line.isValid()) {
            const double ascent = line.ascent();
            runs = layout.glyphRuns();
            for (QGlyphRun &run : runs) {
                const QList<quint32> blanks = run.rawFont().glyphIndexesForString(QStringLiteral(" "));
                const quint32 blank = blanks.isEmpty() ? 0 : blanks.front();
                const QList<quint32> glyphs = run.glyphIndexes();
                const QList<QPointF> positions = run.positions();
                QList<quint32> kept;
                QList<QPointF> keptPositions;
                for (qsizetype i = 0; i < glyphs.size(); ++i) {
                    if (!m_dropBlanks || blanks.isEmpty() || glyphs[i] != blank) {
                        kept << glyphs[i];
                        keptPositions << QPointF(positions[i].x(), positions[i].y() - ascent);
                    }
                }
                run.setGlyphIndexes(kept);
                run.setPositions(keptPositions);
            }
        }
        return runs;
    }

    QFont m_font;
    QPaintDevice *m_device;
    QRawFont m_rawFont;
    bool m_dropBlanks;
    quint32 m_blank = 0;
    QHash<char16_t, Glyph> m_glyphs;
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
    const QFont measuringFont = bookFont(measuringPoints);
    const QFontMetricsF measuring(measuringFont, &device);
    ShapedLines measured(measuringFont, &device);
    QHash<QString, double> widths; // each distinct line measured once
    for (const std::string &line : lines) {
        texts << qs(line);
        auto width = widths.constFind(texts.back());
        if (width == widths.cend()) {
            const std::optional<qreal> set = measured.width(texts.back());
            width = widths.insert(texts.back(), set ? *set : measuring.horizontalAdvance(texts.back()));
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
    ShapedLines headerShaped(headerFont, &device, ShapedLines::Blanks::Kept);
    const auto headerWidth = [&](const QString &text) {
        const std::optional<qreal> set = headerShaped.width(text);
        return set ? *set : headerMetrics.horizontalAdvance(text);
    };
    const double titleWidth = headerWidth(title);
    for (std::size_t page = 0; page < pages.size(); ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.setPen(Qt::black);
        const double headerBase = area.top() + headerMetrics.ascent();
        headerShaped.draw(painter, QPointF(area.left(), headerBase), program);
        headerShaped.draw(painter, QPointF(area.right() - titleWidth, headerBase), title);
        const QString footer =
            qs(exportText::pageFooter(static_cast<int>(page + 1), static_cast<int>(pages.size())));
        const double footerBase = area.bottom() - headerMetrics.descent();
        headerShaped.draw(painter, QPointF(area.center().x() - headerWidth(footer) / 2, footerBase), footer);
        painter.setPen(rule);
        painter.drawLine(QPointF(area.left(), bodyTop - band * 0.3),
                         QPointF(area.right(), bodyTop - band * 0.3));
        painter.drawLine(QPointF(area.left(), area.bottom() - band * 0.7),
                         QPointF(area.right(), area.bottom() - band * 0.7));

        painter.setPen(Qt::black);
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
