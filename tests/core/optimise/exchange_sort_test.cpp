#include "core/optimise/exchange_sort.h"

#include "core/optimise/candidate_list.h"

#include "core/capacity/formulas.h"
#include "core/text/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace saxolith
{
namespace
{

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
        EXPECT_EQ(exchangeSortOrder(keys), literalExchangeOrder(keys)) << "list of " << keys.size();
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
        ASSERT_EQ(exchangeSortOrder(keys), literalExchangeOrder(keys)) << "trial " << trial;
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
        EXPECT_EQ(exchangeSortOrder(keys), literalExchangeOrder(keys)) << distinct << " distinct keys";
    }
}

// Long lists of few keys, where each key's rows are ordered as rings of many blocks, turned both
// ways: a few hundred keys, and two keys, one of them rare.
TEST(ExchangeSortOrder, MatchesTheLiteralSortOnLongListsOfFewKeys)
{
    std::mt19937 random(31);
    for (const int distinct : {300, 2}) {
        std::uniform_int_distribution<int> key(0, distinct - 1);
        std::vector<double> keys(20000);
        for (double &k : keys)
            k = distinct == 2 && key(random) == 1 && key(random) == 1 ? 1 : key(random) * 5.0;
        EXPECT_EQ(exchangeSortOrder(keys), literalExchangeOrder(keys)) << distinct << " distinct keys";
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
        ASSERT_EQ(exchangeSortOrder(keys), literalExchangeOrder(keys)) << "trial " << trial;
    }
}

TEST(ExchangeSortOrder, LeavesASortedListAsItIs)
{
    const std::vector<double> keys{1, 1, 2, 3, 3, 3, 8};
    std::vector<std::size_t> identity(keys.size());
    std::iota(identity.begin(), identity.end(), std::size_t{0});
    EXPECT_EQ(exchangeSortOrder(keys), identity);
}

// Ra values that stress the shown rounding: halves at each choice's last place as stored exactly
// (odd eighths, odd quarters, whole numbers and a half, tens and hundreds), the stored values just
// beside them, decimals that are stored near a half, and values of any size, each of either sign.
std::vector<double> shownRaSamples()
{
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<std::int64_t> whole(0, 12'000'000);
    std::uniform_int_distribution<int> places(0, 4);
    std::uniform_real_distribution<double> spread(0.0, 120000.0);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> power(-6, 9);
    std::vector<double> values{0.0, -0.0, 99999.995, 99999.994, 999999.5, 9999999.5, 1e7, 5e-324,
                               std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 4000; ++i) {
        const auto w = static_cast<double>(whole(random));
        values.push_back((2 * w + 1) / 8);
        values.push_back((2 * w + 1) / 4);
        values.push_back(w + 0.5);
        values.push_back(w * 10 + 5);
        values.push_back(w / std::pow(10.0, places(random)) + 0.005);
        values.push_back(spread(random));
        values.push_back(mantissa(random) * std::pow(10.0, power(random)));
    }
    const std::size_t samples = values.size();
    for (std::size_t i = 0; i < samples; ++i) {
        values.push_back(std::nextafter(values[i], HUGE_VAL));
        values.push_back(std::nextafter(values[i], -HUGE_VAL));
    }
    for (std::size_t i = 0; i < values.size(); i += 3)
        values[i] = -values[i];
    return values;
}

