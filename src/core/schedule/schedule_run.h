// Calculating a pile schedule row by row with the input screen's own command, into the calculation book.
#pragma once

#include "book/calculation_book.h"
#include "capacity/calculation.h"
#include "schedule/schedule_file.h"

#include <functional>
#include <string>
#include <vector>

namespace saxolith
{

// What the input screen would hold with the row's cells typed in from its start-up state.
struct RowInput {
    std::string pileName; // the id cell; empty: the book numbers the pile
    CalculationInput input;
    std::string refusal; // why the row cannot be typed in at all; empty when it can
};
RowInput rowInput(const ScheduleRow &row);

enum class RowEnd { Completed, CompletedWithHint, Refused };

struct RowResult {
    int line = 0;
    std::string pileName; // as the book names it; for a refused row the id cell
    RowEnd end = RowEnd::Refused;
    // Texts of the three result fields (empty for a refused row).
    std::string psiText;
    std::string qpaText;
    std::string raText;
    // The status line's text, or the error box's for a text that is not a number.
    std::string note;
    // Completed rows: the section's area (mm²) and Ra (kN), for the shaft check of the results.
    double area = 0.0;
    double ra = 0.0;
};

struct ScheduleResult {
    std::vector<RowResult> rows; // one per schedule row, in order
    int completed = 0;
    int refused = 0;
    // Index of the last row that could be typed in (the input screen is left showing it).
    std::optional<std::size_t> lastTyped;
};

// Called now and then with the rows done so far and the total.
using ScheduleProgress = std::function<void(std::size_t done, std::size_t total)>;

// Calculates every row as the calculate command does and records each completed one in `book`
// with `timeText`, after the entries it already holds. A repeated id, and an id with a character the
// book files' code page `bookCodePage` cannot hold (written there as "?"), complete the row with a note.
ScheduleResult calculateSchedule(const std::vector<ScheduleRow> &rows, CalculationBook &book,
                                 std::string_view timeText, const ScheduleProgress &progress = {},
                                 std::string_view bookCodePage = "UTF-8");

// "第 3 行：" and the row's note, as refused rows are listed.
std::string refusedRowText(const RowResult &row);

} // namespace saxolith
