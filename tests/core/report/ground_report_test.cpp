// The report of a pile of 8.5.6-1 or 5.3.9: its clause, conditions and formulas, each substituted with the
// values the program carried on.
#include "core/book/calculation_book.h"
#include "core/ground/boreholes.h"
#include "core/report/report_document.h"
#include "core/schedule/schedule_run.h"

#include "core/ground/ground_fixture.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

std::string reportText(const std::string &schedule)
{
    static const Boreholes boreholes = readBoreholes(test::boreholesCsv).boreholes;
    const ScheduleReading reading = readSchedule(schedule);
    CalculationBook book;
    calculateSchedule(reading.rows, book, "t", {}, "UTF-8", &boreholes);
    ReportBuilder builder{ReportSettings{}};
    builder.addBookEntries(book.entries());
    std::string text;
    for (const Block &block : builder.finish().blocks) {
        text += plainText(block.runs);
        text += '\n';
    }
    return text;
}

TEST(GroundReport, EachMethodsFormulasSubstituted)
{
    const std::string header = "桩号,方法,截面类型,d,c,精度,钻孔,桩顶标高(m),持力层,入岩深度(m),成桩工艺\n";
    const std::string socketed = reportText(header + "P1,5.3.9,圆桩,1000,,两位小数,ZK1,8.5,④,2.5,后注浆\n");
    for (const char *line : {
             "JGJ 94-2008 第 5.3.9 条",
             "适用条件（请设计人确认）：桩端置于完整或较完整的基岩中",
             "Qsk = u·Σqsik·li = 3.1416 × (1.5×18 + 6.5×62 + 4.5×140) = 3330.09 kN\n",
             "hr / d = 2.5 / 1.0000 = 2.5000\n",
             "表 5.3.9 极软岩、软岩：ζr = 1.2650\n",
             "表 5.3.9 较硬岩、坚硬岩：ζr = 0.9500\n",
             "ζr = 1.2650 + (0.9500 − 1.2650) × (20 − 15) / 15 = 1.1600\n",
             "后注浆：ζr 乘以 1.2：ζr = 1.2 × 1.1600 = 1.3920\n",
             // 1.392 × 20000 × π/4 = 21865.48; (3330.09 + 21865.48) / 2
             "Qrk = ζr·frk·Ap = 1.3920 × 20000 × 0.7854 = 21865.48 kN\n",
             "Quk = Qsk + Qrk = 3330.09 + 21865.48 = 25195.57 kN\n",
             "Ra = Quk / K = 25195.57 / 2 = 12597.79 kN\n",
         }) {
        EXPECT_NE(socketed.find(line), std::string::npos) << line << "\n" << socketed;
    }
    // The pile's own section (the cover's premises are the whole report's) takes nothing of
    // 8.5.6-2's formula or of qpa.
    const std::string pile = socketed.substr(socketed.find("基桩 P1"));
    EXPECT_EQ(pile.find("(8.5.6-2)"), std::string::npos);
    EXPECT_EQ(pile.find("qpa = ψr·frk"), std::string::npos);

    const std::string side = reportText(header + "P2,8.5.6-1,椭圆桩,1000,500,两位小数,ZK1,8.5,④,2.5,\n");
    for (const char *line : {
             "适用条件（请设计人确认）：桩端以下三倍桩径且不小于 5 m 范围内无软弱夹层、断裂破碎带和洞穴分布",
             "Ra = qpa·Ap + up·Σqsia·li = 3000 × 1.2854 + 4.1416 × (1.5×9 + 6.5×31 + 4.5×70 + 2.5×100) = 3856.19 + "
             "3230.44 = 7086.64 kN\n",
         }) {
        EXPECT_NE(side.find(line), std::string::npos) << line << "\n" << side;
    }
}

} // namespace
} // namespace saxolith