// The sort's key of a shown Ra is exactly the number its text reads back as, wherever it is found
// without the text, and it is found so for every Ra below 10^5 kN.
TEST(ShownKeys, RoundedHundredthsReadAsTheShownText)
{
    int failures = 0;
    for (const double ra : shownRaSamples()) {
        for (int choice = -1; choice <= precisionChoiceCount; ++choice) {
            const auto k = roundedHundredths(ra, choice);
            if (!k) {
                if (std::fabs(ra) < 99999.99 && choice >= 0 && choice < precisionChoiceCount && ++failures <= 10)
                    ADD_FAILURE() << ra << " at choice " << choice << " not found from the value";
                continue;
            }
            const std::string text = displayRounded(ra, choice);
            const std::optional<double> read = strictNumber(text);
            const double key = static_cast<double>(*k) / 100.0;
            if ((!read || std::bit_cast<std::uint64_t>(*read) != std::bit_cast<std::uint64_t>(key)) &&
                ++failures <= 10) {
                ADD_FAILURE() << std::hexfloat << ra << std::defaultfloat << " (" << ra << ") at choice "
                              << choice << ": " << *k << " hundredths for \"" << text << "\"";
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// A list whose Ra and d cells take every path to their keys: found from the value, read from a
// text rounded to seven digits, no number at all; rows of mixed precision; d whole, in halves,
// and beyond hundredths.
CandidateList mixedList(std::mt19937_64 &random, std::size_t n, bool unreadable)
{
    static const std::vector<double> ras = shownRaSamples();
    std::uniform_int_distribution<std::size_t> pickRa(0, 40);
    std::uniform_int_distribution<int> pickD(0, 7);
    std::uniform_int_distribution<int> choice(0, precisionChoiceCount - 1);
    CandidateList list;
    for (std::size_t i = 0; i < n; ++i) {
        CandidateRow row;
        // Few distinct values, so that equal shown keys are common.
        double ra = ras[10 + pickRa(random) * 7];
        if (!unreadable && !std::isfinite(ra))
            ra = 12.5;
        row.ra = i % 5 == 0 ? 2749.4 + (i % 3) * 0.1 : ra;
        const double ds[] = {1000, 1000.5, 800, 0.001, 1e9, -0.0, 0.0, 1e-3 * 3};
        row.first = ds[pickD(random)];
        row.precision = static_cast<std::uint8_t>(choice(random));
        row.number = static_cast<std::uint32_t>(i + 1);
        list.append(row);
    }
    return list;
}

TEST(ShownKeys, ListsSortAsTheLiteralSortOfTheirCellTexts)
{
    std::mt19937_64 random(77);
    for (int trial = 0; trial < 400; ++trial) {
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 90)(random);
        const CandidateList list = mixedList(random, n, trial % 4 == 0);
        for (const CandidateColumn column : {CandidateColumn::Ra, CandidateColumn::FirstDimension}) {
            std::vector<double> keys(n);
            for (std::size_t i = 0; i < n; ++i) {
                keys[i] = strictNumber(list.cell(i, column)).value_or(std::numeric_limits<double>::quiet_NaN());
                const auto k = shownHundredths(list, i, column);
                if (k) {
                    ASSERT_EQ(static_cast<double>(*k) / 100.0, keys[i]) << list.cell(i, column);
                }
            }
            // The literal sort, with a key that is no number exchanged with every other.
            std::vector<std::size_t> order(n);
            std::iota(order.begin(), order.end(), std::size_t{0});
            for (std::size_t i = 0; i < n; ++i) {
                double k = keys[order[i]];
                for (std::size_t j = i; j < n; ++j) {
                    const double v = keys[order[j]];
                    if (k > v || std::isnan(k) || std::isnan(v)) {
                        std::swap(order[i], order[j]);
                        k = v;
                    }
                }
            }
            CandidateList sorted = list;
            sorted.sortAscending(column);
            for (std::size_t p = 0; p < n; ++p)
                ASSERT_EQ(sorted.row(p).number, list.row(order[p]).number) << "trial " << trial << ", place " << p;
        }
    }
}

// Long lists sorted by d: rows moved in place, key by key (a few hundred diameters), or copied in
// the order where one diameter has more rows than the moves keep in the cache; either way the
// rows stand in the exchange sort's order of the shown numbers.
TEST(ShownKeys, LongListsSortByDInTheExchangeOrder)
{
    std::mt19937_64 random(5);
    for (const int diameters : {300, 2}) {
        std::uniform_int_distribution<int> pick(0, diameters - 1);
        std::uniform_real_distribution<double> ra(2000.0, 9000.0);
        CandidateList list;
        for (std::uint32_t i = 0; i < 40000; ++i) {
            CandidateRow row;
            row.first = 800 + pick(random) * 5.0;
            row.ra = ra(random);
            row.number = i + 1;
            list.append(row);
        }
        std::vector<double> keys(list.size());
        for (std::size_t i = 0; i < list.size(); ++i)
            keys[i] = list.row(i).first;
        const std::vector<std::size_t> order = exchangeSortOrder(keys);
        CandidateList sorted = list;
        std::size_t lastDone = 0;
        sorted.sortAscending(CandidateColumn::FirstDimension, [&](std::size_t done, std::size_t total) {
            EXPECT_GE(done, lastDone);
            EXPECT_LE(done, total);
            lastDone = done;
        });
        for (std::size_t p = 0; p < list.size(); ++p)
            ASSERT_EQ(sorted.row(p).number, list.row(order[p]).number) << diameters << " diameters, place " << p;
    }
}

} // namespace
} // namespace saxolith
