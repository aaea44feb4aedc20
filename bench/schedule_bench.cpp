// A schedule of 100,000 piles as saxolith-batch handles it (reading, calculating into the book, the
// book files' bytes in GBK and the results table), against the plain calculate loop over the same
// inputs as baseline: the counter `ratio` is the time of the whole over the loop's.
#include "core/book/book_file.h"
#include "core/save/encoding.h"
#include "core/save/text_file.h"
#include "core/schedule/schedule_stream.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"

#include "batch_program.h"

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <sstream>

namespace
{

using namespace saxolith;
using saxolith::bench::BatchRun;
using saxolith::bench::runBatchProgram;
using Clock = std::chrono::steady_clock;

constexpr int rowCount = 100'000;
constexpr std::string_view timeText = "2024/1/2 10:20:30";

// Every section, both routes, both ψr modes, every precision, ids on every other row, and a
// refused row now and then.
std::string scheduleText(int count = rowCount)
{
    static const char *const rows[] = {
        "圆桩,{},,,35,较完整,,个位取整",      "椭圆桩,{},600,,40,0.62,,两位小数",
        "矩形桩,{},800,4000,,,,十位取整",     "方桩,{},{},,20,,0.3,一位小数",
        "圆桩,{},,,45,0.7,,百位取整",         "矩形桩,800,{},,60,完整,,两位小数",
        "椭圆桩,{},500,,25,较破碎,,个位取整", "圆桩,{},,,abc,,,一位小数",
    };
    std::string text = "桩号,截面类型,d(mm),c(mm),qpa(kPa),frk(MPa),完整程度,ψr,精度\r\n";
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            text += "P-" + std::to_string(i);
        }
        text += ',';
        text += fillIn(rows[i % 8],
                       {std::to_string(1000 + (i % 11) * 100), std::to_string(1000 + (i % 11) * 100)});
        text += "\r\n";
    }
    return text;
}

// Every eighth row has a strength that is no number; all the others are calculated.
constexpr int refusedRows = rowCount / 8;

bool calculatedAsMeant(benchmark::State &state, const ScheduleResult &result)
{
    if (result.completed != rowCount - refusedRows || result.refused != refusedRows) {
        state.SkipWithError(("expected " + std::to_string(rowCount - refusedRows) + " rows calculated, got " +
                             std::to_string(result.completed))
                                .c_str());
        return false;
    }
    return true;
}

double secondsOf(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void wholeSchedule(benchmark::State &state)
{
    const std::string text = scheduleText();
    std::vector<CalculationInput> inputs;
    for (const ScheduleRow &row : readSchedule(text).rows) {
        inputs.push_back(rowInput(row).input);
    }
    Clock::duration whole{};
    Clock::duration loop{};
    ScheduleResult last;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const CalculationInput &input : inputs) {
            benchmark::DoNotOptimize(calculate(input));
        }
        const auto middle = Clock::now();

        const ScheduleReading reading = readSchedule(text);
        CalculationBook book;
        const ScheduleResult result = calculateSchedule(reading.rows, book, timeText);
        const std::string textBook = bookFileBytes(book.textLines(), "GBK");
        const std::string tableBook = bookFileBytes(book.tableLines(), "GBK");
        std::ostringstream csv;
        writeResultsCsv(csv, reading.rows, result);
        benchmark::DoNotOptimize(textBook.data());
        benchmark::DoNotOptimize(tableBook.data());
        benchmark::DoNotOptimize(csv.str().data());
        const auto end = Clock::now();
        last = result;
        loop += middle - start;
        whole += end - middle;
    }
    if (!calculatedAsMeant(state, last)) {
        return;
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["seconds"] = secondsOf(whole) / runs;
    state.counters["loopSeconds"] = secondsOf(loop) / runs;
    state.counters["ratio"] = secondsOf(whole) / secondsOf(loop);
    state.SetItemsProcessed(state.iterations() * rowCount);
}
BENCHMARK(wholeSchedule)->Unit(benchmark::kMillisecond)->Iterations(3);

