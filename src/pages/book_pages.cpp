#include "pages/book_pages.h"

#include "core/book/calculation_book.h"
#include "platform/host.h"
#include "core/save/file_system.h"
#include "core/save/text_file.h"
#include "pages/pdf_pages.h"
#include "core/texts/export.h"

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
#include <functional>
#include <iterator>
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

// A line of the book as a page holds it: its place in the book, its text, and, when it is wrapped at
// the page's width, its pieces (it takes a drawn line for each).
struct PageLine {
    std::size_t index = 0;
    QString text;
    QStringList pieces;
    std::size_t height() const { return pieces.isEmpty() ? 1 : static_cast<std::size_t>(pieces.size()); }
};
using Page = std::vector<PageLine>;
using PageTaker = std::function<void(Page &&page)>;

// Fills pages of `capacity` drawn lines with blocks of lines, starting a block on a fresh page when
// it does not fit in what is left but would fit on a page of its own; each page is handed on as it
// is full.
class PageFiller
{
  public:
    PageFiller(std::size_t capacity, PageTaker take)
        : m_capacity(std::max<std::size_t>(capacity, 1)), m_take(std::move(take))
    {
    }

    void addBlock(Page &&block)
    {
        std::size_t size = 0;
        for (const PageLine &line : block) {
            size += line.height();
        }
        if (!m_current.empty() && m_used + size > m_capacity && size <= m_capacity) {
            turnPage();
        }
        for (PageLine &line : block) {
            if (!m_current.empty() && m_used + line.height() > m_capacity) {
                turnPage();
            }
            m_used += line.height();
            m_current.push_back(std::move(line));
        }
    }

    // Hands on the last page (an empty one when there were no lines); the count of pages.
    std::size_t finish()
    {
        if (!m_current.empty() || m_pages == 0) {
            turnPage();
        }
        return m_pages;
    }

  private:
    void turnPage()
    {
        ++m_pages;
        m_take(std::move(m_current));
        m_current.clear();
        m_used = 0;
    }

    std::size_t m_capacity;
    PageTaker m_take;
    std::size_t m_used = 0;
    std::size_t m_pages = 0;
    Page m_current;
};

// Lays the `count` lines of a book, given one at a time in order, out on pages of `linesPerPage`
// drawn lines, handing each page on as it is full: the text book keeps an entry (up to its closing
// rule) on one page when it fits on one; the table book starts every page with its header lines and
// keeps its footer lines together.
class BookPaginator
{
  public:
    BookPaginator(BookForm form, std::size_t count, std::size_t linesPerPage, PageTaker take)
        : m_form(form), m_linesPerPage(linesPerPage), m_take(std::move(take)),
          m_headerLines(form == BookForm::Table ? std::min(book::tableHeaderLines, count) : 0),
          m_footerStart(count >= m_headerLines + book::tableFooterLines ? count - book::tableFooterLines
                                                                        : count)
    {
    }

    void add(PageLine &&line, bool closesEntry)
    {
        if (m_form == BookForm::Table) {
            if (line.index < m_headerLines) {
                m_headerHeight += line.height();
                m_header.push_back(std::move(line));
            } else if (line.index < m_footerStart) {
                Page row;
                row.push_back(std::move(line));
                filler().addBlock(std::move(row));
            } else {
                m_block.push_back(std::move(line));
            }
            return;
        }
        m_block.push_back(std::move(line));
        if (closesEntry) {
            filler().addBlock(std::move(m_block));
            m_block.clear();
        }
    }

    // Hands on the last pages; the count of pages (at least one).
    std::size_t finish()
    {
        filler().addBlock(std::move(m_block));
        m_block.clear();
        return filler().finish();
    }

  private:
    PageFiller &filler()
    {
        if (!m_filler) {
            if (m_form == BookForm::Table) {
                m_filler.emplace(m_linesPerPage > m_headerHeight ? m_linesPerPage - m_headerHeight : 1,
                                 [this](Page &&page) {
                                     Page withHeader = m_header;
                                     withHeader.insert(withHeader.end(),
                                                       std::make_move_iterator(page.begin()),
                                                       std::make_move_iterator(page.end()));
                                     m_take(std::move(withHeader));
                                 });
            } else {
                m_filler.emplace(m_linesPerPage, m_take);
            }
        }
        return *m_filler;
    }

    BookForm m_form;
    std::size_t m_linesPerPage;
    PageTaker m_take;
    std::size_t m_headerLines;
    std::size_t m_footerStart;
    Page m_header;
    std::size_t m_headerHeight = 0;
    Page m_block;
    std::optional<PageFiller> m_filler;
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

// The lines of a book in memory, read as often as asked.
BookLineReader linesOf(const std::vector<std::string> &lines)
{
    return [&lines](const std::function<void(std::string_view line)> &take) {
        for (const std::string &line : lines) {
            take(line);
        }
        return true;
    };
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
    std::vector<std::vector<std::size_t>> pages;
    BookPaginator paginator(form, lines.size(), linesPerPage, [&pages](Page &&page) {
        std::vector<std::size_t> indexes;
        indexes.reserve(page.size());
        for (const PageLine &line : page) {
            indexes.push_back(line.index);
        }
        pages.push_back(std::move(indexes));
    });
    for (std::size_t line = 0; line < lines.size(); ++line) {
        paginator.add(PageLine{line, {}, {}}, lines[line] == book::entryClosingRule);
    }
    paginator.finish();
    return pages;
}

bool paintBook(QPagedPaintDevice &device, const std::vector<std::string> &lines, BookForm form)
{
    return paintBook(device, linesOf(lines), form);
}

bool paintBook(QPagedPaintDevice &device, const BookLineReader &lines, BookForm form)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const auto failed = [&painter] {
        painter.end();
        return false;
    };
    const QRectF area(0, 0, device.width(), device.height());

