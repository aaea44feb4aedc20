#include "core/optimise/list_file.h"

#include "core/capacity/section_types.h"
#include "core/optimise/enumeration.h"
#include "core/optimise/list_commands.h"
#include "core/text/candidate_number.h"
#include "core/text/fixed_width.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <random>
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

// A row line laid out plainly from the cells' texts: each field padded as the table book pads it.
std::string plainLine(const CandidateList &list, std::size_t row, std::size_t rowCount)
{
    const auto centred = [](const std::string &text) { return padCentre(text, " ", 8) + "  "; };
    const auto right = [](const std::string &text, int width, const char *after) {
        return padLeft(text, " ", width) + after;
    };
    const auto cell = [&](CandidateColumn column) { return list.cell(row, column); };
    const CandidateRow &r = list.row(row);
    std::string line = " " + centred(candidateNumber(row + 1, digitCount(rowCount))) + centred(cell(CandidateColumn::Section));
    for (const DimensionSlot slot : dimensionColumns(sectionRow(r.section))) {
        if (slot == DimensionSlot::None)
            line += centred("-");
        else
            line += right(cell(slot == DimensionSlot::First ? CandidateColumn::FirstDimension
                                                            : CandidateColumn::SecondDimension),
                          6, "    ");
    }
    line += centred(cell(CandidateColumn::Route));
    if (r.route == StrengthRoute::QpaGiven) {
        line += right(cell(CandidateColumn::Strength), 6, "    ") + centred("-") + centred("-") + centred("-");
    } else {
        line += centred("-") + right(cell(CandidateColumn::Strength), 7, "   ") +
                centred(cell(CandidateColumn::Integrity)) + centred(cell(CandidateColumn::Psi));
    }
    return line + right(cell(CandidateColumn::Qpa), 7, "   ") + right(cell(CandidateColumn::Ra), 7, "  ");
}

// Rows of every section, route, basis and precision (one outside the list of choices too), with
// values of every kind: halves, signs, zeros of both signs, fractions, huge, tiny, not finite.
TEST(ListFileLines, AreTheCellTextsLaidOut)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double values[] = {1000,   1000.5,  0.125,   2.675, -0.005, -0.0,    0.0,    99999.995, 123456.789,
                             1e7,    1e15,    1e300,   1e-7,  -2500,  3500.25, 0.35,   12345678,  5e-324,
                             inf,    -inf,    std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 random(4102);
    const auto any = [&] { return values[std::uniform_int_distribution<std::size_t>(0, std::size(values) - 1)(random)]; };
    CandidateList list;
    for (int i = 0; i < 3000; ++i) {
        CandidateRow row;
        row.section = static_cast<SectionType>(i % 4);
        row.route = i / 4 % 2 == 0 ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
        row.basis = static_cast<IntegrityBasis>(1 + i / 8 % 2);
        row.integrityClass = static_cast<IntegrityClass>(1 + i % 3);
        row.precision = static_cast<std::uint8_t>(i / 3 % 6);
        // Runs of equal values, as lists have them, between values drawn afresh.
        const bool fresh = i % 5 == 0;
        row.first = fresh ? any() : 1200;
        row.second = fresh ? any() : 800;
        row.strength = any();
        row.index = fresh ? any() : 0.35;
        row.psi = fresh ? any() : 0.2;
        row.qpa = any();
        row.ra = any() * (i % 7 == 0 ? 1 : std::uniform_real_distribution<double>(0.5, 2.0)(random));
        list.append(row);
    }
    list.renumber();
    std::ostringstream out;
    writeListFile(out, list, ListFileKind::Raw, "t");
    const std::vector<std::string> lines = splitCrLf(out.str());
    ASSERT_EQ(lines.size(), 5U + list.size() + 4U);
    for (std::size_t row = 0; row < list.size(); ++row) {
        ASSERT_EQ(lines[5 + row], plainLine(list, row, list.size())) << "row " << row;
        if (row % 97 == 0) {
            ASSERT_EQ(listFileLine(list, row, 123456), plainLine(list, row, 123456)) << "row " << row;
        }
    }
}

} // namespace
} // namespace saxolith
