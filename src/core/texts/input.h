// Texts and colours of the input screen's status line, shared by the calculate command and the live checks.
#pragma once

#include <cstdint>
#include <string_view>

namespace saxolith
{

using Argb = std::uint32_t;

namespace colour
{
inline constexpr Argb red = 0xFFFF0000;
inline constexpr Argb magenta = 0xFFFF00FF;
inline constexpr Argb black = 0xFF000000;
inline constexpr Argb green = 0xFF008000;
} // namespace colour

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

// The standard conversion error box; %s is replaced by the text.
inline constexpr std::string_view notAFloat = "'%s' is not a valid floating point value";
inline constexpr std::string_view notAnInteger = "'%s' is not a valid integer value";
} // namespace message

} // namespace saxolith
