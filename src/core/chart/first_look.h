// The chart reduction's first look: every row placed once, each series' distinct x with its lowest
// and highest Ra, and for the raster each row's code.
#pragma once

#include "core/chart/pair_grid.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace saxolith::chartReduction
{

// What the raster's look needs of a row: its cell's key (noRow: the row is not drawn, or is one of the
// odd rows) and its Ra in hundredths.
struct RowCode {
    std::uint32_t key;
    std::int32_t hundredths;
};
// By d a key takes two bytes (shortNoRow: none), kept apart from the hundredths, so that the rows'
// codes take six bytes, not eight, to write and to read back. Each in a type of its own: a store of
// a code changes no cell.
struct ShortKeys {
    std::unique_ptr<std::uint16_t[]> keys;
    std::unique_ptr<std::int32_t[]> hundredths;
};
inline constexpr std::uint16_t shortNoRow = std::numeric_limits<std::uint16_t>::max();
// By d the first numbers a short key holds: (number << 2) | series stays below shortNoRow.
inline constexpr std::uint32_t largestShortFirst = (shortNoRow >> 2) - 1;

// What the look over the rows leaves: the rows drawn of each series; each x with its extremes, maybe
// in several pieces (a piece of each cell of one x, a piece of the odd rows), in any order; for the
// raster, each row's code, the cell each key stands for and the place of each cell.
struct FirstLook {
    std::array<std::size_t, chartSeriesCount> counts{};
    std::array<std::vector<XEntry>, chartSeriesCount> pieces;
    std::array<std::vector<std::uint32_t>, chartSeriesCount> cellOfPiece; // noRow: odd rows' piece
    std::unique_ptr<RowCode[]> codes; // each row's, every one written before it is read
    ShortKeys shortCodes;             // by d, in place of `codes`
    std::size_t codeCount = 0;
    // Rows whose Ra is no whole number of hundredths (a text rounded to seven digits, or none): few,
    // taken apart so that the loop over all rows stays simple.
    std::vector<std::uint32_t> odd;
    std::size_t cellCount = 0;
    KeyLayout layout;
    // The rows from secondBegin on were looked at on a second thread, in a grid of their own: their
    // keys are laid out by secondLayout, and each of that grid's cells with rows is the cell
    // cellOfSecond gives. Without a second part, secondBegin is SIZE_MAX.
    std::size_t secondBegin = SIZE_MAX;
    KeyLayout secondLayout;
    std::vector<std::uint32_t> cellOfSecond;
    // The lowest and highest hundredths of the rows with codes.
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
};

// The look at every row of `list`; with `raster`, each row's code kept for the raster's look. A list of
// `twoThreadsFrom` rows or more is looked at in two halves at once.
FirstLook firstLook(const CandidateList &list, ChartAxis axis, bool raster, std::size_t twoThreadsFrom);

} // namespace saxolith::chartReduction
