// Texts of the input screen: its controls and its status line (its colours are texts/colours.h).
#pragma once

#include "core/texts/colours.h"

#include <array>
#include <string_view>

namespace saxolith
{

namespace message
{
// Errors of the input fields.
inline constexpr std::string_view diameterError = "桩身直径数据有错";
inline constexpr std::string_view segmentError = "椭圆直段长度数据有错";
inline constexpr std::string_view longSideError = "矩形长边尺寸数据有错";
inline constexpr std::string_view shortSideError = "矩形短边尺寸数据有错";
inline constexpr std::string_view qpaError = "桩端岩石承载力特征值有错";
inline constexpr std::string_view frkError = "岩石单轴抗压强度值有错";
inline constexpr std::string_view indexErrorSuffix = "岩体完整性指数有错"; // after the hardness class and ","
inline constexpr std::string_view brokenRockError = "破碎、极破碎岩体不适用嵌岩桩";
inline constexpr std::string_view psiError = "折减系数有错";
inline constexpr std::string_view overflowError = "计算结果溢出，请检查输入数据";

// Hints while the checks run.
inline constexpr std::string_view softRockHint = "提示：不适用于软质岩";
inline constexpr std::string_view fracturedHint = "提示：不适用于较破碎岩体";
inline constexpr std::string_view manualPsiHint = "提示：请注意折减系数的合理性";

// Summary hints after the checks (blanks around the full-width colon).
inline constexpr std::string_view softRockSummary = "提示 ： 不适用于软质岩";
inline constexpr std::string_view fracturedSummary = "提示 ： 不适用于较破碎岩体";
inline constexpr std::string_view softFracturedSummary = "提示 ： 不适用于软质岩、较破碎岩体";

// Joins the hardness class and the integrity class in the information line: "较硬岩,岩体较完整".
inline constexpr std::string_view rockMassJoin = ",岩体";
inline constexpr std::string_view classJoin = ",";

// Written into the optimisation screen's status by every input error.
inline constexpr std::string_view runAborted = "运行中止，主界面可查看中止位置、原因";

// The standard conversion error box; "{}" is the text.
inline constexpr std::string_view notAFloat = "'{}' is not a valid floating point value";
inline constexpr std::string_view notAnInteger = "'{}' is not a valid integer value";
} // namespace message

// Texts of the input screen's controls.
namespace inputText
{
inline constexpr std::string_view title = "Saxolith";
inline constexpr std::string_view copyRight = "©";
inline constexpr std::string_view copyRightHint = "版权信息";

inline constexpr std::string_view pileGroup = "基桩参数";
inline constexpr std::string_view sectionLabel = "桩身截面类型";
inline constexpr std::string_view diameterLabel = "桩  身   直   径 d (mm)";
inline constexpr std::string_view segmentLabel = "椭圆直段长度 c (mm)";
inline constexpr std::string_view longSideLabel = "矩形长边尺寸 a (mm)";
inline constexpr std::string_view shortSideLabel = "矩形短边尺寸 b (mm)";

inline constexpr std::string_view rockGroup = "基岩参数";
inline constexpr std::string_view qpaRoute = "桩端岩石承载力特征值  qpa (kPa)";
inline constexpr std::string_view frkRoute = "岩石单轴抗压强度标准值frk(MPa)";
inline constexpr std::string_view psiColumn = "折减系数";
inline constexpr std::string_view automaticPsi = "自动插值(根据岩体完整程度或完整性指数对经验系数插值)";
inline constexpr std::string_view manualPsi = "人工输入";

inline constexpr std::string_view resultGroup = "计算结果";
inline constexpr std::string_view psiResult = "推算承载力特征值折减系数ψr";
inline constexpr std::string_view qpaResult = "岩石承载力特征值   qpa (kPa)";
inline constexpr std::string_view raResult = "单桩竖向承载力特征值Ra(kN)";
inline constexpr std::string_view standard = "《建筑地基基础设计规范》(GB50007-2011)";
inline constexpr std::string_view clause = "单桩竖向承载力计算依据: 公式 8.5.6-2";
inline constexpr std::string_view precision = "≈";
inline constexpr std::string_view precisionHint = "调整精度";

inline constexpr std::string_view compute = "计算";
inline constexpr std::string_view view = "结果";
inline constexpr std::string_view optimise = "★";
inline constexpr std::string_view optimiseHint = "筛选优化";
inline constexpr std::string_view exit = "退出";

inline constexpr std::string_view qpaStart = "3500";
inline constexpr std::string_view frkStart = "35";

// Notes shown when the integrity list names a class.
inline constexpr std::string_view intactNote = "完整岩体，折减系数可取0.5";
inline constexpr std::string_view fairlyIntactNote = "较完整岩体，折减系数可取0.2～0.5";
inline constexpr std::string_view fracturedNote = "较破碎岩体，折减系数可取0.1～0.2";

inline constexpr std::array<std::string_view, 5> precisionItems = {"两位小数", "一位小数", "个位取整",
                                                                   "十位取整", "百位取整"};
inline constexpr std::array<std::string_view, 11> dimensionItems = {
    "1000", "1100", "1200", "1300", "1400", "1500", "1600", "1700", "1800", "1900", "2000"};
inline constexpr std::array<std::string_view, 12> roundSecondItems = {
    "0", "1000", "1100", "1200", "1300", "1400", "1500", "1600", "1700", "1800", "1900", "2000"};
inline constexpr std::array<std::string_view, 12> segmentItems = {
    "100", "200", "300", "400", "500", "600", "700", "800", "900", "1000", "1100", "1200"};
inline constexpr std::array<std::string_view, 6> indexItems = {"0.80", "0.75", "0.70",
                                                               "0.65", "0.60", "0.55"};
inline constexpr std::array<std::string_view, 7> manualPsiItems = {"0.20", "0.25", "0.30", "0.35",
                                                                   "0.40", "0.45", "0.50"};
} // namespace inputText

} // namespace saxolith
