// Texts of the optimisation screen: its own controls (titles, hints and button captions) and its
// status label (option checks, run outcomes and list commands).
#pragma once

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
