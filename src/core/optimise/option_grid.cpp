#include "core/optimise/option_grid.h"

#include "core/text/fixed_width.h"
#include "core/texts/optimisation.h"

#include <array>

namespace saxolith
{

namespace
{

using optimisationText::gridHeaders;
using optimisationText::gridStartTexts;
using optimisationText::listHeaders;
static_assert(gridHeaders.size() == std::size_t{optionGridColumns} &&
              gridStartTexts.size() == std::size_t{optionGridRows} &&
              listHeaders.size() == std::size_t{candidateColumns});

constexpr int headerWidth = 8;

} // namespace

std::string_view optionGridHeader(int column)
{
    if (column < 0 || column >= optionGridColumns)
        return {};
    return gridHeaders[static_cast<std::size_t>(column)];
}

std::string_view optionGridStartText(int row, int column)
{
    if (row < 0 || row >= optionGridRows || column < 0 || column >= optionGridColumns)
        return {};
    return gridStartTexts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

bool editEnablesRun(int row, int column)
{
    return row >= 0 && row < optionRowCount && column >= 1 && column <= 3;
}

bool editEnablesFilter(int row, int column)
{
    return row == raRangeRow && (column == 1 || column == 2);
}

bool isOptionCell(int row, int column)
{
    return editEnablesRun(row, column) || editEnablesFilter(row, column);
}

std::string listHeader(int column)
{
    if (column < 0 || column >= candidateColumns)
        return {};
    return padLeft(listHeaders[static_cast<std::size_t>(column)], " ", headerWidth);
}

std::string sortHeader(int column, int sortState)
{
    const auto key = static_cast<CandidateColumn>(column);
    if ((key != CandidateColumn::FirstDimension && key != CandidateColumn::Ra) ||
        (sortState != SortState::Ascending && sortState != SortState::Descending))
        return listHeader(column);
    std::string text(listHeaders[static_cast<std::size_t>(column)]);
    text += sortState == SortState::Ascending ? optimisationText::ascendingMark : optimisationText::descendingMark;
    return padLeft(text, " ", headerWidth);
}

} // namespace saxolith
