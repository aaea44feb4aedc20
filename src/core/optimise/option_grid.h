// The option grid of the optimisation screen and the headers of the two candidate lists.
#pragma once

#include "core/optimise/candidate_columns.h"

#include <string>
#include <string_view>

namespace saxolith
{

inline constexpr int optionGridRows = 14;
inline constexpr int optionGridColumns = 5;
inline constexpr int optionRowCount = 12; // rows 0..11 are read by the run
inline constexpr int raRangeRow = 13;     // minimum in column 1, maximum in column 2
inline constexpr int candidateColumns = 12;

// Header of an option grid column ("优化项", "最小值", …); empty outside 0..4.
std::string_view optionGridHeader(int column);

// Start-up text of a cell of the option grid; empty for row 12, the step of row 13 and outside.
std::string_view optionGridStartText(int row, int column);

// Cells the user may edit: minimum, maximum and step of rows 0..11, minimum and maximum of row 13.
bool isOptionCell(int row, int column);
// A finished edit of this cell enables the run command.
bool editEnablesRun(int row, int column);
// A finished edit of this cell enables the filter command.
bool editEnablesFilter(int row, int column);

// Header of a candidate list column laid out to 8 display columns; empty outside 0..11.
std::string listHeader(int column);

// Header of a sortable column (d or Ra) for a sort state, marked ▲ or ▼ when sorted.
// Other columns and states give the unmarked header.
std::string sortHeader(int column, int sortState);

} // namespace saxolith
