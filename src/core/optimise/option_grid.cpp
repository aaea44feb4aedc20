#include "optimise/option_grid.h"

#include "text/fixed_width.h"

#include <array>

namespace saxolith
{

namespace
{

constexpr std::array<std::string_view, optionGridColumns> gridHeaders{"优化项", "最小值", "最大值", "步进值",
                                                                      "说  明"};

using GridRow = std::array<std::string_view, optionGridColumns>;
constexpr std::array<GridRow, optionGridRows> startTexts{{
    {"桩身截面类型", "1", "4", "1", "圆桩1/椭圆桩2/矩形桩3/方桩4"},
    {"桩身直径 d(mm)", "1000", "2000", "500", "桩径取值范围"},
    {"椭圆直段长度 c(mm)", "1000", "2000", "500", "椭圆直段取值范围"},
    {"矩形桩长边尺寸 a(mm)", "2000", "3000", "500", "矩形桩长边取值范围"},
    {"矩形桩短边尺寸 b(mm)", "1000", "2000", "500", "矩形桩短边取值范围"},
    {"方桩边长 a(mm)", "1000", "2000", "500", "方桩边长取值范围"},
    {"岩石强度类型", "1", "2", "1", "桩端岩石承载力特征值(qpa)1/岩石单轴抗压强度标准值(frk)2"},
    {"承载力特征值 qpa(kPa)", "3500", "4500", "500", "桩端岩石承载力特征值取值应大于0"},
    {"单轴抗压强度 frk(MPa)", "35.00", "40.00", "5.00", "岩石单轴抗压强度标准值取值应大于0"},
    {"自动插值依据", "1", "2", "1", "岩体完整程度1/岩体完整性指数2"},
    {"岩体完整程度", "1", "3", "1", "完整1/较完整2/较破碎3"},
    {"岩体完整性指数", "0.40", "0.80", "0.10", "取值范围[0.35,1.00)"},
    {"", "", "", "", ""},
    {"筛选 Ra(kN)", "10000", "11000", "", "输入0不起控制作用"},
}};

constexpr std::array<std::string_view, 12> listHeaders{"桩编号", "截面类型", "d|a(mm)",  "c|b(mm)",
                                                       "Ra(kN)", "qpa|frk",  "插值依据", "完整程度",
                                                       "ψr",     "qpa(kPa)", "强度类别", "备注"};

constexpr int headerWidth = 8;

} // namespace

std::string_view optionGridHeader(int column)
{
    if (column < 0 || column >= optionGridColumns)
        return {};
    return gridHeaders[static_cast<std::size_t>(column)];
}

std::string_view optionGridStartText(int row, int column)
{
    if (row < 0 || row >= optionGridRows || column < 0 || column >= optionGridColumns)
        return {};
    return startTexts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

bool editEnablesRun(int row, int column)
{
    return row >= 0 && row < optionRowCount && column >= 1 && column <= 3;
}

bool editEnablesFilter(int row, int column)
{
    return row == raRangeRow && (column == 1 || column == 2);
}

bool isOptionCell(int row, int column)
{
    return editEnablesRun(row, column) || editEnablesFilter(row, column);
}

std::string listHeader(int column)
{
    if (column < 0 || column >= candidateColumns)
        return {};
    return padLeft(listHeaders[static_cast<std::size_t>(column)], " ", headerWidth);
}

std::string sortHeader(int column, int sortState)
{
    const auto key = static_cast<CandidateColumn>(column);
    if ((key != CandidateColumn::FirstDimension && key != CandidateColumn::Ra) ||
        (sortState != SortState::Ascending && sortState != SortState::Descending))
        return listHeader(column);
    std::string text(listHeaders[static_cast<std::size_t>(column)]);
    text += sortState == SortState::Ascending ? "▲" : "▼";
    return padLeft(text, " ", headerWidth);
}

} // namespace saxolith
