#include "core/schedule/schedule_pipeline.h"

#include "core/book/book_file.h"
#include "core/ground/boreholes.h"
#include "core/project/project.h"
#include "core/report/docx_file.h"
#include "core/report/pile_spool.h"
#include "core/save/encoding.h"
#include "core/save/file_system.h"
#include "core/save/run_generation.h"
#include "core/save/safe_file.h"
#include "core/save/text_file.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_source.h"
#include "core/schedule/schedule_stream.h"
#include "core/schedule/workbook_sheet.h"
#include "core/text/fill_in.h"
#include "core/texts/batch.h"
#include "core/texts/schedule.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace saxolith
{

namespace
{

// The folder of a file named outside --out is made as the output folder is; a folder that cannot be
// made fails the save that follows.
void makeParentFolder(const std::string &file)
{
    if (const auto parent = filePath(file).parent_path(); !parent.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(parent, ec);
    }
}

// The text book as PDF: the text book file's name, ending in .pdf.
std::string bookPdfName()
{
    std::string name(bookFileName(BookForm::Text));
    name.replace(name.rfind('.'), std::string::npos, ".pdf");
    return name;
}

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

// A workbook schedule's first sheet as the CSV text it is read as, written as the sheet is unpacked into
// a scratch file of the system's temporary folder (removed with this), for the run to read a piece at a
// time as a CSV schedule: the same rows. Nothing when the file is no workbook or its sheet cannot be read
// (the whole reading then gives the reason).
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
        try {
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
        } catch (...) {
            removeFile(m_path); // no destructor runs for what was never made
            throw;
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

// The schedule a run reads: its stream, once checked, or the whole reading of a file the stream leaves
// to it (a workbook whose sheet could not be unpacked, a header or a GBK line longer than the stream holds).
class ScheduleInput
{
  public:
    // False when the schedule is refused; the reason is told.
    bool open(const BatchOptions &options, RunMessages &messages)
    {
        // A pipe or a device is read once, into the temporary folder, and then as a file (messages name it
        // as given).
        std::error_code noTemporary;
        m_source.emplace(options.schedule, std::filesystem::temp_directory_path(noTemporary));
        if (const auto &error = m_source->error()) {
            messages.error(options.schedule, *error);
            return false;
        }
        const std::string &schedule = m_source->path();
        std::error_code sizeError;
        const std::uintmax_t scheduleBytes = std::filesystem::file_size(filePath(schedule), sizeError);
        // Bits enough that the ids of even a full schedule are seldom taken for repeated ones.
        m_ids.emplace(sizeError ? std::size_t{1} << 20
                                : static_cast<std::size_t>(std::clamp<std::uintmax_t>(
                                      scheduleBytes * 2, std::uintmax_t{1} << 16, std::uintmax_t{1} << 27)));
        m_sheet.emplace(schedule);
        m_stream.emplace(m_sheet->path().empty() ? schedule : m_sheet->path());
        // Whole rows only for the project's last row typed in; otherwise the check keeps the ids alone.
        const auto takeId = [this](std::string_view id) { m_ids->add(id); };
        const auto typedIn = [this](const ScheduleRow &row) {
            if (RowInput typed = rowInput(row); typed.refusal.empty()) {
                m_lastTyped = std::move(typed.input);
            }
        };
        if (options.project.empty() ? m_stream->check({}, takeId) : m_stream->check(typedIn, takeId)) {
            m_rows = std::make_unique<StreamRows>(*m_stream);
            return true;
        }
        if (const auto &error = m_stream->error()) {
            messages.error(options.schedule, scheduleErrorText(*error));
            return false;
        }
        m_stream.reset();
        // The whole reading keeps every id itself.
        m_ids.reset();
        m_lastTyped.reset();
        std::string bytes;
        if (const auto error = readScheduleFile(schedule, bytes)) {
            messages.error(options.schedule, *error);
            return false;
        }
        m_reading = readSchedule(bytes);
        bytes = std::string();
        if (m_reading.error) {
            messages.error(options.schedule, scheduleErrorText(*m_reading.error));
            return false;
        }
        for (auto row = m_reading.rows.rbegin(); !options.project.empty() && row != m_reading.rows.rend();
             ++row) {
            if (RowInput typed = rowInput(*row); typed.refusal.empty()) {
                m_lastTyped = std::move(typed.input);
                break;
            }
        }
        m_rows = std::make_unique<ReadRows>(m_reading.rows, m_reading.chineseHeader);
        return true;
    }

    ScheduleRows &rows() { return *m_rows; }
    // None for a whole reading.
    const RepeatedIdFilter *ids() const { return m_ids ? &*m_ids : nullptr; }
    // The input the window is left showing, known before the project's head is written (asked for with
    // a project only).
    const std::optional<CalculationInput> &lastTyped() const { return m_lastTyped; }

  private:
    std::optional<ScheduleSource> m_source; // first: what follows reads from its file
    std::optional<RepeatedIdFilter> m_ids;
    std::optional<CalculationInput> m_lastTyped;
    std::optional<SheetScratch> m_sheet;
    std::optional<ScheduleStream> m_stream;
    ScheduleReading m_reading;
    std::unique_ptr<ScheduleRows> m_rows; // last: it reads from the stream or the reading
};

// The files of a run, each row handed to them as it is calculated: both book files, results.csv,
// results.xlsx and the project as the rows come (and files of their own for the PDF and the report,
// laid out at the end); nothing of a finished row is kept in memory, so a schedule of any length runs in
// the same little memory. An option that adds a file adds its writer here: opened in the constructor,
// fed in record() or take(), completed in finish() in the order the files are listed.
class RunFiles final : public ScheduleSink
{
  public:
    RunFiles(const BatchOptions &options, const RunContext &context, RunGeneration &generation,
             const ScheduleRows &rows, const std::optional<CalculationInput> &lastTyped);
    RunFiles(const RunFiles &) = delete;
    RunFiles &operator=(const RunFiles &) = delete;

    int record(const PileRecord &pile, std::string_view name) override;
    void take(const ScheduleRow &row, RowResult &result, bool typed) override;

    // Every row taken: completes the files and lists the refused rows. False when a file could not be
    // written (why, told).
    bool finish();
    // The rows taken are of no schedule (the file changed while it was read): no file is completed.
    void abandon() { m_bookEntries.finish(); }

  private:
    void failedWith(const std::optional<std::string> &error);
    // The text book is opened with its first entry: a run without one writes no book.
    void openTextBook();
    bool toTextBook(std::string_view bytes);
    bool toTextLines(std::string_view bytes);
    // Both book files; whether the text book's lines stand whole for its PDF.
    bool finishBooks();
    void finishProject();
    void writeReport();
    void listRefusals();

    const BatchOptions &m_options;
    RunMessages &m_messages;
    RunPages *m_pages;
    RunGeneration &m_generation;
    std::string m_codePage;
    std::string m_timeText;
    bool m_written = true;

    StreamedSave m_textSave;
    std::optional<std::string> m_textOpenError;
    // For the PDF the text book's lines also wait, in UTF-8 (the book file's code page may not hold
    // every id), in a file of their own, from which its pages are laid out once the book is complete.
    std::string m_textLinesPath;
    std::ofstream m_textLines;
    Encoder m_textEncoding;
    std::string m_encoded;
    TextFileWriter m_text;
    // The table's rows wait in a spool until the widest id is known; the refused rows' messages wait
    // for the end, where the whole run lists them.
    std::string m_spoolPath;
    std::ofstream m_spool;
    std::jthread m_spoolGone;
    std::string m_refusalsPath;
    std::ofstream m_refusals;
    BookFilesWriter m_books;

    // The project, when asked for, takes each entry as the book does; it is opened with the first.
    std::optional<ProjectStreamWriter> m_projectWriter;
    StreamedSave m_projectSave;
    std::optional<std::string> m_projectOpenError;
    std::optional<PieceWriter> m_project;

    // The report's piles wait in a spool: its pages count them and the cover gives their number.
    std::optional<PileSpool> m_reportSpool;

    StreamedSave m_csvSave;
    std::optional<std::string> m_csvOpenError;
    PieceWriter m_csv;
    ResultsRows m_results;
    std::optional<ResultsWorkbook> m_workbook;

    int m_entries = 0;
    // Last: only its thread touches the books and their files until it is finished.
    BookEntryThread m_bookEntries;
};

RunFiles::RunFiles(const BatchOptions &options, const RunContext &context, RunGeneration &generation,
                   const ScheduleRows &rows, const std::optional<CalculationInput> &lastTyped)
    : m_options(options), m_messages(context.messages), m_pages(context.pages), m_generation(generation),
      m_codePage(options.codePage.value_or(context.codePage)), m_timeText(context.timeText()),
      m_textLinesPath(generation.scratchPath("text-lines")), m_textEncoding(m_codePage),
      m_text(
          [this](std::string_view bytes) { return m_options.pdf ? toTextLines(bytes) : toTextBook(bytes); },
          options.pdf ? std::string_view("UTF-8") : std::string_view(m_codePage)),
      m_spoolPath(generation.scratchPath("table-rows")), m_spool(filePath(m_spoolPath), std::ios::binary),
      m_refusalsPath(generation.scratchPath("refused-rows")),
      m_refusals(filePath(m_refusalsPath), std::ios::binary),
      m_books(
          m_text,
          [this](std::string_view bytes) {
              m_spool.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
              return static_cast<bool>(m_spool);
          },
          m_timeText),
      m_csv([this](std::string_view bytes) { return m_csvSave.write(bytes); }),
      m_results(options.reportSettings, rows.groundColumns()),
      m_bookEntries([this](const PileRecord &pile, std::string_view name) { m_books.record(pile, name); })
{
    if (options.pdf) {
        m_textLines.open(filePath(m_textLinesPath), std::ios::binary);
    }
    if (!options.project.empty()) {
        // The window opens it showing the last row typed in, as after its own import, and its report
        // and list exports at the run's settings, those its results tables were checked at.
        Project head;
        if (lastTyped) {
            head.inputScreen = *lastTyped;
        }
        head.report = options.reportSettings;
        head.closingTime = m_timeText;
        m_projectWriter.emplace(std::move(head));
        m_project.emplace([this](std::string_view bytes) {
            if (!m_projectSave.isOpen() && !m_projectOpenError) {
                makeParentFolder(m_options.project);
                m_projectOpenError = m_projectSave.open(m_options.project);
            }
            return !m_projectOpenError && m_projectSave.write(bytes);
        });
    }
    if (options.report) {
        m_reportSpool.emplace(generation.scratchPath("report-entries"));
    }
    m_csvOpenError = m_csvSave.open(generation.stagedPath(resultsCsvName));
    m_csv.buffer() = resultsCsvHead(options.reportSettings, rows.groundColumns());
    if (options.xlsx) {
        m_workbook.emplace(generation.stagedPath(resultsXlsxName), rows.rowCount(), rows.chineseHeader(),
                           options.reportSettings, rows.groundColumns());
    }
}

int RunFiles::record(const PileRecord &pile, std::string_view name)
{
    if (m_projectWriter) {
        m_projectWriter->appendEntry(m_project->buffer(),
                                     BookEntry{pile.input, std::string(name), m_timeText, pile.ground});
        m_project->pass();
    }
    if (m_reportSpool) {
        m_reportSpool->add(pile, name);
    }
    m_bookEntries.add(pile, name);
    return ++m_entries; // as the books number it
}

void RunFiles::take(const ScheduleRow &row, RowResult &result, bool)
{
    m_results.appendCsv(m_csv.buffer(), row, result);
    m_csv.pass();
    if (m_workbook) {
        m_workbook->add(row, result);
    }
    if (result.end == RowEnd::Refused) {
        const std::string message = refusedRowText(result);
        m_refusals.write(message.c_str(), static_cast<std::streamsize>(message.size() + 1));
        if (m_reportSpool) {
            m_reportSpool->refuse(result.line, result.pileName, result.note);
        }
    }
}

void RunFiles::failedWith(const std::optional<std::string> &error)
{
    if (error) {
        m_messages.error({}, m_generation.shown(*error));
        m_written = false;
    }
}

void RunFiles::openTextBook()
{
    if (!m_textSave.isOpen() && !m_textOpenError) {
        m_textOpenError = m_textSave.open(m_generation.stagedPath(bookFileName(BookForm::Text)));
    }
}

bool RunFiles::toTextBook(std::string_view bytes)
{
    openTextBook();
    return !m_textOpenError && m_textSave.write(bytes);
}

bool RunFiles::toTextLines(std::string_view bytes)
{
    m_textLines.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    m_encoded.clear();
    m_textEncoding.encode(bytes, m_encoded);
    return static_cast<bool>(m_textLines) && (m_encoded.empty() || toTextBook(m_encoded));
}

bool RunFiles::finish()
{
    // The results are complete: they go to disk on a thread of their own while the book's last entries
    // are laid out and both books are completed. Why they could not is told after the books, in the
    // order the files are listed.
    std::optional<std::string> csvError = m_csvOpenError;
    std::jthread resultsFlush;
    if (!m_csvOpenError) {
        resultsFlush = std::jthread([&] { csvError = m_csvSave.finish(completeWhen(m_csv.finish())); });
    }
    m_bookEntries.finish();
    const bool pdfFromLines = finishBooks();
    m_messages.progress(fillIn(batchText::writing, {resultsCsvName}));
    if (resultsFlush.joinable()) {
        resultsFlush.join();
    }
    failedWith(csvError);
    if (m_workbook) {
        m_messages.progress(fillIn(batchText::writing, {resultsXlsxName}));
        failedWith(m_workbook->finish());
    }
    finishProject();
    if (pdfFromLines) {
        const std::string name = bookPdfName();
        m_messages.progress(fillIn(batchText::writing, {name}));
        failedWith(m_pages->bookPdf(m_textLinesPath, m_generation.stagedPath(name)));
    }
    writeReport();
    listRefusals();
    return m_written;
}

bool RunFiles::finishBooks()
{
    if (m_books.entryCount() == 0) {
        m_messages.error({}, batchText::noBook);
        return false;
    }
    m_messages.progress(fillIn(batchText::writing, {bookFileName(BookForm::Text)}));
    // The text book is completed and goes to disk on a thread of its own while the table book is
    // made from its spool: the two closing writes overlap. The table's buffers are this thread's,
    // where the memory freed before them is; what could not be written is told in the files' order.
    m_spool.close();
    // Both files join the run's generation here, in the order they always have (a short text book
    // would otherwise be opened by its first bytes on the other thread).
    openTextBook();
    const std::string tablePath = m_generation.stagedPath(bookFileName(BookForm::Table));
    std::optional<std::string> textError;
    bool textWritten = false;
    // A jthread: joined however this block is left, so that no thread outlives what it writes into.
    std::jthread textBook([&] {
        m_books.finishText();
        textWritten = m_text.finish();
        if (m_options.pdf) {
            m_encoded.clear();
            m_textEncoding.finish(m_encoded);
            textWritten = (m_encoded.empty() || toTextBook(m_encoded)) && textWritten;
        }
        textError = m_textOpenError ? m_textOpenError : m_textSave.finish(completeWhen(textWritten));
    });
    m_messages.progress(fillIn(batchText::writing, {bookFileName(BookForm::Table)}));
    const std::optional<std::string> tableError = saveFile(tablePath, [&](const ByteSink &sink) {
        TextFileWriter table(sink, m_codePage);
        const bool whole = m_books.writeTable(table, [this](const ByteSink &take) {
            return readFileInPieces(m_spoolPath, std::size_t{1} << 20, take);
        });
        return completeWhen(table.finish() && whole);
    });
    // The spool's pages are let go beside what follows rather than with the run's folder at its end.
    m_spoolGone = std::jthread([this] { removeFile(m_spoolPath); });
    textBook.join();
    failedWith(textError);
    failedWith(tableError);
    m_textLines.close();
    // A text book that could not be written whole (its lines' file included) has failed already.
    return m_options.pdf && textWritten && m_textLines;
}

void RunFiles::finishProject()
{
    if (!m_projectWriter) {
        return;
    }
    m_messages.progress(fillIn(batchText::writing, {m_options.project}));
    m_projectWriter->finish(m_project->buffer());
    const bool projectWritten = m_project->finish();
    failedWith(m_projectOpenError ? m_projectOpenError : m_projectSave.finish(completeWhen(projectWritten)));
}

void RunFiles::writeReport()
{
    if (!m_reportSpool || m_reportSpool->count() == 0) {
        return;
    }
    const bool pdf = *m_options.report == ReportFormat::Pdf;
    const std::string_view name = pdf ? reportPdfName : reportDocxName;
    m_messages.progress(fillIn(batchText::writing, {name}));
    // A spool not written whole gives no piles, which fails the report's save.
    const bool spooled = m_reportSpool->close();
    const StreamedReport report{m_options.reportSettings, m_reportSpool->count(),
                                [&](const PileTaker &take) { return spooled && m_reportSpool->replay(take); },
                                m_reportSpool->outcomes()};
    // A long report takes minutes: how far it is, on a terminal.
    const ReportProgress progress = [&](std::size_t done, std::size_t total) {
        m_messages.progress(
            fillIn(batchText::writingPart, {name, std::to_string(total == 0 ? 0 : done * 100 / total)}));
        return true;
    };
    failedWith(pdf ? m_pages->reportPdf(report, m_generation.stagedPath(name), progress)
                   : writeReportDocx(report, m_generation.stagedPath(name),
                                     m_generation.scratchPath("report-zip"), progress));
}

void RunFiles::listRefusals()
{
    m_refusals.close();
    std::string carried;
    readFileInPieces(m_refusalsPath, std::size_t{1} << 20, [&](std::string_view bytes) {
        carried.append(bytes);
        std::size_t start = 0;
        for (std::size_t end; (end = carried.find('\0', start)) != std::string::npos; start = end + 1) {
            m_messages.error(m_options.schedule, std::string_view(carried).substr(start, end - start));
        }
        carried.erase(0, start);
        return true;
    });
}

// The boreholes the rows' holes are found in; false, with the reason told, when the file is refused.
bool readBoreholesFile(const std::string &path, Boreholes &boreholes, RunMessages &messages)
{
    std::string bytes;
    if (const auto error = readScheduleFile(path, bytes)) {
        messages.error(path, *error);
        return false;
    }
    BoreholesReading reading = readBoreholes(bytes);
    if (reading.error) {
        messages.error(path, scheduleErrorText(*reading.error));
        return false;
    }
    boreholes = std::move(reading.boreholes);
    return true;
}

} // namespace

RunEnd runSchedule(const BatchOptions &options, const RunContext &context)
{
    RunMessages &messages = context.messages;
    ScheduleInput input;
    if (!input.open(options, messages)) {
        return RunEnd::Failed;
    }
    Boreholes boreholes;
    if (!options.boreholes.empty() && !readBoreholesFile(options.boreholes, boreholes, messages)) {
        return RunEnd::Failed;
    }
    if ((options.pdf || options.report == ReportFormat::Pdf) && context.pages != nullptr) {
        context.pages->prepare();
    }

    std::error_code ec;
    std::filesystem::create_directories(filePath(options.outFolder), ec);
    if (ec || !std::filesystem::is_directory(filePath(options.outFolder))) {
        messages.error(options.outFolder,
                       std::string(batchText::cannotMakeFolder) + makingReasonText(ec ? ec.value() : EEXIST));
        return RunEnd::Failed;
    }
    // Held to the end: a second run into the same folder is refused at once, before it calculates.
    FolderLock lock;
    bool busy = false;
    if (const auto error = lock.lock(options.outFolder, busy)) {
        messages.error(options.outFolder, busy ? std::string(batchText::folderBusy) : *error);
        return RunEnd::Failed;
    }
    // Every file is written apart first; the folder's files are replaced only when all are complete.
    RunGeneration generation;
    if (const auto error = generation.begin(options.outFolder)) {
        messages.error({}, *error);
        return RunEnd::Failed;
    }

    RunFiles files(options, context, generation, input.rows(), input.lastTyped());
    ScheduleCalculator calculator(options.codePage.value_or(context.codePage), input.ids());
    calculator.setBoreholes(&boreholes);
    const ScheduleTally tally =
        calculateRows(input.rows(), calculator, files, [&messages](std::size_t done, std::size_t total) {
            messages.progress(fillIn(batchText::calculating, {std::to_string(done), std::to_string(total)}));
        });
    if (input.rows().failed()) {
        files.abandon();
        // The file changed while it was read: what was written is of no schedule.
        messages.error(options.schedule, std::string(scheduleText::cannotRead) + reasonText(EIO));
        return RunEnd::Failed;
    }
    bool written = files.finish();
    messages.out(scheduleSummary(tally));
    if (written) {
        if (const auto error = generation.commit()) {
            messages.error({}, generation.shown(*error));
            written = false;
        }
    }
    if (!written) {
        messages.error({}, batchText::nothingReplaced);
        return RunEnd::Failed;
    }
    return tally.refused > 0 ? RunEnd::SomeRefused : RunEnd::AllCompleted;
}

} // namespace saxolith
