#include "core/chart/pair_grid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace saxolith::chartReduction
{

ValueNumbers::ValueNumbers()
{
    resize(256);
}

std::uint32_t ValueNumbers::add(std::uint64_t bits)
{
    std::size_t at = startOf(bits, m_shift);
    while (m_slots[at].bits != freeBits)
        at = (at + 1) & m_mask;
    const auto number = static_cast<std::uint32_t>(m_values.size());
    m_slots[at] = {bits, number};
    m_values.push_back(std::bit_cast<double>(bits));
    // A quarter full at most, so that a look rarely passes another value.
    if (m_values.size() > m_slots.size() / 4)
        resize(m_slots.size() * 2);
    return number;
}

void ValueNumbers::resize(std::size_t size)
{
    std::vector<Slot> old(size, Slot{freeBits, noRow});
    old.swap(m_slots);
    m_mask = size - 1;
    m_shift = 64 - std::countr_zero(size);
    for (const Slot &slot : old) {
        if (slot.bits == freeBits)
            continue;
        std::size_t at = startOf(slot.bits, m_shift);
        while (m_slots[at].bits != freeBits)
            at = (at + 1) & m_mask;
        m_slots[at] = slot;
    }
}

PairGrid::PairGrid(ChartAxis axis) : m_sideBySide(axis == ChartAxis::FirstDimension)
{
    layOut(6, {});
}

PairGrid::Numbered PairGrid::number(std::size_t series, double first, double second, std::uint32_t &f,
                                    std::uint32_t &c)
{
    if (!(std::fabs(first) < largestValue && std::fabs(second) < largestValue))
        return Numbered::TooLarge;
    f = m_firsts.numberOf(first);
    c = m_seconds[series].numberOf(second);
    return fit(series, f, c);
}

PairGrid::Numbered PairGrid::fit(std::size_t series, std::uint32_t f, std::uint32_t c)
{
    if (f > largestNumber || c > largestNumber)
        return Numbered::Full;
    int firstBits = m_firstBits;
    while ((f >> firstBits) != 0)
        ++firstBits;
    std::array<int, chartSeriesCount> secondBits = m_secondBits;
    while ((c >> secondBits[series]) != 0)
        ++secondBits[series];
    if (firstBits == m_firstBits && secondBits == m_secondBits)
        return Numbered::Yes;
    std::size_t cells = 0;
    for (const int bits : secondBits)
        cells += std::size_t{1} << (firstBits + bits);
    if (cells > largestCells)
        return Numbered::Full;
    const std::vector<Extremes> old = std::move(m_cells);
    const View before = view();
    const std::array<int, chartSeriesCount> secondBitsBefore = m_secondBits;
    const int firstBitsBefore = m_firstBits;
    layOut(firstBits, secondBits);
    const View after = view();
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (std::uint32_t first = 0; first < (1U << firstBitsBefore); ++first)
            std::copy_n(old.begin() + static_cast<std::ptrdiff_t>(before.cellOf(s, first, 0)),
                        std::size_t{1} << secondBitsBefore[s],
                        m_cells.begin() + static_cast<std::ptrdiff_t>(after.cellOf(s, first, 0)));
    }
    return Numbered::Yes;
}

void PairGrid::layOut(int firstBits, const std::array<int, chartSeriesCount> &secondBits)
{
    m_firstBits = firstBits;
    m_secondBits = secondBits;
    std::uint32_t offset = 0;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        // By d every second is 0: the series side by side.
        m_offset[s] = m_sideBySide ? static_cast<std::uint32_t>(s) : offset;
        m_firstShift[s] = m_sideBySide ? 2 : secondBits[s];
        offset += 1U << (firstBits + secondBits[s]);
    }
    m_cells.assign(offset, Extremes{});
}

} // namespace saxolith::chartReduction
