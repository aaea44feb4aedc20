// The list commands in the core on the large run (938,676 candidates) and on a million random
// rows, each against a plain library operation on the same data in the same run; the header
// clicks also show the most memory they hold beyond the list, per row.
#include "allocation_meter.h"
#include "against_baseline.h"

#include "core/optimise/candidate_list.h"
#include "core/optimise/exchange_sort.h"
#include "core/optimise/list_commands.h"
#include "core/optimise/enumeration.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>

namespace
{

using saxolith::CandidateList;
using saxolith::CandidateRow;

// The rows of the large run: d 800–3000 step 5, c 100–1200 step 10, the other start-up options.
const CandidateList &largeRun()
{
    static const CandidateList list = [] {
        saxolith::OptionTexts options = saxolith::startOptionTexts();
        options[1] = {"800", "3000", "5"};
        options[2] = {"100", "1200", "10"};
        return saxolith::runEnumeration(options, saxolith::defaultCalculationInput()).rows;
    }();
    return list;
}

// Rows like a large run's: d from a few hundred values (many ties), Ra spread at random.
CandidateList sampleList(std::size_t n)
{
    std::mt19937_64 random(11);
    std::uniform_int_distribution<int> d(160, 600);
    std::uniform_real_distribution<double> ra(2000.0, 90000.0);
    CandidateList list;
    list.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        CandidateRow row;
        row.first = d(random) * 5.0;
        row.ra = ra(random);
        row.strength = 3500;
        row.qpa = 3500;
        row.number = static_cast<std::uint32_t>(i + 1);
        list.append(row);
    }
    list.renumber();
    return list;
}

const CandidateList &randomMillion()
{
    static const CandidateList list = sampleList(1'000'000);
    return list;
}

const CandidateList &listOf(std::int64_t which)
{
    return which == 0 ? largeRun() : randomMillion();
}

// A header click from unsorted (keys, order, moves), against std::stable_sort of the same rows by
// the values the column shows from. Memory: the most held beyond the list, per row.
void headerClick(benchmark::State &state)
{
    const CandidateList &base = listOf(state.range(0));
    const int column = static_cast<int>(state.range(1));
    std::size_t peak = 0;
    against_baseline::run(
        state, "stable_sort of the rows",
        [&] {
            CandidateList list = base;
            saxolith::SortState d = saxolith::SortState::Unsorted;
            saxolith::SortState ra = saxolith::SortState::Unsorted;
            const std::size_t from = allocation_meter::start();
            const double s = against_baseline::seconds([&] { saxolith::headerClick(list, column, d, ra); });
            peak = std::max(peak, allocation_meter::above(from));
            benchmark::DoNotOptimize(list);
            return s;
        },
        [&] {
            std::vector<CandidateRow> rows(base.size());
            for (std::size_t i = 0; i < base.size(); ++i)
                rows[i] = base.row(i);
            return against_baseline::seconds([&] {
                std::stable_sort(rows.begin(), rows.end(), [column](const CandidateRow &a, const CandidateRow &b) {
                    return column == 2 ? a.first < b.first : a.ra < b.ra;
                });
            });
        });
    state.counters["rows"] = static_cast<double>(base.size());
    state.counters["peak_B/row"] = static_cast<double>(peak) / static_cast<double>(base.size());
    state.SetLabel(std::string(state.range(0) == 0 ? "large run" : "random rows") +
                   (column == 2 ? ", by d" : ", by Ra"));
}
BENCHMARK(headerClick)
    ->Args({0, 4})
    ->Args({0, 2})
    ->Args({1, 4})
    ->Args({1, 2})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The list ascending by the number the column shows, read back from each cell's text.
bool ascendingByShown(const CandidateList &list, int column)
{
    double previous = -1e300;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const double shown = std::stod(list.cell(i, column));
        if (shown < previous)
            return false;
        previous = shown;
    }
    return true;
}

