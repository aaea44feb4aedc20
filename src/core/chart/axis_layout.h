// The chart's layout along its axes: each series' distinct x in ascending order, the bounds they and
// their Ra span, and the pixel column each x falls in with each column's extremes.
#pragma once

#include "core/chart/first_look.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace saxolith::chartReduction
{

// Each series' distinct x in ascending order, those of several pieces made one (pairs of one area:
// 800 × 300 and 600 × 400); entryOfPiece[s][p] is the x of the look's piece p.
struct SeriesXs {
    std::array<std::vector<XEntry>, chartSeriesCount> xs;
    std::array<std::vector<std::uint32_t>, chartSeriesCount> entryOfPiece;
};

// With `twoThreads`, round and elliptical piles on one thread, rectangular and square on another.
SeriesXs distinctXOf(const FirstLook &look, bool twoThreads);

// The x and Ra every series spans; empty when no series has a row.
ChartBounds boundsOf(const SeriesXs &xs);

// Each pixel column's lowest and highest Ra, the first row of each in list order: the lowest and the
// highest of its x, the first row among equals. A place is a series' column: s · columns + column.
struct Columns {
    std::size_t count = 0;
    std::vector<XEntry> extremes;                                          // by place
    std::array<std::vector<std::uint32_t>, chartSeriesCount> placeOfEntry; // of each distinct x
    [[nodiscard]] std::size_t places() const { return chartSeriesCount * count; }
};

// `columns` pixel columns over the bounds' x (at least one).
Columns columnsOf(const SeriesXs &xs, const ChartBounds &bounds, int columns);

} // namespace saxolith::chartReduction
