// The columns of the candidate lists and the sort states of the two that sort.
#pragma once

#include <cstdint>

namespace saxolith
{

// The twelve columns of the candidate lists, in the order they show them.
enum class CandidateColumn : int {
    Number = 0,
    Section = 1,
    FirstDimension = 2, // d, a or the square's side; sorts
    SecondDimension = 3,
    Ra = 4, // sorts
    Strength = 5,
    Basis = 6,
    Integrity = 7,
    Psi = 8,
    Qpa = 9,
    Route = 10,
    Remark = 11,
};

// The state of one sortable column: the values are also the marks its header shows.
enum SortState : std::uint8_t {
    Unsorted = 0,
    Ascending = 1,  // ▲
    Descending = 2, // ▼
};

} // namespace saxolith
