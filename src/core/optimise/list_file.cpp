#include "core/optimise/list_file.h"

#include "core/book/calculation_book.h"
#include "core/capacity/formulas.h"
#include "core/capacity/section_types.h"
#include "core/save/text_file.h"
#include "core/text/candidate_number.h"
#include "core/text/fixed_width.h"
#include "core/text/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <string>

namespace saxolith
{

namespace
{

constexpr std::string_view rawFileName = "嵌岩桩优化计算原始结果(依据GB50007-2011)_表格.txt";
constexpr std::string_view filteredFileName = "嵌岩桩优化计算筛选结果(依据GB50007-2011)_表格.txt";
constexpr std::string_view rawTitle = "嵌岩桩优化计算原始结果";
constexpr std::string_view filteredTitle = "嵌岩桩优化计算筛选结果";
constexpr std::string_view headerLine1 =
    " 基    桩  桩身截面  桩身直径  椭圆直段  矩形长边  矩形短边  岩石强度  桩端强度  "
    "单轴强度  岩石强度  折减系数  桩端阻力  桩承载力 ";
constexpr std::string_view headerLine2 =
    " 编    号  类    型    d(mm)     c(mm)     a(mm)     b(mm)   类    别  qpa(kPa)  "
    "frk(MPa)  或 指 数    ψr     qpa(kPa)    Ra(kN) ";

constexpr int titleRuleLength = 53;
constexpr int ruleLength = 130;
constexpr int fieldWidth = 8;

// A field's text, kept where a fixed 32 bytes can be copied from it at once.
class Piece
{
  public:
    static constexpr std::size_t copied = 32;

    void assign(std::string_view text)
    {
        m_size = text.size();
        if (m_size <= m_text.size())
            std::memcpy(m_text.data(), text.data(), m_size);
        else
            m_long.assign(text);
    }
    std::size_t size() const { return m_size; }
    // At least `copied` bytes may be read from here when size() ≤ copied.
    const char *data() const { return m_size <= m_text.size() ? m_text.data() : m_long.data(); }

  private:
    std::array<char, 2 * copied> m_text{};
    std::size_t m_size = 0;
    std::string m_long; // a text longer than the room above
};

// Fields are written into one line buffer; `text` is ASCII in all but the names, which are
// laid out by their display width. Short pieces and runs of blanks are copied 32 bytes at a time
// into the room behind the line, without calls.
class LineBuffer
{
  public:
    void clear() { m_size = 0; }
    std::string_view view() const { return {m_text.data(), m_size}; }

    void put(std::string_view text)
    {
        std::memcpy(m_text.data() + m_size, text.data(), text.size());
        m_size += text.size();
    }
    // A text of a buffer that has at least Piece::copied bytes to read from where it starts.
    void putFromRoom(std::string_view text)
    {
        if (text.size() <= Piece::copied)
            std::memcpy(m_text.data() + m_size, text.data(), Piece::copied);
        else
            std::memcpy(m_text.data() + m_size, text.data(), text.size());
        m_size += text.size();
    }
    void put(const Piece &piece)
    {
        if (piece.size() <= Piece::copied)
            std::memcpy(m_text.data() + m_size, piece.data(), Piece::copied);
        else
            std::memcpy(m_text.data() + m_size, piece.data(), piece.size());
        m_size += piece.size();
    }
    void blanks(int count)
    {
        if (count <= 0)
            return;
        const auto n = static_cast<std::size_t>(count);
        static constexpr std::array<char, Piece::copied> spaces = [] {
            std::array<char, Piece::copied> all{};
            all.fill(' ');
            return all;
        }();
        if (n <= spaces.size())
            std::memcpy(m_text.data() + m_size, spaces.data(), spaces.size());
        else
            std::memset(m_text.data() + m_size, ' ', n);
        m_size += n;
    }
    // "ZH-" and `position`, zero-padded to `digits` digits.
    void candidateNumber(std::size_t position, int digits)
    {
        m_size += writeCandidateNumber(m_text.data() + m_size, position, digits);
    }
    // A number text right-aligned in `width` columns, then `after` blanks; number texts are
    // ASCII, one column a byte. The text lies in a buffer with room to read, as putFromRoom asks.
    void rightAligned(std::string_view text, int width, int after)
    {
        blanks(width - static_cast<int>(text.size()));
        putFromRoom(text);
        blanks(after);
    }
    // An ASCII text centred in the field's columns, the odd blank to the left, then the gap of two.
    void centred(std::string_view text)
    {
        const int n = std::max(fieldWidth - static_cast<int>(text.size()), 0); // a wider text stands as it is
        blanks(n - n / 2);
        putFromRoom(text);
        blanks(n / 2 + 2);
    }