// The whole header click from unsorted (keys, order, moves) on random rows of growing size,
// against std::stable_sort of the row indices by the values the column shows. Checked once: the
// list comes out ascending.
void headerClickBySize(benchmark::State &state)
{
    const CandidateList base = sampleList(static_cast<std::size_t>(state.range(0)));
    const int column = static_cast<int>(state.range(1));
    std::vector<double> keys(base.size());
    for (std::size_t i = 0; i < base.size(); ++i)
        keys[i] = static_cast<double>(*saxolith::shownHundredths(base, i, static_cast<saxolith::CandidateColumn>(column))) / 100.0;
    bool checked = false;
    against_baseline::run(
        state, "stable_sort of indices",
        [&] {
            CandidateList list = base;
            saxolith::SortState d = saxolith::SortState::Unsorted;
            saxolith::SortState ra = saxolith::SortState::Unsorted;
            const double s = against_baseline::seconds([&] { saxolith::headerClick(list, column, d, ra); });
            if (!checked) {
                checked = true;
                if (!ascendingByShown(list, column))
                    state.SkipWithError("the list is not ascending after the click");
            }
            benchmark::DoNotOptimize(list);
            return s;
        },
        [&] {
            std::vector<std::uint32_t> order(keys.size());
            return against_baseline::seconds([&] {
                std::iota(order.begin(), order.end(), std::uint32_t{0});
                std::stable_sort(order.begin(), order.end(),
                                 [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
                benchmark::DoNotOptimize(order);
            });
        });
    state.counters["rows"] = static_cast<double>(base.size());
    state.SetLabel(column == 2 ? "random rows by d" : "random rows by Ra");
}
BENCHMARK(headerClickBySize)
    ->ArgsProduct({{10'000, 100'000, 1'000'000, 2'000'000}, {4, 2}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

std::vector<double> keysOf(const CandidateList &list, int column)
{
    std::vector<double> keys(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        keys[i] = std::stod(list.cell(i, column));
    return keys;
}

// The three key mixes of the sort: d (a few hundred values), Ra as shown (mostly distinct), and a
// pool of 400 values drawn at random.
std::vector<double> keyMix(std::size_t n, int mix)
{
    if (mix == 2) {
        std::mt19937_64 random(5);
        std::uniform_int_distribution<int> pick(0, 399);
        std::vector<double> keys(n);
        for (double &k : keys)
            k = 1000.0 + pick(random) * 12.5;
        return keys;
    }
    return keysOf(sampleList(n), mix == 0 ? 2 : 4);
}

const char *mixName(int mix)
{
    return mix == 0 ? "d keys" : mix == 1 ? "Ra keys" : "400-value pool";
}

// The order alone, against std::stable_sort of the indices by the same keys.
void exchangeOrder(benchmark::State &state)
{
    const auto keys = keyMix(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
    against_baseline::run(
        state, "stable_sort of indices",
        [&] {
            return against_baseline::seconds([&] { benchmark::DoNotOptimize(saxolith::exchangeSortOrder(keys)); });
        },
        [&] {
            return against_baseline::seconds([&] {
                std::vector<std::size_t> order(keys.size());
                std::iota(order.begin(), order.end(), std::size_t{0});
                std::stable_sort(order.begin(), order.end(),
                                 [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
                benchmark::DoNotOptimize(order);
            });
        });
    state.SetLabel(std::string(mixName(static_cast<int>(state.range(1)))) + ", base: stable_sort of indices");
}
BENCHMARK(exchangeOrder)
    ->Args({20'000, 0})
    ->Args({20'000, 1})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The filter command, against copying the rows whose Ra value lies in the range.
void filterByRa(benchmark::State &state)
{
    const CandidateList &list = listOf(state.range(0));
    // Checked once: the rows kept are those whose Ra cell reads within the range.
    std::size_t expected = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const double shown = std::stod(list.cell(i, 4));
        expected += shown >= 10000 && shown <= 11000 ? 1 : 0;
    }
    bool checked = false;
    against_baseline::run(
        state, "copy_if on the Ra value",
        [&] {
            saxolith::FilterOutcome outcome;
            const double s = against_baseline::seconds(
                [&] { outcome = saxolith::filterCandidates(list, "10000", "11000"); });
            if (!checked) {
                checked = true;
                if (outcome.rows.size() != expected)
                    state.SkipWithError("the filter kept other rows than those in range");
            }
            return s;
        },
        [&] {
            return against_baseline::seconds([&] {
                CandidateList out;
                for (std::size_t i = 0; i < list.size(); ++i) {
                    if (list.row(i).ra >= 10000 && list.row(i).ra <= 11000)
                        out.append(list.row(i));
                }
                benchmark::DoNotOptimize(out);
            });
        });
    state.counters["kept"] = static_cast<double>(expected);
}
BENCHMARK(filterByRa)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
