// saxolith-batch: a whole pile schedule calculated from the command line into the calculation book,
// a results table and, on request, the book as PDF.
#include "core/book/calculation_book.h"
#include "core/book/book_file.h"
#include "core/save/encoding.h"
#include "core/save/file_system.h"
#include "core/report/docx_file.h"
#include "core/save/run_generation.h"
#include "core/save/safe_file.h"
#include "core/project/project.h"
#include "core/report/pile_spool.h"
#include "core/report/report_document.h"
#include "core/schedule/batch_options.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"
#include "core/text/fill_in.h"
#include "core/schedule/schedule_stream.h"
#include "core/schedule/workbook_sheet.h"
#include "core/save/file_system.h"
#include "core/save/text_file.h"
#include "core/texts/batch.h"
#include "core/text/number_text.h"
#include "core/texts/schedule.h"

#include "pages/book_pages.h"
#include "pages/bundled_fonts.h"
#include "platform/freed_memory.h"
#include "platform/host.h"
#include "pages/report_pages.h"

#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef SAXOLITH_VERSION
#define SAXOLITH_VERSION "unknown"
#endif

namespace
{

using namespace saxolith;

// Exit codes: every row completed; some rows refused; the schedule or an output could not be handled.
constexpr int allCompleted = 0;
constexpr int someRefused = 1;
constexpr int failed = 2;


// Messages are UTF-8 inside; the terminal reads the locale's character set.
class Console
{
  public:
    explicit Console(std::string codePage) : m_codePage(std::move(codePage)), m_terminal(isatty(2) != 0)
    {
        // Messages gathered and written in blocks: a long schedule can list a refused row for every
        // tenth pile, and a write a line took more time than calculating them. Handed on before the
        // summary on stdout and with every progress line, so what is read stays in order.
        // A buffer of its own: given none, the C library takes the block size of the file (4 KB).
        static std::array<char, std::size_t{64} << 10> block;
        std::setvbuf(stderr, block.data(), _IOFBF, block.size());
    }

    // `raw` (a path as given) goes out unchanged, the text in the terminal's character set.
    void error(std::string_view raw, std::string_view text)
    {
        clearProgress();
        std::string line(raw);
        if (!raw.empty()) {
            line += ": ";
        }
        line += encodeText(text, m_codePage);
        line += '\n';
        std::fputs(line.c_str(), stderr);
    }
    void out(std::string_view text)
    {
        clearProgress();
        std::fflush(stderr);
        const std::string line = encodeText(text, m_codePage) + "\n";
        std::fputs(line.c_str(), stdout);
    }

    // A progress line on a terminal, once the work has run for half a second.
    void progress(std::string_view text)
    {
        using namespace std::chrono;
        if (!m_terminal || steady_clock::now() - m_start < milliseconds(500)) {
            return;
        }
        const std::string line = "\r" + encodeText(text, m_codePage) + "\x1b[K";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        m_progressShown = true;
    }
    void clearProgress()
    {
        if (m_progressShown) {
            std::fputs("\r\x1b[K", stderr);
            std::fflush(stderr);
            m_progressShown = false;
        }
    }

    const std::string &codePage() const { return m_codePage; }

  private:
    std::string m_codePage;
    bool m_terminal;
    bool m_progressShown = false;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

int writeTemplate(const BatchOptions &options, Console &console)
{
    const std::string text = scheduleTemplate();
    if (options.schedule.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return allCompleted;
    }
    std::error_code ec;
    if (std::filesystem::exists(filePath(options.schedule), ec)) {
        console.error(options.schedule, batchText::templateExists);
        return failed;
    }
    if (const auto error = saveFile(options.schedule, text)) {
        console.error({}, *error);
        return failed;
    }
    return allCompleted;
}

// The folder of a file named outside --out is made as the output folder is; a folder that cannot be
// made fails the save that follows.
void makeParentFolder(const std::string &file)
{
    if (const auto parent = filePath(file).parent_path(); !parent.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
    }
}

class Outputs
{
  public:
    Outputs(RunGeneration &generation, Console &console) : m_generation(generation), m_console(console) {}

    // Where the file `name` is written; it joins the run's generation of files.
    std::string path(std::string_view name) const { return m_generation.stagedPath(name); }

