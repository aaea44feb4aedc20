#include "output/list_file.h"

#include "book/calculation_book.h"
#include "capacity/formulas.h"
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

// The list files share the section names, note line and time line of the table book.
const std::string_view roundName = sectionTableName(SectionType::Round);
const std::string_view ellipseName = sectionTableName(SectionType::Elliptical);
const std::string_view rectangleName = sectionTableName(SectionType::Rectangular);
const std::string_view squareName = sectionTableName(SectionType::Square);

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
    const auto cell = [&](int column) { return list.cell(row, column); };
    std::string line = " " + centred("ZH-" + padLeft(std::to_string(row + 1), "0", digitCount(rowCount)));

    const std::string section = cell(1);
    line += centred(section);
    if (section == roundName) {
        line += numberField(cell(2)) + dashField() + dashField() + dashField();
    } else if (section == ellipseName) {
        line += numberField(cell(2)) + numberField(cell(3)) + dashField() + dashField();
    } else if (section == rectangleName || section == squareName) {
        line += dashField() + dashField() + numberField(cell(2)) + numberField(cell(3));
    }

    // The strength category column holds the route that also chooses the next four fields.
    const std::string route = cell(10);
    if (route == "1") {
        line += centred(route) + numberField(cell(5)) + dashField() + dashField() + dashField();
    } else if (route == "2") {
        line += centred(route) + dashField() + padLeft(cell(5), " ", 7) + "   " + centred(cell(7)) +
                centred(cell(8));
    }

    line += padLeft(cell(9), " ", 7) + "   ";
    line += padLeft(cell(4), " ", 7) + "  ";
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
