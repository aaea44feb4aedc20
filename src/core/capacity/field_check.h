// The live checks of the input screen's fields, and the texts its controls are built with.
#pragma once

#include "capacity/calculation.h"
#include "texts/input.h"

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace saxolith
{

enum class CheckKind {
    Accepted,  // status text emptied, field black
    Note,      // black status text, field colour untouched
    Hint,      // magenta status and field
    Error,     // red status and field
    Unchanged, // nothing to say: the status line keeps what it showed
};

struct FieldCheck {
    CheckKind kind = CheckKind::Unchanged;
    std::string_view text;
    std::optional<Argb> statusColour; // empty: the status colour stays as it is
    std::optional<Argb> fieldColour;  // empty: the field colour stays as it is
};

// What the screen says about one field's new text. The numeric fields read their text strictly
// (anything that is not wholly a number is the field's error); the integrity field gives the
// note of the class it names and nothing for an index.
FieldCheck checkField(InputField field, std::string_view text);

// What the section type switch does to the second dimension field.
struct SectionLayout {
    std::string_view firstLabel;
    std::string_view secondLabel;
    bool secondEnabled = false;
    std::span<const std::string_view> secondItems; // empty: the list is kept
    std::string_view secondValue;
};
// Layout for an item of the section list; nothing for an item outside it.
std::optional<SectionLayout> sectionLayout(int item);

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
