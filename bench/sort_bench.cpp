// Sorting the candidate list in the exact exchange order, filtering it and writing its text.
#include "optimise/candidate_list.h"
#include "output/list_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <sstream>

namespace
{

using saxolith::CandidateList;
using saxolith::CandidateRow;

// Rows like a large run's: d from a few hundred values (many ties), Ra rounded to whole kN.
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

std::vector<double> keysOf(const CandidateList &list, int column)
{
    std::vector<double> keys(list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        keys[i] = std::stod(list.cell(i, column));
    return keys;
}

std::vector<std::size_t> literalExchangeOrder(const std::vector<double> &keys)
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

// Whole list command: key texts read back, order found, rows moved.
void sortListByColumn(benchmark::State &state)
{
    const CandidateList base = sampleList(static_cast<std::size_t>(state.range(0)));
    const int column = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        CandidateList list = base;
        state.ResumeTiming();
        list.sortAscending(column);
        benchmark::DoNotOptimize(list);
    }
    state.SetLabel(column == 2 ? "by d" : "by Ra");
}
BENCHMARK(sortListByColumn)->Args({1'000'000, 4})->Args({1'000'000, 2})->Unit(benchmark::kMillisecond);

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

// The order alone, against the literal exchange sort and std::stable_sort on the same keys.
void exchangeOrder(benchmark::State &state)
{
    const auto keys = keyMix(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(saxolith::exchangeSortOrder(keys));
    state.SetLabel(mixName(static_cast<int>(state.range(1))));
}
BENCHMARK(exchangeOrder)
    ->Args({20'000, 0})
    ->Args({20'000, 1})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond);

void literalOrder(benchmark::State &state)
{
    const auto keys = keyMix(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(literalExchangeOrder(keys));
    state.SetLabel(mixName(static_cast<int>(state.range(1))));
}
BENCHMARK(literalOrder)->Args({20'000, 0})->Args({20'000, 1})->Unit(benchmark::kMillisecond);

void stableSortOrder(benchmark::State &state)
{
    const auto keys = keyMix(static_cast<std::size_t>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        std::vector<std::size_t> order(keys.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
        benchmark::DoNotOptimize(order);
    }
    state.SetLabel(mixName(static_cast<int>(state.range(1))));
}
BENCHMARK(stableSortOrder)
    ->Args({20'000, 0})
    ->Args({20'000, 1})
    ->Args({1'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond);

void filterByRa(benchmark::State &state)
{
    const CandidateList list = sampleList(1'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(saxolith::filterCandidates(list, "10000", "11000"));
}
BENCHMARK(filterByRa)->Unit(benchmark::kMillisecond);

void writeListText(benchmark::State &state)
{
    const CandidateList list = sampleList(1'000'000);
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        saxolith::writeListFile(out, list, saxolith::ListFileKind::Raw, "2024/6/11 9:05:03");
        bytes = out.str().size();
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(writeListText)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