// The schedule as a streamed run takes it: read a piece at a time from its file, each row calculated
// and written to both book files (in GBK) and the results as it comes, against the plain loop.
void streamedSchedule(benchmark::State &state)
{
    const std::string path = "/tmp/" + std::to_string(::getpid()) + "_streamed.csv";
    std::ofstream(path, std::ios::binary) << scheduleText();
    std::vector<CalculationInput> inputs;
    for (const ScheduleRow &row : readSchedule(scheduleText()).rows) {
        inputs.push_back(rowInput(row).input);
    }
    Clock::duration whole{};
    Clock::duration loop{};
    std::size_t bookBytes = 0;
    int completed = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const CalculationInput &input : inputs) {
            benchmark::DoNotOptimize(calculate(input));
        }
        const auto middle = Clock::now();
        bookBytes = 0;
        const ByteSink count = [&bookBytes](std::string_view bytes) {
            bookBytes += bytes.size();
            return true;
        };
        TextFileWriter text(count, "GBK");
        TextFileWriter table(count, "GBK");
        BookFilesWriter books(text, count, std::string(timeText));
        std::string csv;
        ScheduleStream stream(path);
        stream.check();
        completed = 0;
        for (ScheduleRow row; stream.next(row);) {
            RowInput typed = rowInput(row);
            if (!typed.refusal.empty()) {
                continue;
            }
            CalculationOutcome outcome = calculate(typed.input);
            if (outcome.record) {
                books.record(*outcome.record, typed.pileName);
                ++completed;
            }
            csv += outcome.raText;
            if (csv.size() > (1u << 20)) {
                bookBytes += csv.size();
                csv.clear();
            }
        }
        books.finishText();
        books.writeTable(table, [](const ByteSink &) { return true; });
        text.finish();
        table.finish();
        const auto end = Clock::now();
        loop += middle - start;
        whole += end - middle;
    }
    std::filesystem::remove(path);
    if (completed != rowCount - refusedRows || bookBytes < static_cast<std::size_t>(completed) * 1000) {
        state.SkipWithError(("expected " + std::to_string(rowCount - refusedRows) + " rows calculated, got " +
                             std::to_string(completed))
                                .c_str());
        return;
    }
    state.counters["ratio"] = secondsOf(whole) / secondsOf(loop);
    state.counters["bookMB"] = static_cast<double>(bookBytes) / 1e6;
    state.SetItemsProcessed(state.iterations() * rowCount);
}
BENCHMARK(streamedSchedule)->Unit(benchmark::kMillisecond)->Iterations(3);

// The parts on their own: reading, and calculating into the book.
void readingOnly(benchmark::State &state)
{
    const std::string text = scheduleText();
    std::size_t rows = 0;
    for (auto _ : state) {
        const ScheduleReading reading = readSchedule(text);
        rows = reading.rows.size();
        benchmark::DoNotOptimize(reading.rows.data());
    }
    if (rows != rowCount) {
        state.SkipWithError("not every row was read");
    }
    state.SetItemsProcessed(state.iterations() * rowCount);
}
BENCHMARK(readingOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

void calculatingIntoBook(benchmark::State &state)
{
    const std::vector<ScheduleRow> rows = readSchedule(scheduleText()).rows;
    ScheduleResult last;
    for (auto _ : state) {
        CalculationBook book;
        last = calculateSchedule(rows, book, timeText);
        benchmark::DoNotOptimize(last.completed);
    }
    calculatedAsMeant(state, last);
    state.SetItemsProcessed(state.iterations() * rowCount);
}
BENCHMARK(calculatingIntoBook)->Unit(benchmark::kMillisecond)->Iterations(3);

// The schedule as saxolith-batch runs it, in a process of its own on a schedule file of `rows` piles:
// wall time against the plain calculate loop over the same inputs and against the floor of writing
// its files' bytes, and the most memory it held (its peak resident set). Checked once: it calculated
// every row it should and wrote its files.
std::string scheduleFile(int rows)
{
    const std::string path = "/tmp/" + std::to_string(::getpid()) + "_schedule_" + std::to_string(rows) + ".csv";
    std::ofstream out(path, std::ios::binary);
    out << scheduleText(rows);
    return path;
}

// The floor of a run: as many bytes as it wrote into each of its files (both books and the results)
// written from memory with fwrite and made durable with fsync, file by file, as its saves do; each
// file's first megabyte stands for the rest, as the disk takes any bytes alike. Seconds, or a negative
// number when it could not write.
double writingFloor(const std::string &folder, const std::string &floorFolder)
{
    std::vector<std::pair<std::filesystem::path, std::uintmax_t>> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.emplace_back(entry.path().filename(), entry.file_size());
        }
    }
    std::vector<std::string> pieces;
    for (const auto &[name, size] : files) {
        std::ifstream in(std::filesystem::path(folder) / name, std::ios::binary);
        std::string piece(static_cast<std::size_t>(std::min<std::uintmax_t>(size, std::uintmax_t{1} << 20)), '\0');
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        pieces.push_back(std::move(piece));
    }
    std::filesystem::create_directories(floorFolder);
    bool written = true;
    const auto start = Clock::now();
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::FILE *file = std::fopen((std::filesystem::path(floorFolder) / files[i].first).c_str(), "wb");
        written = written && file != nullptr;
        for (std::uintmax_t left = files[i].second; written && left > 0;) {
            const std::size_t size = static_cast<std::size_t>(std::min<std::uintmax_t>(left, pieces[i].size()));
            written = std::fwrite(pieces[i].data(), 1, size, file) == size;
            left -= size;
        }
        written = written && std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    const double seconds = secondsOf(Clock::now() - start);
    std::filesystem::remove_all(floorFolder);
    return written && !files.empty() ? seconds : -1.0;
}

