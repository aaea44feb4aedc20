#include "output/list_file.h"

#include "book/calculation_book.h"
#include "capacity/formulas.h"
#include "capacity/section_types.h"
#include "output/text_file.h"
#include "text/fixed_width.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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

std::string centred(std::string_view text)
{
    return padCentre(text, " ", fieldWidth) + "  ";
}
// `text` right-aligned in `width` columns, then `after`; number texts are ASCII, one column a byte.
std::string rightAligned(std::string_view text, int width, std::string_view after)
{
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string out;
    if (ascii) {
        out.reserve(static_cast<std::size_t>(width) + text.size() + after.size());
        const int pad = width - static_cast<int>(text.size());
        out.append(static_cast<std::size_t>(pad > 0 ? pad : 0), ' ');
        out.append(text);
    } else {
        out = padLeft(text, " ", width);
    }
    out.append(after);
    return out;
}
std::string numberField(std::string_view text)
{
    return rightAligned(text, 6, "    ");
}
std::string wideNumberField(std::string_view text, std::string_view after)
{
    return rightAligned(text, 7, after);
}

// One padded field of the line, made again only when what its cell shows from changes; a list
// repeats most values from row to row, so most fields are copied rather than formatted.
struct Field {
    std::uint64_t value = 0;
    std::uint32_t codes = 0;
    bool made = false;
    std::string text;

    template <typename Make> std::string_view get(double from, std::uint32_t withCodes, Make make)
    {
        const auto bits = std::bit_cast<std::uint64_t>(from);
        if (!made || bits != value || withCodes != codes) {
            text = make();
            value = bits;
            codes = withCodes;
            made = true;
        }
        return text;
    }
};

// Lays out the rows of one list, numbered among `rowCount` rows; the cells' own texts decide.
class LineLayout
{
  public:
    LineLayout(const CandidateList &list, std::size_t rowCount) : m_list(list), m_digits(digitCount(rowCount))
    {
        // Numbers of one list share their length, so their centring is found once.
        const std::string sample = candidateNumber(0, m_digits);
        const std::string field = centred(sample);
        m_numberLeft = field.find(sample);
        m_numberRight = field.size() - m_numberLeft - sample.size();
        m_dash = centred("-");
    }

    // Lays out the line of `row` without its line end; returns its length in bytes, for `copyTo`.
    std::size_t lay(std::size_t row)
    {
        const CandidateRow &r = m_list.row(row);
        m_count = 0;
        const auto put = [this](std::string_view text) { m_pieces[m_count++] = text; };
        char *at = m_number;
        *at++ = ' ';
        std::memset(at, ' ', m_numberLeft);
        at += m_numberLeft;
        at += writeCandidateNumber(at, row + 1, m_digits);
        std::memset(at, ' ', m_numberRight);
        at += m_numberRight;
        put({m_number, static_cast<std::size_t>(at - m_number)});

        using enum CandidateColumn;
        // The dimension columns d, c, a, b as the table book lays them out.
        const auto section = static_cast<std::uint32_t>(r.section);
        put(m_section.get(0.0, section, [&] { return centred(cell(row, Section)); }));
        for (const DimensionSlot slot : dimensionColumns(sectionRow(r.section))) {
            if (slot == DimensionSlot::None)
                put(m_dash);
            else if (slot == DimensionSlot::First)
                put(m_first.get(r.first, 0, [&] { return numberField(cell(row, FirstDimension)); }));
            else
                put(m_second.get(r.second, section, [&] { return numberField(cell(row, SecondDimension)); }));
        }

        // The strength category column holds the route that also chooses the next four fields.
        const auto route = static_cast<std::uint32_t>(r.route);
        put(m_route.get(0.0, route, [&] { return centred(cell(row, Route)); }));
        if (r.route == StrengthRoute::QpaGiven) {
            put(m_strength.get(r.strength, route, [&] { return numberField(cell(row, Strength)); }));
            put(m_dash);
            put(m_dash);
            put(m_dash);
        } else {
            put(m_dash);
            put(m_strength.get(r.strength, route,
                               [&] { return wideNumberField(cell(row, Strength), "   "); }));
            const bool byClass = r.basis == IntegrityBasis::Class;
            const std::uint32_t integrity =
                static_cast<std::uint32_t>(r.basis) << 8 | static_cast<std::uint32_t>(r.integrityClass);
            put(m_integrity.get(byClass ? 0.0 : r.index, integrity,
                                [&] { return centred(cell(row, Integrity)); }));
            put(m_psi.get(r.psi, route, [&] { return centred(cell(row, Psi)); }));
        }

        put(m_qpa.get(r.qpa, r.precision, [&] { return wideNumberField(cell(row, Qpa), "   "); }));
        put(m_ra.get(r.ra, r.precision, [&] { return wideNumberField(cell(row, Ra), "  "); }));
        std::size_t size = 0;
        for (std::size_t i = 0; i < m_count; ++i) {
            size += m_pieces[i].size();
        }
        return size;
    }

    void copyTo(char *out) const
    {
        for (std::size_t i = 0; i < m_count; ++i) {
            std::memcpy(out, m_pieces[i].data(), m_pieces[i].size());
            out += m_pieces[i].size();
        }
    }

  private:
    std::string cell(std::size_t row, CandidateColumn column) const { return m_list.cell(row, column); }

    const CandidateList &m_list;
    int m_digits;
    std::size_t m_numberLeft = 0;
    std::size_t m_numberRight = 0;
    std::string m_dash;
    Field m_section, m_first, m_second, m_route, m_strength, m_integrity, m_psi, m_qpa, m_ra;
    std::array<std::string_view, 16> m_pieces;
    std::size_t m_count = 0;
    char m_number[1 + 8 + 3 + 64 + 8];
};

} // namespace

std::string_view listFileName(ListFileKind kind)
{
    return kind == ListFileKind::Raw ? rawFileName : filteredFileName;
}

std::string listFileLine(const CandidateList &list, std::size_t row, std::size_t rowCount)
{
    LineLayout layout(list, rowCount);
    std::string line(layout.lay(row), '\0');
    layout.copyTo(line.data());
    return line;
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
    LineLayout layout(list, list.size());
    for (std::size_t row = 0; row < list.size(); ++row) {
        const std::size_t length = layout.lay(row);
        char *at = out.reserve(length + lineEnd.size());
        layout.copyTo(at);
        std::memcpy(at + length, lineEnd.data(), lineEnd.size());
        out.commit(length + lineEnd.size());
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
    return writeTextFileSafely(path, codePage,
                               [&](TextFileWriter &out) { writeListFile(out, list, kind, timeText); });
}

} // namespace saxolith
