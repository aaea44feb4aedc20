// formatFixed against std::to_chars on the same values.
#include "capacity/number_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <random>
#include <vector>

namespace {

std::vector<double> sampleValues()
{
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> spread(0.0, 20000.0);
    std::vector<double> values(4096);
    for (double &v : values) {
        v = spread(random);
    }
    return values;
}

void formatFixedTwoDecimals(benchmark::State &state)
{
    const auto values = sampleValues();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(saxolith::formatFixed(values[i++ & 4095], 7, 2));
    }
}
BENCHMARK(formatFixedTwoDecimals);

void toCharsTwoDecimals(benchmark::State &state)
{
    const auto values = sampleValues();
    std::array<char, 64> buffer{};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), values[i++ & 4095],
                                     std::chars_format::fixed, 2);
        benchmark::DoNotOptimize(std::string(buffer.data(), r.ptr));
    }
}
BENCHMARK(toCharsTwoDecimals);

} // namespace