void batchProgram(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(0));
    const std::string schedule = scheduleFile(rows);
    const std::string folder = schedule + ".out";
    std::vector<CalculationInput> inputs;
    {
        std::ifstream in(schedule, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const ScheduleRow &row : readSchedule(text).rows) {
            inputs.push_back(rowInput(row).input);
        }
    }
    double loop = 0.0;
    double whole = 0.0;
    double floor = 0.0;
    long peakKb = 0;
    int exitCode = -1;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const CalculationInput &input : inputs) {
            benchmark::DoNotOptimize(calculate(input));
        }
        const auto middle = Clock::now();
        const BatchRun run = runBatchProgram(SAXOLITH_BATCH_PROGRAM, {schedule, "--out", folder});
        peakKb = std::max(peakKb, run.peakKb);
        exitCode = run.exitCode;
        loop += secondsOf(middle - start);
        whole += run.seconds;
        floor += writingFloor(folder, folder + ".floor");
    }
    // Every eighth row is refused (exit code 1); the results hold a line for each row.
    std::ifstream results(folder + "/results.csv", std::ios::binary);
    const auto lines = std::count(std::istreambuf_iterator<char>(results), std::istreambuf_iterator<char>(), '\n');
    if (exitCode != 1 || lines != rows + 1) {
        state.SkipWithError(("the batch ended with " + std::to_string(exitCode) + " and " + std::to_string(lines) +
                             " lines of results")
                                .c_str());
    } else if (floor <= 0.0) {
        state.SkipWithError("the floor could not write the run's bytes");
    }
    std::filesystem::remove_all(folder);
    std::filesystem::remove(schedule);
    const double runs = static_cast<double>(state.iterations());
    state.counters["seconds"] = whole / runs;
    state.counters["loopSeconds"] = loop / runs;
    state.counters["ratio"] = whole / loop;
    state.counters["floorSeconds"] = floor / runs;
    state.counters["x_floor"] = whole / floor;
    state.counters["floor_x_loop"] = floor / loop;
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(batchProgram)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(1);

// One run of the batch program with `more` arguments after the schedule's.
BatchRun measureBatch(const std::string &schedule, const std::string &folder,
                      const std::vector<std::string> &more)
{
    std::vector<std::string> arguments{schedule, "--out", folder};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return runBatchProgram(SAXOLITH_BATCH_PROGRAM, std::move(arguments));
}