  private:
    // The widest line: sixteen fields of at most a number text and its blanks each, a candidate
    // number of up to 64 digits, the line end, and the room for copying 32 bytes at a time.
    std::array<char, 16 * (numberTextRoom + 16) + 64 + 2 + Piece::copied> m_text{};
    std::size_t m_size = 0;
};

// A field that shows a number, written again only when the value (and what else decides the
// text, `codes`) changes; a list repeats most values from row to row.
class NumberField
{
  public:
    template <typename Write> void put(LineBuffer &line, double value, std::uint32_t codes, Write write)
    {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        if (!m_made || bits != m_value || codes != m_codes) {
            const std::size_t start = line.view().size();
            write(line);
            m_field.assign(line.view().substr(start));
            m_value = bits;
            m_codes = codes;
            m_made = true;
            return;
        }
        line.put(m_field);
    }

  private:
    std::uint64_t m_value = 0;
    std::uint32_t m_codes = 0;
    bool m_made = false;
    Piece m_field;
};

// The fields of a few values (a section, a route, an integrity class): each made once.
class NamedFields
{
  public:
    template <typename Make> const Piece &get(std::uint8_t value, Make make)
    {
        if (!m_made[value]) {
            m_texts[value].assign(make());
            m_made[value] = true;
        }
        return m_texts[value];
    }

  private:
    std::array<Piece, 256> m_texts;
    std::array<bool, 256> m_made{};
};

std::string centredName(std::string_view text)
{
    return padCentre(text, " ", fieldWidth) + "  ";
}

// A number text as formatFixed or formatGeneral writes it, at hand for a field.
class NumberText
{
  public:
    std::string_view fixed(double x, int precision, int decimals)
    {
        return {m_text.data(), writeFixed(m_text.data(), x, precision, decimals)};
    }
    std::string_view general(double x) { return {m_text.data(), writeGeneral(m_text.data(), x)}; }
    std::string_view dash()
    {
        m_text[0] = '-';
        return {m_text.data(), 1};
    }
    // The text of displayRounded(value, choice): the cut value to the choice's decimals.
    std::string_view rounded(double value, int choice)
    {
        if (choice < 0 || choice >= precisionChoiceCount)
            return {m_text.data(), 0}; // the empty text of a choice outside the list
        return fixed(cutByChoice(value, choice), 7, decimalsByChoice(choice));
    }

  private:
    std::array<char, numberTextRoom> m_text{};
};

// Lays out the rows of one list, numbered among `rowCount` rows, as their cells show them.
class LineLayout
{
  public:
    LineLayout(const CandidateList &list, std::size_t rowCount) : m_list(list), m_digits(digitCount(rowCount))
    {
        // Numbers of one list share their length, so their centring is found once.
        const std::string sample = candidateNumber(0, m_digits);
        const std::string field = centredName(sample);
        m_numberLeft = static_cast<int>(field.find(sample));
        m_numberRight = static_cast<int>(field.size() - sample.size()) - m_numberLeft;
        m_dash.assign(centredName("-"));
    }

