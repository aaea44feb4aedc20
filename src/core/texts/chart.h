// Texts of the candidate chart window.
#pragma once

#include <string_view>

namespace saxolith::chartText
{

inline constexpr std::string_view windowTitle = "候选桩图表";
inline constexpr std::string_view menuEntry = "图表…";
inline constexpr std::string_view exportImage = "导出图片…";
inline constexpr std::string_view xByDimension = "x：桩径 d / 边长 a";
inline constexpr std::string_view xByArea = "x：截面面积 Ap";
inline constexpr std::string_view axisDimension = "桩径 d / 边长 a (mm)";
inline constexpr std::string_view axisArea = "截面面积 Ap (m²)";
inline constexpr std::string_view axisRa = "单桩竖向承载力特征值 Ra (kN)";
inline constexpr std::string_view envelopeSuffix = " 上包络线";
inline constexpr std::string_view band = "筛选范围 Ra";
inline constexpr std::string_view titleFull = "全部候选桩：";
inline constexpr std::string_view titleFiltered = "筛选后的候选桩：";
inline constexpr std::string_view countSuffix = " 个";
inline constexpr std::string_view hoverHint = "指向一点看它的行，单击在列表中选中，双击取回输入界面";
inline constexpr std::string_view imageFilters = "PNG 图片 (*.png);;SVG 图片 (*.svg)";
inline constexpr std::string_view imageSaved = "图片已保存：";
inline constexpr std::string_view imageNotSaved = "图片未能保存：";
inline constexpr std::string_view unknownImageType = "文件名须以 .png 或 .svg 结尾";
inline constexpr std::string_view integrityIndex = "完整性指数 ";
inline constexpr std::string_view separator = "，";

} // namespace saxolith::chartText
