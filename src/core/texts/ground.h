// Texts of the ground: the capacity methods and the piling processes, the boreholes file's columns and
// its refusals, and a pile's profile's refusals.
#pragma once

#include <array>
#include <string_view>

namespace saxolith::groundText
{

// The methods as schedules, books and results name them.
inline constexpr std::string_view method8562 = "8.5.6-2";
inline constexpr std::string_view method8561 = "8.5.6-1";
inline constexpr std::string_view method539 = "5.3.9";
// The clause each method follows.
inline constexpr std::string_view clause8562 = "GB50007-2011 第 8.5.6 条 式 (8.5.6-2)";
inline constexpr std::string_view clause8561 = "GB50007-2011 第 8.5.6 条 式 (8.5.6-1)";
inline constexpr std::string_view clause539 = "JGJ 94-2008 第 5.3.9 条";

// The piling processes (成桩工艺), with the English a schedule may give instead.
inline constexpr std::string_view slurry = "泥浆护壁";
inline constexpr std::string_view dry = "干作业";
inline constexpr std::string_view grouted = "后注浆";
inline constexpr std::string_view slurryEnglish = "slurry";
inline constexpr std::string_view dryEnglish = "dry";
inline constexpr std::string_view groutedEnglish = "grouted";

// The boreholes file.
inline constexpr std::string_view emptyFile = "钻孔表是空的";
inline constexpr std::string_view noRows = "钻孔表只有列名行，没有土层";
inline constexpr std::string_view unknownColumn =
    "未知列名“{}”；可用列名：hole/钻孔、collar/孔口标高(m)、layer/层号、name/岩土名称、bottom/层底深度(m)、"
    "qsia/qsia(kPa)、qsik/qsik(kPa)、qpa/qpa(kPa)、frk/frk(MPa)、integrity/完整程度";
inline constexpr std::string_view missingColumn = "钻孔表缺少列 {}";
// "{}" the column (both its names), then the cell.
inline constexpr std::string_view notNumber = "{}“{}”不是数";
inline constexpr std::string_view negative = "{}“{}”不能为负";
inline constexpr std::string_view notPositive = "{}“{}”应大于 0";
inline constexpr std::string_view noCollar = "钻孔 {} 的第一行缺少 {}";
inline constexpr std::string_view collarDiffers = "孔口标高 {} m 与钻孔 {} 第一行（第 {} 行）的 {} m 不同";
inline constexpr std::string_view depthNotIncreasing =
    "层底深度 {} m 不大于钻孔 {} 上一层（第 {} 行）的 {} m";
inline constexpr std::string_view repeatedLayer = "钻孔 {} 已有层号 {}（第 {} 行）";
inline constexpr std::string_view badIntegrity = "完整程度“{}”应为 完整、较完整、较破碎 或 完整性指数";

// A pile's profile.
inline constexpr std::string_view missingHole = "钻孔 {} 不在钻孔表中";
inline constexpr std::string_view missingLayer = "钻孔 {} 中没有持力层 {}";
inline constexpr std::string_view topAboveCollar = "桩顶标高 {} m 高于钻孔 {} 的孔口标高 {} m";
inline constexpr std::string_view topInBearing = "桩顶标高 {} m 不在持力层 {} 的层顶（标高 {} m）之上";
inline constexpr std::string_view negativeSocket = "入岩深度 {} m 不能为负";
inline constexpr std::string_view socketPastHole =
    "入岩深度 {} m 深于钻孔 {}：持力层 {} 顶深 {} m，孔深 {} m";
inline constexpr std::string_view socketPastLayer =
    "入岩深度 {} m 超出持力层 {}：该层厚 {} m，桩端应在持力层中";
inline constexpr std::string_view noFrk = "持力层 {} 没有 frk，5.3.9 要用岩石饱和单轴抗压强度";

// A schedule row's ground cells.
inline constexpr std::string_view unknownMethod = "方法“{}”应为 8.5.6-2、8.5.6-1 或 5.3.9";
inline constexpr std::string_view unknownProcess = "成桩工艺“{}”应为 泥浆护壁、干作业 或 后注浆";
inline constexpr std::string_view noBoreholes = "没有导入钻孔表，找不到钻孔 {}";

// The results table's columns of the ground, in each language.
inline constexpr std::array<std::string_view, 11> chineseResultColumns{
    "方法",    "钻孔",    "桩长(m)", "hr(m)",    "u(m)",    "Qsk(kN)",
    "Qrk(kN)", "Quk(kN)", "ζr",      "侧阻(kN)", "端阻(kN)"};
inline constexpr std::array<std::string_view, 11> englishResultColumns{
    "method", "hole", "length_m", "hr_m", "u_m", "Qsk_kN", "Qrk_kN", "Quk_kN", "zeta_r", "side_kN", "end_kN"};

// The report: each method's clause and formulas, and the conditions the engineer confirms.
inline constexpr std::string_view basis8561 =
    "GB50007-2011 第 8.5.6 条，公式 (8.5.6-1)：R_a = q_pa·A_p + u_p·Σq_sia·l_i（嵌岩段计入持力层的 q_sia）";
inline constexpr std::string_view basis539 = "JGJ 94-2008 第 5.3.9 条：Q_uk = Q_sk + Q_rk，Q_sk = u·Σq_sik·l_i，"
                                             "Q_rk = ζ_r·f_rk·A_p；R_a = Q_uk / K，K = 2";
inline constexpr std::string_view conditions856 =
    "适用条件（请设计人确认）：桩端以下三倍桩径且不小于 5 m 范围内无软弱夹层、断裂破碎带和洞穴分布";
inline constexpr std::string_view conditions539 =
    "适用条件（请设计人确认）：桩端置于完整或较完整的基岩中";
inline constexpr std::string_view equalAreaNote = "（d 取与截面面积相等的圆的直径）";
inline constexpr std::string_view softRow = "表 5.3.9 极软岩、软岩：";
inline constexpr std::string_view hardRow = "表 5.3.9 较硬岩、坚硬岩：";
inline constexpr std::string_view betweenRows = "f_rk 介于 15 与 30 MPa 之间，按 f_rk 内插：";
inline constexpr std::string_view cleanBase = "：ζ_r 乘以 1.2";

} // namespace saxolith::groundText
