// A pile of another method in the text book: its ground and its method's lines in the book's layout; an
// 8.5.6-2 pile keeps its lines wherever it stands.
#include "core/book/calculation_book.h"
#include "core/ground/boreholes.h"
#include "core/schedule/schedule_run.h"

#include "core/ground/ground_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace saxolith
{
namespace
{

std::vector<std::string> bookOf(const std::string &schedule)
{
    static const Boreholes boreholes = readBoreholes(test::boreholesCsv).boreholes;
    const ScheduleReading reading = readSchedule(schedule);
    EXPECT_FALSE(reading.error);
    CalculationBook book;
    const ScheduleResult result =
        calculateSchedule(reading.rows, book, "2024/1/2 10:20:30", {}, "UTF-8", &boreholes);
    for (const RowResult &row : result.rows) {
        EXPECT_NE(row.end, RowEnd::Refused) << row.note;
    }
    return book.textLines();
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

std::string expectedFile(const char *name)
{
    std::ifstream in(std::string(SAXOLITH_TEST_DATA) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(GroundBookEntry, EachMethodsLines)
{
    const std::string got =
        joined(bookOf("桩号,方法,截面类型,d,frk,完整程度,精度,钻孔,桩顶标高(m),持力层,入岩深度(m)\n"
                      "P1,5.3.9,圆桩,1000,,,两位小数,ZK1,8.5,④,2.5\n"
                      "P2,8.5.6-1,圆桩,1000,,,两位小数,ZK1,8.5,④,2.5\n"));
    EXPECT_EQ(got, expectedFile("book_ground_text.txt"));
}

TEST(GroundBookEntry, AnEndOnlyPileKeepsItsLines)
{
    const std::string header = "桩号,截面类型,d,frk,完整程度,方法,钻孔,桩顶标高(m),持力层,入岩深度(m)\n";
    const std::vector<std::string> plain = bookOf("桩号,截面类型,d,frk,完整程度\nZH1,圆桩,1000,35,较完整\n");
    EXPECT_EQ(bookOf(header + "ZH1,圆桩,1000,35,较完整,,,,,\n"), plain);
    EXPECT_EQ(bookOf(header + "ZH1,圆桩,1000,35,较完整,8.5.6-2,ZK1,8.5,④,0.5\n"), plain);
}

} // namespace
} // namespace saxolith
