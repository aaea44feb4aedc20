#include "core/chart/raster.h"

#include "core/chart/halves.h"

#include <array>
#include <bit>
#include <utility>

namespace saxolith::chartReduction
{

namespace
{

// The raster row of every Ra in hundredths from `lowest` to `highest`, as sliceOf gives it for the
// hundredths over 100, without a division: the range is cut into bins of a power of two, each small
// enough to hold at most one step from a raster row to the next, so that a row's raster row is its
// bin's below or above the bin's step. sliceOf only grows with the value, which the search for the
// steps relies on.
class RasterRows
{
  public:
    RasterRows(std::int32_t lowest, std::int32_t highest, double yMin, double yMax, int rows)
        : m_lowest(lowest), m_yMin(yMin), m_yMax(yMax), m_rows(rows)
    {
        if (lowest > highest)
            return;
        const std::vector<std::int64_t> steps = stepsOf(lowest, highest);
        std::int64_t gap = std::int64_t{highest} - lowest + 1;
        for (std::size_t k = 1; k < steps.size(); ++k)
            gap = std::min(gap, steps[k] - steps[k - 1]);
        m_shift = std::bit_width(static_cast<std::uint64_t>(gap)) - 1;
        fillBins(lowest, highest, steps);
    }

  private:
    struct Bin {
        std::uint32_t step; // the first value of `above`, from the lowest; noRow: none in the bin
        std::uint32_t below;
        std::uint32_t above;
    };

  public:
    // The table held by a loop in registers.
    struct View {
        const Bin *bins;
        std::int32_t lowest;
        int shift;

        // The raster row of a value from `lowest` to `highest`.
        [[gnu::always_inline]] std::uint32_t operator()(std::int32_t hundredths) const
        {
            const std::uint32_t at =
                static_cast<std::uint32_t>(hundredths) - static_cast<std::uint32_t>(lowest);
            const Bin &bin = bins[at >> shift];
            return at >= bin.step ? bin.above : bin.below;
        }
    };

    [[nodiscard]] View view() const { return {m_bins.data(), m_lowest, m_shift}; }

  private:
    std::uint32_t rowOfValue(std::int64_t hundredths) const
    {
        return static_cast<std::uint32_t>(
            sliceOf(static_cast<double>(hundredths) / 100.0, m_yMin, m_yMax, m_rows));
    }

    // The first value of each raster row past the lowest's; the next step lies at least one whole
    // value further.
    std::vector<std::int64_t> stepsOf(std::int64_t low, std::int64_t high) const
    {
        std::vector<std::int64_t> steps;
        for (std::uint32_t r = rowOfValue(low) + 1; r <= rowOfValue(high); r = rowOfValue(steps.back()) + 1) {
            std::int64_t a = low;  // below r
            std::int64_t b = high; // at or above r
            while (b - a > 1) {
                const std::int64_t middle = a + (b - a) / 2;
                (rowOfValue(middle) >= r ? b : a) = middle;
            }
            steps.push_back(b);
        }
        return steps;
    }

    void fillBins(std::int64_t low, std::int64_t high, const std::vector<std::int64_t> &steps)
    {
        const auto bins = static_cast<std::size_t>(((high - low) >> m_shift) + 1);
        m_bins.resize(bins);
        std::size_t next = 0; // the first step not yet placed
        for (std::size_t b = 0; b < bins; ++b) {
            const std::int64_t start = low + (static_cast<std::int64_t>(b) << m_shift);
            const std::int64_t end = std::min(start + (std::int64_t{1} << m_shift), high + 1);
            Bin &bin = m_bins[b];
            bin.below = rowOfValue(start);
            bin.above = bin.below;
            bin.step = noRow;
            if (next < steps.size() && steps[next] < end) {
                bin.step = static_cast<std::uint32_t>(steps[next] - low);
                bin.above = rowOfValue(steps[next]);
                ++next;
            }
        }
    }

