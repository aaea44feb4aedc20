// The program-wide values the main window keeps for all screens; plain integers, zero at start.
#pragma once

#include <cstdint>

namespace saxolith
{

struct ProgramState {
    std::int32_t pileCounter = 0;        // entries in the calculation book
    std::int32_t unsavedBooks = 0;       // bit 1: text book, bit 2: table book not saved
    std::int32_t optimisationActive = 0; // 1 while the optimisation screen is open
    std::int32_t sortStateD = 0;         // 0 none, 1 ascending, 2 descending
    std::int32_t sortStateRa = 0;

    void reset() { *this = ProgramState{}; }
};

} // namespace saxolith