    const QFont headerFont = bookFont(headerPoints);
    const QFontMetricsF headerMetrics(headerFont, &device);
    const double band = headerMetrics.height() * 1.8;

    // The lines are read three times, so that a book of any length is never held whole: for the
    // widest line, which sets one type size for the whole book; for the count of pages the footers
    // give; and to draw the pages as they fill.
    const QFont measuringFont = bookFont(measuringPoints);
    const QFontMetricsF measuring(measuringFont, &device);
    ShapedLines measured(measuringFont, &device);
    QHash<QString, double> shapedWidths; // lines measured by shaping them, each once
    const auto widthOf = [&](const QString &text) {
        if (const std::optional<qreal> set = measured.width(text)) {
            return *set;
        }
        auto width = shapedWidths.constFind(text);
        if (width == shapedWidths.cend()) {
            if (shapedWidths.size() >= (1 << 14)) {
                shapedWidths.clear();
            }
            width = shapedWidths.insert(text, measuring.horizontalAdvance(text));
        }
        return width.value();
    };
    std::size_t count = 0;
    double widest = 1.0;
    if (!lines([&](std::string_view line) {
            ++count;
            widest = std::max(widest, widthOf(qs(line)));
        })) {
        return failed();
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
    const bool wrapping = widest * points / measuringPoints > area.width();
    const auto laidOut = [&](std::size_t index, std::string_view line, bool withText) {
        PageLine laid{index, {}, {}};
        if (withText || wrapping) {
            laid.text = qs(line);
        }
        if (wrapping && widthOf(laid.text) * points / measuringPoints > area.width() * 0.99) {
            laid.pieces = wrapped(laid.text, metrics, area.width());
        }
        return laid;
    };
    const auto paginate = [&](BookPaginator &paginator, bool withText) {
        std::size_t index = 0;
        return lines([&](std::string_view line) {
                   paginator.add(laidOut(index, line, withText), line == book::entryClosingRule);
                   ++index;
               }) &&
               index == count;
    };

    std::size_t pageCount = 0;
    {
        BookPaginator counting(form, count, linesPerPage, [](Page &&) {});
        if (!paginate(counting, false)) {
            return failed();
        }
        pageCount = counting.finish();
    }

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
    std::size_t page = 0;
    bool turned = true;
    BookPaginator drawing(form, count, linesPerPage, [&](Page &&lines) {
        if (page > 0 && turned) {
            turned = device.newPage();
        }
        if (!turned) {
            return;
        }
        painter.setPen(Qt::black);
        const double headerBase = area.top() + headerMetrics.ascent();
        headerShaped.draw(painter, QPointF(area.left(), headerBase), program);
        headerShaped.draw(painter, QPointF(area.right() - titleWidth, headerBase), title);
        const QString footer =
            qs(exportText::pageFooter(static_cast<int>(page + 1), static_cast<int>(pageCount)));
        const double footerBase = area.bottom() - headerMetrics.descent();
        headerShaped.draw(painter, QPointF(area.center().x() - headerWidth(footer) / 2, footerBase), footer);
        painter.setPen(rule);
        painter.drawLine(QPointF(area.left(), bodyTop - band * 0.3),
                         QPointF(area.right(), bodyTop - band * 0.3));
        painter.drawLine(QPointF(area.left(), area.bottom() - band * 0.7),
                         QPointF(area.right(), area.bottom() - band * 0.7));

        painter.setPen(Qt::black);
        double baseline = bodyTop + metrics.ascent();
        for (const PageLine &line : lines) {
            if (line.pieces.isEmpty()) {
                shaped.draw(painter, QPointF(area.left(), baseline), line.text);
                baseline += lineHeight;
            }
            for (const QString &piece : line.pieces) {
                shaped.draw(painter, QPointF(area.left(), baseline), piece);
                baseline += lineHeight;
            }
        }
        ++page;
    });
    if (!paginate(drawing, true) || drawing.finish() != pageCount || !turned) {
        return failed();
    }
    return painter.end();
}

std::optional<std::string> writeBookPdf(const std::vector<std::string> &lines, BookForm form,
                                        const std::string &path)
{
    return writeBookPdf(linesOf(lines), form, path);
}

std::optional<std::string> writeBookPdf(const BookLineReader &lines, BookForm form, const std::string &path)
{
    return writePdf(path, qs(exportText::bookPageTitle), [&](QPdfWriter &writer) {
        setUpBookPages(writer, form);
        return paintBook(writer, lines, form);
    });
}

BookLineReader bookFileLines(const std::string &path)
{
    return [path](const std::function<void(std::string_view line)> &take) {
        std::string carried;
        bool any = false;
        const bool read = readFileInPieces(path, std::size_t{1} << 20, [&](std::string_view bytes) {
            any = any || !bytes.empty();
            carried.append(bytes);
            std::size_t start = 0;
            for (std::size_t end; (end = carried.find(lineEnd, start)) != std::string::npos;
                 start = end + lineEnd.size()) {
                take(std::string_view(carried).substr(start, end - start));
            }
            carried.erase(0, start);
            return true;
        });
        if (read && any) {
            take(carried); // the last line has no line end
        }
        return read;
    };
}

} // namespace saxolith
