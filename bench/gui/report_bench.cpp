// The calculation report of 1,000 piles as PDF and as .docx, each against writing the same pages' text
// to a file in the same iteration: what typesetting and packing add is the ratio.
#include "pages/report_pages.h"

#include "core/book/calculation_book.h"
#include "core/report/docx_file.h"
#include "core/save/safe_file.h"

#include <QDir>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include "../against_baseline.h"

#include <filesystem>
#include <string>

namespace
{

using namespace saxolith;

constexpr int piles = 1000;

std::vector<BookEntry> entries()
{
    std::vector<BookEntry> out;
    for (int pile = 0; pile < piles; ++pile) {
        CalculationInput input = defaultCalculationInput();
        input.sectionItem = pile % 3;
        input.secondDimension = pile % 3 == 0 ? "0" : "500";
        input.integrity = pile % 2 == 0 ? "较完整" : "0.62";
        input.firstDimension = std::to_string(800 + pile % 9 * 100);
        out.push_back({input, "ZH" + std::to_string(pile + 1), {}});
    }
    return out;
}

ReportDocument build(const std::vector<BookEntry> &all)
{
    ReportBuilder builder{ReportSettings{}};
    builder.addBookEntries(all);
    return builder.finish();
}

// The baseline: the same document's texts, one line per paragraph or table row, streamed to a file.
double writeText(const ReportDocument &document, const std::string &path)
{
    return against_baseline::seconds([&] {
        const auto error = saveFile(path, [&](const ByteSink &sink) {
            SinkStream out(sink);
            for (const Block &block : document.blocks) {
                for (const auto &row : block.table.rows) {
                    for (const Runs &cell : row) {
                        out << plainText(cell) << '\t';
                    }
                    out << '\n';
                }
                out << plainText(block.runs) << '\n';
            }
            return completeWhen(out.finish());
        });
        benchmark::DoNotOptimize(error);
    });
}

std::string scratch(const char *name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

using ReportWriter = std::optional<std::string> (*)(const ReportDocument &, const std::string &,
                                                    const ReportProgress &);

// From the book's entries to the file written by `write`: the document is built inside the measure.
// Returns the file's size.
std::uintmax_t measureReport(benchmark::State &state, ReportWriter write, const char *file)
{
    const std::vector<BookEntry> all = entries();
    const ReportDocument text = build(all);
    against_baseline::run(
        state, "text of the same pages",
        [&] {
            return against_baseline::seconds([&] {
                const auto error = write(build(all), scratch(file), {});
                if (error) {
                    state.SkipWithError(error->c_str());
                }
            });
        },
        [&] { return writeText(text, scratch("saxolith-bench-report.txt")); });
    std::error_code ignored;
    return std::filesystem::file_size(scratch(file), ignored);
}

void BM_ReportPdf(benchmark::State &state)
{
    state.counters["pages_bytes"] =
        static_cast<double>(measureReport(state, writeReportPdf, "saxolith-bench-report.pdf"));
}
BENCHMARK(BM_ReportPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReportDocx(benchmark::State &state)
{
    measureReport(state, writeReportDocx, "saxolith-bench-report.docx");
}
BENCHMARK(BM_ReportDocx)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
