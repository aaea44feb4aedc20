// The program-wide values the main window keeps for all screens; zero at start. The book's entry count
// and its unsaved forms are the book's own (the result screen holds it).
#pragma once

#include "core/optimise/candidate_columns.h"


namespace saxolith
{

struct ProgramState {
    SortState sortStateD = SortState::Unsorted;
    SortState sortStateRa = SortState::Unsorted;

    void reset() { *this = ProgramState{}; }
};

} // namespace saxolith
