// The program-wide values the main window keeps for all screens; plain integers, zero at start.
#pragma once

#include "optimise/candidate_columns.h"

#include <cstdint>

namespace saxolith
{

struct ProgramState {
    std::int32_t pileCounter = 0;        // entries in the calculation book
    std::int32_t unsavedBooks = 0;       // bit 1: text book, bit 2: table book not saved
    std::int32_t optimisationActive = 0; // 1 while the optimisation screen is open
    SortState sortStateD = SortState::Unsorted;
    SortState sortStateRa = SortState::Unsorted;

    void reset() { *this = ProgramState{}; }
};

} // namespace saxolith
