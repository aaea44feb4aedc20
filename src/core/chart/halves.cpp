#include "core/chart/halves.h"

#include "core/chart/pair_grid.h"

#include <algorithm>
#include <bit>

namespace saxolith::chartReduction
{

PairGrid::Numbered PairGrid::absorb(const PairGrid &other, std::vector<std::uint32_t> &cellOfOther)
{
    std::vector<std::uint32_t> firstOf(other.m_firsts.size());
    for (std::uint32_t f = 0; f < firstOf.size(); ++f)
        firstOf[f] = m_firsts.numberOf(other.m_firsts.value(f));
    std::array<std::vector<std::uint32_t>, chartSeriesCount> secondOf;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        secondOf[s].resize(other.m_seconds[s].size());
        for (std::uint32_t c = 0; c < secondOf[s].size(); ++c)
            secondOf[s][c] = m_seconds[s].numberOf(other.m_seconds[s].value(c));
    }
    // The largest numbers decide the grid's size, whichever rows were met first.
    const std::uint32_t lastFirst = std::max<std::uint32_t>(m_firsts.size(), 1) - 1;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        const Numbered fits = fit(s, lastFirst, std::max<std::uint32_t>(m_seconds[s].size(), 1) - 1);
        if (fits != Numbered::Yes)
            return fits;
    }
    cellOfOther.assign(other.m_cells.size(), noRow);
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        // By d every second is 0, numbered or not: a row whose first was numbered before is
        // taken without a look at its second.
        const std::uint32_t secondCount = m_sideBySide ? 1 : other.m_seconds[s].size();
        for (std::uint32_t f = 0; f < firstOf.size(); ++f) {
            for (std::uint32_t c = 0; c < secondCount; ++c) {
                const std::size_t from = other.cellAt(s, f, c);
                const Extremes &theirs = other.m_cells[from];
                if (theirs.lowRow == noRow)
                    continue;
                const std::size_t into = cellAt(s, firstOf[f], m_sideBySide ? 0 : secondOf[s][c]);
                m_cells[into].takeLater(theirs);
                cellOfOther[from] = static_cast<std::uint32_t>(into);
            }
        }
    }
    return Numbered::Yes;
}

void takeLaterRaster(std::vector<std::uint64_t> &taken, std::uint32_t *firstRow,
                     const std::vector<std::uint64_t> &takenLater, const std::uint32_t *firstRowLater)
{
    for (std::size_t w = 0; w < taken.size(); ++w) {
        for (std::uint64_t bits = takenLater[w] & ~taken[w]; bits != 0; bits &= bits - 1) {
            const std::size_t cell = w * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            firstRow[cell] = firstRowLater[cell];
        }
        taken[w] |= takenLater[w];
    }
}

} // namespace saxolith::chartReduction
