// The calculation book: every recorded calculation as a report in the text book and a row in the table book.
#pragma once

#include "core/book/book_form.h"
#include "core/capacity/calculation.h"

#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

namespace book
{
// "计算时间：" followed by the time text closes both books (and the saved candidate lists).
inline constexpr std::string_view timeLinePrefix = "计算时间：";
inline constexpr std::string_view noteLine = " 注: 采用《建筑地基基础设计规范》(GB 50007-2011)公式计算";
inline constexpr std::string_view pileNumberPrefix = "ZH";
// Closes every text-book entry and occurs nowhere else in the text book.
inline constexpr std::string_view entryClosingRule = "==================================================";
inline constexpr int tableWidth = 110;
// The id column of the table book: three blanks, then the id in at least this many columns; a longer
// id widens the column for every row of the book, so the columns after it stay in line.
inline constexpr int tableIdIndent = 3;
inline constexpr int tableIdWidth = 6;
inline constexpr std::size_t tableHeaderLines = 5;
inline constexpr std::size_t tableFooterLines = 4;
} // namespace book

// The row of entry `number` in the table book.
std::string bookTableRow(const PileRecord &record, int number);
// The lines of entry `number` in the text book, from its title to its closing rule.
std::vector<std::string> bookTextEntry(const PileRecord &record, int number);
// The same with the pile's own name where "ZHn" stands; a long name shifts the line, never cut.
std::string bookTableRow(const PileRecord &record, std::string_view pileName);
std::vector<std::string> bookTextEntry(const PileRecord &record, std::string_view pileName);

class Encoder;
class TextBuffer;

// The same written at the end of a buffer, for files written as a run goes: the text entry with every
// line ended by CR LF as the saved files end them; what follows the id column in the table row; the
// row made of an id and that rest with the id column `idWidth` wide (these two without a line end).
// With `codePage`, the entry is written in its code page straight, while it writesPieces(); false, with
// nothing written, when it could not be.
bool appendBookTextEntry(TextBuffer &out, const PileRecord &record, std::string_view pileName,
                         Encoder *codePage = nullptr);
void appendBookTableRest(TextBuffer &out, const PileRecord &record);
void appendBookTableRowLine(TextBuffer &out, std::string_view id, std::string_view rest, int idWidth);

// The table book's lines before its rows (title and column heads between rules) and after them (a
// rule, the note and the time line between rules), with the id column `idExcess` columns wider
// than usual.
std::vector<std::string> bookTableHead(int idExcess);
std::vector<std::string> bookTableFoot(int idExcess, std::string_view timeText);
// What follows the id column in the entry's table row (all of it ASCII), and the row made of an id
// and that rest with the id column `idWidth` wide.
std::string bookTableRest(const PileRecord &record);
std::string bookTableRowLine(std::string_view id, std::string_view rest, int idWidth);
// The line with the time of recording that closes both books.
std::string bookTimeLine(std::string_view timeText);
// What an entry is called in the books: the pile's own name, or "ZHn" for entry `number` without one.
std::string bookEntryName(int number, std::string_view pileName);

// What an entry was recorded from: enough to make it again, line for line.
struct BookEntry {
    CalculationInput input; // the input screen's texts and choices, as typed
    std::string pileName;   // the pile's own name; empty where the book numbers it ZHn
    std::string timeText;
    // A pile of another method: its ground, method and parts, as recorded (none for 8.5.6-2).
    std::shared_ptr<const GroundPile> ground = nullptr;

    bool operator==(const BookEntry &other) const;
};

// The calculation of an entry made again: the input's, with the entry's ground and its Ra.
CalculationOutcome entryOutcome(const BookEntry &entry);

class CalculationBook
{
  public:
    // Appends the entry numbered entryCount() + 1 to both books; `timeText` is the moment of
    // recording, written in both time lines; `pileName`, when given, stands in place of "ZHn".
    // Returns the new entry count.
    int record(const PileRecord &record, std::string_view timeText, std::string_view pileName = {});

    // Removes the last entry from both books. The time line keeps the time of the entry removed;
    // removing the only entry (or deleting from an empty book) empties both books.
    void deleteLast();

    // The forms with changes not yet saved, as BookForm bits: recording and deleting one of several
    // entries make both unsaved (a saved file would otherwise keep the deleted pile); emptying the
    // book leaves nothing to save.
    int unsavedForms() const { return m_unsaved; }
    bool unsaved(BookForm form) const { return (m_unsaved & static_cast<int>(form)) != 0; }
    void markSaved(BookForm form) { m_unsaved &= ~static_cast<int>(form); }

    // The time text of both time lines: the last entry's, or after a deletion the removed entry's.
    const std::string &closingTime() const { return m_closingTime; }
    // Writes `timeText` into both time lines (a book made again after deletions); nothing when empty.
    void setClosingTime(std::string_view timeText);

    // Every entry as it was recorded, in order.
    const std::vector<BookEntry> &entries() const { return m_recorded; }

    int entryCount() const { return m_entries; }
    bool empty() const { return m_entries == 0; }
    const std::vector<std::string> &textLines() const { return m_text; }
    // Laid out at the width of the longest id as it is asked for, not at every entry that widens it.
    const std::vector<std::string> &tableLines() const;

    // Columns the table book's id column is wider than its usual width: the longest id's excess.
    int idColumnExcess() const { return m_idWidth - book::tableIdWidth; }

  private:
    // The id width of the longest id, when that has changed, marking the table book to be laid out
    // again; `added`: after a row was added.
    void layOutTableIds(bool added);
    // The table book afresh at the id width (once however many entries widened it since).
    void layOutTable() const;
    [[nodiscard]] std::string tableRowLine(std::size_t entry) const;

    int m_entries = 0;
    int m_unsaved = 0;
    std::vector<std::string> m_text;
    mutable std::vector<std::string> m_table;
    mutable bool m_tableStale = false; // rows laid out at an id width not the book's
    std::vector<BookEntry> m_recorded;
    std::string m_closingTime;
    // Each table row as its id and what follows the id column, so the column can widen later.
    std::vector<std::string> m_tableIds;
    std::vector<std::string> m_tableRest;
    int m_idWidth = book::tableIdWidth;
};

} // namespace saxolith
