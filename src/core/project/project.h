// The project file: what it holds, writing it, reading it back with what is wrong, and making the book again.
#pragma once

#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"
#include "core/report/report_settings.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// The layout this program writes; a file of a later version is refused, an earlier one read.
inline constexpr int projectSchemaVersion = 1;
inline constexpr std::string_view projectExtension = ".saxolith";
// Larger files are refused before they are read: ten thousand entries take about 4 MB.
inline constexpr std::size_t largestProjectFile = std::size_t{512} << 20;

// The option grid's texts at start-up, row by row.
std::vector<std::vector<std::string>> startOptionGrid();

// Everything a project keeps: the book's entries as recorded and the screens' texts and choices; as
// made, the screens are as at start-up.
struct Project {
    std::vector<BookEntry> entries;
    std::string closingTime;                                          // the books' time line; empty with no entries
    CalculationInput inputScreen = defaultCalculationInput();         // the input screen's texts, choices, precision
    std::vector<std::vector<std::string>> optionGrid = startOptionGrid(); // the option grid's texts, row by row
    ReportSettings report;
    // The boreholes file the piles' holes were found in, as UTF-8 CSV text; empty: none.
    std::string boreholes;

    bool operator==(const Project &) const = default;
};

// The project of `book` with the other parts given.
Project projectOf(const CalculationBook &book);

// The file's text (UTF-8 JSON). A journal also names the project file it stands for (empty: none yet).
void writeProject(std::ostream &out, const Project &project);
void writeJournal(std::ostream &out, const Project &project, std::string_view projectPath);

// A project written entry by entry as a long run records them, so its book is never held whole: the
// very bytes writeProject gives for the same project with the same entries.
class ProjectStreamWriter
{
  public:
    // `project` is all but the entries: its closingTime is the time the entries to come close with.
    explicit ProjectStreamWriter(Project project);

    // Appends the entry's text to `out`, after the project's head before the first entry.
    void appendEntry(std::string &out, const BookEntry &entry);
    // Appends what follows the last entry; a project that got no entries is written here whole.
    void finish(std::string &out);
    std::size_t entryCount() const { return m_entries; }

  private:
    Project m_project;
    std::string m_head; // up to the first entry's text
    std::string m_tail; // after the last entry's
    std::size_t m_entries = 0;
};

struct ProjectReading {
    std::optional<Project> project; // nothing when the file is refused
    std::string error;              // what is wrong, when refused
    std::string projectPath;        // a journal's project file
};

// Reads a project file (or a journal); every entry is calculated again, and a file with an entry the
// calculate command refuses is refused as a whole. `book`, when given, receives the entries, so a
// file is calculated only once; it is changed only when the whole file is good.
ProjectReading readProject(std::string_view bytes, CalculationBook *book = nullptr);

// The report's settings of a project file, or of a file of them alone (what a project holds under
// "report": {"titleBlock": {"projectName": …}, "concreteGrade": "C35", "psiC": 0.75, …}, each part
// optional): read into `settings` over what it holds. Nothing when read, otherwise what is wrong, with
// `settings` as it was.
std::optional<std::string> readReportSettingsFile(std::string_view bytes, ReportSettings &settings);

// A project's file name suggested from its 工程名称: the characters a file name cannot hold become "_";
// empty when the name gives none.
std::string projectFileStem(std::string_view projectName);

// The book made again from the entries, line for line as they were recorded; nothing on success,
// otherwise which entry the calculate command refuses and why (the book is then left as it was).
std::optional<std::string> rebuildBook(const Project &project, CalculationBook &book);

} // namespace saxolith
