// Exporting a million-row candidate list as CSV and as a workbook, beside the saved list file's text.
#include "optimise/enumeration.h"
#include "output/list_export.h"
#include "output/list_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace
{

using saxolith::CandidateList;

constexpr std::size_t millionRows = 1'000'000;

// A real large run (938,676 candidates: d in 5 mm and c in 10 mm steps over every section and
// route), topped up from its start to a million and numbered anew.
const CandidateList &millionRowList()
{
    static const CandidateList list = [] {
        saxolith::OptionTexts options = saxolith::startOptionTexts();
        options[1] = {"800", "3000", "5"};
        options[2] = {"100", "1200", "10"};
        const saxolith::RunResult run =
            saxolith::runEnumeration(options, saxolith::defaultCalculationInput());
        CandidateList rows;
        rows.reserve(millionRows);
        for (std::size_t i = 0; i < millionRows; ++i) {
            rows.append(run.rows.row(i % run.rows.size()));
        }
        rows.renumber();
        return rows;
    }();
    return list;
}

std::string scratchPath(const char *name)
{
    return (std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + name)).string();
}

// Baseline: the saved list file's text of the same rows, in memory.
void BM_ListFileText(benchmark::State &state)
{
    const CandidateList &list = millionRowList();
    for (auto _ : state) {
        std::ostringstream out;
        saxolith::writeListFile(out, list, saxolith::ListFileKind::Raw, "2024/1/2 10:20:30");
        benchmark::DoNotOptimize(out.tellp());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_ListFileText)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportCsv(benchmark::State &state)
{
    const CandidateList &list = millionRowList();
    const std::string path = scratchPath("_bench.csv");
    for (auto _ : state) {
        if (saxolith::exportListCsv(path, list)) {
            state.SkipWithError("CSV export failed");
        }
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportXlsx(benchmark::State &state)
{
    const CandidateList &list = millionRowList();
    const std::string path = scratchPath("_bench.xlsx");
    for (auto _ : state) {
        if (saxolith::exportListXlsx(path, list, "sheet")) {
            state.SkipWithError("workbook export failed");
        }
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