    // Saves one file through `save`, given its path; false (with the reason shown) when it could not be written.
    bool write(std::string_view name,
               const std::function<std::optional<std::string>(const std::string &path)> &save)
    {
        m_console.progress(fillIn(batchText::writing, {name}));
        if (const auto error = save(path(name))) {
            failed(*error);
            return false;
        }
        return true;
    }
    // Shows why a file could not be written, naming it where it was to stand.
    void failed(const std::string &error) { m_console.error({}, m_generation.shown(error)); }

  private:
    RunGeneration &m_generation;
    Console &m_console;
};

// Where the bytes of a file go as a streamed run writes it: gathered and handed on in pieces of about
// a megabyte.
class PieceWriter
{
  public:
    explicit PieceWriter(ByteSink sink) : m_sink(std::move(sink)) {}
    std::string &buffer() { return m_bytes; }
    // Hands the gathered bytes on once there are enough of them (all of them with `all`).
    void pass(bool all = false)
    {
        if (m_bytes.size() >= (std::size_t{1} << 20) || (all && !m_bytes.empty())) {
            m_ok = m_ok && m_sink(m_bytes);
            m_bytes.clear();
        }
    }
    bool finish()
    {
        pass(true);
        return m_ok;
    }

  private:
    ByteSink m_sink;
    std::string m_bytes;
    bool m_ok = true;
};

// The book's entries laid out and written on a thread of their own, while the next rows are read and
// calculated: the books are most of a run's bytes. Entries go over in batches, a few at most waiting,
// so the memory stays the same whatever the schedule's length; each batch's entries are copied into
// entries kept from before, whose texts keep their buffers.
class BookEntryThread
{
  public:
    using Take = std::function<void(const PileRecord &pile, std::string_view name)>;

    explicit BookEntryThread(Take take) : m_take(std::move(take))
    {
        for (Batch &batch : m_batches) {
            batch.entries.resize(batchEntries);
            m_free.push_back(&batch);
        }
        m_filling = takeFree();
        m_thread = std::thread([this] { work(); });
    }
    ~BookEntryThread() { finish(); }
    BookEntryThread(const BookEntryThread &) = delete;
    BookEntryThread &operator=(const BookEntryThread &) = delete;

    void add(const PileRecord &pile, std::string_view name)
    {
        Entry &entry = m_filling->entries[m_filling->count++];
        entry.pile = pile;
        entry.name.assign(name);
        if (m_filling->count == batchEntries) {
            handOver();
            m_filling = takeFree();
        }
    }
    // Every entry added is laid out and written once this returns.
    void finish()
    {
        if (!m_thread.joinable()) {
            return;
        }
        handOver();
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

  private:
    static constexpr std::size_t batchEntries = 128;
    struct Entry {
        PileRecord pile;
        std::string name;
    };
    struct Batch {
        std::vector<Entry> entries;
        std::size_t count = 0;
    };

    Batch *takeFree()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_free.empty(); });
        Batch *batch = m_free.back();
        m_free.pop_back();
        return batch;
    }
    void handOver()
    {
        if (m_filling == nullptr || m_filling->count == 0) {
            return;
        }
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_full.push_back(m_filling);
        }
        m_filling = nullptr;
        m_changed.notify_all();
    }
    void work()
    {
        for (;;) {
            Batch *batch = nullptr;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_full.empty() || m_closed; });
                if (m_full.empty()) {
                    return;
                }
                batch = m_full.front();
                m_full.erase(m_full.begin());
            }
            for (std::size_t i = 0; i < batch->count; ++i) {
                m_take(batch->entries[i].pile, batch->entries[i].name);
            }
            batch->count = 0;
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_free.push_back(batch);
            }
            m_changed.notify_all();
        }
    }

    Take m_take;
    std::array<Batch, 4> m_batches;
    std::vector<Batch *> m_free;
    std::vector<Batch *> m_full; // in the order they were filled
    Batch *m_filling = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_closed = false;
    std::thread m_thread;
};

// The text book as PDF: the text book file's name, ending in .pdf.
std::string bookPdfName()
{
    std::string name(bookFileName(BookForm::Text));
    name.replace(name.rfind('.'), std::string::npos, ".pdf");
    return name;
}

