// Whole calculations, from the input screen's texts to the outcome, as the optimisation run makes them.
#include "core/capacity/calculation.h"

#include <benchmark/benchmark.h>

namespace
{

using saxolith::CalculationInput;

// Typical inputs: the start-up pile, an interpolated index, a rectangle whose sides are exchanged,
// the qpa route, and one stopped by an input error.
CalculationInput typical(int which)
{
    CalculationInput input = saxolith::defaultCalculationInput();
    switch (which) {
    case 1:
        input.firstDimension = "1600";
        input.frk = "45";
        input.integrity = "0.65";
        input.precision = 0;
        break;
    case 2:
        input.sectionItem = 2;
        input.firstDimension = "1000";
        input.secondDimension = "1500";
        break;
    case 3:
        input.route = saxolith::StrengthRoute::QpaGiven;
        break;
    case 4:
        input.integrity = "0.3";
        break;
    default:
        break;
    }
    return input;
}

void calculation(benchmark::State &state)
{
    const CalculationInput input = typical(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(saxolith::calculate(input));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(calculation)->DenseRange(0, 4)->ArgName("input");

// A run's mix: the enumeration writes new texts into a few fields before each calculation.
void candidateRun(benchmark::State &state)
{
    CalculationInput input = saxolith::defaultCalculationInput();
    static const char *const diameters[] = {"1000", "1100", "1200", "1300", "1400", "1500"};
    static const char *const indices[] = {"0.55", "0.6", "0.65", "0.7", "0.75", "0.8"};
    std::size_t i = 0;
    for (auto _ : state) {
        input.firstDimension = diameters[i % 6];
        input.integrity = indices[(i / 6) % 6];
        ++i;
        benchmark::DoNotOptimize(saxolith::calculate(input));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(candidateRun);

} // namespace
