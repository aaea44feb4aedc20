// Schedules as engineers keep them: the rectangle's sides under their own names, English values,
// semicolons or tabs between the cells, full-width digits, and messages that name the pile.
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"

#include <gtest/gtest.h>

#include <string>

namespace saxolith
{
namespace
{

using enum ScheduleColumn;

TEST(ScheduleForms, HeadersSeparatorsAndDigitsReadAsTheUsualForm)
{
    struct Case {
        const char *what;
        std::string text;
    };
    // Every case holds the same rectangular pile 1500 × 1000 on frk 40 at line 2.
    const Case cases[] = {
        {"the usual form", "id,section,d,c,frk,integrity\nP1,矩形桩,1500,1000,40,完整\n"},
        {"a and b", "id,section,a,b,frk,integrity\nP1,矩形桩,1500,1000,40,完整\n"},
        {"a(mm) and b (mm)", "id,section,A(mm),b (mm),frk,integrity\nP1,矩形桩,1500,1000,40,完整\n"},
        {"长边 and 短边", "桩号,截面类型,长边,短边（mm）,frk,integrity\nP1,矩形桩,1500,1000,40,完整\n"},
        {"semicolons", "id;section;a;b;frk;integrity\nP1;矩形桩;1500;1000;40;完整\n"},
        {"tabs", "id\tsection\ta\tb\tfrk\tintegrity\nP1\t矩形桩\t1500\t1000\t40\t完整\n"},
        {"semicolons, a comma inside quotes", "\"id,name\";section;a;b;frk\n\n"},
        {"full-width digits and point", "id,section,d,c,frk,integrity\nP1,矩形桩,１５００,１０００,４０．０,完整\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const ScheduleReading reading = readSchedule(c.text);
        if (std::string(c.what).find("inside quotes") != std::string::npos) {
            // The header's comma is inside quotes: semicolons separate, so "id,name" is one unknown column.
            ASSERT_TRUE(reading.error);
            EXPECT_NE(scheduleErrorText(*reading.error).find("未知列名“id,name”"), std::string::npos);
            continue;
        }
        ASSERT_FALSE(reading.error) << scheduleErrorText(*reading.error);
        ASSERT_EQ(reading.rows.size(), 1u);
        const RowInput typed = rowInput(reading.rows.front());
        EXPECT_TRUE(typed.refusal.empty()) << typed.refusal;
        EXPECT_EQ(typed.input.sectionItem, 2);
        EXPECT_EQ(typed.input.firstDimension, "1500");
        EXPECT_EQ(typed.input.secondDimension, "1000");
        EXPECT_TRUE(typed.input.frk == "40" || typed.input.frk == "40.0") << typed.input.frk;
    }
}

ScheduleRow rowOf(std::initializer_list<std::pair<ScheduleColumn, std::string>> cells)
{
    ScheduleRow row;
    row.line = 7;
    for (const auto &[column, text] : cells) {
        row.cells[static_cast<std::size_t>(column)] = text;
    }
    return row;
}

// A round pile with all a row needs, and the cells given in place of its own.
ScheduleRow completeRowWith(std::initializer_list<std::pair<ScheduleColumn, std::string>> cells)
{
    ScheduleRow row = rowOf({{Section, "圆桩"}, {FirstDimension, "1000"}, {SecondDimension, "800"},
                             {Frk, "35"}, {Integrity, "较完整"}});
    for (const auto &[column, text] : cells) {
        row.cells[static_cast<std::size_t>(column)] = text;
    }
    return row;
}

TEST(ScheduleForms, EnglishValuesStandForTheChineseOnes)
{
    struct Case {
        ScheduleColumn column;
        const char *english;
        const char *chinese;
    };
    const Case cases[] = {
        {Section, "round", "圆桩"},
        {Section, "Ellipse", "椭圆桩"},
        {Section, "elliptical", "椭圆桩"},
        {Section, "RECTANGLE", "矩形桩"},
        {Section, "rectangular", "矩形桩"},
        {Section, "square", "方桩"},
        {Integrity, "intact", "完整"},
        {Integrity, "Fairly intact", "较完整"},
        {Integrity, "fairly-broken", "较破碎"},
        {Integrity, "fractured", "较破碎"},
        {Precision, "two decimals", "两位小数"},
        {Precision, "One decimal", "一位小数"},
        {Precision, "units", "个位取整"},
        {Precision, "integer", "个位取整"},
        {Precision, "tens", "十位取整"},
        {Precision, "Hundreds", "百位取整"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.english);
        const RowInput english = rowInput(completeRowWith({{c.column, c.english}}));
        const RowInput chinese = rowInput(completeRowWith({{c.column, c.chinese}}));
        EXPECT_TRUE(english.refusal.empty()) << english.refusal;
        EXPECT_EQ(english.input.sectionItem, chinese.input.sectionItem);
        EXPECT_EQ(english.input.secondDimension, chinese.input.secondDimension);
        EXPECT_EQ(english.input.integrity, chinese.input.integrity);
        EXPECT_EQ(english.input.precision, chinese.input.precision);
    }
    // A name that is neither is refused, quoted as written.
    EXPECT_EQ(rowInput(rowOf({{Section, "hexagon"}})).refusal,
              "截面类型“hexagon”应为 圆桩、椭圆桩、矩形桩 或 方桩");
}

TEST(ScheduleForms, FullWidthSignsAndTheMinusSign)
{
    const RowInput typed =
        rowInput(rowOf({{FirstDimension, "＋１２００"}, {Frk, "３５．５"}, {Psi, "０.３"}}));
    EXPECT_EQ(typed.input.firstDimension, "+1200");
    EXPECT_EQ(typed.input.frk, "35.5");
    EXPECT_EQ(typed.input.manualPsi, "0.3");
    EXPECT_EQ(rowInput(rowOf({{FirstDimension, "－５"}})).input.firstDimension, "-5");
    EXPECT_EQ(rowInput(rowOf({{FirstDimension, "\u22125"}})).input.firstDimension, "-5");
    // Ids keep what they are written with.
    EXPECT_EQ(rowInput(rowOf({{Id, "ＺＨ１"}})).pileName, "ＺＨ１");
}

TEST(ScheduleForms, MessagesNameTheLineAndThePile)
{
    CalculationBook book;
    const ScheduleResult result =
        calculateSchedule({completeRowWith({{Id, "ZH-9"}, {FirstDimension, "-5"}}),
                           completeRowWith({{FirstDimension, "-5"}}),
                           completeRowWith({{Id, std::string(70, 'P')}, {FirstDimension, "-5"}})},
                          book, "2024/1/2 10:20:30");
    ASSERT_EQ(result.rows.size(), 3u);
    EXPECT_EQ(refusedRowText(result.rows[0]), "第 7 行（ZH-9）：桩身直径数据有错");
    EXPECT_EQ(refusedRowText(result.rows[1]), "第 7 行：桩身直径数据有错");
    EXPECT_EQ(refusedRowText(result.rows[2]), "第 7 行（" + std::string(60, 'P') + "…）：桩身直径数据有错");
}

} // namespace
} // namespace saxolith
