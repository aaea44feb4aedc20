#include "core/report/report_document.h"
#include "support/pile_record.h"

#include "core/text/number_text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace saxolith
{
namespace
{

using test::recordOf;

// The document's text as a reader sees it; from the first page break on (past the cover) when `piles`.
std::string documentText(const ReportDocument &document, bool piles = false)
{
    std::string text;
    bool past = !piles;
    for (const Block &block : document.blocks) {
        past = past || block.style == BlockStyle::PageBreak;
        if (!past) {
            continue;
        }
        if (block.style == BlockStyle::Table) {
            for (const auto &row : block.table.rows) {
                for (const Runs &cell : row) {
                    text += plainText(cell) + " | ";
                }
                text += '\n';
            }
        } else {
            text += plainText(block.runs) + '\n';
        }
    }
    return text;
}

struct ReportCase {
    const char *name;
    std::function<void(CalculationInput &)> edit;
    std::vector<std::string> expected; // lines of the pile's section, as a reader sees them
    std::vector<std::string> absent;
};

TEST(ReportDocument, EachPileIsWrittenSubstitutedAndEvaluated)
{
    const std::vector<ReportCase> cases{
        {"round, frk, integrity class",
         [](CalculationInput &) {},
         {"Ap = π·d²/4 = 3.14159 × 1.000² / 4 = 0.7854 m²", "ψr = 0.2000",
          "qpa = ψr·frk = 0.2000 × 35 MPa = 7000 kPa", "Ra = qpa·Ap = 7000 × 0.7854 = 5497.79 kN → 5498 kN",
          "ψr 按岩体完整程度查表：较完整，ψr 取 0.2～0.5 区间的下限",
          "岩石坚硬程度：较硬岩，岩体完整程度：较完整",
          "Rp = ψc·fc·Ap = 0.7 × 14.3 N/mm² × 0.7854 m² = 7861.84 kN",
          "γ·Ra = 1.35 × 5497.79 = 7422.01 kN ≤ Rp = 7861.84 kN，满足", "单桩竖向承载力特征值 Ra = 5498 kN",
          "ZH1 | 圆桩 | d1000 | 0.2000 | 7000 | 5498 | 5824 | 5498 | 满足 |"},
         {"不满足"}},
        {"elliptical, interpolated ψr, two decimals",
         [](CalculationInput &in) {
             in.sectionItem = 1;
             in.secondDimension = "500";
             in.integrity = "0.65";
             in.precision = 0;
         },
         {"Ap = π·d²/4 + d·c = 3.14159 × 1.000² / 4 + 1.000 × 0.500 = 1.2854 m²",
          "ψr 按岩体完整性指数 Kv 在表列值之间线性插值（本程序的取值方法，规范未作规定）",
          "ψr = ψ1 + (ψ2 − ψ1)·(Kv − Kv1)/(Kv2 − Kv1) = 0.2 + (0.5 − 0.2) × (0.65 − 0.55) / (0.75 − 0.55) = "
          "0.3500",
          "qpa = ψr·frk = 0.3500 × 35 MPa = 12250 kPa → 12250.00 kPa", "岩体完整性指数 Kv | 0.65 |"},
         {}},
        {"fractured line",
         [](CalculationInput &in) { in.integrity = "0.45"; },
         {"= 0.1 + (0.2 − 0.1) × (0.45 − 0.35) / (0.55 − 0.35) = 0.1500"},
         {}},
        {"intact by index",
         [](CalculationInput &in) { in.integrity = "0.9"; },
         {"ψr 按岩体完整性指数 Kv：岩体完整，取表列值", "ψr = 0.5000"},
         {}},
        {"rectangle, manual ψr",
         [](CalculationInput &in) {
             in.sectionItem = 2;
             in.firstDimension = "1200";
             in.secondDimension = "800";
             in.psiMode = PsiMode::Manual;
             in.manualPsi = "0.25";
         },
         {"矩形长边 a | 1200 | mm |", "矩形短边 b | 800 | mm |", "折减系数 ψr（人工指定） | 0.25 |",
          "Ap = a·b = 1.200 × 0.800 = 0.9600 m²", "ψr = 0.2500（人工指定）", "ψr 人工指定",
          "岩石坚硬程度：较硬岩"},
         {"岩体完整程度：", "ψr 按岩体"}},
        {"square, qpa given",
         [](CalculationInput &in) {
             in.sectionItem = 2;
             in.firstDimension = "800";
             in.secondDimension = "800";
             in.route = StrengthRoute::QpaGiven;
             in.qpa = "3500";
         },
         {"基桩 ZH1（方桩）", "桩端岩石承载力特征值 qpa | 3500 | kPa |", "qpa = 3500 kPa（输入值）",
          "Ap = a·b = 0.800 × 0.800 = 0.6400 m²", "Ra = qpa·Ap = 3500 × 0.6400 = 2240 kN", "| - |"},
         {"ψr =", "frk"}},
        {"hard rock: the shaft governs",
         [](CalculationInput &in) {
             in.firstDimension = "1200";
             in.route = StrengthRoute::QpaGiven;
             in.qpa = "30000";
         },
         {"Ap = π·d²/4 = 3.14159 × 1.200² / 4 = 1.1310 m²",
          "Ra = qpa·Ap = 30000 × 1.1310 = 33929.2 kN → 33929 kN",
          "γ·Ra = 1.35 × 33929.2 = 45804.42 kN > Rp = 11321.04 kN，不满足",
          "Rp/γ = 11321.04 / 1.35 = 8385.96 kN，由桩身强度控制",
          "单桩竖向承载力特征值 Ra = 8386 kN（由桩身强度控制，岩石提供 33929 kN）",
          "| 33929 | 8386 | 8386 | 不满足 |"},
         {}},
    };
    for (const ReportCase &c : cases) {
        ReportBuilder builder(ReportSettings{});
        builder.addPile(recordOf(c.edit), "ZH1");
        const std::string text = documentText(builder.finish(), true);
        for (const std::string &line : c.expected) {
            EXPECT_NE(text.find(line), std::string::npos) << c.name << ": " << line << "\n" << text;
        }
        for (const std::string &line : c.absent) {
            EXPECT_EQ(text.find(line), std::string::npos) << c.name << ": " << line;
        }
    }
}

TEST(ReportDocument, CoverCarriesTheTitleBlockAndEveryGradesStrength)
{
    for (const ConcreteGrade &grade : concreteGrades) {
        ReportSettings settings;
        settings.titleBlock = {"滨江花园", "2026-017",   "3#楼", "某设计院", "张三",   "李四",
                               "王五",     "2026-12-10", "赵六", "钱七",     "施工图", "JS-2026-031"};
        settings.pileType = "水下灌注桩";
        settings.concreteGrade = std::string(grade.name);
        settings.psiC = 0.8;
        settings.gamma = 1.3;
        ReportBuilder builder(settings);
        builder.addPile(recordOf([](CalculationInput &) {}), "A-1");
        builder.addPile(recordOf([](CalculationInput &) {}), "A_2");
        const ReportDocument document = builder.finish();
        EXPECT_EQ(document.headerLeft, "滨江花园");
        const std::string text = documentText(document);
        for (const std::string &line :
             {std::string("工程名称 | 滨江花园 |"),
              std::string("工程编号 | 2026-017 |"),
              std::string("子项/楼号 | 3#楼 |"),
              std::string("设计单位 | 某设计院 |"),
              std::string("设计 | 张三 |  | 2026-12-10 |"),
              std::string("校对 | 李四 |"),
              std::string("审核 | 王五 |"),
              std::string("基桩数量 | 2 |"),
              std::string("审定 | 赵六 |  | 2026-12-10 |"),
              std::string("专业负责人 | 钱七 |  | 2026-12-10 |"),
              std::string("设计阶段 | 施工图 |"),
              std::string("计算书编号 | JS-2026-031 |"),
              std::string("计算程序 | Saxolith 版本 ") + SAXOLITH_VERSION,
              std::string("注册工程师执业印章 |"),
              std::string("桩型与成桩工艺 | 水下灌注桩 |"),
              std::string("工作条件系数 ψc | 0.8（GB50007-2011 第 8.5.11 条"),
              std::string("水下灌注桩，工作条件系数 ψc = 0.8，γ = 1.3"),
              std::string("计算前提（请设计人确认）\n1. 按 GB50007-2011 公式 (8.5.6-2)"),
              std::string("2. 桩底无沉渣"),
              std::string("三倍桩径且不小于 5 m 范围内无软弱夹层、断裂破碎带和洞穴分布"),
              std::string("较完整取 0.2～0.5 区间的下限 0.2"),
              std::string("为本程序的取值方法，规范未作规定"),
              std::string("基桩 A_2"),
              std::string(grade.name) + "（fc = " + formatGeneral(grade.fc) + " N/mm²）"}) {
            EXPECT_NE(text.find(line), std::string::npos) << grade.name << ": " << line;
        }
    }
}

// Nothing the screen marks is lost: a pile's hint and a repeated id stand on its page and in the summary,
// and the cover counts the piles by outcome and lists the refused rows with their reasons.
TEST(ReportDocument, KeepsEveryNoteAndCountsThePilesByOutcome)
{
    const auto entry = [](std::string name, const std::function<void(CalculationInput &)> &edit) {
        CalculationInput input = defaultCalculationInput();
        edit(input);
        return BookEntry{input, std::move(name), "2026-12-10 08:00:00"};
    };
    const std::vector<BookEntry> entries{
        entry("A-1", [](CalculationInput &in) { in.frk = "20"; }),
        entry("A-2", [](CalculationInput &) {}),
        entry("A-1", [](CalculationInput &in) { in.integrity = "较破碎"; }),
        entry("", [](CalculationInput &) {}),
    };
    ReportBuilder builder(ReportSettings{});
    ASSERT_TRUE(builder.addBookEntries(entries));
    builder.addRefused({7, "B-3", "岩石单轴抗压强度值有错"});
    builder.addRefused({9, "", "缺少 d/d(mm)"});
    const std::string text = documentText(builder.finish());
    for (const std::string line : {
             "基桩 A-1（圆桩）\n提示 ： 不适用于软质岩\n",
             "基桩 A-1（圆桩）\n提示：桩号重复（第 1 根桩已有）；提示 ： 不适用于较破碎岩体\n",
             "| 满足 | 提示 ： 不适用于软质岩 |",
             "| 提示：桩号重复（第 1 根桩已有）；提示 ： 不适用于较破碎岩体 |",
             "完成 | 提示 | 错误（未计算） | 合计 | \n2 | 2 | 2 | 6 | ",
             "桩表行号 | 桩号 | 未计算的原因 | \n7 | B-3 | 岩石单轴抗压强度值有错 | \n9 |  | 缺少 d/d(mm) | ",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    EXPECT_EQ(text.find("基桩 A-2（圆桩）\n提示"), std::string::npos) << "a pile without a note has none";

    // Notes a schedule gave stand instead of the report's own finding; nothing refused, no list.
    ReportBuilder fromSchedule(ReportSettings{});
    const std::vector<std::string> notes{"桩号重复（第 2 行已有）", "", "", ""};
    ASSERT_TRUE(fromSchedule.addBookEntries(entries, {}, &notes));
    const std::string scheduled = documentText(fromSchedule.finish());
    EXPECT_NE(scheduled.find("基桩 A-1（圆桩）\n提示：桩号重复（第 2 行已有）\n"), std::string::npos)
        << scheduled;
    EXPECT_NE(scheduled.find("\n3 | 1 | 0 | 4 | "), std::string::npos) << scheduled;
    EXPECT_EQ(scheduled.find("未计算的桩"), std::string::npos);
}

TEST(ReportDocument, MarkupLowersOnlyTheProgramsOwnMarks)
{
    const Runs runs = markup("R_a = q_pa·A_p");
    ASSERT_EQ(runs.size(), 6U);
    EXPECT_EQ(runs[1], (saxolith::Run{"a", true, false}));
    EXPECT_EQ(runs[3], (saxolith::Run{"pa", true, false}));
    EXPECT_EQ(plainText(runs), "Ra = qpa·Ap");
    EXPECT_EQ(verbatim("A_2").size(), 1U);
    EXPECT_EQ(plainText(markup("a_ b_")), "a_ b_");
}

TEST(ReportDocument, RefusedSettingsAreNamed)
{
    ReportSettings settings;
    EXPECT_FALSE(reportSettingsProblem(settings));
    settings.concreteGrade = "C65";
    EXPECT_EQ(reportSettingsProblem(settings).value_or(""),
              "混凝土强度等级只能是 C25、C30、C35、C40、C45、C50、C55 或 C60：C65");
    settings.concreteGrade = "C40";
    settings.psiC = 0.9;
    EXPECT_NE(reportSettingsProblem(settings).value_or("").find("ψc"), std::string::npos);
    settings.psiC = 0.6;
    settings.gamma = 0.0;
    EXPECT_NE(reportSettingsProblem(settings).value_or("").find("γ"), std::string::npos);
}

} // namespace
} // namespace saxolith
