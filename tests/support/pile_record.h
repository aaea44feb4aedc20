// A pile's record as the calculate command makes it: from an input, or from the start-up input as a
// test changes it.
#pragma once

#include "core/capacity/calculation.h"

#include <gtest/gtest.h>

#include <functional>

namespace saxolith::test
{

inline PileRecord recordOf(const CalculationInput &input)
{
    const CalculationOutcome outcome = calculate(input);
    EXPECT_TRUE(outcome.record.has_value());
    return outcome.record.value_or(PileRecord{});
}

inline PileRecord recordOf(const std::function<void(CalculationInput &)> &edit)
{
    CalculationInput input = defaultCalculationInput();
    edit(input);
    return recordOf(input);
}

} // namespace saxolith::test
