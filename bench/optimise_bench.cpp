// The optimisation run: the start-up options and a run of 938,676 candidates, each against the
// plain way of the same run in the same iteration: every candidate's texts written and the
// calculate command's whole outcome made from them.
#include "against_baseline.h"

#include "text_path_run.h"
#include "core/optimise/enumeration.h"

#include <benchmark/benchmark.h>

namespace
{

using saxolith::OptionTexts;

void runOptions(benchmark::State &state, const OptionTexts &options)
{
    const saxolith::CalculationInput input = saxolith::defaultCalculationInput();
    std::size_t rows = 0;
    against_baseline::run(
        state, "whole outcome per candidate",
        [&] {
            return against_baseline::seconds([&] {
                saxolith::RunResult result = saxolith::runEnumeration(options, input);
                rows = result.rows.size();
                benchmark::DoNotOptimize(result);
            });
        },
        [&] {
            return against_baseline::seconds([&] {
                saxolith::RunResult result = saxolith::text_path::run(options, input);
                benchmark::DoNotOptimize(result);
            });
        });
    state.counters["candidates"] = static_cast<double>(rows);
    state.counters["candidates/s"] = benchmark::Counter(
        static_cast<double>(rows) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes/row"] = sizeof(saxolith::CandidateRow);
}

void startUpRun(benchmark::State &state)
{
    runOptions(state, saxolith::startOptionTexts());
}
BENCHMARK(startUpRun)->Unit(benchmark::kMillisecond)->UseManualTime();

void largeRun(benchmark::State &state)
{
    OptionTexts options = saxolith::startOptionTexts();
    options[1] = {"800", "3000", "5"};
    options[2] = {"100", "1200", "10"};
    runOptions(state, options);
}
BENCHMARK(largeRun)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

} // namespace
