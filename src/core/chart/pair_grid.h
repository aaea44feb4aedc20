// The grid and extremes of the chart's reduction: the lowest and highest Ra of the rows of each x (or
// each pair of dimensions), and the grid that holds them by the numbers of a list's dimensions.
#pragma once

#include "core/chart/chart_row.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace saxolith::chartReduction
{

// One distinct x of a series: its lowest and highest Ra, the first row with each.
struct XEntry {
    double x = 0.0;
    double lowY = 0.0;
    double highY = 0.0;
    std::uint32_t lowRow = noRow;
    std::uint32_t highRow = noRow;
};

// Takes in the lower and the higher Ra of `from`, the first row among equals.
inline void takeExtremes(XEntry &into, const XEntry &from)
{
    if (from.lowY < into.lowY || (from.lowY == into.lowY && from.lowRow < into.lowRow)) {
        into.lowY = from.lowY;
        into.lowRow = from.lowRow;
    }
    if (from.highY > into.highY || (from.highY == into.highY && from.highRow < into.highRow)) {
        into.highY = from.highY;
        into.highRow = from.highRow;
    }
}

// The lowest and highest Ra, in hundredths, of the rows of one x (or one pair of dimensions), and the
// first row with each.
struct Extremes {
    std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
    std::int32_t highest = std::numeric_limits<std::int32_t>::min();
    std::uint32_t lowRow = noRow; // noRow: no row yet
    std::uint32_t highRow = noRow;

    // Rows come in list order, so an equal Ra keeps the first. Branches rather than conditional moves:
    // a new lowest or highest is rare once a cell holds a few rows, and stores on every row would have
    // each later row of the cell wait for them.
    [[gnu::always_inline]] void take(std::int32_t hundredths, std::uint32_t row)
    {
        if (hundredths < lowest) {
            lowest = hundredths;
            lowRow = row;
        }
        if (hundredths > highest) {
            highest = hundredths;
            highRow = row;
        }
    }

    // Takes in the extremes of rows that come after all of these in the list: an equal Ra keeps the
    // earlier row.
    void takeLater(const Extremes &later)
    {
        if (later.lowest < lowest) {
            lowest = later.lowest;
            lowRow = later.lowRow;
        }
        if (later.highest > highest) {
            highest = later.highest;
            highRow = later.highRow;
        }
    }

    [[nodiscard]] XEntry entry(double x) const
    {
        return {x, lowest / 100.0, highest / 100.0, lowRow, highRow};
    }
};

// Where a row's key puts it: in cell offset[series] + (first number << firstShift[series]) + second
// number, or, where the key is the cell, in the key's cell.
struct KeyLayout {
    bool keyIsCell = false;
    std::array<std::uint32_t, chartSeriesCount> offset{};
    std::array<int, chartSeriesCount> firstShift{};
};

// Each exact value of a dimension numbered in the order met: a list's dimensions take a few hundred.
class ValueNumbers
{
  public:
    struct Slot {
        std::uint64_t bits;
        std::uint32_t number;
    };
    // A free slot's bits: a NaN's, which no value looked up has.
    static constexpr std::uint64_t freeBits = 0xFFF8'0000'0000'0001ULL;

    // The slots as they stand until the next add, held by a loop in registers: stores through other
    // pointers would otherwise have the table read again for every row.
    struct View {
        const Slot *slots;
        std::size_t mask;
        int shift;

        // The number of a value's bits; noRow when it has none yet.
        [[gnu::always_inline]] std::uint32_t find(std::uint64_t bits) const
        {
            std::size_t at = startOf(bits, shift);
            for (;;) {
                const Slot &slot = slots[at];
                if (slot.bits == bits)
                    return slot.number;
                if (slot.bits == freeBits)
                    return noRow;
                at = (at + 1) & mask;
            }
        }
    };

    ValueNumbers();

    // The bits a finite value is looked up by: both zeros are one value.
    static std::uint64_t bitsOf(double v) { return std::bit_cast<std::uint64_t>(v + 0.0); }

    [[nodiscard]] View view() const { return {m_slots.data(), m_mask, m_shift}; }

    // Numbers the value of `bits`, which has no number yet.
    std::uint32_t add(std::uint64_t bits);

    [[gnu::always_inline]] std::uint32_t numberOf(double v)
    {
        const std::uint64_t bits = bitsOf(v);
        const std::uint32_t number = view().find(bits);
        return number != noRow ? number : add(bits);
    }

    [[nodiscard]] std::uint32_t size() const { return static_cast<std::uint32_t>(m_values.size()); }
    [[nodiscard]] double value(std::uint32_t number) const { return m_values[number]; }

  private:
    static std::size_t startOf(std::uint64_t bits, int shift)
    {
        // The top bits of the product: round sizes leave the low bits of their doubles all zero.
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> shift);
    }

    void resize(std::size_t size);

    std::vector<Slot> m_slots;
    std::vector<double> m_values;
    std::size_t m_mask = 0;
    int m_shift = 64;
};

