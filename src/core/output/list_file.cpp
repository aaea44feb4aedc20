#include "output/list_file.h"

#include "book/calculation_book.h"
#include "capacity/section_types.h"
#include "text/fixed_width.h"

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
constexpr std::string_view lineEnd = "\r\n";

constexpr int titleRuleLength = 53;
constexpr int ruleLength = 130;
constexpr int fieldWidth = 8;

std::string repeated(char c, int count)
{
    return std::string(static_cast<std::size_t>(count), c);
}

std::string centred(std::string_view text)
{
    return padCentre(text, " ", fieldWidth) + "  ";
}
std::string dashField()
{
    return centred("-");
}
std::string numberField(std::string_view text)
{
    return padLeft(text, " ", 6) + "    ";
}

int digitCount(std::size_t n)
{
    int digits = 1;
    for (; n >= 10; n /= 10)
        ++digits;
    return digits;
}

} // namespace

std::string_view listFileName(ListFileKind kind)
{
    return kind == ListFileKind::Raw ? rawFileName : filteredFileName;
}

std::string listFileLine(const CandidateList &list, std::size_t row, std::size_t rowCount)
{
    using enum CandidateColumn;
    const auto cell = [&](CandidateColumn column) { return list.cell(row, column); };
    const CandidateRow &candidate = list.row(row);
    std::string line = " " + centred("ZH-" + padLeft(std::to_string(row + 1), "0", digitCount(rowCount)));

    // The dimension columns d, c, a, b as the table book lays them out.
    line += centred(cell(Section));
    for (const DimensionSlot slot : dimensionColumns(sectionRow(candidate.section))) {
        if (slot == DimensionSlot::None)
            line += dashField();
        else
            line += numberField(cell(slot == DimensionSlot::First ? FirstDimension : SecondDimension));
    }

    // The strength category column holds the route that also chooses the next four fields.
    if (candidate.route == StrengthRoute::QpaGiven) {
        line += centred(cell(Route)) + numberField(cell(Strength)) + dashField() + dashField() + dashField();
    } else {
        line += centred(cell(Route)) + dashField() + padLeft(cell(Strength), " ", 7) + "   " +
                centred(cell(Integrity)) + centred(cell(Psi));
    }

    line += padLeft(cell(Qpa), " ", 7) + "   ";
    line += padLeft(cell(Ra), " ", 7) + "  ";
    return line;
}

void writeListFile(std::ostream &out, const CandidateList &list, ListFileKind kind, std::string_view timeText)
{
    const std::string dashes = repeated('-', ruleLength);
    const std::string titleRule = repeated('=', titleRuleLength);
    out << titleRule << ' ' << (kind == ListFileKind::Raw ? rawTitle : filteredTitle) << ' ' << titleRule
        << lineEnd;
    out << dashes << lineEnd << headerLine1 << lineEnd << headerLine2 << lineEnd << dashes << lineEnd;
    for (std::size_t row = 0; row < list.size(); ++row)
        out << listFileLine(list, row, list.size()) << lineEnd;
    out << dashes << lineEnd << book::noteLine << lineEnd << repeated('=', ruleLength) << lineEnd;
    out << book::timeLinePrefix << timeText << lineEnd;
}

} // namespace saxolith