    std::int32_t m_lowest = 0;
    double m_yMin;
    double m_yMax;
    int m_rows;
    int m_shift = 0;
    std::vector<Bin> m_bins;
};

// The raster's look at rows [begin, end), whose keys are laid out by `layout`: each cell's first row
// in list order, a bit a cell saying it is taken.
void markRaster(const FirstLook &look, std::size_t begin, std::size_t end, const KeyLayout &layout,
                const std::vector<std::uint32_t> &placeOfCell, const RasterRows &rasterRows,
                std::vector<std::uint64_t> &taken, std::uint32_t *firstRow)
{
    // In registers for the loop: the stores to the cells would otherwise have them read again.
    const std::uint32_t *const placeOf = placeOfCell.data();
    std::uint64_t *const bits = taken.data();
    const RasterRows::View rowOf = rasterRows.view();
    // Each row's key and hundredths by its number.
    const auto mark = [&](auto codeOf, auto none, auto cellOfKey) {
        for (std::size_t i = begin; i < end; ++i) {
            const auto [key, hundredths] = codeOf(i);
            if (key == none)
                continue;
            const std::size_t cell = placeOf[cellOfKey(key)] + rowOf(hundredths);
            std::uint64_t &word = bits[cell / 64];
            const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
            if ((word & bit) == 0) {
                word |= bit;
                firstRow[cell] = static_cast<std::uint32_t>(i);
            }
        }
    };
    const RowCode *const codes = look.codes.get();
    const auto wideCode = [codes](std::size_t i) { return std::pair{codes[i].key, codes[i].hundredths}; };
    if (look.shortCodes.keys) {
        const std::uint16_t *const keys = look.shortCodes.keys.get();
        const std::int32_t *const hundredths = look.shortCodes.hundredths.get();
        mark(
            [=](std::size_t i) {
                return std::pair{keys[i], hundredths[i]};
            },
            shortNoRow, [](std::uint16_t key) { return key; });
    } else if (layout.keyIsCell) {
        mark(wideCode, noRow, [](std::uint32_t key) { return key; });
    } else {
        const std::array<std::uint32_t, chartSeriesCount> offset = layout.offset;
        const std::array<int, chartSeriesCount> firstShift = layout.firstShift;
        mark(wideCode, noRow, [=](std::uint32_t key) {
            const std::uint32_t s = key & 3;
            return offset[s] + (std::size_t{key >> 17} << firstShift[s]) +
                   ((key >> 2) & PairGrid::largestNumber);
        });
    }
}

// The first of the raster's cells of each cell of the look's grid: its x's place.
std::vector<std::uint32_t> placesOfCells(const FirstLook &look, const SeriesXs &xs, const Columns &columns,
                                         std::size_t stride)
{
    std::vector<std::uint32_t> placeOfCell(look.cellCount);
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (std::size_t p = 0; p < look.pieces[s].size(); ++p) {
            if (look.cellOfPiece[s][p] != noRow)
                placeOfCell[look.cellOfPiece[s][p]] =
                    static_cast<std::uint32_t>(columns.placeOfEntry[s][xs.entryOfPiece[s][p]] * stride);
        }
    }
    return placeOfCell;
}

// The rows with codes marked through their cell's place and their hundredths' raster row: the later
// half's rows, where the look took them on a second thread, marked on one too in a raster of their own.
void markCodedRows(const FirstLook &look, const std::vector<std::uint32_t> &placeOfCell,
                   const RasterRows &rasterRows, Raster &raster)
{
    if (look.secondBegin >= look.codeCount) {
        markRaster(look, 0, look.codeCount, look.layout, placeOfCell, rasterRows, raster.taken,
                   raster.firstRow.get());
        return;
    }
    std::vector<std::uint32_t> placeOfSecond(look.cellOfSecond.size());
    for (std::size_t c = 0; c < placeOfSecond.size(); ++c) {
        if (look.cellOfSecond[c] != noRow)
            placeOfSecond[c] = placeOfCell[look.cellOfSecond[c]];
    }
    std::vector<std::uint64_t> takenLater(raster.taken.size());
    const auto firstRowLater = std::make_unique_for_overwrite<std::uint32_t[]>(raster.taken.size() * 64);
    onTwoThreads([&](int which) {
        if (which == 0)
            markRaster(look, 0, look.secondBegin, look.layout, placeOfCell, rasterRows, raster.taken,
                       raster.firstRow.get());
        else
            markRaster(look, look.secondBegin, look.codeCount, look.secondLayout, placeOfSecond, rasterRows,
                       takenLater, firstRowLater.get());
    });
    takeLaterRaster(raster.taken, raster.firstRow.get(), takenLater, firstRowLater.get());
}

// The odd rows, one by one.
void markOddRows(const CandidateList &list, ChartAxis axis, const FirstLook &look, const Columns &columns,
                 const ChartBounds &b, int rows, Raster &raster)
{
    const auto columnCount = static_cast<int>(columns.count);
    for (const std::uint32_t i : look.odd) {
        const Placed p = place(list.row(i), axis);
        if (!p.drawable)
            continue;
        const std::size_t cell = (static_cast<std::size_t>(p.series) * columns.count +
                                  static_cast<std::size_t>(sliceOf(p.x, b.xMin, b.xMax, columnCount))) *
                                     raster.stride +
                                 static_cast<std::size_t>(sliceOf(p.y, b.yMin, b.yMax, rows));
        std::uint64_t &word = raster.taken[cell / 64];
        const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
        raster.firstRow[cell] = (word & bit) != 0 ? std::min(raster.firstRow[cell], i) : i;
        word |= bit;
    }
}

// The points each merging keeps, by level (2^level cells made one), counted from the taken bits: a
// place's cells start on a word, so blocks of up to 64 cells lie within a word, where folding its
// bits in halves counts them level by level; larger blocks are runs of words.
std::vector<std::size_t> pointsByLevel(const Raster &raster, std::size_t places, std::size_t height)
{
    std::vector<std::size_t> occupied;
    for (std::size_t m = 1; m <= height; m *= 2)
        occupied.push_back(0);
    static constexpr std::array<std::uint64_t, 6> firstOfBlocks{0x5555555555555555ULL, 0x1111111111111111ULL,
                                                                0x0101010101010101ULL, 0x0001000100010001ULL,
                                                                0x0000000100000001ULL, 0x0000000000000001ULL};
    const std::size_t wordsOfPlace = raster.stride / 64;
    for (std::size_t place = 0; place < places; ++place) {
        const std::uint64_t *const words = raster.taken.data() + place * wordsOfPlace;
        for (std::size_t w = 0; w < wordsOfPlace; ++w) {
            std::uint64_t bits = words[w];
            for (std::size_t level = 0; bits != 0 && level < std::min<std::size_t>(occupied.size(), 7);
                 ++level) {
                occupied[level] += static_cast<std::size_t>(std::popcount(bits));
                if (level < firstOfBlocks.size())
                    bits = (bits | (bits >> (std::size_t{1} << level))) & firstOfBlocks[level];
            }
        }
        for (std::size_t level = 7; level < occupied.size(); ++level) {
            std::size_t lastBlock = SIZE_MAX;
            for (std::size_t w = 0; w < wordsOfPlace; ++w) {
                if (words[w] != 0 && (w >> (level - 6)) != lastBlock) {
                    lastBlock = w >> (level - 6);
                    ++occupied[level];
                }
            }
        }
    }
    return occupied;
}

} // namespace

