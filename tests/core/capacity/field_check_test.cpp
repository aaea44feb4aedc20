#include "core/capacity/field_check.h"

#include <gtest/gtest.h>

#include <string>

namespace saxolith
{
namespace
{

struct CheckCase {
    InputField field;
    std::string text;
    CheckKind kind;
    std::string_view message;
};

void PrintTo(const CheckCase &c, std::ostream *os)
{
    *os << static_cast<int>(c.field) << " '" << c.text << "'";
}

class FieldCheckTest : public ::testing::TestWithParam<CheckCase>
{
};

TEST_P(FieldCheckTest, KindMessageAndColours)
{
    const CheckCase &c = GetParam();
    const FieldCheck check = checkField(c.field, c.text);
    EXPECT_EQ(check.kind, c.kind);
    EXPECT_EQ(check.text, c.message);
    switch (c.kind) {
    case CheckKind::Error:
        EXPECT_EQ(check.statusColour, colour::red);
        EXPECT_EQ(check.fieldColour, colour::red);
        break;
    case CheckKind::Hint:
        EXPECT_EQ(check.statusColour, colour::magenta);
        EXPECT_EQ(check.fieldColour, colour::magenta);
        break;
    case CheckKind::Accepted:
        EXPECT_FALSE(check.statusColour);
        EXPECT_EQ(check.fieldColour, colour::black);
        break;
    case CheckKind::Note:
        EXPECT_EQ(check.statusColour, colour::black);
        EXPECT_FALSE(check.fieldColour);
        break;
    case CheckKind::Unchanged:
        EXPECT_FALSE(check.statusColour);
        EXPECT_FALSE(check.fieldColour);
        break;
    }
}

using enum InputField;
using enum CheckKind;

INSTANTIATE_TEST_SUITE_P(
    Bounds, FieldCheckTest,
    ::testing::Values(
        // First dimension: only a positive value passes.
        CheckCase{FirstDimension, "1000", Accepted, {}},
        CheckCase{FirstDimension, "0", Error, message::diameterError},
        CheckCase{FirstDimension, "-5", Error, message::diameterError},
        CheckCase{FirstDimension, " 1e3 ", Accepted, {}},
        // Second dimension and qpa: zero passes, below zero does not.
        CheckCase{SecondDimension, "0", Accepted, {}},
        CheckCase{SecondDimension, "-0.1", Error, message::segmentError}, CheckCase{Qpa, "0", Accepted, {}},
        CheckCase{Qpa, "-1", Error, message::qpaError},
        // frk: soft rock up to and including 30.
        CheckCase{Frk, "0", Hint, message::softRockHint}, CheckCase{Frk, "30", Hint, message::softRockHint},
        CheckCase{Frk, "30.01", Accepted, {}}, CheckCase{Frk, "-0.01", Error, message::frkError},
        // Manual ψr: 0 to 0.5 plain, up to 1 with a hint.
        CheckCase{ManualPsi, "0", Accepted, {}}, CheckCase{ManualPsi, "0.5", Accepted, {}},
        CheckCase{ManualPsi, "0.51", Hint, message::manualPsiHint},
        CheckCase{ManualPsi, "1", Hint, message::manualPsiHint},
        CheckCase{ManualPsi, "1.01", Error, message::psiError},
        CheckCase{ManualPsi, "-0.1", Error, message::psiError}));

INSTANTIATE_TEST_SUITE_P(NotANumber, FieldCheckTest,
                         ::testing::Values(CheckCase{FirstDimension, "", Error, message::diameterError},
                                           CheckCase{FirstDimension, "1000abc", Error,
                                                     message::diameterError},
                                           CheckCase{SecondDimension, "abc", Error, message::segmentError},
                                           CheckCase{Qpa, "1,000", Error, message::qpaError},
                                           CheckCase{Frk, "  ", Error, message::frkError},
                                           CheckCase{Frk, "1e999", Error, message::frkError},
                                           CheckCase{ManualPsi, "0.2.1", Error, message::psiError}));

INSTANTIATE_TEST_SUITE_P(IntegrityNotes, FieldCheckTest,
                         ::testing::Values(CheckCase{Integrity, "完整", Note, inputText::intactNote},
                                           CheckCase{Integrity, "较完整", Note, inputText::fairlyIntactNote},
                                           CheckCase{Integrity, "较破碎", Note, inputText::fracturedNote},
                                           CheckCase{Integrity, "0.80", Unchanged, {}},
                                           CheckCase{Integrity, "完整 ", Unchanged, {}},
                                           CheckCase{Integrity, "", Unchanged, {}}));

TEST(SectionLayoutTest, EachItemRelabelsAndRefillsTheSecondField)
{
    const auto round = sectionLayout(0);
    ASSERT_TRUE(round);
    EXPECT_EQ(round->firstLabel, inputText::diameterLabel);
    EXPECT_FALSE(round->secondEnabled);
    EXPECT_TRUE(round->secondItems.empty()); // the list is kept
    EXPECT_EQ(round->secondValue, "0");

    const auto ellipse = sectionLayout(1);
    ASSERT_TRUE(ellipse);
    EXPECT_TRUE(ellipse->secondEnabled);
    ASSERT_EQ(ellipse->secondItems.size(), 12U);
    EXPECT_EQ(ellipse->secondItems.front(), "100");
    EXPECT_EQ(ellipse->secondItems.back(), "1200");
    EXPECT_EQ(ellipse->secondValue, "500");

    const auto rectangle = sectionLayout(2);
    ASSERT_TRUE(rectangle);
    EXPECT_EQ(rectangle->firstLabel, inputText::longSideLabel);
    EXPECT_EQ(rectangle->secondLabel, inputText::shortSideLabel);
    ASSERT_EQ(rectangle->secondItems.size(), 11U);
    EXPECT_EQ(rectangle->secondValue, "1000");

    EXPECT_FALSE(sectionLayout(-1));
    EXPECT_FALSE(sectionLayout(3));
}

} // namespace
} // namespace saxolith
