// Texts of the calculation report (cover, pile sections, summary) and of its dialog and command.
//
// Texts the program composes mark subscripts with an underscore: "R_a" is R with a lowered a, "f_rk" is f
// with a lowered rk (the letters and digits after the underscore).
#pragma once

#include <array>
#include <string_view>

namespace saxolith::reportText
{

inline constexpr std::string_view reportTitle = "嵌岩桩竖向承载力计算书";
inline constexpr std::string_view basisSubtitle = "依据《建筑地基基础设计规范》GB50007-2011";

// The title block, in the order the cover and the dialog show it.
inline constexpr std::string_view projectName = "工程名称";
inline constexpr std::string_view projectNumber = "工程编号";
inline constexpr std::string_view subItem = "子项/楼号";
inline constexpr std::string_view designUnit = "设计单位";
inline constexpr std::string_view designer = "设计";
inline constexpr std::string_view checker = "校对";
inline constexpr std::string_view reviewer = "审核";
inline constexpr std::string_view approver = "审定";
inline constexpr std::string_view lead = "专业负责人";
inline constexpr std::string_view stage = "设计阶段";
inline constexpr std::string_view reportNumber = "计算书编号";
inline constexpr std::string_view date = "日期";
// The design stages a report is made at, the first the default.
inline constexpr std::array<std::string_view, 3> stages{"施工图", "初步设计", "方案"};
// The registered engineer's stamp: a box left empty for it.
inline constexpr std::string_view stamp = "注册工程师执业印章";
inline constexpr std::string_view program = "计算程序";
inline constexpr std::string_view versionWord = " 版本 ";
inline constexpr std::string_view signature = "签名";
inline constexpr std::string_view duty = "职责";
inline constexpr std::string_view name = "姓名";

inline constexpr std::string_view concreteGrade = "混凝土强度等级";
inline constexpr std::string_view psiC = "工作条件系数 ψ_c";
inline constexpr std::string_view pileType = "桩型与成桩工艺";
// The pile types ψc may rest on, the first the default; a type may also be typed.
inline constexpr std::array<std::string_view, 3> pileTypes{"灌注桩", "水下灌注桩", "干作业灌注桩"};
inline constexpr std::string_view psiCBasis =
    "（GB50007-2011 第 8.5.11 条：灌注桩取 0.6～0.8，水下灌注桩、长桩取低值）";
inline constexpr std::string_view gamma = "基本组合与标准组合之比 γ";
inline constexpr std::string_view fc = "轴心抗压强度设计值 f_c";
inline constexpr std::string_view pileCount = "基桩数量";
inline constexpr std::string_view parametersHead = "计算参数";
inline constexpr std::string_view basisItem = "计算依据";
inline constexpr std::string_view basisCodes = "GB50007-2011 第 8.5.6、8.5.11 条；GB50010-2010 表 4.1.4-1";

// What every pile's figures rest on, for the engineer to confirm.
inline constexpr std::string_view premisesHead = "计算前提（请设计人确认）";
inline constexpr std::array<std::string_view, 6> premises{
    "1. 按 GB50007-2011 公式 (8.5.6-2) R_a = q_pa·A_p "
    "只计桩端阻力，其适用条件为：桩端嵌入完整或较完整的硬质岩中，"
    "桩长较短且入岩较浅；",
    "2. 桩底无沉渣；",
    "3. 桩端以下三倍桩径且不小于 5 m 范围内无软弱夹层、断裂破碎带和洞穴分布；",
    "4. q_pa 为输入值时，取岩基载荷试验或地质勘察报告的桩端岩石承载力特征值；由 f_rk 计算时按 GB50007-2011 "
    "第 5.2.6 条 q_pa = ψ_r·f_rk，ψ_r 按岩体完整程度取值：完整取 0.5，较完整取 0.2～0.5 区间的下限 0.2，"
    "较破碎取 0.1～0.2 区间的下限 0.1；",
    "5. 按岩体完整性指数 K_v 取 ψ_r 时，在上述表列值之间线性插值，为本程序的取值方法，规范未作规定；",
    "6. 桩身强度按 GB50007-2011 第 8.5.11 条验算，工作条件系数 ψ_c 依桩型与成桩工艺取值，γ 为作用的基本组合与"
    "标准组合之比。"};

// A pile's section.
inline constexpr std::string_view pileTitlePrefix = "基桩 ";
inline constexpr std::string_view inputsHead = "1  输入数据";
inline constexpr std::string_view basisHead = "2  计算依据";
inline constexpr std::string_view capacityHead = "3  承载力计算";
inline constexpr std::string_view shaftHead = "4  桩身强度验算";
inline constexpr std::string_view conclusionHead = "5  结论";
inline constexpr std::array<std::string_view, 3> inputColumns{"项目", "数值", "单位"};

inline constexpr std::string_view sectionType = "桩身截面类型";
inline constexpr std::string_view diameter = "桩身直径 d";
inline constexpr std::string_view segment = "椭圆直段长度 c";
inline constexpr std::string_view longSide = "矩形长边 a";
inline constexpr std::string_view shortSide = "矩形短边 b";
inline constexpr std::string_view qpaGiven = "桩端岩石承载力特征值 q_pa";
inline constexpr std::string_view frkGiven = "岩石饱和单轴抗压强度标准值 f_rk";
inline constexpr std::string_view manualPsi = "折减系数 ψ_r（人工指定）";
inline constexpr std::string_view integrityClass = "岩体完整程度";
inline constexpr std::string_view integrityIndex = "岩体完整性指数 K_v";
inline constexpr std::string_view hardness = "岩石坚硬程度";
inline constexpr std::string_view precision = "结果精度";

inline constexpr std::string_view basisRa = "GB50007-2011 第 8.5.6 条，公式 (8.5.6-2)：R_a = q_pa·A_p";
inline constexpr std::string_view basisQpaGiven = "q_pa 为输入的桩端岩石承载力特征值";
inline constexpr std::string_view basisQpa = "GB50007-2011 第 5.2.6 条：q_pa = ψ_r·f_rk";
inline constexpr std::string_view basisPsiManual = "ψ_r 人工指定";
inline constexpr std::string_view basisPsiClass = "ψ_r 按岩体完整程度查表：";
// After the class where the code gives a range: which end of it the program takes.
inline constexpr std::string_view basisPsiLower = "，ψ_r 取 {} 区间的下限";
inline constexpr std::string_view basisPsiIndex =
    "ψ_r 按岩体完整性指数 K_v 在表列值之间线性插值（本程序的取值方法，规范未作规定）";
inline constexpr std::string_view basisPsiIntact = "ψ_r 按岩体完整性指数 K_v：岩体完整，取表列值";
inline constexpr std::string_view basisShaft =
    "GB50007-2011 第 8.5.11 条：Q ≤ ψ_c·f_c·A_p，ψ_c 为工作条件系数；f_c 按 GB50010-2010 表 4.1.4-1";

inline constexpr std::string_view areaRound = "A_p = π·d²/4";
inline constexpr std::string_view areaElliptical = "A_p = π·d²/4 + d·c";
inline constexpr std::string_view areaSides = "A_p = a·b";
inline constexpr std::string_view psiEquals = "ψ_r = ";
inline constexpr std::string_view psiLine = "ψ_r = ψ_1 + (ψ_2 − ψ_1)·(K_v − K_v1)/(K_v2 − K_v1)";
inline constexpr std::string_view qpaFormula = "q_pa = ψ_r·f_rk";
inline constexpr std::string_view qpaEquals = "q_pa = ";
inline constexpr std::string_view raFormula = "R_a = q_pa·A_p";
inline constexpr std::string_view rpFormula = "R_p = ψ_c·f_c·A_p";
inline constexpr std::string_view loadFormula = "γ·R_a";
inline constexpr std::string_view rpAgainst = "R_p = ";
inline constexpr std::string_view limitFormula = "R_p/γ";
inline constexpr std::string_view manualNote = "（人工指定）";
inline constexpr std::string_view givenNote = "（输入值）";
inline constexpr std::string_view shaftGoverns = "，由桩身强度控制";
inline constexpr std::string_view conclusionRa = "单桩竖向承载力特征值 R_a = ";
inline constexpr std::string_view conclusionShaft = "（由桩身强度控制，岩石提供 ";
inline constexpr std::string_view conclusionClose = "）";
inline constexpr std::string_view listSeparator = "，";

// A pile's note (a hint, a repeated id, …), on its page and in the summary; a note that does not open with
// the word is given it.
inline constexpr std::string_view hintWord = "提示";
inline constexpr std::string_view hintLabel = "提示：";
// An entry of the book under the id of an earlier one: "{}" is that one's number in the report.
inline constexpr std::string_view repeatedPile = "桩号重复（第 {} 根桩已有）";

// The cover's count of the piles by outcome, and the schedule's rows that were not calculated.
inline constexpr std::string_view outcomesHead = "计算结果统计";
inline constexpr std::array<std::string_view, 4> outcomeColumns{"完成", "提示", "错误（未计算）", "合计"};
inline constexpr std::string_view refusedHead = "未计算的桩";
inline constexpr std::array<std::string_view, 3> refusedColumns{"桩表行号", "桩号", "未计算的原因"};

// The summary of all piles.
inline constexpr std::string_view summaryHead = "基桩承载力汇总";
inline constexpr std::array<std::string_view, 10> summaryColumns{
    "桩号", "截面", "尺寸(mm)", "ψ_r", "q_pa(kPa)", "R_a(kN)", "R_p/γ(kN)", "采用值(kN)", "桩身强度", "提示"};
inline constexpr std::string_view dash = "-";
inline constexpr std::string_view times = " × ";

// Units.
inline constexpr std::string_view mm = "mm";
inline constexpr std::string_view mpa = "MPa";
inline constexpr std::string_view kpa = "kPa";
inline constexpr std::string_view kn = "kN";
inline constexpr std::string_view m2 = "m²";
inline constexpr std::string_view fcUnit = "N/mm²";

// The dialog and the command that opens it.
inline constexpr std::string_view command = "报告…";
inline constexpr std::string_view commandHint = "计算报告";
inline constexpr std::string_view dialogTitle = "计算报告";
inline constexpr std::string_view exportPdf = "导出 PDF";
inline constexpr std::string_view exportWord = "导出 Word";
inline constexpr std::string_view print = "打印";
inline constexpr std::string_view close = "关闭";
inline constexpr std::string_view wordFilter = "Word 文档 (*.docx)";
inline constexpr std::string_view working = "正在生成计算报告…";
inline constexpr std::string_view bilingual = "中英对照（各标题下附英文）";

// Refused settings.
inline constexpr std::string_view unknownGrade =
    "混凝土强度等级只能是 C25、C30、C35、C40、C45、C50、C55 或 C60：";
inline constexpr std::string_view psiCRange = "工作条件系数 ψc 应在 0.6 到 0.8 之间：";
inline constexpr std::string_view gammaRange = "γ 应为 1 到 2 之间的数：";

} // namespace saxolith::reportText
