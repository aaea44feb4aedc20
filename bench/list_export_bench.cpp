// Exporting a million-row candidate list as CSV and as a workbook, beside the saved list file's text.
#include "against_baseline.h"

#include "core/optimise/enumeration.h"
#include "core/optimise/list_export.h"
#include "core/optimise/list_file.h"

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <charconv>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <unistd.h>
#include <vector>

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

// The CSV export against its floor: fwrite and fsync of the very bytes it writes (made beforehand),
// in turn in every iteration. Checked once: the file holds exactly those bytes. Argument: 1 with the
// shaft's column Rp (C30, ψc 0.75).
void BM_ExportCsv(benchmark::State &state)
{
    const CandidateList &list = millionRowList();
    const std::string path = scratchPath("_bench.csv");
    const std::string floorPath = scratchPath("_floor.csv");
    const std::optional<saxolith::ShaftColumn> shaft =
        state.range(0) == 1 ? std::optional<saxolith::ShaftColumn>(saxolith::ShaftColumn{14.3, 0.75}) : std::nullopt;
    std::ostringstream text;
    saxolith::writeListCsv(text, list, {}, shaft);
    const std::string bytes = std::move(text).str();
    bool checked = false;
    against_baseline::run(
        state, "fwrite + fsync of the same bytes",
        [&] {
            const double s = against_baseline::seconds([&] {
                if (saxolith::exportListCsv(path, list, {}, shaft)) {
                    state.SkipWithError("CSV export failed");
                }
            });
            if (!checked) {
                checked = true;
                std::ifstream in(path, std::ios::binary);
                const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                if (written != bytes) {
                    state.SkipWithError("the exported file differs from the CSV text");
                }
            }
            return s;
        },
        [&] {
            return against_baseline::seconds([&] {
                std::FILE *file = std::fopen(floorPath.c_str(), "wb");
                if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
                    std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
                    state.SkipWithError("the baseline could not write");
                }
                if (file != nullptr) {
                    std::fclose(file);
                }
            });
        });
    std::filesystem::remove(path);
    std::filesystem::remove(floorPath);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_ExportCsv)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

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

// The floor under the workbook export: the library alone, given the very cells the export writes
// (worked out before the clock starts) with the same calls. Counters split its CPU time between the
// rows (cell records and their XML printed to a temporary file) and the close (the sheet's XML
// copied once more and compressed into the zip). Argument: 0 temporary files in the system's
// temporary folder, 1 in /dev/shm.
void BM_XlsxLibraryAlone(benchmark::State &state)
{
    const CandidateList &list = millionRowList();
    struct Cell {
        std::string text;
        double value = 0.0;
        int decimals = -1; // -1: text
    };
    std::vector<Cell> cells;
    cells.reserve(list.size() * saxolith::candidateColumns);
    for (std::size_t row = 0; row < list.size(); ++row) {
        for (int column = 0; column < saxolith::candidateColumns; ++column) {
            Cell cell{saxolith::exportCell(list, row, column)};
            const char *end = cell.text.data() + cell.text.size();
            if (!cell.text.empty() && std::from_chars(cell.text.data(), end, cell.value).ptr == end) {
                const std::size_t point = cell.text.find('.');
                cell.decimals =
                    point == std::string::npos ? 0 : static_cast<int>(cell.text.size() - point - 1);
            }
            cells.push_back(std::move(cell));
        }
    }
    const std::string path = scratchPath("_floor.xlsx");
    std::string scratch = state.range(0) == 0 ? std::filesystem::temp_directory_path().string() : "/dev/shm";
    const auto cpu = [] {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    };
    double rowsSeconds = 0.0;
    double closeSeconds = 0.0;
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        options.tmpdir = scratch.data();
        lxw_workbook *workbook = workbook_new_opt(path.c_str(), &options);
        std::vector<lxw_format *> formats;
        for (int decimals = 0; decimals <= 10; ++decimals) {
            formats.push_back(workbook_add_format(workbook));
            const std::string code =
                decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
            format_set_num_format(formats.back(), code.c_str());
        }
        lxw_worksheet *worksheet = workbook_add_worksheet(workbook, "sheet");
        const double start = cpu();
        for (std::size_t row = 0; row < list.size(); ++row) {
            for (int column = 0; column < saxolith::candidateColumns; ++column) {
                const Cell &cell = cells[row * saxolith::candidateColumns + static_cast<std::size_t>(column)];
                const auto sheetRow = static_cast<lxw_row_t>(row + 1);
                if (cell.decimals >= 0) {
                    worksheet_write_number(worksheet, sheetRow, static_cast<lxw_col_t>(column), cell.value,
                                           formats[static_cast<std::size_t>(std::min(cell.decimals, 10))]);
                } else if (!cell.text.empty()) {
                    worksheet_write_string(worksheet, sheetRow, static_cast<lxw_col_t>(column),
                                           cell.text.c_str(), nullptr);
                }
            }
        }
        const double written = cpu();
        if (workbook_close(workbook) != LXW_NO_ERROR) {
            state.SkipWithError("workbook close failed");
        }
        rowsSeconds += written - start;
        closeSeconds += cpu() - written;
    }
    std::filesystem::remove(path);
    state.counters["rows_s"] = rowsSeconds / static_cast<double>(state.iterations());
    state.counters["close_s"] = closeSeconds / static_cast<double>(state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_XlsxLibraryAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
