// The calculation report as a document model: the PDF pages and the Word file are both drawn from it.
#pragma once

#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"
#include "core/capacity/shaft_check.h"
#include "core/report/report_settings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// A piece of text in one style.
struct Run {
    std::string text;
    bool subscript = false;
    bool bold = false;

    bool operator==(const Run &) const = default;
};
using Runs = std::vector<Run>;

// A text the program composes, its subscripts marked "R_a" (see texts/report.h), as runs.
Runs markup(std::string_view text, bool bold = false);
// A text as the user typed it: no marks read.
Runs verbatim(std::string_view text, bool bold = false);
// The runs' texts one after the other, as a reader of the page sees them.
std::string plainText(const Runs &runs);

enum class Align : std::uint8_t { Left, Centre, Right };

struct ReportTable {
    std::vector<double> widths; // shares of the text width, adding up to 1
    std::vector<Align> aligns;  // per column
    int headerRows = 1;         // repeated on each page the table runs over; drawn bold
    std::vector<std::vector<Runs>> rows;
};

enum class BlockStyle : std::uint8_t {
    CoverTitle, // the cover's large title
    Subtitle,   // under it, centred
    PileTitle,  // a pile's section opens
    Heading,    // a numbered part of a pile's section
    Body,       // plain text
    Formula,    // indented: written, substituted, evaluated
    Table,
    PageBreak,
};

struct Block {
    BlockStyle style = BlockStyle::Body;
    Runs runs;
    ReportTable table; // BlockStyle::Table only
    // Kept on one page with the block after it: a pile's section is never torn apart when it fits a page.
    bool keepWithNext = false;
};

// How far a report's making or writing is, `done` of `total`; false asks it to stop where it is (a file
// being written is then not written).
using ReportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The report's files beside the books, as the batch writes them.
enum class ReportFormat : std::uint8_t { Pdf, Docx };
inline constexpr std::string_view reportPdfName = "report.pdf";
inline constexpr std::string_view reportDocxName = "report.docx";

struct ReportDocument {
    std::string headerLeft;  // the project's name, as typed
    std::string headerRight; // the report's title
    Language language = Language::Chinese; // of the page footers
    std::vector<Block> blocks;
};

// Hands each pile of a report to `take` with its name, in order; false when they could not all be given.
using PileTaker = std::function<void(const PileRecord &record, std::string_view pileName)>;
using PileReplay = std::function<bool(const PileTaker &take)>;

// A schedule's row that was not calculated: the report lists it with its reason.
struct RefusedPile {
    int line = 0;       // of the schedule
    std::string id;     // the id cell, as given; may be empty
    std::string reason; // why the row was refused

    bool operator==(const RefusedPile &) const = default;
};

// What the cover counts beyond the piles: those with a note among them, and the rows refused.
struct ReportOutcomes {
    int noted = 0;
    std::vector<RefusedPile> refused;
};

// A report too long to hold: its `pileCount` piles given again by `piles` each time a writer goes through
// them, so only the pile at hand is ever in memory. Written, it is the document ReportBuilder makes of the
// same piles.
struct StreamedReport {
    ReportSettings settings;
    int pileCount = 0;
    PileReplay piles;
    ReportOutcomes outcomes; // `noted` of the piles
};

// The first refused setting as a message naming it; nothing when all can be used.
std::optional<std::string> reportSettingsProblem(const ReportSettings &settings);

// The shaft check of a pile with the report's settings (the settings must be accepted ones).
ShaftCheck shaftCheckOf(const PileRecord &record, const ReportSettings &settings);

// Builds the report pile by pile, so a caller that calculates a schedule row by row feeds it as it goes:
// the cover first, one section per pile, the summary table last.
class ReportBuilder
{
  public:
    explicit ReportBuilder(ReportSettings settings);

    // A pile, its record's note shown on its page and in the summary.
    void addPile(const PileRecord &record, std::string_view pileName);
    int pileCount() const { return m_piles; }
    // A row of the schedule that was not calculated, listed on the cover.
    void addRefused(RefusedPile refused);

    // The book's entries, each calculated again from what was typed, as the book made its lines; false
    // when `progress` stopped it. An entry's note is its calculation's hint, and an id an earlier entry
    // has says so; `notes`, when given (one for each entry), are the notes instead.
    bool addBookEntries(const std::vector<BookEntry> &entries, const ReportProgress &progress = {},
                        const std::vector<std::string> *notes = nullptr);

    // The whole document; the builder is spent.
    ReportDocument finish();

    // The document in parts, for a writer that takes the piles as they come and keeps none of them: what
    // finish() gives is the cover for its piles, each pile's section, then the summary's head with a row
    // for each pile. The page headers and the cover for `pileCount` piles (`outcomes.noted` of them with
    // a note), ending with its page break:
    ReportDocument cover(int pileCount, const ReportOutcomes &outcomes = {}) const;
    std::vector<Block> pileSection(const PileRecord &record, std::string_view pileName) const;
    // The summary's page break, its title and its table with the header row alone; the rows follow it.
    std::vector<Block> summaryHead() const;
    std::vector<Runs> summaryRow(const PileRecord &record, std::string_view pileName) const;

  private:
    ReportSettings m_settings;
    const ConcreteGrade *m_grade;
    int m_piles = 0;
    ReportOutcomes m_outcomes;
    std::vector<Block> m_blocks;
    std::vector<std::vector<Runs>> m_summary;
};

} // namespace saxolith
