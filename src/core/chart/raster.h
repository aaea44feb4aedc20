// The chart's raster: over each place (a series' pixel column) a column of cells across the Ra range,
// each holding the first row in list order that falls in it, so that dense columns keep their spread;
// its cells merged two by two until the points it adds fit a budget.
#pragma once

#include "core/chart/axis_layout.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace saxolith::chartReduction
{

struct Raster {
    std::size_t stride = 0;           // cells a place: a place's cells start on a word of the taken bits
    std::vector<std::uint64_t> taken; // a bit a cell
    std::unique_ptr<std::uint32_t[]> firstRow; // of each taken cell
    std::size_t merge = 0;                     // cells made one; 0 leaves the raster out

    // use(row) with the first row of each merged block of a place with a taken cell, in ascending
    // blocks: found from the taken bits, so that empty cells cost nothing.
    template <typename Use> void forEachBlock(std::size_t place, Use &&use) const
    {
        if (merge == 0)
            return;
        const int shift = std::countr_zero(merge);
        std::size_t block = SIZE_MAX;
        std::uint32_t first = noRow;
        for (std::size_t w = place * stride / 64; w < (place + 1) * stride / 64; ++w) {
            for (std::uint64_t bits = taken[w]; bits != 0; bits &= bits - 1) {
                const std::size_t cell = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
                const std::size_t b = (cell - place * stride) >> shift;
                if (b != block) {
                    if (block != SIZE_MAX)
                        use(first);
                    block = b;
                    first = firstRow[cell];
                } else {
                    first = std::min(first, firstRow[cell]);
                }
            }
        }
        if (block != SIZE_MAX)
            use(first);
    }
};

// The raster of `rows` cells a place over the bounds' Ra, from the look's codes and its odd rows, at
// the finest merging whose points stay within `rasterBudget`.
Raster rasterOf(const CandidateList &list, ChartAxis axis, const FirstLook &look, const SeriesXs &xs,
                const Columns &columns, const ChartBounds &bounds, int rows, std::size_t rasterBudget);

} // namespace saxolith::chartReduction
