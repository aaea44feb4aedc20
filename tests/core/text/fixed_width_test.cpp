#include "core/text/fixed_width.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

struct WidthCase {
    std::string_view text;
    int width;
};

TEST(DisplayWidth, CountsTheWideRangeTwiceAndEverythingElseOnce)
{
    const WidthCase cases[] = {
        {"", 0},
        {"圆  桩", 6},
        {"ψr", 2},          // Greek letters are narrow
        {"计算时间：", 9},  // the full-width colon lies above the wide range
        {"d|a(mm)▲", 9},    // ▲ lies inside it
        {"《建筑》、", 10}, // CJK punctuation too
        {"\u0FFF", 1},      // just below the range
        {"\u1000", 2},      // its first code point
        {"\u9FA5", 2},      // its last
        {"\u9FA6", 1},      // just above
        {"\U0001F600", 2},  // outside the BMP: two code units, one column each
        {"μ", 1},
    };
    for (const WidthCase &c : cases) {
        EXPECT_EQ(displayWidth(c.text), c.width) << c.text;
    }
}

struct PadCase {
    std::string (*pad)(std::string_view, std::string_view, int);
    std::string_view text;
    std::string_view fill;
    int width;
    std::string_view expected;
};

TEST(Padding, FillsToTheWidthAndNeverCuts)
{
    const PadCase cases[] = {
        {padCentre, "圆  桩", " ", 8, " 圆  桩 "},
        {padCentre, "-", " ", 8, "    -   "}, // the odd column goes to the left
        {padCentre, "椭圆桩", " ", 8, " 椭圆桩 "},
        {padCentre, "0.2000", " ", 8, " 0.2000 "},
        {padCentre, "123456789", " ", 8, "123456789"},
        {padRight, "ZH1", " ", 6, "ZH1   "},
        {padRight, "ZH123456", " ", 6, "ZH123456"},
        {padRight, "", " ", 2, "  "},
        {padLeft, "1000", " ", 6, "  1000"},
        {padLeft, "桩编号", " ", 8, "  桩编号"},
        {padLeft, "7", "0", 3, "007"},
        {padLeft, "1000.50", " ", 6, "1000.50"},
        {padLeft, "1", " ", -5, "1"},
        // The width counts copies of the fill, not columns.
        {padLeft, "x", "ab", 3, "ababx"},
        {padRight, "x", "", 3, "x"},
    };
    for (const PadCase &c : cases) {
        EXPECT_EQ(c.pad(c.text, c.fill, c.width), c.expected) << '[' << c.text << "] to " << c.width;
    }
}

TEST(Spaces, GivesBlanksOrNothing)
{
    EXPECT_EQ(spaces(0), "");
    EXPECT_EQ(spaces(-3), "");
    EXPECT_EQ(spaces(4), "    ");
}

} // namespace
} // namespace saxolith
