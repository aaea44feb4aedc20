// The option rows and the candidate count: any texts read or are refused with a message, the count
// never wraps, and a run beyond the limit is refused before anything is evaluated (the allocation
// limit of the fuzzer catches a run that builds its rows first).
#include "fuzz_check.h"
#include "core/optimise/enumeration.h"
#include "core/optimise/value_series.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    OptionTexts texts = startOptionTexts();
    // Change a few cells: the rest keep the start-up texts, so runs stay small enough to evaluate.
    const int edits = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < edits; ++i) {
        const auto row = in.ConsumeIntegralInRange<std::size_t>(0, texts.size() - 1);
        const auto column = in.ConsumeIntegralInRange<std::size_t>(0, 2);
        texts[row][column] = in.ConsumeRandomLengthString(40);
    }
    const OptionReading reading = readOptions(texts);
    if (reading.failure != SeriesFailure::None) {
        require(!reading.message.empty(), "a failure has its message");
        return 0;
    }
    for (const ValueSeries &s : reading.series) {
        require(s.count >= 1, "every row holds a value");
    }
    const std::uint64_t count = candidateCount(reading.series);
    if (count > candidateLimit) {
        const RunResult result = runEnumeration(texts, defaultCalculationInput());
        require(result.end == RunEnd::TooMany && result.rows.empty(), "an absurd run is refused");
    } else if (count <= 3000) {
        const RunResult result = runEnumeration(texts, defaultCalculationInput());
        require(result.rows.size() <= count, "no more rows than candidates");
    }
    return 0;
}