Raster rasterOf(const CandidateList &list, ChartAxis axis, const FirstLook &look, const SeriesXs &xs,
                const Columns &columns, const ChartBounds &bounds, int rows, std::size_t rasterBudget)
{
    Raster raster;
    const std::size_t places = columns.places();
    const auto height = static_cast<std::size_t>(std::max(rows, 0));
    raster.stride = (height + 63) / 64 * 64;
    raster.taken.resize(places * raster.stride / 64);
    raster.firstRow = std::make_unique_for_overwrite<std::uint32_t[]>(places * raster.stride);
    const RasterRows rasterRows(look.lowest, look.highest, bounds.yMin, bounds.yMax, rows);
    markCodedRows(look, placesOfCells(look, xs, columns, raster.stride), rasterRows, raster);
    markOddRows(list, axis, look, columns, bounds, rows, raster);
    // The finest raster within the budget: `merge` cells become one (the first row of the merged
    // cells stands for them); 0 leaves the raster out.
    const std::vector<std::size_t> occupied = pointsByLevel(raster, places, height);
    for (std::size_t level = 0; level < occupied.size(); ++level) {
        if (occupied[level] <= rasterBudget) {
            raster.merge = std::size_t{1} << level;
            break;
        }
    }
    return raster;
}

} // namespace saxolith::chartReduction
