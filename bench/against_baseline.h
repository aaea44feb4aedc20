// A measure and its baseline run in turn in every iteration of one benchmark, so that both see
// the same load; the benchmark's time is the measure's, and the counters give the baseline's
// time and the ratio of the two.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <utility>

namespace against_baseline
{

// Seconds taken by `work`.
template <typename Work> double seconds(Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    std::forward<Work>(work)();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// `measure` and `baseline` each return the seconds of the part they time; register with
// ->UseManualTime().
template <typename Measure, typename Baseline>
void run(benchmark::State &state, const std::string &baselineName, Measure measure, Baseline baseline)
{
    double measured = 0.0;
    double base = 0.0;
    for (auto _ : state) {
        base += baseline();
        const double m = measure();
        measured += m;
        state.SetIterationTime(m);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["base_ms"] = base / iterations * 1e3;
    state.counters["x_base"] = base > 0.0 ? measured / base : 0.0;
    state.SetLabel("base: " + baselineName);
}

} // namespace against_baseline
