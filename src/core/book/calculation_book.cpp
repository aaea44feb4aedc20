#include "book/calculation_book.h"

#include "text/fixed_width.h"
#include "text/number_text.h"

#include <algorithm>
#include <array>

namespace saxolith
{

namespace
{

constexpr std::string_view blank = " ";
constexpr std::string_view dash = "-";

struct DimensionLabel {
    std::string_view first;  // d or a
    std::string_view second; // c or b; empty for a round pile
};

// What the book writes for a section beyond its names and dimension columns.
struct SectionLayout {
    DimensionLabel labels;
    std::string_view summaryHeadTop;
    std::string_view summaryHeadBottom;
};

constexpr std::string_view dLabel = "      桩身直径d:                   ";
constexpr std::string_view cLabel = "      椭圆直段长度c:               ";
constexpr std::string_view aLabel = "      矩形长边尺寸a:               ";
constexpr std::string_view bLabel = "      矩形短边尺寸b:               ";
constexpr std::string_view roundHeadTop = "      基    桩  桩身截面  桩身直径  椭圆直段 ";
constexpr std::string_view roundHeadBottom = "      编    号  类    型    d(mm)     c(mm)  ";
constexpr std::string_view rectHeadTop = "      基    桩  桩身截面  矩形长边  矩形短边 ";
constexpr std::string_view rectHeadBottom = "      编    号  类    型    a(mm)     b(mm)  ";
// The section type line: among the inputs a square reads as the rectangle it was entered as.
constexpr std::string_view inputTypeLabel = "      桩身截面类型:";
constexpr std::string_view resultTypeLabel = "  4.1 桩身截面类型:";
constexpr int typeLineWidth = 45;

SectionLayout sectionLayout(const SectionTypeRow &row)
{
    if (row.sides) {
        return {{aLabel, bLabel}, rectHeadTop, rectHeadBottom};
    }
    return {{dLabel, row.hasSecond ? cLabel : std::string_view{}}, roundHeadTop, roundHeadBottom};
}

// Widths of the qpa and Ra columns of the table row, by precision choice.
struct PrecisionColumns {
    int qpaWidth;
    int qpaGap;
    int raPrecision;
    int raWidth;
    int raGap;
};

constexpr std::array<PrecisionColumns, precisionChoiceCount> precisionColumns{{
    {8, 2, 10, 8, 1},
    {8, 2, 10, 8, 1},
    {7, 3, 10, 7, 2},
    {7, 3, 7, 7, 2},
    {7, 3, 7, 7, 2},
}};

// A choice outside the list reads as "两位小数", so the book never loses a value.
int knownChoice(int choice)
{
    return choice >= 0 && choice < precisionChoiceCount ? choice : 0;
}

// Automatic ψr from a class name chosen in the list: the basis line and the class line.
struct ClassLines {
    std::string_view name;
    std::string_view classLine;
};
constexpr std::string_view classBasisLine = "      根据经验系数自动插值依据:  岩体完整程度";
constexpr std::array<ClassLines, 3> classLines{{
    {"完整", "      岩体完整程度:                      完整"},
    {"较完整", "      岩体完整程度:                    较完整"},
    {"较破碎", "      岩体完整程度:                    较破碎"},
}};
constexpr std::string_view indexBasisLine = "      根据经验系数自动插值依据:岩体完整性指数";
constexpr std::string_view indexLabel = "      岩体完整性指数:              ";
constexpr std::string_view automaticPsiLine = "      换算成承载力特征值的折减系数:  自动插值";
constexpr std::string_view manualPsiLine = "      换算成承载力特征值的折减系数:  人工指定";
constexpr std::string_view manualPsiLabel = "      人工指定的折减系数ψr:       ";
constexpr std::string_view qpaInputLabel = "      桩端岩石承载力特征值qpa:     ";
constexpr std::string_view frkInputLabel = "      岩石单轴抗压强度标准值frk:   ";

constexpr std::string_view entryTitle = "================== 嵌岩桩计算书 ==================";
constexpr std::string_view pileNumberLabel = "1.基桩编号: ";
constexpr std::array<std::string_view, 2> inputHead{"2.输入数据", "  2.1 基桩参数"};
constexpr std::string_view rockHead = "  2.2 基岩参数";
constexpr std::array<std::string_view, 6> standardLines{
    "3.采用规范及公式",
    "  3.1 采用规范: 《建筑地基基础设计规范》",
    "                    (GB50007-2011)",
    "  3.2 规范公式:  Ra=qpa.Ap          (8.5.6-2)",
    "                 fa=ψr.frk           (5.2.6)",
    "4.承载力计算",
};
constexpr std::string_view areaLabel = "      桩身截面面积Ap:              ";
constexpr std::string_view perimeterLabel = "      桩身截面周长μ:              ";
constexpr std::string_view frkResultLabel = "  4.2 岩石单轴抗压强度标准值frk:   ";
constexpr std::string_view hardnessLabel = "      岩石坚硬程度:              ";
constexpr std::string_view integrityLabel = "      岩体完整程度:              ";
constexpr std::string_view psiLabel = "      折减系数ψr:                 ";
constexpr std::string_view qpaResultLabel = "  4.2 桩端岩石承载力特征值qpa:     ";
constexpr std::string_view raResultLabel = "  4.3 单桩竖向承载力特征值Ra:      ";
constexpr std::string_view summaryHead = "5.基桩主要数据汇总";
constexpr std::string_view summaryRule = "      ---------------------------------------";
constexpr std::array<std::string_view, 2> summaryRockHead{
    "      岩石强度  折减系数  桩端阻力  桩承载力 ",
    "      frk(MPa)    ψr     qpa(kPa)   Ra(kN)  ",
};
constexpr std::string_view mmUnit = " mm";
constexpr std::string_view kpaUnit = " kPa";
constexpr std::string_view mpaUnit = " MPa";
constexpr std::string_view areaUnit = " m^2";
constexpr std::string_view metreUnit = " m";
constexpr std::string_view knUnit = " kN";

constexpr std::string_view tableTitle = " 嵌岩桩计算书 ";
constexpr std::array<std::string_view, 2> tableHeadCells{
    " 基    桩  桩身截面  桩身直径  椭圆直段  矩形长边  矩形短边  桩身面积  岩石强度  折减系数  桩端阻力  "
    "桩承载力 ",
    " 编    号  类    型    d(mm)     c(mm)     a(mm)     b(mm)    Ap(m^2)  frk(MPa)    ψr     qpa(kPa)    "
    "Ra(kN) ",
};

std::string join(std::initializer_list<std::string_view> parts)
{
    std::string out;
    for (std::string_view part : parts) {
        out.append(part);
    }
    return out;
}

std::string pileNumber(int number)
{
    return std::string(book::pileNumberPrefix) + std::to_string(number);
}

std::string_view dimensionText(const PileRecord &record, DimensionSlot which)
{
    return which == DimensionSlot::First ? std::string_view(record.first) : std::string_view(record.second);
}

// A value column of the table: the text right-aligned in six columns, or a centred dash.
std::string tableDimension(const PileRecord &record, DimensionSlot which)
{
    if (which == DimensionSlot::None) {
        return padCentre(dash, blank, 8) + spaces(2);
    }
    return padLeft(dimensionText(record, which), blank, 6) + spaces(4);
}

std::string dashColumn()
{
    return padCentre(dash, blank, 8) + spaces(2);
}

std::string valueLine(std::string_view label, std::string_view value, std::string_view unit = {})
{
    return join({label, padLeft(value, blank, 10), unit});
}

std::string typeLine(std::string_view label, SectionType type)
{
    return join({label, padLeft(sectionBookName(type), blank, typeLineWidth - displayWidth(label))});
}

void appendDimensionLines(std::vector<std::string> &lines, const PileRecord &record,
                          const SectionLayout &layout)
{
    lines.push_back(valueLine(layout.labels.first, record.first, mmUnit));
    if (!layout.labels.second.empty()) {
        lines.push_back(valueLine(layout.labels.second, record.second, mmUnit));
    }
}

void appendRockInputs(std::vector<std::string> &lines, const PileRecord &record)
{
    if (record.route == StrengthRoute::QpaGiven) {
        lines.push_back(valueLine(qpaInputLabel, record.qpaText, kpaUnit));
        return;
    }
    lines.push_back(valueLine(frkInputLabel, record.frkText, mpaUnit));
    if (record.psiMode == PsiMode::Manual) {
        lines.emplace_back(manualPsiLine);
        lines.push_back(valueLine(manualPsiLabel, record.manualPsiText));
        return;
    }
    lines.emplace_back(automaticPsiLine);
    for (const ClassLines &cls : classLines) {
        if (record.integrityText == cls.name) {
            lines.emplace_back(classBasisLine);
            lines.emplace_back(cls.classLine);
            return;
        }
    }
    lines.emplace_back(indexBasisLine);
    lines.push_back(valueLine(indexLabel, record.integrityText));
}

void appendRockResults(std::vector<std::string> &lines, const PileRecord &record)
{
    const std::string qpa = formatFixed(record.qpa, 10, 2);
    if (record.route == StrengthRoute::QpaGiven) {
        lines.push_back(valueLine(qpaResultLabel, qpa, kpaUnit));
        return;
    }
    lines.push_back(valueLine(frkResultLabel, formatFixed(record.frk, 6, 2), mpaUnit));
    lines.push_back(join({hardnessLabel, padLeft(record.hardness, blank, 12)}));
    lines.push_back(join({integrityLabel, padLeft(record.integrityClass, blank, 12)}));
    lines.push_back(valueLine(psiLabel, formatFixed(record.psi, 6, 4)));
    lines.push_back(valueLine(qpaInputLabel, qpa, kpaUnit));
}

// qpa or Ra as the precision choice shows it in the summary.
std::string summaryValue(double value, int choice)
{
    return formatFixed(cutByChoice(value, choice), 10, decimalsByChoice(choice));
}

void appendSummary(std::vector<std::string> &lines, const PileRecord &record, std::string_view pileName,
                   const SectionLayout &layout)
{
    const std::string second = sectionRow(record.section).hasSecond
                                   ? std::string(dimensionText(record, DimensionSlot::Second))
                                   : std::string(dash);
    const int choice = knownChoice(record.precision);

    lines.emplace_back(summaryRule);
    lines.emplace_back(layout.summaryHeadTop);
    lines.emplace_back(layout.summaryHeadBottom);
    lines.emplace_back(summaryRule);
    lines.push_back(
        join({spaces(8), padRight(pileName, blank, 6), spaces(2),
              padCentre(sectionTableName(record.section), blank, 8), spaces(2),
              padCentre(record.first, blank, 8), spaces(2), padCentre(second, blank, 8), spaces(1)}));
    lines.emplace_back(summaryRule);
    lines.insert(lines.end(), summaryRockHead.begin(), summaryRockHead.end());
    lines.emplace_back(summaryRule);

    std::string rock = spaces(6);
    if (record.route == StrengthRoute::FrkGiven) {
        rock += padCentre(formatFixed(record.frk, 6, 2), blank, 8) + spaces(2);
        rock += padCentre(formatFixed(record.psi, 6, 4), blank, 8) + spaces(2);
    } else {
        rock += dashColumn() + dashColumn();
    }
    rock += padCentre(summaryValue(record.qpa, choice), blank, 8) + spaces(2);
    rock += padCentre(summaryValue(record.ra, choice), blank, 8) + spaces(1);
    lines.push_back(std::move(rock));
    lines.emplace_back(summaryRule);
}

std::string timeLine(std::string_view timeText)
{
    return join({book::timeLinePrefix, timeText});
}

} // namespace

std::string bookTableRow(const PileRecord &record, int number)
{
    return bookTableRow(record, pileNumber(number));
}

std::string bookTableRow(const PileRecord &record, std::string_view pileName)
{
    std::string row = spaces(book::tableIdIndent) + padRight(pileName, blank, book::tableIdWidth) + spaces(2);
    row += padCentre(sectionTableName(record.section), blank, 8) + spaces(2);
    for (DimensionSlot which : dimensionColumns(sectionRow(record.section))) {
        row += tableDimension(record, which);
    }
    row += padLeft(formatFixed(record.area / 1'000'000.0, 6, 2), blank, 6) + spaces(4);
    if (record.route == StrengthRoute::FrkGiven) {
        row += padLeft(formatFixed(record.frk, 6, 2), blank, 7) + spaces(3);
        row += padLeft(formatFixed(record.psi, 6, 4), blank, 7) + spaces(3);
    } else {
        row += dashColumn() + dashColumn();
    }
    const int choice = knownChoice(record.precision);
    const PrecisionColumns &columns = precisionColumns[static_cast<std::size_t>(choice)];
    const int decimals = decimalsByChoice(choice);
    row += padLeft(formatFixed(cutByChoice(record.qpa, choice), 10, decimals), blank, columns.qpaWidth);
    row += spaces(columns.qpaGap);
    row += padLeft(formatFixed(cutByChoice(record.ra, choice), columns.raPrecision, decimals), blank,
                   columns.raWidth);
    row += spaces(columns.raGap);
    return row;
}

std::vector<std::string> bookTextEntry(const PileRecord &record, int number)
{
    return bookTextEntry(record, pileNumber(number));
}

std::vector<std::string> bookTextEntry(const PileRecord &record, std::string_view pileName)
{
    const SectionTypeRow &section = sectionRow(record.section);
    const SectionLayout layout = sectionLayout(section);
    std::vector<std::string> lines;
    lines.reserve(48);
    lines.emplace_back(entryTitle);
    lines.push_back(join({pileNumberLabel, pileName}));
    lines.insert(lines.end(), inputHead.begin(), inputHead.end());
    lines.push_back(typeLine(inputTypeLabel, sectionRowOfItem(static_cast<int>(section.item))->type));
    appendDimensionLines(lines, record, layout);
    lines.emplace_back(rockHead);
    appendRockInputs(lines, record);
    lines.insert(lines.end(), standardLines.begin(), standardLines.end());
    lines.push_back(typeLine(resultTypeLabel, section.type));
    appendDimensionLines(lines, record, layout);
    lines.push_back(valueLine(areaLabel, formatFixed(record.area / 1'000'000.0, 6, 2), areaUnit));
    lines.push_back(valueLine(perimeterLabel, formatFixed(record.perimeter / 1'000.0, 6, 2), metreUnit));
    appendRockResults(lines, record);
    lines.push_back(valueLine(raResultLabel, formatFixed(record.ra, 10, 2), knUnit));
    lines.emplace_back(summaryHead);
    appendSummary(lines, record, pileName, layout);
    lines.emplace_back(book::entryClosingRule);
    return lines;
}

std::vector<std::string> bookTableHead(int idExcess)
{
    const int width = book::tableWidth + idExcess;
    const std::string half = rule('=', (book::tableWidth - displayWidth(tableTitle)) / 2);
    std::vector<std::string> lines;
    lines.reserve(book::tableHeaderLines);
    lines.push_back(join({half, rule('=', idExcess / 2), tableTitle, half, rule('=', idExcess - idExcess / 2)}));
    lines.push_back(rule('-', width));
    // The header's id cell ends where the usual id column ends; the rest of the header moves right.
    for (const std::string_view head : tableHeadCells) {
        std::size_t at = 0;
        for (int column = 0; column < book::tableIdIndent + book::tableIdWidth && at < head.size();) {
            const auto lead = static_cast<unsigned char>(head[at]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            column += displayWidth(head.substr(at, length));
            at += length;
        }
        lines.push_back(std::string(head.substr(0, at)) + spaces(idExcess) + std::string(head.substr(at)));
    }
    lines.push_back(rule('-', width));
    return lines;
}

std::vector<std::string> bookTableFoot(int idExcess, std::string_view timeText)
{
    const int width = book::tableWidth + idExcess;
    return {rule('-', width), std::string(book::noteLine), rule('=', width), timeLine(timeText)};
}

std::string bookTableRest(const PileRecord &record)
{
    return bookTableRow(record, std::string_view{}).substr(book::tableIdIndent + book::tableIdWidth);
}

std::string bookTableRowLine(std::string_view id, std::string_view rest, int idWidth)
{
    std::string line = spaces(book::tableIdIndent) + padRight(id, blank, idWidth);
    line.append(rest);
    return line;
}

std::string bookTimeLine(std::string_view timeText)
{
    return timeLine(timeText);
}

std::string bookEntryName(int number, std::string_view pileName)
{
    return pileName.empty() ? pileNumber(number) : std::string(pileName);
}

std::string CalculationBook::tableRowLine(std::size_t entry) const
{
    return bookTableRowLine(m_tableIds[entry], m_tableRest[entry], m_idWidth);
}

void CalculationBook::layOutTableIds(bool added)
{
    // A new row can only widen the column; a removed one may narrow it, so then every id counts.
    int widest = book::tableIdWidth;
    if (added && !m_tableIds.empty()) {
        widest = std::max(m_idWidth, displayWidth(m_tableIds.back()));
    } else {
        for (const std::string &id : m_tableIds) {
            widest = std::max(widest, displayWidth(id));
        }
    }
    if (widest == m_idWidth || m_table.empty()) {
        m_idWidth = widest;
        return;
    }
    m_idWidth = widest;
    // Header, rows and footer again; the footer's time line is the book's own.
    const std::string time = m_table.back();
    m_table = bookTableHead(idColumnExcess());
    for (std::size_t entry = 0; entry < m_tableIds.size(); ++entry) {
        m_table.push_back(tableRowLine(entry));
    }
    std::vector<std::string> foot = bookTableFoot(idColumnExcess(), {});
    foot.back() = time;
    m_table.insert(m_table.end(), std::make_move_iterator(foot.begin()), std::make_move_iterator(foot.end()));
}

int CalculationBook::record(const PileRecord &record, std::string_view timeText, std::string_view pileName)
{
    const int number = m_entries + 1;
    const std::string name = bookEntryName(number, pileName);
    if (m_entries == 0) {
        m_table.clear();
        m_text.clear();
        m_tableIds.clear();
        m_tableRest.clear();
        m_idWidth = book::tableIdWidth;
        m_table = bookTableHead(0);
    } else {
        m_table.resize(m_table.size() - book::tableFooterLines);
        m_text.pop_back();
    }
    m_tableIds.push_back(name);
    m_tableRest.push_back(bookTableRest(record));
    m_table.push_back(tableRowLine(m_tableIds.size() - 1));
    for (std::string &line : bookTableFoot(idColumnExcess(), timeText)) {
        m_table.push_back(std::move(line));
    }
    layOutTableIds(true);

    std::vector<std::string> entry = bookTextEntry(record, name);
    m_text.insert(m_text.end(), std::make_move_iterator(entry.begin()), std::make_move_iterator(entry.end()));
    m_text.push_back(timeLine(timeText));
    m_entries = number;
    m_unsaved = static_cast<int>(BookForm::Text) | static_cast<int>(BookForm::Table);
    m_recorded.push_back({record.input, std::string(pileName), std::string(timeText)});
    m_closingTime = timeText;
    return m_entries;
}

void CalculationBook::deleteLast()
{
    if (m_entries <= 1) {
        m_entries = 0;
        m_unsaved = 0;
        m_table.clear();
        m_text.clear();
        m_recorded.clear();
        m_closingTime.clear();
        m_tableIds.clear();
        m_tableRest.clear();
        m_idWidth = book::tableIdWidth;
        return;
    }
    --m_entries;
    m_recorded.pop_back();
    m_unsaved = static_cast<int>(BookForm::Text) | static_cast<int>(BookForm::Table);
    // The last row stands just above the footer.
    m_table.erase(m_table.end() - static_cast<std::ptrdiff_t>(book::tableFooterLines) - 1);
    m_tableIds.pop_back();
    m_tableRest.pop_back();
    layOutTableIds(false); // narrower again when the longest id went
    // The last entry runs from after the previous closing rule down to its own closing rule; the
    // time line after it stays.
    const std::string timeLine = std::move(m_text.back());
    m_text.pop_back();
    m_text.pop_back();
    while (!m_text.empty() && m_text.back() != book::entryClosingRule) {
        m_text.pop_back();
    }
    m_text.push_back(timeLine);
}

void CalculationBook::setClosingTime(std::string_view timeText)
{
    if (m_entries == 0) {
        return;
    }
    m_closingTime = timeText;
    m_text.back() = timeLine(timeText);
    m_table.back() = timeLine(timeText);
}

} // namespace saxolith
