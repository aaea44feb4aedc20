// The calculation book at 1,000 entries: recording the next entry, deleting the last, and the
// saved file's bytes (CR LF join and GBK encoding), against a plain copy of the same lines as baseline.
#include "core/book/calculation_book.h"
#include "core/book/book_file.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace saxolith;

constexpr int entries = 1000;
constexpr std::string_view timeText = "2024/1/2 10:20:30";

PileRecord sampleRecord()
{
    return calculate(defaultCalculationInput()).record.value_or(PileRecord{});
}

CalculationBook fullBook()
{
    CalculationBook book;
    const PileRecord record = sampleRecord();
    for (int i = 0; i < entries; ++i) {
        book.record(record, timeText);
    }
    return book;
}

// One more entry on a book of 1,000, then removed again so every round starts alike.
void recordOnFullBook(benchmark::State &state)
{
    CalculationBook book = fullBook();
    const PileRecord record = sampleRecord();
    for (auto _ : state) {
        book.record(record, timeText);
        state.PauseTiming();
        book.deleteLast();
        state.ResumeTiming();
    }
}
BENCHMARK(recordOnFullBook);

void deleteLastOfFullBook(benchmark::State &state)
{
    CalculationBook book = fullBook();
    const PileRecord record = sampleRecord();
    for (auto _ : state) {
        book.deleteLast();
        state.PauseTiming();
        book.record(record, timeText);
        state.ResumeTiming();
    }
}
BENCHMARK(deleteLastOfFullBook);

// The baseline: copying the lines into one string, the least any save must do.
void copyLines(benchmark::State &state, bool table)
{
    const CalculationBook book = fullBook();
    const auto &lines = table ? book.tableLines() : book.textLines();
    std::size_t bytes = 0;
    std::size_t total = 0;
    for (const std::string &line : lines) {
        total += line.size();
    }
    for (auto _ : state) {
        std::string all;
        all.reserve(total);
        for (const std::string &line : lines) {
            all += line;
        }
        bytes = all.size();
        benchmark::DoNotOptimize(all);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void saveBytes(benchmark::State &state, bool table, std::string_view codePage)
{
    const CalculationBook book = fullBook();
    const auto &lines = table ? book.tableLines() : book.textLines();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string file = bookFileBytes(lines, codePage);
        bytes = file.size();
        benchmark::DoNotOptimize(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

BENCHMARK_CAPTURE(copyLines, textBook, false);
BENCHMARK_CAPTURE(saveBytes, textBookGbk, false, "GBK");
BENCHMARK_CAPTURE(saveBytes, textBookUtf8, false, "UTF-8");
BENCHMARK_CAPTURE(copyLines, tableBook, true);
BENCHMARK_CAPTURE(saveBytes, tableBookGbk, true, "GBK");

} // namespace
