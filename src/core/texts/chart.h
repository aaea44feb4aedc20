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
inline constexpr std::string_view envelopeStepSuffix = " 上包络线（阶梯，岩石不同）";
inline constexpr std::string_view band = "筛选范围 Ra";
inline constexpr std::string_view titleFull = "全部候选桩：";
inline constexpr std::string_view titleFiltered = "筛选后的候选桩：";
inline constexpr std::string_view countSuffix = " 个";
inline constexpr std::string_view hoverHint = "指向一点看它的行，单击在列表中选中，双击取回输入界面";
inline constexpr std::string_view imageFilters = "PNG 图片 (*.png);;SVG 图片 (*.svg)";
inline constexpr std::string_view imageSaved = "图片已保存：";
inline constexpr std::string_view imageNotSaved = "图片未能保存：";
inline constexpr std::string_view unknownImageType = "文件名须以 .png 或 .svg 结尾";
inline constexpr std::string_view imageSizeTitle = "图片大小";
inline constexpr std::string_view sizePreset = "预设";
inline constexpr std::string_view sizeOfWindow = "与窗口相同";
inline constexpr std::string_view a4Width150 = "A4 宽度，150 dpi";
inline constexpr std::string_view a4Width300 = "A4 宽度，300 dpi";
inline constexpr std::string_view imageWidth = "宽";
inline constexpr std::string_view imageHeight = "高";
inline constexpr std::string_view resolution = "分辨率";
inline constexpr std::string_view pixelSize = "像素";
inline constexpr std::string_view millimetres = " mm";
inline constexpr std::string_view dotsPerInch = " dpi";
inline constexpr std::string_view tooManyPixels = "（超出范围：宽、高 40–600 mm，72–300 dpi，每边至多 3508 像素）";
inline constexpr std::string_view integrityIndex = "完整性指数 ";
inline constexpr std::string_view separator = "，";

} // namespace saxolith::chartText
