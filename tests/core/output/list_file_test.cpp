#include "output/list_file.h"

#include "optimise/enumeration.h"
#include "text/fixed_width.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace saxolith
{
namespace
{

const std::string dash = "    -     ";

std::vector<std::string> splitCrLf(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(text.substr(from, at - from));
    EXPECT_EQ(from, text.size()) << "text after the last line end";
    return lines;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

class ListFile : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { s_run = runEnumeration(startOptionTexts(), defaultCalculationInput()); }
    static RunResult s_run;
};
RunResult ListFile::s_run;

TEST_F(ListFile, WorkedRowsOfTheStartUpRun)
{
    EXPECT_EQ(listFileLine(s_run.rows, 0, 456), "  ZH-001   " + std::string(" 圆  桩   ") + "  1000    " +
                                                    dash + dash + dash + "    1     " + "  3500    " + dash +
                                                    dash + dash + "   3500   " + "   2749  ");
    EXPECT_EQ(listFileLine(s_run.rows, 6, 456), "  ZH-007   " + std::string(" 圆  桩   ") + "  1000    " +
                                                    dash + dash + dash + "    2     " + dash + "  35.00   " +
                                                    "  0.40    " + " 0.1250   " + "   4375   " + "   3436  ");
    // An integrity class stands centred under its header cells.
    EXPECT_NE(listFileLine(s_run.rows, 4, 456).find("  35.00    较完整    0.2000   "), std::string::npos);
}

TEST_F(ListFile, SectionsFillTheirOwnDimensionFields)
{
    // The last candidate is a square; an elliptical one follows the nine round ones of each route mix.
    EXPECT_TRUE(listFileLine(s_run.rows, 455, 456)
                    .starts_with("  ZH-456   " + std::string(" 方  桩   ") + dash + dash + "  2000    " +
                                 "  2000    "));
    ASSERT_EQ(s_run.rows.cell(57, 1), "椭圆桩");
    EXPECT_TRUE(listFileLine(s_run.rows, 57, 456)
                    .starts_with("  ZH-058   " + std::string(" 椭圆桩   ") + "  1000    " + "  1000    " +
                                 dash + dash));
    const std::size_t rectangle = 57 + 9 * 19;
    ASSERT_EQ(s_run.rows.cell(rectangle, 1), "矩形桩");
    EXPECT_TRUE(listFileLine(s_run.rows, rectangle, 456)
                    .starts_with("  ZH-229   " + std::string(" 矩形桩   ") + dash + dash + "  2000    " +
                                 "  1000    "));
    for (const std::size_t row : {std::size_t{0}, std::size_t{6}, std::size_t{455}})
        EXPECT_EQ(displayWidth(listFileLine(s_run.rows, row, 456)), 130) << row;
}

TEST_F(ListFile, RawFileOfTheStartUpRun)
{
    std::ostringstream out;
    writeListFile(out, s_run.rows, ListFileKind::Raw, "2024/6/11 9:05:03");
    const std::vector<std::string> lines = splitCrLf(out.str());
    ASSERT_EQ(lines.size(), 5U + 456U + 4U);
    EXPECT_EQ(displayWidth(lines[0]), 130);
    EXPECT_EQ(displayWidth(lines[2]), 130);
    EXPECT_EQ(lines.back(), "计算时间：2024/6/11 9:05:03");

    const std::vector<std::string> expected = splitCrLf(readFile(SAXOLITH_TEST_DATA "/list_startup_raw.txt"));
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST_F(ListFile, FilteredFileNumbersByPositionInTheList)
{
    const FilterOutcome filtered = filterCandidates(s_run.rows, "10001", "11000");
    ASSERT_EQ(filtered.rows.size(), 12U);
    std::ostringstream out;
    writeListFile(out, filtered.rows, ListFileKind::Filtered, "t");
    const std::vector<std::string> lines = splitCrLf(out.str());
    ASSERT_EQ(lines.size(), 5U + 12U + 4U);
    EXPECT_EQ(lines[0], std::string(53, '=') + " 嵌岩桩优化计算筛选结果 " + std::string(53, '='));
    for (std::size_t i = 0; i < 12; ++i) {
        const std::string number = "ZH-" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1);
        EXPECT_EQ(lines[5 + i].substr(0, 11), "   " + number + "   ") << i;
    }
    // The copies keep the number the full list gave them.
    EXPECT_EQ(filtered.rows.cell(0, 0).size(), 6U);
}

} // namespace
} // namespace saxolith
