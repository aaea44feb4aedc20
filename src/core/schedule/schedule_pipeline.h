// The one batch pipeline: a pile schedule read a piece at a time (or whole, where it must be), each row
// calculated and handed on to the books, the results, the project and the report, and the run's files put
// in place together or not at all.
#pragma once

#include "core/report/report_document.h"
#include "core/schedule/batch_options.h"
#include "core/schedule/schedule_run.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Where a run's messages go; the program shows them (in the terminal's character set, say).
class RunMessages
{
  public:
    virtual ~RunMessages() = default;
    // What went wrong; `raw` (a path as given, or empty) before the text, unchanged.
    virtual void error(std::string_view raw, std::string_view text) = 0;
    // The run's summary.
    virtual void out(std::string_view text) = 0;
    // How far the run is.
    virtual void progress(std::string_view text) = 0;
};

// The files drawn on pages, which need a page layout core does not have. Each gives nothing when the
// file was written, otherwise the error (the file named).
class RunPages
{
  public:
    virtual ~RunPages() = default;
    // Before the run makes its folder, once it knows it will draw pages (the fonts are found here).
    virtual void prepare() = 0;
    // The text book from its lines (UTF-8, without line ends) in the file `linesPath`.
    virtual std::optional<std::string> bookPdf(const std::string &linesPath, const std::string &path) = 0;
    virtual std::optional<std::string> reportPdf(const StreamedReport &report, const std::string &path,
                                                 const ReportProgress &progress) = 0;
};

// What a run takes from the program around it.
struct RunContext {
    RunMessages &messages;
    // The books' code page when the options name none.
    std::string codePage;
    // The run's time as the books and the project write it, asked once as the run begins writing.
    std::function<std::string()> timeText;
    // Needed only for a PDF.
    RunPages *pages = nullptr;
};

enum class RunEnd { AllCompleted, SomeRefused, Failed };

// Reads the schedule `options` names, calculates it into the output folder and tells `context` what
// happened, a refused row after the last and the summary on the way.
RunEnd runSchedule(const BatchOptions &options, const RunContext &context);

} // namespace saxolith
