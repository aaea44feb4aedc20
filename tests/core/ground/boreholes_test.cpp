// The boreholes file: its layers read by the schedule's rules, and every refusal naming its line.
#include "core/ground/boreholes.h"
#include "core/schedule/schedule_file.h"

#include "ground_fixture.h"
#include "support/code_page.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace saxolith
{
namespace
{

TEST(ReadBoreholes, HolesAndLayersTopDown)
{
    const BoreholesReading reading = readBoreholes(test::boreholesCsv);
    ASSERT_FALSE(reading.error) << reading.error->text;
    ASSERT_EQ(reading.boreholes.holes().size(), 2u);
    const Borehole *zk1 = reading.boreholes.find("ZK1");
    ASSERT_NE(zk1, nullptr);
    EXPECT_EQ(zk1->collar, 10.0);
    EXPECT_EQ(zk1->line, 2);
    ASSERT_EQ(zk1->layers.size(), 4u);
    const GroundLayer &fill = zk1->layers[0];
    EXPECT_EQ(fill.number, "①");
    EXPECT_EQ(fill.name, "素填土");
    EXPECT_EQ(fill.top, 0.0);
    EXPECT_EQ(fill.bottom, 3.0);
    const GroundLayer &weathered = zk1->layers[2];
    EXPECT_EQ(weathered.top, 9.5);
    EXPECT_EQ(weathered.qsia, 70.0);
    EXPECT_EQ(weathered.qpa, std::nullopt); // "-"
    const GroundLayer &rock = zk1->layers[3];
    EXPECT_EQ(rock.qsik, std::nullopt);
    EXPECT_EQ(rock.qpa, 3000.0);
    EXPECT_EQ(rock.frk, 20.0);
    EXPECT_EQ(rock.integrity, "较完整");
    EXPECT_EQ(rock.line, 5);
    EXPECT_EQ(zk1->depth(), 30.0);
    const Borehole *zk2 = reading.boreholes.find("ZK2");
    ASSERT_NE(zk2, nullptr);
    EXPECT_EQ(zk2->layer("4-2")->integrity, "0.8");
    EXPECT_EQ(reading.boreholes.find("ZK3"), nullptr);
}

std::string workbookOf(const std::vector<std::vector<std::string>> &rows)
{
    namespace fs = std::filesystem;
    const fs::path path =
        fs::temp_directory_path() / ("saxolith-boreholes-" + std::to_string(::getpid()) + ".xlsx");
    lxw_workbook *workbook = workbook_new(path.string().c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::string &cell = rows[r][c];
            const auto row = static_cast<lxw_row_t>(r);
            const auto col = static_cast<lxw_col_t>(c);
            // Columns 1 and 3 as numbers, as a spreadsheet holds depths and elevations.
            if (r > 0 && !cell.empty() && (c == 1 || c == 3)) {
                worksheet_write_number(sheet, row, col, std::stod(cell), nullptr);
            } else {
                worksheet_write_string(sheet, row, col, cell.c_str(), nullptr);
            }
        }
    }
    EXPECT_EQ(workbook_close(workbook), LXW_NO_ERROR);
    std::string bytes;
    {
        // Closed before the removal, which Windows refuses on an open file.
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::remove(path);
    return bytes;
}

// The same hole however the file comes: English names in any order, semicolons, full-width digits, GBK,
// UTF-16, a workbook.
TEST(ReadBoreholes, EveryFormOfTheFileReadsTheSame)
{
    const std::string english = "layer;Hole;bottom;collar;qsik\n"
                                "①;ZK1;２.５;１０;20\n"
                                "②;ZK1;8;;55.5\n";
    const std::string chinese = "层号,钻孔,层底深度,孔口标高（m）,qsik(kPa)\n"
                                "①,ZK1,2.5,10,20\n"
                                "②,ZK1,8,,55.5\n";
    const std::string utf16 = test::toUtf16(chinese);
    const std::string workbook = workbookOf({{"钻孔", "层底深度(m)", "层号", "孔口标高(m)", "qsik(kPa)"},
                                             {"ZK1", "2.5", "①", "10", "20"},
                                             {"ZK1", "8", "②", "", "55.5"}});
    for (const std::string &bytes : {english, chinese, test::toGbk(chinese), utf16, workbook}) {
        const BoreholesReading reading = readBoreholes(bytes);
        ASSERT_FALSE(reading.error) << reading.error->text;
        const Borehole *hole = reading.boreholes.find("ZK1");
        ASSERT_NE(hole, nullptr);
        ASSERT_EQ(hole->layers.size(), 2u);
        EXPECT_EQ(hole->collar, 10.0);
        EXPECT_EQ(hole->layers[0].bottom, 2.5);
        EXPECT_EQ(hole->layers[1].top, 2.5);
        EXPECT_EQ(hole->layers[1].qsik, 55.5);
    }
}

TEST(ReadBoreholes, RefusalsNameTheLineAndKeepNothing)
{
    const std::string header = "钻孔,孔口标高(m),层号,层底深度(m),qsia(kPa),frk(MPa),完整程度\n";
    const std::string first = "ZK1,10,①,3,20,,\n";
    struct Case {
        std::string text;
        int line;
        const char *says;
    };
    const Case cases[] = {
        {header + first + "ZK1,,②,3,20,,\n", 3, "层底深度 3 m 不大于钻孔 ZK1 上一层（第 2 行）的 3 m"},
        {header + first + "ZK1,,②,2.5,20,,\n", 3, "不大于"},
        {header + first + "ZK1,9.5,②,6,20,,\n", 3, "孔口标高 9.5 m 与钻孔 ZK1 第一行（第 2 行）的 10 m 不同"},
        {header + "ZK1,,①,3,20,,\n", 2, "钻孔 ZK1 的第一行缺少 collar/孔口标高(m)"},
        {header + first + "ZK1,,①,6,20,,\n", 3, "钻孔 ZK1 已有层号 ①（第 2 行）"},
        {header + first + "ZK1,,②,六,20,,\n", 3, "bottom/层底深度(m)“六”不是数"},
        {header + first + "ZK1,,②,6,-5,,\n", 3, "qsia/qsia(kPa)“-5”不能为负"},
        {header + first + "ZK1,,②,6,,0,\n", 3, "frk/frk(MPa)“0”应大于 0"},
        {header + first + "ZK1,,②,6,,30,破碎\n", 3, "完整程度“破碎”应为"},
        {header + first + "ZK1,,②,6,20\n", 3, "有 5 个单元格，列名行有 7 个"},
        {header + first + ",,②,6,20,,\n", 3, "缺少 hole/钻孔"},
        {header + first + "ZK1,,,6,20,,\n", 3, "缺少 layer/层号"},
        {header + first + "ZK1,,②,,20,,\n", 3, "缺少 bottom/层底深度(m)"},
        {header + "ZK1,10,①,0,20,,\n", 2, "应大于 0"},
        {"钻孔,孔口标高(m),层号\n" + first, 1, "钻孔表缺少列 bottom/层底深度(m)"},
        {"钻孔,孔口标高(m),层号,层底深度(m),深度\n", 1, "未知列名“深度”"},
        {"钻孔,孔口标高(m),层号,层底深度(m),hole\n", 1, "列“hole”出现了两次"},
        {header, 2, "钻孔表只有列名行，没有土层"},
        {"\n\n", 1, "钻孔表是空的"},
        {header + first + "\"ZK1,,②,6\n", 3, "引号没有结束"},
    };
    for (const Case &c : cases) {
        const BoreholesReading reading = readBoreholes(c.text);
        ASSERT_TRUE(reading.error) << c.text;
        EXPECT_EQ(reading.error->line, c.line) << c.text;
        EXPECT_NE(reading.error->text.find(c.says), std::string::npos) << reading.error->text;
        EXPECT_TRUE(reading.boreholes.empty()) << c.text;
    }
}

} // namespace
} // namespace saxolith
