// The calculation book at 1,000 entries: recording the next entry, deleting the last, and the
// saved file's bytes (CR LF join and GBK encoding), against a plain copy of the same lines as baseline;
// and a book made again from 5,000 entries whose ids grow one after another to the longest a schedule
// allows, against the same entries with every id already that long.
#include "core/book/book_file.h"
#include "core/book/calculation_book.h"

#include "against_baseline.h"

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

// A project's book made again: each id a character longer every 25 entries, up to 200, widens the table
// book's id column 200 times; laid out once, it costs what the same book with no widening costs.
void rebuildGrowingIds(benchmark::State &state)
{
    constexpr int rebuilt = 5000;
    const PileRecord record = sampleRecord();
    const auto make = [&record](bool growing) {
        return against_baseline::seconds([&] {
            CalculationBook book;
            for (int i = 0; i < rebuilt; ++i) {
                book.record(record, timeText, std::string(growing ? std::size_t(1 + i / 25) : 200, 'P'));
            }
            benchmark::DoNotOptimize(book.tableLines().data());
        });
    };
    against_baseline::run(
        state, "ids already at their longest", [&] { return make(true); }, [&] { return make(false); });
}
BENCHMARK(rebuildGrowingIds)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(copyLines, textBook, false);
BENCHMARK_CAPTURE(saveBytes, textBookGbk, false, "GBK");
BENCHMARK_CAPTURE(saveBytes, textBookUtf8, false, "UTF-8");
BENCHMARK_CAPTURE(copyLines, tableBook, true);
BENCHMARK_CAPTURE(saveBytes, tableBookGbk, true, "GBK");

} // namespace