// The extremes of each pair of dimension numbers (first, second) of each series, in one grid: a
// series' block holds a row of seconds for each first. A list's dimensions take a few hundred values,
// so the grid stays in the nearer caches, where a table of thousands of areas does not. The values are
// numbered in the order met; by d every second is 0. Only finite values below 10^100 are numbered, so
// that no pair of numbers has an area that overflows: a row whose dimensions have numbers may be
// taken without a look at its dimensions.
class PairGrid
{
  public:
    // Numbers up to this fit a row's key.
    static constexpr std::uint32_t largestNumber = (1U << 15) - 1;
    static constexpr std::size_t largestCells = std::size_t{1} << 20;
    static constexpr double largestValue = 1e100;

    // What the loop over the rows looks up through, held in registers until a value is new: stores
    // through other pointers would otherwise have it read again for every row.
    struct View {
        ValueNumbers::View firsts;
        std::array<ValueNumbers::View, chartSeriesCount> seconds;
        Extremes *cells;
        std::array<std::uint32_t, chartSeriesCount> offset;
        std::array<int, chartSeriesCount> firstShift;

        [[nodiscard]] std::size_t cellOf(std::size_t series, std::uint32_t first, std::uint32_t second) const
        {
            return offset[series] + (std::size_t{first} << firstShift[series]) + second;
        }
    };

    // A row's key for the raster: by d its cell, which stays where it is as the grid grows (the
    // series side by side for each first); by area its numbers.
    template <ChartAxis axis>
    static std::uint32_t keyOf(std::uint32_t first, std::uint32_t second, std::size_t series)
    {
        if constexpr (axis == ChartAxis::FirstDimension)
            return (first << 2) | static_cast<std::uint32_t>(series);
        else
            return (first << 17) | (second << 2) | static_cast<std::uint32_t>(series);
    }

    explicit PairGrid(ChartAxis axis);

    [[nodiscard]] View view()
    {
        View v{m_firsts.view(), {}, m_cells.data(), m_offset, m_firstShift};
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            v.seconds[s] = m_seconds[s].view();
        return v;
    }

    enum class Numbered { Yes, TooLarge, Full };

    // The numbers of a pair, given them if new, and the grid grown to hold them. Huge values and
    // those that are not finite get none; nor do any once the grid would grow past its bound.
    Numbered number(std::size_t series, double first, double second, std::uint32_t &f, std::uint32_t &c);

    // Takes in the grid of a look at later rows of the same list: its values numbered here too, and
    // the extremes of each of its cells with rows taken into the cell of the same pair here (an equal
    // Ra keeps the earlier row). `cellOfOther` gives, for each of its cells with rows, the cell here.
    // Full when the two together take too many values for the grid, as one look at all the rows would.
    // (With the rest of the two-thread merge, in halves.cpp.)
    Numbered absorb(const PairGrid &other, std::vector<std::uint32_t> &cellOfOther);

    [[nodiscard]] KeyLayout layout() const { return {m_sideBySide, m_offset, m_firstShift}; }

    [[nodiscard]] const std::vector<Extremes> &cells() const { return m_cells; }
    [[nodiscard]] const ValueNumbers &firsts() const { return m_firsts; }
    [[nodiscard]] const ValueNumbers &seconds(std::size_t series) const { return m_seconds[series]; }

  private:
    [[nodiscard]] std::size_t cellAt(std::size_t series, std::uint32_t first, std::uint32_t second) const
    {
        return m_offset[series] + (std::size_t{first} << m_firstShift[series]) + second;
    }

    // The grid grown to hold the numbers f and c of a series.
    Numbered fit(std::size_t series, std::uint32_t f, std::uint32_t c);
    void layOut(int firstBits, const std::array<int, chartSeriesCount> &secondBits);

    ValueNumbers m_firsts;
    // The seconds are numbered by series, so that each series' block holds only its own.
    std::array<ValueNumbers, chartSeriesCount> m_seconds;
    std::vector<Extremes> m_cells;
    std::array<std::uint32_t, chartSeriesCount> m_offset{};
    std::array<int, chartSeriesCount> m_secondBits{};
    std::array<int, chartSeriesCount> m_firstShift{};
    int m_firstBits = 0;
    bool m_sideBySide;
};

} // namespace saxolith::chartReduction