// The same schedule as a workbook: ids and words as strings, numbers as numbers.
std::string workbookFile(int rows)
{
    const std::string path = "/tmp/" + std::to_string(::getpid()) + "_schedule_" + std::to_string(rows) + ".xlsx";
    lxw_workbook *workbook = workbook_new(path.c_str());
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, nullptr);
    std::istringstream lines(scheduleText(rows));
    lxw_row_t row = 0;
    for (std::string line; std::getline(lines, line); ++row) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lxw_col_t column = 0;
        for (std::size_t start = 0;; ++column) {
            const std::size_t end = std::min(line.find(',', start), line.size());
            const std::string cell = line.substr(start, end - start);
            double number = 0.0;
            const auto [last, error] = std::from_chars(cell.data(), cell.data() + cell.size(), number);
            if (!cell.empty() && error == std::errc() && last == cell.data() + cell.size()) {
                worksheet_write_number(sheet, row, column, number, nullptr);
            } else if (!cell.empty()) {
                worksheet_write_string(sheet, row, column, cell.c_str(), nullptr);
            }
            if (end == line.size()) {
                break;
            }
            start = end + 1;
        }
    }
    workbook_close(workbook);
    return path;
}

// The same schedule as a spreadsheet saves "Unicode text": UTF-16 with its mark, tabs between the cells.
std::string utf16File(int rows)
{
    const std::string path = "/tmp/" + std::to_string(::getpid()) + "_schedule_" + std::to_string(rows) + ".txt";
    std::string text = scheduleText(rows);
    std::replace(text.begin(), text.end(), ',', '\t');
    std::ofstream(path, std::ios::binary) << "\xFF\xFE" << encodeText(text, "UTF-16LE");
    return path;
}