// A run calculated as its schedule is read: each row goes to both book files, results.csv,
// results.xlsx and the project as it comes (and into files of their own for the PDF and the report,
// laid out at the end), and nothing of a finished row is kept in memory, so a schedule of any length
// runs in the same little memory. Its files and messages are those of the whole run below.
int runStreamed(const BatchOptions &options, Console &console, ScheduleStream &stream, const RepeatedIdFilter &ids,
                const std::optional<CalculationInput> &lastTyped, RunGeneration &generation)
{
    const std::string codePage = options.codePage.value_or(console.codePage());
    const std::string timeText = currentTimeText().toStdString();
    bool written = true;
    const auto failedWith = [&](const std::optional<std::string> &error) {
        if (error) {
            console.error({}, generation.shown(*error));
            written = false;
        }
    };

    // The text book is opened with its first entry: a run without one writes no book.
    StreamedSave textSave;
    std::optional<std::string> textOpenError;
    const auto openTextBook = [&] {
        if (!textSave.isOpen() && !textOpenError) {
            textOpenError = textSave.open(generation.stagedPath(bookFileName(BookForm::Text)));
        }
    };
    const auto toTextBook = [&](std::string_view bytes) {
        openTextBook();
        return !textOpenError && textSave.write(bytes);
    };
    // For the PDF the text book's lines also wait, in UTF-8 (the book file's code page may not hold
    // every id), in a file of their own, from which its pages are laid out once the book is complete.
    const std::string textLinesPath = generation.scratchPath("text-lines");
    std::ofstream textLines;
    Encoder textEncoding(codePage);
    std::string encoded;
    if (options.pdf) {
        textLines.open(textLinesPath, std::ios::binary);
    }
    TextFileWriter text(
        [&](std::string_view bytes) {
            if (!options.pdf) {
                return toTextBook(bytes);
            }
            textLines.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            encoded.clear();
            textEncoding.encode(bytes, encoded);
            return static_cast<bool>(textLines) && (encoded.empty() || toTextBook(encoded));
        },
        options.pdf ? std::string_view("UTF-8") : std::string_view(codePage));
    // The table's rows wait in a spool until the widest id is known; the refused rows' messages wait
    // for the end, where the whole run lists them.
    const std::string spoolPath = generation.scratchPath("table-rows");
    std::ofstream spool(spoolPath, std::ios::binary);
    const std::string refusalsPath = generation.scratchPath("refused-rows");
    std::ofstream refusals(refusalsPath, std::ios::binary);
    BookFilesWriter books(
        text,
        [&spool](std::string_view bytes) {
            spool.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return static_cast<bool>(spool);
        },
        timeText);

    // The project, when asked for, takes each entry as the book does; it is opened with the first.
    std::optional<ProjectStreamWriter> projectWriter;
    StreamedSave projectSave;
    std::optional<std::string> projectOpenError;
    std::optional<PieceWriter> project;
    if (!options.project.empty()) {
        // The window opens it showing the last row typed in, as after its own import, and its report
        // and list exports at the run's settings, those its results tables were checked at.
        Project head;
        if (lastTyped) {
            head.inputScreen = *lastTyped;
        }
        head.report = options.reportSettings;
        head.closingTime = timeText;
        projectWriter.emplace(std::move(head));
        project.emplace([&](std::string_view bytes) {
            if (!projectSave.isOpen() && !projectOpenError) {
                makeParentFolder(options.project);
                projectOpenError = projectSave.open(options.project);
            }
            return !projectOpenError && projectSave.write(bytes);
        });
    }

    // The report's piles wait in a spool: its pages count them and the cover gives their number.
    std::optional<PileSpool> reportSpool;
    if (options.report) {
        reportSpool.emplace(generation.scratchPath("report-entries"));
    }

    StreamedSave csvSave;
    const std::optional<std::string> csvOpenError = csvSave.open(generation.stagedPath(resultsCsvName));
    PieceWriter csv([&csvSave](std::string_view bytes) { return csvSave.write(bytes); });
    csv.buffer() = resultsCsvHead();
    const ResultsRows results(options.reportSettings);
    std::optional<ResultsWorkbook> workbook;
    if (options.xlsx) {
        workbook.emplace(generation.stagedPath(resultsXlsxName), stream.rowCount(), stream.chineseHeader(),
                         options.reportSettings);
    }

    // Only this thread touches the books and their files until it is finished.
    BookEntryThread bookEntries([&books](const PileRecord &pile, std::string_view name) { books.record(pile, name); });
    int entries = 0;
    ScheduleCalculator calculator(codePage, &ids);
    const ScheduleTally tally = streamSchedule(
        stream, calculator,
        [&](const PileRecord &pile, std::string_view name) {
            if (projectWriter) {
                projectWriter->appendEntry(project->buffer(), BookEntry{pile.input, std::string(name), timeText});
                project->pass();
            }
            if (reportSpool) {
                reportSpool->add(pile.input, name);
            }
            bookEntries.add(pile, name);
            return ++entries; // as the books number it
        },
        [&](const ScheduleRow &row, const RowResult &result) {
            results.appendCsv(csv.buffer(), row, result);
            csv.pass();
            if (workbook) {
                workbook->add(row, result);
            }
            if (result.end == RowEnd::Refused) {
                const std::string message = refusedRowText(result);
                refusals.write(message.c_str(), static_cast<std::streamsize>(message.size() + 1));
            }
        },
        [&console](std::size_t done, std::size_t total) {
            console.progress(fillIn(batchText::calculating, {std::to_string(done), std::to_string(total)}));
        });
    if (stream.failed()) {
        bookEntries.finish();
        // The file changed while it was read: what was written is of no schedule.
        console.error(options.schedule, std::string(scheduleText::cannotRead) + reasonText(EIO));
        return failed;
    }
    // The results are complete: they go to disk on a thread of their own while the book's last entries
    // are laid out and both books are completed. Why they could not is told after the books, in the
    // order the files are listed.
    std::optional<std::string> csvError = csvOpenError;
    std::jthread resultsFlush;
    if (!csvOpenError) {
        resultsFlush = std::jthread([&] { csvError = csvSave.finish(completeWhen(csv.finish())); });
    }
    bookEntries.finish();

    bool pdfFromLines = false;
    std::jthread spoolGone;
    if (books.entryCount() == 0) {
        console.error({}, batchText::noBook);
    } else {
        console.progress(fillIn(batchText::writing, {bookFileName(BookForm::Text)}));
        // The text book is completed and goes to disk on a thread of its own while the table book is
        // made from its spool: the two closing writes overlap. The table's buffers are this thread's,
        // where the memory freed before them is; what could not be written is told in the files' order.
        spool.close();
        // Both files join the run's generation here, in the order they always have (a short text book
        // would otherwise be opened by its first bytes on the other thread).
        openTextBook();
        const std::string tablePath = generation.stagedPath(bookFileName(BookForm::Table));
        std::optional<std::string> textError;
        bool textWritten = false;
        // A jthread: joined however this block is left, so that no thread outlives what it writes into.
        std::jthread textBook([&] {
            books.finishText();
            textWritten = text.finish();
            if (options.pdf) {
                encoded.clear();
                textEncoding.finish(encoded);
                textWritten = (encoded.empty() || toTextBook(encoded)) && textWritten;
            }
            textError = textOpenError ? textOpenError : textSave.finish(completeWhen(textWritten));
        });
        console.progress(fillIn(batchText::writing, {bookFileName(BookForm::Table)}));
        const std::optional<std::string> tableError = saveFile(tablePath, [&](const ByteSink &sink) {
            TextFileWriter table(sink, codePage);
            const bool whole = books.writeTable(table, [&spoolPath](const ByteSink &take) {
                return readFileInPieces(spoolPath, std::size_t{1} << 20, take);
            });
            return completeWhen(table.finish() && whole);
        });
        // The spool's pages are let go beside what follows rather than with the run's folder at its end.
        spoolGone = std::jthread([&spoolPath] { removeFile(spoolPath); });
        textBook.join();
        failedWith(textError);
        failedWith(tableError);
        textLines.close();
        // A text book that could not be written whole (its lines' file included) has failed already.
        pdfFromLines = options.pdf && textWritten && textLines;
    }
    console.progress(fillIn(batchText::writing, {resultsCsvName}));
    if (resultsFlush.joinable()) {
        resultsFlush.join();
    }
    failedWith(csvError);
    if (workbook) {
        console.progress(fillIn(batchText::writing, {resultsXlsxName}));
        failedWith(workbook->finish());
    }
    if (projectWriter) {
        console.progress(fillIn(batchText::writing, {options.project}));
        projectWriter->finish(project->buffer());
        const bool projectWritten = project->finish();
        failedWith(projectOpenError ? projectOpenError : projectSave.finish(completeWhen(projectWritten)));
    }
    if (pdfFromLines) {
        const std::string name = bookPdfName();
        console.progress(fillIn(batchText::writing, {name}));
        failedWith(writeBookPdf(bookFileLines(textLinesPath), BookForm::Text, generation.stagedPath(name)));
    }
    if (reportSpool && reportSpool->count() > 0) {
        const bool pdf = *options.report == ReportFormat::Pdf;
        const std::string_view name = pdf ? reportPdfName : reportDocxName;
        console.progress(fillIn(batchText::writing, {name}));
        // A spool not written whole gives no piles, which fails the report's save.
        const bool spooled = reportSpool->close();
        const StreamedReport report{options.reportSettings, reportSpool->count(), [&](const PileTaker &take) {
                                        return spooled && reportSpool->replay(take);
                                    }};
        // A long report takes minutes: how far it is, on a terminal.
        const ReportProgress progress = [&](std::size_t done, std::size_t total) {
            console.progress(fillIn(batchText::writingPart,
                                    {name, std::to_string(total == 0 ? 0 : done * 100 / total)}));
            return true;
        };
        failedWith(pdf ? writeReportPdf(report, generation.stagedPath(name), progress)
                       : writeReportDocx(report, generation.stagedPath(name), generation.scratchPath("report-zip"),
                                         progress));
    }

    refusals.close();
    std::string carried;
    readFileInPieces(refusalsPath, std::size_t{1} << 20, [&](std::string_view bytes) {
        carried.append(bytes);
        std::size_t start = 0;
        for (std::size_t end; (end = carried.find('\0', start)) != std::string::npos; start = end + 1) {
            console.error(options.schedule, std::string_view(carried).substr(start, end - start));
        }
        carried.erase(0, start);
        return true;
    });
    console.out(fillIn(scheduleText::summary, {std::to_string(tally.completed), std::to_string(tally.refused)}));
    if (written) {
        failedWith(generation.commit());
    }
    if (!written) {
        console.error({}, batchText::nothingReplaced);
        return failed;
    }
    return tally.refused > 0 ? someRefused : allCompleted;
}

