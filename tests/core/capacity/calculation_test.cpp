#include "capacity/calculation.h"

#include <gtest/gtest.h>

namespace saxolith {
namespace {

TEST(Calculation, DefaultsGiveTheStartUpResult)
{
    const CalculationOutcome out = calculate(defaultCalculationInput());
    ASSERT_EQ(out.end, CalculationEnd::Completed);
    EXPECT_EQ(out.psiText, "0.2000");
    EXPECT_EQ(out.qpaText, "7000");
    EXPECT_EQ(out.raText, "5498");
    EXPECT_EQ(out.resultColour, colour::green);
    EXPECT_EQ(out.statusText, "较硬岩,岩体较完整");
    EXPECT_EQ(out.statusColour, colour::black);
}

} // namespace
} // namespace saxolith