// What once took the whole book or the whole schedule, at `rows` piles: the project, the report as
// .docx and as PDF, a workbook schedule and a UTF-16 one (the books and the results), each written as
// the rows come, against the plain run of the CSV schedule (the books and the results) in the same
// iteration: their times as ratios to the plain run's and their peaks. Checked once: each ended as the
// schedule asks (exit code 1), the file is there and whole, with an entry for each pile calculated.
enum class ScheduleForm { Csv, Workbook, Utf16 };
struct BatchOutput {
    const char *name;
    std::vector<std::string> arguments;
    std::string file; // in the output folder; empty: the project below
    ScheduleForm form = ScheduleForm::Csv;
};
void batchOutput(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(1));
    const std::string schedule = scheduleFile(rows);
    const std::string folder = schedule + ".out";
    const std::string project = schedule + ".saxolith";
    const std::array<BatchOutput, 5> outputs{{
        {"project", {"--project", project}, {}},
        {"report docx", {"--report", "docx"}, "report.docx"},
        {"report pdf", {"--report", "pdf"}, "report.pdf"},
        {"workbook schedule", {}, "results.csv", ScheduleForm::Workbook},
        {"UTF-16 schedule", {}, "results.csv", ScheduleForm::Utf16},
    }};
    const BatchOutput &output = outputs.at(static_cast<std::size_t>(state.range(0)));
    const std::string other = output.form == ScheduleForm::Workbook ? workbookFile(rows)
                              : output.form == ScheduleForm::Utf16  ? utf16File(rows)
                                                                    : std::string();
    state.SetLabel(output.name);
    BatchRun plain;
    BatchRun streamed;
    std::string problem;
    for (auto _ : state) {
        plain = measureBatch(schedule, folder, {});
        streamed = measureBatch(other.empty() ? schedule : other, folder, output.arguments);
        const std::string file = output.file.empty() ? project : folder + "/" + output.file;
        std::ifstream in(file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // The project names each calculated pile once; the files open as what they are.
        int ids = 0;
        for (std::size_t at = 0; (at = bytes.find("\"id\": ", at)) != std::string::npos; ++at) {
            ++ids;
        }
        // Every eighth row is refused.
        const bool complete =
            output.file.empty()                ? ids == rows - rows / 8
            : output.file.ends_with("pdf")     ? bytes.starts_with("%PDF") && bytes.ends_with("%%EOF\n")
            : output.form != ScheduleForm::Csv ? std::count(bytes.begin(), bytes.end(), '\n') == rows + 1
                                               : bytes.starts_with("PK");
        if (streamed.exitCode != 1 || !complete) {
            problem = std::string(output.name) + " ended with " + std::to_string(streamed.exitCode) +
                      " and a file of " + std::to_string(bytes.size()) + " bytes";
        }
        std::filesystem::remove(project);
    }
    if (plain.exitCode != 1) {
        problem = "the plain run ended with " + std::to_string(plain.exitCode);
    }
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
    }
    std::filesystem::remove_all(folder);
    std::filesystem::remove(schedule);
    if (!other.empty()) {
        std::filesystem::remove(other);
    }
    state.counters["plain_s"] = plain.seconds;
    state.counters["streamed_s"] = streamed.seconds;
    state.counters["streamed_x_plain"] = streamed.seconds / plain.seconds;
    state.counters["plain_peak_MB"] = static_cast<double>(plain.peakKb) / 1024.0;
    state.counters["streamed_peak_MB"] = static_cast<double>(streamed.peakKb) / 1024.0;
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(batchOutput)
    ->Args({0, 100'000})
    ->Args({1, 100'000})
    ->Args({2, 100'000})
    ->Args({3, 100'000})
    ->Args({4, 1'000'000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A schedule of `rows` piles that holds an error which refuses it, as saxolith-batch meets it: wall time
// and peak. Checked once: it was refused (exit code 2) before the output folder was made.
struct RefusedSchedule {
    const char *name;
    int line;                 // the line the error is put on
    std::string_view opening; // put before the line
    std::string_view inside;  // put after the line's first cell (a UTF-16 file: half of a pair)
    const char *encoding = "UTF-8";
};
void refusedSchedule(benchmark::State &state)
{
    const int rows = static_cast<int>(state.range(1));
    const int nearEnd = rows - 999;
    static const std::array<RefusedSchedule, 5> errors{{
        {"a quote never closed near the end", 0, "\"", ""},
        {"a quote never closed on line 2", 2, "\"", ""},
        {"a control character near the end", 0, "", "\x01"},
        {"a byte that is no GBK near the end", 0, "", "\x81\x20", "GBK"},
        {"half of a UTF-16 pair near the end", 0, "", "", "UTF-16LE"},
    }};
    const RefusedSchedule &error = errors.at(static_cast<std::size_t>(state.range(0)));
    state.SetLabel(error.name);
    const int line = error.line > 0 ? error.line : nearEnd;
    std::string text = scheduleText(rows);
    std::size_t at = 0;
    for (int current = 1; current < line; ++current) {
        at = text.find('\n', at) + 1;
    }
    // The encoded text and the error's bytes apart: the error is no text the encoder would take.
    const std::string before = text.substr(0, at) + std::string(error.opening) + text.substr(at, text.find(',', at) - at);
    const std::string after = text.substr(text.find(',', at));
    text = std::string();
    const bool utf16 = std::string_view(error.encoding) == "UTF-16LE";
    const std::string schedule = "/tmp/" + std::to_string(::getpid()) + "_refused_" + std::to_string(rows) + ".csv";
    {
        std::ofstream out(schedule, std::ios::binary);
        out << (utf16 ? "\xFF\xFE" : "") << encodeText(before, error.encoding);
        // In UTF-16, the first half of a pair alone, which no encoder writes.
        out << (utf16 ? std::string("\x00\xD8", 2) : std::string(error.inside)) << encodeText(after, error.encoding);
    }
    const std::string folder = schedule + ".out";
    BatchRun streamed;
    for (auto _ : state) {
        streamed = measureBatch(schedule, folder, {});
    }
    if (streamed.exitCode != 2 || std::filesystem::exists(folder)) {
        state.SkipWithError(("the run ended with " + std::to_string(streamed.exitCode) +
                             (std::filesystem::exists(folder) ? ", the output folder made" : ""))
                                .c_str());
    }
    std::filesystem::remove_all(folder);
    std::filesystem::remove(schedule);
    state.counters["streamed_s"] = streamed.seconds;
    state.counters["streamed_peak_MB"] = static_cast<double>(streamed.peakKb) / 1024.0;
}
BENCHMARK(refusedSchedule)
    ->Args({0, 1'000'000})
    ->Args({1, 1'000'000})
    ->Args({2, 1'000'000})
    ->Args({3, 1'000'000})
    ->Args({4, 1'000'000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