// A workbook schedule's first sheet as the CSV text it is read as, written as the sheet is unpacked into
// a scratch file of the system's temporary folder (removed with this), for the run to read a piece at a
// time as a CSV schedule: the same rows. Nothing when the file is no workbook or its sheet cannot be read (the whole reading then
// gives the reason).
class SheetScratch
{
  public:
    explicit SheetScratch(const std::string &schedule)
    {
        char mark[4] = {};
        std::ifstream(filePath(schedule), std::ios::binary).read(mark, sizeof mark);
        if (!looksLikeWorkbook(std::string_view(mark, sizeof mark))) {
            return;
        }
        std::string bytes;
        std::error_code ec;
        const auto folder = std::filesystem::temp_directory_path(ec);
        if (ec || readScheduleFile(schedule, bytes)) {
            return;
        }
        const std::optional<std::string> file = createScratchFile(folder, "saxolith-sheet");
        if (!file) {
            return;
        }
        m_path = *file;
        std::ofstream out(filePath(m_path), std::ios::binary | std::ios::trunc);
        std::optional<std::string> error;
        const bool written = writeFirstSheet(
            bytes,
            [&out](std::string_view piece) {
                out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
                return static_cast<bool>(out);
            },
            error);
        out.close();
        if (!written || !out) {
            removeFile(m_path);
            m_path.clear();
        }
    }
    ~SheetScratch()
    {
        if (!m_path.empty()) {
            removeFile(m_path);
        }
    }
    SheetScratch(const SheetScratch &) = delete;
    SheetScratch &operator=(const SheetScratch &) = delete;

