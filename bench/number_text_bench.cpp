// formatFixed and formatGeneral against std::to_chars on the same values, with the ratio of the two.
#include "core/text/number_text.h"

#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr std::size_t sampleCount = 4096;

// 0: values like Ra and qpa (0 to 20000); 1: ψr-like values (0 to 1); 2: a wide spread of
// magnitudes (1E-3 to 1E9), where seven significant digits often limit the text before the decimals;
// 3: the steps an optimisation run walks (1000 + 50·k mm, 0.55 + 0.05·k), as sums of a step.
std::vector<double> sampleValues(int kind)
{
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values(sampleCount);
    if (kind == 3) {
        for (std::size_t i = 0; i < sampleCount; ++i) {
            values[i] = i % 2 == 0 ? 1000.0 + 50.0 * static_cast<double>(i % 40) : 0.55;
            for (std::size_t k = 0; i % 2 == 1 && k < i % 6; ++k) {
                values[i] += 0.05;
            }
        }
        return values;
    }
    for (double &v : values) {
        switch (kind) {
        case 0:
            v = 20000.0 * unit(random);
            break;
        case 1:
            v = unit(random);
            break;
        default:
            v = std::pow(10.0, -3.0 + 12.0 * unit(random));
            break;
        }
    }
    return values;
}

constexpr std::array<int, 4> decimalsOf{2, 4, 2, 2};

std::string toCharsFixed(double x, int decimals)
{
    std::array<char, 400> buffer{};
    const auto r =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::fixed, decimals);
    return {buffer.data(), r.ptr};
}

std::string toCharsShortest(double x)
{
    std::array<char, 64> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
    return {buffer.data(), r.ptr};
}

void formatFixedTexts(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const auto values = sampleValues(kind);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(saxolith::formatFixed(values[i++ % sampleCount], 7, decimalsOf[kind]));
    }
}
BENCHMARK(formatFixedTexts)->DenseRange(0, 2)->ArgName("values");

void toCharsFixedTexts(benchmark::State &state)
{
    const int kind = static_cast<int>(state.range(0));
    const auto values = sampleValues(kind);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(toCharsFixed(values[i++ % sampleCount], decimalsOf[kind]));
    }
}
BENCHMARK(toCharsFixedTexts)->DenseRange(0, 2)->ArgName("values");

void formatGeneralTexts(benchmark::State &state)
{
    const auto values = sampleValues(static_cast<int>(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(saxolith::formatGeneral(values[i++ % sampleCount]));
    }
}
BENCHMARK(formatGeneralTexts)->DenseRange(0, 3)->ArgName("values");

// Both texts of every sample in turn, timed separately: the counter `ratio` is the time of ours
// over the time of std::to_chars, measured side by side in the same run.
template <typename Ours, typename Theirs> void ratioOf(benchmark::State &state, Ours ours, Theirs theirs)
{
    const int kind = static_cast<int>(state.range(0));
    const auto values = sampleValues(kind);
    using Clock = std::chrono::steady_clock;
    Clock::duration oursTime{};
    Clock::duration theirsTime{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const double v : values) {
            benchmark::DoNotOptimize(ours(v, decimalsOf[kind]));
        }
        const auto middle = Clock::now();
        for (const double v : values) {
            benchmark::DoNotOptimize(theirs(v, decimalsOf[kind]));
        }
        oursTime += middle - start;
        theirsTime += Clock::now() - middle;
    }
    state.counters["ratio"] =
        std::chrono::duration<double>(oursTime) / std::chrono::duration<double>(theirsTime);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(sampleCount));
}

void formatFixedOverToChars(benchmark::State &state)
{
    ratioOf(
        state, [](double v, int n) { return saxolith::formatFixed(v, 7, n); }, toCharsFixed);
}
BENCHMARK(formatFixedOverToChars)->DenseRange(0, 2)->ArgName("values");

void formatGeneralOverToChars(benchmark::State &state)
{
    ratioOf(
        state, [](double v, int) { return saxolith::formatGeneral(v); },
        [](double v, int) { return toCharsShortest(v); });
}
BENCHMARK(formatGeneralOverToChars)->DenseRange(0, 3)->ArgName("values");

} // namespace
