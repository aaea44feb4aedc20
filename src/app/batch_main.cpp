// saxolith-batch: a whole pile schedule calculated from the command line into the calculation book,
// a results table and, on request, the book as PDF. The run is core's pipeline; here the arguments are
// read and its messages shown.
#include "core/save/encoding.h"
#include "core/save/file_system.h"
#include "core/save/safe_file.h"
#include "core/schedule/batch_options.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_pipeline.h"
#include "core/texts/batch.h"
#include "core/texts/language.h"

#include "pages/run_pages.h"
#include "platform/freed_memory.h"
#include "platform/host.h"

#include <array>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
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
class Console final : public RunMessages
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

    // `raw` (a path as given) goes out unchanged, the text in the terminal's character set. On Windows
    // the path is UTF-8 too (taken from the wide command line) and goes out as the text does.
    void error(std::string_view raw, std::string_view text) override
    {
        clearProgress();
#ifdef _WIN32
        std::string line = encodeText(raw, m_codePage);
#else
        std::string line(raw);
#endif
        if (!raw.empty()) {
            line += ": ";
        }
        line += encodeText(translate(m_language, text), m_codePage);
        line += '\n';
        std::fputs(line.c_str(), stderr);
    }
    void out(std::string_view text) override
    {
        clearProgress();
        std::fflush(stderr);
        const std::string line = encodeText(translate(m_language, text), m_codePage) + "\n";
        std::fputs(line.c_str(), stdout);
    }

    // A progress line on a terminal, once the work has run for half a second.
    void progress(std::string_view text) override
    {
        using namespace std::chrono;
        if (!m_terminal || steady_clock::now() - m_start < milliseconds(500)) {
            return;
        }
        const std::string line = "\r" + encodeText(translate(m_language, text), m_codePage) + "\x1b[K";
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
    // Every message from here on in `language`.
    void setLanguage(Language language) { m_language = language; }
    std::string usage() const { return encodeText(translate(m_language, batchText::usage), m_codePage); }

  private:
    std::string m_codePage;
    Language m_language = Language::Chinese;
    bool m_terminal;
    bool m_progressShown = false;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

int writeTemplate(const BatchOptions &options, Console &console)
{
    const std::string text = scheduleTemplate(options.reportSettings.language.value_or(Language::Chinese));
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

int runSchedule(const BatchOptions &options, Console &console, int &argc, char **argv)
{
    PdfRunPages pages(argc, argv);
    const RunContext context{console, console.codePage(), [] { return currentTimeText().toStdString(); },
                             &pages};
    switch (saxolith::runSchedule(options, context)) {
    case RunEnd::AllCompleted:
        return allCompleted;
    case RunEnd::SomeRefused:
        return someRefused;
    case RunEnd::Failed:
        break;
    }
    return failed;
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
    const auto error = parseBatchOptions(arguments, options);
    console.setLanguage(options.reportSettings.language.value_or(Language::Chinese));
    if (error) {
        console.error({}, *error);
        std::fputs(console.usage().c_str(), stderr);
        return failed;
    }
    if (options.help) {
        std::fputs(console.usage().c_str(), stdout);
        return allCompleted;
    }
    if (options.version) {
        std::printf("saxolith-batch %s\n", SAXOLITH_VERSION);
        return allCompleted;
    }
    if (options.templateWanted) {
        return writeTemplate(options, console);
    }
    // Whatever a schedule asks of memory, the run ends with a message and its scratch files removed (the
    // blocks on the way unwound), never with the terminal's few words lost in the message buffer.
    try {
        return runSchedule(options, console, argc, argv);
    } catch (const std::bad_alloc &) {
        console.error({}, batchText::outOfMemory);
        console.error({}, batchText::nothingReplaced);
        return failed;
    }
}
