// Schedules with ground columns: each method calculated on its hole as the hand formulas give it, the
// rock a row lacks taken from its bearing layer, the rows that do not fit their ground refused, and the
// results' columns of the ground.
#include "core/book/calculation_book.h"
#include "core/ground/boreholes.h"
#include "core/schedule/ground_row.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_run.h"

#include "core/ground/ground_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace saxolith
{
namespace
{

const Boreholes &site()
{
    static const Boreholes boreholes = readBoreholes(test::boreholesCsv).boreholes;
    return boreholes;
}

struct Calculated {
    std::vector<ScheduleRow> rows;
    ScheduleResult result;
};

Calculated calculated(const std::string &schedule, const Boreholes *boreholes = &site())
{
    ScheduleReading reading = readSchedule(schedule);
    EXPECT_FALSE(reading.error) << reading.error->text;
    EXPECT_TRUE(reading.groundColumns);
    CalculationBook book;
    ScheduleResult result = calculateSchedule(reading.rows, book, "t", {}, "UTF-8", boreholes);
    return {std::move(reading.rows), std::move(result)};
}

const std::string header =
    "桩号,方法,截面类型,d,c,frk,完整程度,qpa,精度,钻孔,桩顶标高(m),持力层,入岩深度(m),成桩工艺\n";

// ZK1 topped at 8.50 passes 1.5 m, 6.5 m and 4.5 m (qsia 9, 31, 70; qsik 18, 62, 140) to the rock ④ at
// 14.0 m (qsia 100, qpa 3000, frk 20 MPa, 较完整); the hand values are those of the capacity tests.
TEST(GroundSchedule, EachMethodOnItsHoleAsTheHandFormulas)
{
    const Calculated c = calculated(header + "P1,5.3.9,圆桩,1000,,,,,两位小数,ZK1,8.5,④,2.5,\n"
                                             "P2,8.5.6-1,圆桩,1000,,,,,两位小数,ZK1,8.5,④,2.5,\n"
                                             "P3,8.5.6-1,椭圆桩,1000,500,,,,两位小数,ZK1,8.5,④,2.5,\n"
                                             "P4,5.3.9,矩形桩,1200,800,40,完整,,两位小数,ZK1,8.5,④,6,后注浆\n"
                                             "P5,5.3.9,方桩,1000,,10,较完整,,两位小数,ZK1,8.5,④,1.0,干作业\n"
                                             "P6,,圆桩,1000,,,,3000,两位小数,,,,,\n"
                                             "P7,8.5.6-2,圆桩,1000,,,,,两位小数,ZK1,8.5,④,0.5,\n");
    struct Expected {
        const char *ra;
        std::array<const char *, 11> ground;
    };
    const Expected expected[] = {
        // (π × 1060 + 1.16 × 20000 × π/4) / 2
        {"10775.66",
         {"5.3.9", "ZK1", "15.00", "2.50", "3.1416", "3330.09", "18221.24", "21551.33", "1.1600", "", ""}},
        // π/4 × 3000 + π × (530 + 2.5 × 100): the layer's qpa
        {"4806.64", {"8.5.6-1", "ZK1", "15.00", "2.50", "3.1416", "", "", "", "", "2450.44", "2356.19"}},
        {"7086.64", {"8.5.6-1", "ZK1", "15.00", "2.50", "4.1416", "", "", "", "", "3230.44", "3856.19"}},
        // the row's own frk: (4 × 1060 + 1.248 × 40000 × 0.96) / 2
        {"26081.60",
         {"5.3.9", "ZK1", "18.50", "6.00", "4.0000", "4240.00", "47923.20", "52163.20", "1.2480", "", ""}},
        {"7615.21",
         {"5.3.9", "ZK1", "13.50", "1.00", "4.0000", "4240.00", "10990.42", "15230.42", "1.0990", "", ""}},
        // No ground: today's calculation, its method named.
        {"2356.19", {"8.5.6-2", "", "", "", "", "", "", "", "", "", ""}},
        // Located, end resistance alone: today's Ra to the bit, its length shown.
        {"2356.19", {"8.5.6-2", "ZK1", "13.00", "0.50", "3.1416", "", "", "", "", "", ""}},
    };
    ASSERT_EQ(c.result.rows.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const RowResult &row = c.result.rows[i];
        SCOPED_TRACE(row.pileName);
        ASSERT_NE(row.end, RowEnd::Refused) << row.note;
        EXPECT_EQ(row.raText, expected[i].ra);
        const GroundResultsCells cells = groundResultsCells(row.method, row.ground.get());
        for (std::size_t k = 0; k < cells.size(); ++k) {
            EXPECT_EQ(cells[k], expected[i].ground[k]) << k;
        }
    }
    // 5.3.9 takes neither ψr nor qpa.
    EXPECT_EQ(c.result.rows[0].qpaText, "-");
    EXPECT_EQ(c.result.rows[1].qpaText, "3000.00");

    std::ostringstream csv;
    writeResultsCsv(csv, c.rows, c.result);
    const std::string text = csv.str();
    EXPECT_NE(text.find(",方法,钻孔,桩长(m),hr(m),u(m),Qsk(kN),Qrk(kN),Quk(kN),ζr,侧阻(kN),端阻(kN)\r\n"),
              std::string::npos);
    EXPECT_NE(text.find(",5.3.9,ZK1,15.00,2.50,3.1416,3330.09,18221.24,21551.33,1.1600,,\r\n"),
              std::string::npos);
}

TEST(GroundSchedule, RowsThatDoNotFitTheirGroundAreRefusedAlone)
{
    struct Case {
        const char *row;
        const char *note;
    };
    const Case cases[] = {
        {"Q,5.3.9,圆桩,1000,,,,,,ZK9,8.5,④,2.5,", "钻孔 ZK9 不在钻孔表中"},
        {"Q,5.3.9,圆桩,1000,,,,,,ZK1,8.5,⑤,2.5,", "钻孔 ZK1 中没有持力层 ⑤"},
        {"Q,5.3.9,圆桩,1000,,,,,,ZK1,8.5,④,17,", "入岩深度 17 m 深于钻孔 ZK1：持力层 ④ 顶深 14 m，孔深 30 m"},
        {"Q,5.3.9,圆桩,1000,,,,,,ZK1,8.5,③,5,", "入岩深度 5 m 超出持力层 ③：该层厚 4.5 m，桩端应在持力层中"},
        {"Q,5.3.9,圆桩,1000,,,,,,,,,,", "缺少 hole/钻孔"},
        {"Q,8.5.6-3,圆桩,1000,,,,3000,,,,,,", "方法“8.5.6-3”应为 8.5.6-2、8.5.6-1 或 5.3.9"},
        {"Q,5.3.9,圆桩,1000,,,,,,ZK1,八,④,2,", "top/桩顶标高(m)“八”不是数"},
        {"Q,5.3.9,圆桩,1000,,,,,,ZK1,8.5,④,2,旋挖", "成桩工艺“旋挖”应为 泥浆护壁、干作业 或 后注浆"},
        // qpa given and a bearing layer without frk: 5.3.9 has no rock.
        {"Q,5.3.9,圆桩,1000,,,,3000,,ZK1,8.5,③,2,", "持力层 ③ 没有 frk，5.3.9 要用岩石饱和单轴抗压强度"},
    };
    for (const Case &c : cases) {
        const Calculated got = calculated(header + c.row + "\nOK,5.3.9,圆桩,1000,,,,,,ZK1,8.5,④,2.5,\n");
        ASSERT_EQ(got.result.rows.size(), 2u);
        EXPECT_EQ(got.result.rows[0].end, RowEnd::Refused) << c.row;
        EXPECT_EQ(got.result.rows[0].note, c.note);
        EXPECT_NE(got.result.rows[1].end, RowEnd::Refused) << got.result.rows[1].note;
    }
    const Calculated none = calculated(header + "Q,5.3.9,圆桩,1000,,,,,,ZK1,8.5,④,2.5,\n", nullptr);
    EXPECT_EQ(none.result.rows[0].note, "没有导入钻孔表，找不到钻孔 ZK1");
}

TEST(GroundSchedule, GroundColumnsAreReadInEitherLanguage)
{
    const ScheduleReading reading = readSchedule(
        "id,section,d,qpa,Method,hole,top,bearing,socket,process\nA,圆桩,800,3000,5.3.9,ZK1,8.5,④,1,dry\n");
    ASSERT_FALSE(reading.error) << reading.error->text;
    ASSERT_EQ(reading.rows.size(), 1u);
    EXPECT_EQ(reading.rows[0].groundCell(GroundColumn::Method), "5.3.9");
    EXPECT_EQ(reading.rows[0].groundCell(GroundColumn::Process), "dry");
    EXPECT_EQ(reading.rows[0].groundCell(GroundColumn::Socket), "1");
    const ScheduleReading twice = readSchedule("桩号,钻孔,hole\nA,ZK1,ZK1\n");
    ASSERT_TRUE(twice.error);
    EXPECT_EQ(twice.error->text, "列“hole”出现了两次");
    EXPECT_FALSE(readSchedule("桩号,d\nA,800\n").groundColumns);
}

} // namespace
} // namespace saxolith