    // The CSV text's file; empty when there is none.
    const std::string &path() const { return m_path; }

  private:
    std::string m_path;
};

// Set in the environment, SAXOLITH_BATCH_READ_WHOLE has every schedule read whole before it is
// calculated, as before streaming: the two ways compared give the same files.
bool readWhole()
{
    const char *value = std::getenv("SAXOLITH_BATCH_READ_WHOLE");
    return value != nullptr && *value != '\0';
}

int runSchedule(const BatchOptions &options, Console &console, int argc, char **argv)
{
    // The books, the results, the project, the report and the PDF are written as the schedule is read,
    // a piece at a time.
    std::optional<ScheduleStream> stream;
    std::error_code sizeError;
    const std::uintmax_t scheduleBytes = std::filesystem::file_size(options.schedule, sizeError);
    // Bits enough that the ids of even a full schedule are seldom taken for repeated ones.
    RepeatedIdFilter ids(sizeError ? std::size_t{1} << 20
                                   : static_cast<std::size_t>(std::clamp<std::uintmax_t>(
                                         scheduleBytes * 2, std::uintmax_t{1} << 16, std::uintmax_t{1} << 27)));
    // The input the window is left showing, known from the check before the project's head is written.
    std::optional<CalculationInput> lastTyped;
    std::optional<SheetScratch> sheet;
    if (!readWhole()) {
        sheet.emplace(options.schedule);
        stream.emplace(sheet->path().empty() ? options.schedule : sheet->path());
        // Whole rows only for the project's last row typed in; otherwise the check keeps the ids alone.
        const auto takeId = [&ids](std::string_view id) { ids.add(id); };
        const auto typedIn = [&lastTyped](const ScheduleRow &row) {
            if (RowInput typed = rowInput(row); typed.refusal.empty()) {
                lastTyped = std::move(typed.input);
            }
        };
        if (!(options.project.empty() ? stream->check({}, takeId) : stream->check(typedIn, takeId))) {
            if (const auto &error = stream->error()) {
                console.error(options.schedule, scheduleErrorText(*error));
                return failed;
            }
            stream.reset();
        }
    }
    ScheduleReading reading;
    if (!stream) {
        std::string bytes;
        if (const auto error = readScheduleFile(options.schedule, bytes)) {
            console.error(options.schedule, *error);
            return failed;
        }
        reading = readSchedule(bytes);
        bytes = std::string();
        if (reading.error) {
            console.error(options.schedule, scheduleErrorText(*reading.error));
            return failed;
        }
    }

    // The page layout needs fonts, never a display.
    std::optional<QGuiApplication> pages;
    if (options.pdf || options.report == ReportFormat::Pdf) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        pages.emplace(argc, argv);
        loadBundledFonts();
    }

    std::error_code ec;
    std::filesystem::create_directories(filePath(options.outFolder), ec);
    if (ec || !std::filesystem::is_directory(filePath(options.outFolder))) {
        console.error(options.outFolder, std::string(batchText::cannotMakeFolder) + ec.message());
        return failed;
    }
    // Held to the end: a second run into the same folder is refused at once, before it calculates.
    FolderLock lock;
    bool busy = false;
    if (const auto error = lock.lock(options.outFolder, busy)) {
        console.error(options.outFolder, busy ? std::string(batchText::folderBusy) : *error);
        return failed;
    }

    if (stream) {
        RunGeneration generation;
        if (const auto error = generation.begin(options.outFolder)) {
            console.error({}, *error);
            return failed;
        }
        return runStreamed(options, console, *stream, ids, lastTyped, generation);
    }

    const std::string codePage = options.codePage.value_or(console.codePage());
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(
        reading.rows, book, currentTimeText().toStdString(),
        [&console](std::size_t done, std::size_t total) {
            console.progress(fillIn(batchText::calculating, {std::to_string(done), std::to_string(total)}));
        },
        codePage);

    // Every file is written apart first; the folder's files are replaced only when all are complete.
    RunGeneration generation;
    if (const auto error = generation.begin(options.outFolder)) {
        console.error({}, *error);
        return failed;
    }
    Outputs outputs(generation, console);
    bool written = true;
    if (book.empty()) {
        console.error({}, batchText::noBook);
    } else {
        for (const BookForm form : {BookForm::Text, BookForm::Table}) {
            const auto &lines = form == BookForm::Text ? book.textLines() : book.tableLines();
            written = outputs.write(bookFileName(form),
                                    [&](const std::string &path) { return saveBookFile(path, lines, codePage); }) &&
                      written;
        }
    }
    written = outputs.write(resultsCsvName,
                            [&](const std::string &path) {
                                return saveFile(path, [&](const ByteSink &sink) {
                                    SinkStream csv(sink);
                                    writeResultsCsv(csv, reading.rows, result, options.reportSettings);
                                    return completeWhen(csv.finish());
                                });
                            }) &&
              written;
    if (options.xlsx) {
        console.progress(fillIn(batchText::writing, {resultsXlsxName}));
        if (const auto error = writeResultsXlsx(outputs.path(resultsXlsxName), reading.rows, result,
                                                  reading.chineseHeader, options.reportSettings)) {
            outputs.failed(*error);
            written = false;
        }
    }
    if (!options.project.empty()) {
        // The window opens it showing the last row typed in, as after its own import, at the run's settings.
        Project project = projectOf(book);
        if (result.lastTyped) {
            project.inputScreen = rowInput(reading.rows[*result.lastTyped]).input;
        }
        project.report = options.reportSettings;
        console.progress(fillIn(batchText::writing, {options.project}));
        makeParentFolder(options.project);
        if (const auto error = saveFile(options.project, [&project](const ByteSink &sink) {
                SinkStream out(sink);
                writeProject(out, project);
                return completeWhen(out.finish());
            })) {
            console.error({}, *error);
            written = false;
        }
    }
    if (options.pdf && !book.empty()) {
        const std::string name = bookPdfName();
        console.progress(fillIn(batchText::writing, {name}));
        if (const auto error = writeBookPdf(book.textLines(), BookForm::Text, outputs.path(name))) {
            outputs.failed(*error);
            written = false;
        }
    }
    if (options.report && !book.empty()) {
        // The report is fed pile by pile, as the book recorded them.
        ReportBuilder builder(options.reportSettings);
        builder.addBookEntries(book.entries());
        const ReportDocument document = builder.finish();
        const bool pdf = *options.report == ReportFormat::Pdf;
        const std::string_view name = pdf ? reportPdfName : reportDocxName;
        console.progress(fillIn(batchText::writing, {name}));
        const auto error =
            pdf ? writeReportPdf(document, outputs.path(name)) : writeReportDocx(document, outputs.path(name));
        if (error) {
            outputs.failed(*error);
            written = false;
        }
    }

    for (const RowResult &row : result.rows) {
        if (row.end == RowEnd::Refused) {
            console.error(options.schedule, refusedRowText(row));
        }
    }
    console.out(
        fillIn(scheduleText::summary, {std::to_string(result.completed), std::to_string(result.refused)}));
    if (written) {
        if (const auto error = generation.commit()) {
            console.error({}, *error);
            written = false;
        }
    }
    if (!written) {
        console.error({}, batchText::nothingReplaced);
        return failed;
    }
    return result.refused > 0 ? someRefused : allCompleted;
}

} // namespace

int main(int argc, char **argv)
{
    // A schedule is read a piece at a time, two at once, each piece's rows a few megabytes made and
    // freed on either thread: memory handed back to the system after each piece would be taken again,
    // a page fault a page, for the next. Kept instead for the whole run; the run's memory stays as small.
    const FreedMemoryKept keptForTheRun;
    std::setlocale(LC_ALL, "");
    Console console(systemCodePage());
    BatchOptions options;
    // File names in the encoding core takes them in (on Windows argv holds only the ANSI code page).
    std::vector<std::string> arguments = commandLineArguments(argc, argv);
    arguments.erase(arguments.begin());
    if (const auto error = parseBatchOptions(arguments, options)) {
        console.error({}, *error);
        std::fputs(encodeText(batchText::usage, console.codePage()).c_str(), stderr);
        return failed;
    }
    if (options.help) {
        std::fputs(encodeText(batchText::usage, console.codePage()).c_str(), stdout);
        return allCompleted;
    }
    if (options.version) {
        std::printf("saxolith-batch %s\n", SAXOLITH_VERSION);
        return allCompleted;
    }
    if (options.templateWanted) {
        return writeTemplate(options, console);
    }
    return runSchedule(options, console, argc, argv);
}