    // The line of `row`, with its line end when `ended`.
    std::string_view lay(std::size_t row, bool ended)
    {
        const CandidateRow &r = m_list.row(row);
        LineBuffer &line = m_line;
        line.clear();
        line.blanks(1 + m_numberLeft);
        line.candidateNumber(row + 1, m_digits);
        line.blanks(m_numberRight);

        // The dimension columns d, c, a, b as the table book lays them out.
        const SectionTypeRow &section = sectionRow(r.section);
        line.put(m_section.get(static_cast<std::uint8_t>(r.section),
                               [&] { return centredName(sectionTableName(r.section)); }));
        for (const DimensionSlot slot : dimensionColumns(section)) {
            if (slot == DimensionSlot::None) {
                line.put(m_dash);
            } else if (slot == DimensionSlot::First) {
                m_first.put(line, r.first, 0,
                            [&](LineBuffer &f) { f.rightAligned(m_number.general(r.first), 6, 4); });
            } else {
                m_second.put(line, r.second, section.hasSecond ? 1 : 0, [&](LineBuffer &f) {
                    f.rightAligned(section.hasSecond ? m_number.general(r.second) : m_number.dash(), 6, 4);
                });
            }
        }

        // The strength category column holds the route that also chooses the next four fields.
        const auto route = static_cast<std::uint8_t>(r.route);
        line.put(m_route.get(route, [&] { return centredName(std::to_string(static_cast<int>(r.route))); }));
        if (r.route == StrengthRoute::QpaGiven) {
            m_strength.put(line, r.strength, route,
                           [&](LineBuffer &f) { f.rightAligned(m_number.fixed(r.strength, 10, 0), 6, 4); });
            line.put(m_dash);
            line.put(m_dash);
            line.put(m_dash);
        } else {
            line.put(m_dash);
            m_strength.put(line, r.strength, route,
                           [&](LineBuffer &f) { f.rightAligned(m_number.fixed(r.strength, 10, 2), 7, 3); });
            if (r.basis == IntegrityBasis::Class) {
                line.put(m_integrityClass.get(static_cast<std::uint8_t>(r.integrityClass), [&] {
                    return centredName(integrityClassName(r.integrityClass));
                }));
            } else {
                m_index.put(line, r.index, 0, [&](LineBuffer &f) { f.centred(m_number.fixed(r.index, 10, 2)); });
            }
            m_psi.put(line, r.psi, 0, [&](LineBuffer &f) { f.centred(m_number.fixed(r.psi, 7, 4)); });
        }

        m_qpa.put(line, r.qpa, r.precision,
                  [&](LineBuffer &f) { f.rightAligned(m_number.rounded(r.qpa, r.precision), 7, 3); });
        m_ra.put(line, r.ra, r.precision,
                 [&](LineBuffer &f) { f.rightAligned(m_number.rounded(r.ra, r.precision), 7, 2); });
        if (ended)
            line.put(lineEnd);
        return line.view();
    }

  private:
    const CandidateList &m_list;
    int m_digits;
    int m_numberLeft = 0;
    int m_numberRight = 0;
    Piece m_dash;
    NumberText m_number;
    NamedFields m_section, m_route, m_integrityClass;
    NumberField m_first, m_second, m_strength, m_index, m_psi, m_qpa, m_ra;
    LineBuffer m_line;
};

} // namespace

std::string_view listFileName(ListFileKind kind)
{
    return kind == ListFileKind::Raw ? rawFileName : filteredFileName;
}

std::string listFileLine(const CandidateList &list, std::size_t row, std::size_t rowCount)
{
    auto layout = std::make_unique<LineLayout>(list, rowCount);
    return std::string(layout->lay(row, false));
}

void writeListFile(TextFileWriter &out, const CandidateList &list, ListFileKind kind,
                   std::string_view timeText)
{
    const std::string dashes = rule('-', ruleLength);
    const std::string titleRule = rule('=', titleRuleLength);
    out.line(titleRule + ' ' + std::string(kind == ListFileKind::Raw ? rawTitle : filteredTitle) + ' ' +
             titleRule);
    out.line(dashes);
    out.line(headerLine1);
    out.line(headerLine2);
    out.line(dashes);
    const auto layout = std::make_unique<LineLayout>(list, list.size());
    for (std::size_t row = 0; row < list.size(); ++row) {
        out.text(layout->lay(row, true));
    }
    out.line(dashes);
    out.line(book::noteLine);
    out.line(rule('=', ruleLength));
    out.text(book::timeLinePrefix);
    out.line(timeText);
}

void writeListFile(std::ostream &out, const CandidateList &list, ListFileKind kind, std::string_view timeText)
{
    TextFileWriter writer(
        [&out](std::string_view bytes) {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return static_cast<bool>(out);
        },
        "UTF-8");
    writeListFile(writer, list, kind, timeText);
    writer.finish();
}

std::optional<std::string> saveListFile(const std::string &path, const CandidateList &list, ListFileKind kind,
                                        std::string_view timeText, std::string_view codePage)
{
    return saveTextFile(path, codePage,
                        [&](TextFileWriter &out) { writeListFile(out, list, kind, timeText); });
}

} // namespace saxolith
