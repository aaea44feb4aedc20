// Texts of the optimisation screen's own controls (titles, hints and button captions).
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
