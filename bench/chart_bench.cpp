// The candidate chart's reduction and row index at two million rows, each beside a plain pass over
// the same rows, in the same run: the counter `ratio` is the time the user waits for the chart (which
// may use two threads) over the plain pass's, on one thread; `cpu_ratio` is the processor time of all
// the chart's threads over the plain pass's. Take `ratio` on a quiet machine: when other work holds a
// processor, the chart's second thread waits for it.
#include "core/chart/candidate_chart.h"
#include "chart_rows.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <numeric>
#include <random>
#include <tuple>
#include <vector>

namespace
{

using saxolith::CandidateList;
using saxolith::CandidateRow;
using saxolith::ChartAxis;

constexpr std::size_t largestList = 2'000'000;

const CandidateList &sampleList()
{
    static const CandidateList list = saxolith::reference::largeChartList(largestList);
    return list;
}

// The same rows as a run lists them: by section, then by dimensions, the rows of one pair of
// dimensions one after another.
const CandidateList &runOrderList()
{
    static const CandidateList list = [] {
        const CandidateList &sample = sampleList();
        std::vector<std::size_t> order(sample.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const CandidateRow &x = sample.row(a);
            const CandidateRow &y = sample.row(b);
            return std::tuple(x.section, x.first, x.second) < std::tuple(y.section, y.first, y.second);
        });
        CandidateList sorted;
        sorted.reserve(order.size());
        for (const std::size_t i : order)
            sorted.append(sample.row(i));
        sorted.renumber();
        return sorted;
    }();
    return list;
}

// The baseline: one pass that reads of every row what the chart reads: its section, dimensions, Ra
// and precision.
double plainPass(const CandidateList &list)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const CandidateRow &row = list.row(i);
        sum += (row.first + row.second) +
               (row.ra + static_cast<double>(static_cast<int>(row.section) + row.precision));
    }
    return sum;
}

// The processor time of every thread of the program.
double cpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

template <typename Work>
void ratioToPlainPass(benchmark::State &state, Work work, const CandidateList &list = sampleList())
{
    double ours = 0.0;
    double base = 0.0;
    double oursCpu = 0.0;
    double baseCpu = 0.0;
    for (auto _ : state) {
        const double start = wallSeconds();
        const double startCpu = cpuSeconds();
        work(list);
        const double middle = wallSeconds();
        const double middleCpu = cpuSeconds();
        benchmark::DoNotOptimize(plainPass(list));
        const double endCpu = cpuSeconds();
        base += wallSeconds() - middle;
        ours += middle - start;
        oursCpu += middleCpu - startCpu;
        baseCpu += endCpu - middleCpu;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["ratio"] = ours / base;
    state.counters["cpu_ratio"] = oursCpu / baseCpu;
    state.counters["ms"] = ours * 1e3 / iterations;
    state.counters["cpu_ms"] = oursCpu * 1e3 / iterations;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(list.size()));
}

// Checked once: every row counted in its series, and each envelope holds every distinct x of its
// series with the highest Ra there.
bool reducedAsMeant(const CandidateList &list, ChartAxis axis, const saxolith::ReducedChart &chart)
{
    std::array<std::vector<std::pair<double, double>>, saxolith::chartSeriesCount> byX;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const CandidateRow &row = list.row(i);
        byX[static_cast<std::size_t>(saxolith::chartSeriesOf(row))].emplace_back(saxolith::chartX(row, axis),
                                                                                  saxolith::chartRa(row));
    }
    for (std::size_t s = 0; s < byX.size(); ++s) {
        auto &points = byX[s];
        std::sort(points.begin(), points.end());
        std::vector<std::pair<double, double>> highest;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i + 1 == points.size() || points[i + 1].first != points[i].first)
                highest.push_back(points[i]);
        }
        const auto &envelope = chart.series[s].envelope;
        if (chart.series[s].rowCount != points.size() || envelope.size() != highest.size())
            return false;
        for (std::size_t i = 0; i < highest.size(); ++i) {
            if (envelope[i].x != highest[i].first || envelope[i].y != highest[i].second)
                return false;
        }
    }
    return true;
}

// As the chart window asks: 1000 pixel columns, a raster of `rows` cells a column, at most 3000 raster
// points.
void reduceListForChart(benchmark::State &state, const CandidateList &sample)
{
    const auto axis = static_cast<ChartAxis>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    constexpr std::size_t rasterBudget = 3000;
    if (!reducedAsMeant(sample, axis, saxolith::reduceForChart(sample, axis, 1000, rows, rasterBudget))) {
        state.SkipWithError("the reduction lost rows or envelope points");
        return;
    }
    ratioToPlainPass(
        state,
        [&](const CandidateList &list) {
            benchmark::DoNotOptimize(saxolith::reduceForChart(list, axis, 1000, rows, rasterBudget));
        },
        sample);
}

// The rows in no order, as after a sort by Ra.
void reduceForChart(benchmark::State &state)
{
    reduceListForChart(state, sampleList());
}
BENCHMARK(reduceForChart)
    ->Args({0, 0})
    ->Args({0, 125})
    ->Args({1, 125})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The rows as the run lists them.
void reduceRunOrderForChart(benchmark::State &state)
{
    reduceListForChart(state, runOrderList());
}
BENCHMARK(reduceRunOrderForChart)
    ->Args({0, 125})
    ->Args({1, 125})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void buildNearestRowIndex(benchmark::State &state)
{
    ratioToPlainPass(state, [](const CandidateList &list) {
        benchmark::DoNotOptimize(saxolith::NearestRowIndex(list, ChartAxis::FirstDimension));
    });
}
BENCHMARK(buildNearestRowIndex)->Unit(benchmark::kMillisecond);

// One hover: the row within 8 pixels of a point on a 1000 × 500 plot.
void nearestRow(benchmark::State &state)
{
    const saxolith::NearestRowIndex index(sampleList(), ChartAxis::Area);
    const auto &b = index.bounds();
    std::mt19937 random(3);
    std::uniform_real_distribution<double> x(b.xMin, b.xMax);
    std::uniform_real_distribution<double> y(b.yMin, b.yMax);
    const double xScale = 1000.0 / (b.xMax - b.xMin);
    const double yScale = 500.0 / (b.yMax - b.yMin);
    for (auto _ : state)
        benchmark::DoNotOptimize(index.nearest(x(random), y(random), xScale, yScale, 8.0));
}
BENCHMARK(nearestRow)->Unit(benchmark::kMicrosecond);

} // namespace
