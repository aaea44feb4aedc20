// Texts of the optimisation screen: its own controls (titles, hints and button captions), the option
// grid and the lists' headers, and its status label (option checks, run outcomes and list commands).
#pragma once

#include <array>
#include <string_view>

namespace saxolith::optimisationText
{

inline constexpr std::string_view title = "嵌岩桩优化设计";
inline constexpr std::string_view listHint = "1、点击表头排序   2、双击获取数据";
inline constexpr std::string_view expand = "展开";
inline constexpr std::string_view fold = "折叠";
inline constexpr std::string_view compute = "计算";
inline constexpr std::string_view filter = "筛选";
inline constexpr std::string_view save = "存盘";
inline constexpr std::string_view back = "返回";

// The option grid: its column headers, and each row's texts at start-up (name, minimum, maximum,
// step, note); the empty row parts the options from the Ra range of the filter.
inline constexpr std::array<std::string_view, 5> gridHeaders{"优化项", "最小值", "最大值", "步进值", "说  明"};
inline constexpr std::array<std::array<std::string_view, 5>, 14> gridStartTexts{{
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

// The candidate lists' column headers, and the marks a sorted column's header takes.
inline constexpr std::array<std::string_view, 12> listHeaders{"桩编号", "截面类型", "d|a(mm)",  "c|b(mm)",
                                                              "Ra(kN)", "qpa|frk",  "插值依据", "完整程度",
                                                              "ψr",     "qpa(kPa)", "强度类别", "备注"};
inline constexpr std::string_view ascendingMark = "▲";
inline constexpr std::string_view descendingMark = "▼";

} // namespace saxolith::optimisationText

// The status label's texts.
namespace saxolith::message
{

// Option checks, red.
inline constexpr std::string_view diameterNegative = "桩径不能为负值";
inline constexpr std::string_view segmentNegative = "椭圆直段不能为负值";
inline constexpr std::string_view longSideNegative = "矩形长边不能为负值";
inline constexpr std::string_view shortSideNegative = "矩形短边不能为负值";
inline constexpr std::string_view squareSideNegative = "方形边长不能为负值";
inline constexpr std::string_view qpaNegative = "桩端岩石承载力特征值不能为负值";
inline constexpr std::string_view frkNegative = "岩石单轴抗压强度不能为负值";
inline constexpr std::string_view indexNegative = "岩体完整性指数不能为负值";
inline constexpr std::string_view indexTooSmall = "程序不支持完整性指数小于0.35的岩体";
inline constexpr std::string_view indexTooLarge = "岩体完整性指数不能大于1";
inline constexpr std::string_view tooManyCandidates = "候选桩数超过2000000根，请增大步进值或缩小取值范围";

// Run outcomes, black; the count stands between prefix and suffix.
inline constexpr std::string_view runCompletePrefix = "计算完成，桩数：";
inline constexpr std::string_view noCandidate = "调整优化项重新计算";
inline constexpr std::string_view countSuffix = " 根";

// List commands, black.
inline constexpr std::string_view nothingToSort = "无需排序";
inline constexpr std::string_view sortColumnsOnly = "仅支持d、Ra排序";
inline constexpr std::string_view sortedDAscending = "d升序排列完成";
inline constexpr std::string_view sortedDDescending = "d降序排列完成";
inline constexpr std::string_view sortedRaAscending = "Ra升序排列完成";
inline constexpr std::string_view sortedRaDescending = "Ra降序排列完成";
inline constexpr std::string_view filterCompletePrefix = "筛选完成，桩数：";
inline constexpr std::string_view noMatch = "无满足条件桩，调整区间再筛选";

} // namespace saxolith::message
