#include "optimise/candidate_list.h"

#include <gtest/gtest.h>

#include <limits>
#include <numeric>
#include <random>

namespace saxolith
{
namespace
{

// The list's exchange sort exactly as the screen has always done it, on row indices.
std::vector<std::size_t> literalOrder(const std::vector<double> &keys)
{
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t i = 0; i < order.size(); ++i) {
        double k = keys[order[i]];
        for (std::size_t j = i; j < order.size(); ++j) {
            const double v = keys[order[j]];
            if (k > v) {
                std::swap(order[i], order[j]);
                k = v;
            }
        }
    }
    return order;
}

TEST(ExchangeSortOrder, SwapsEqualKeysAsTheExchangeSortDoes)
{
    // 5 (first), 3, 5 (second), 1 end as 1, 3, 5 (second), 5 (first).
    EXPECT_EQ(exchangeSortOrder({5, 3, 5, 1}), (std::vector<std::size_t>{3, 1, 2, 0}));
}

TEST(ExchangeSortOrder, MatchesTheLiteralSortOnShapedLists)
{
    const std::vector<std::vector<double>> lists{
        {},
        {7},
        {4, 4, 4, 4, 4, 4, 4},
        {1, 2, 2, 3, 3, 3, 4},
        {9, 8, 8, 7, 7, 7, 1, 1},
        {2, 1, 2, 1, 2, 1, 2, 1, 2},
        {-0.0, 0.0, -1, 0.0, -0.0},
    };
    for (const auto &keys : lists)
        EXPECT_EQ(exchangeSortOrder(keys), literalOrder(keys)) << "list of " << keys.size();
}

TEST(ExchangeSortOrder, MatchesTheLiteralSortOnRandomListsWithManyTies)
{
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 3000; ++trial) {
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 60)(random);
        const int distinct = std::uniform_int_distribution<int>(1, 8)(random);
        std::uniform_int_distribution<int> key(1, distinct);
        std::vector<double> keys(n);
        for (double &k : keys)
            k = key(random) * 0.5;
        ASSERT_EQ(exchangeSortOrder(keys), literalOrder(keys)) << "trial " << trial;
    }
}

TEST(ExchangeSortOrder, MatchesTheLiteralSortOnLargeLists)
{
    std::mt19937 random(7);
    for (const int distinct : {2, 30, 3000}) {
        std::uniform_int_distribution<int> key(0, distinct - 1);
        std::vector<double> keys(3000);
        for (double &k : keys)
            k = key(random);
        EXPECT_EQ(exchangeSortOrder(keys), literalOrder(keys)) << distinct << " distinct keys";
    }
}

// Signs, zeros of both signs, infinities and magnitudes far apart order as the numbers do.
TEST(ExchangeSortOrder, MatchesTheLiteralSortAcrossSignsAndMagnitudes)
{
    const std::vector<double> pool{-1e300,
                                   -12.5,
                                   -1,
                                   -1e-300,
                                   -0.0,
                                   0.0,
                                   1e-300,
                                   0.5,
                                   1,
                                   12.5,
                                   3e12,
                                   1e300,
                                   std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity()};
    std::mt19937 random(99);
    for (int trial = 0; trial < 500; ++trial) {
        std::vector<double> keys(std::uniform_int_distribution<std::size_t>(0, 80)(random));
        for (double &k : keys)
            k = pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(random)];
        ASSERT_EQ(exchangeSortOrder(keys), literalOrder(keys)) << "trial " << trial;
    }
}

TEST(ExchangeSortOrder, LeavesASortedListAsItIs)
{
    const std::vector<double> keys{1, 1, 2, 3, 3, 3, 8};
    std::vector<std::size_t> identity(keys.size());
    std::iota(identity.begin(), identity.end(), std::size_t{0});
    EXPECT_EQ(exchangeSortOrder(keys), identity);
}

} // namespace
} // namespace saxolith
