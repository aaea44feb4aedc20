#include "core/text/candidate_number.h"
#include "core/text/fixed_width.h"

#include <gtest/gtest.h>

#include <utility>

namespace saxolith
{
namespace
{

TEST(CandidateNumber, NumbersAndRules)
{
    EXPECT_EQ(candidateNumber(7, 3), "ZH-007");
    EXPECT_EQ(candidateNumber(1234, 2), "ZH-1234");
    EXPECT_EQ(candidateNumber(938676, 6), "ZH-938676");
    for (const auto &[n, digits] :
         {std::pair<std::size_t, int>{0, 1}, {9, 1}, {10, 2}, {938676, 6}, {1000000, 7}})
        EXPECT_EQ(digitCount(n), digits) << n;
    EXPECT_EQ(rule('=', 3), "===");
    EXPECT_EQ(rule('-', 0), "");
}

} // namespace
} // namespace saxolith
