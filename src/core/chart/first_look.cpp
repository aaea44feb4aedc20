#include "core/chart/first_look.h"

#include "core/chart/halves.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>
#include <utility>

namespace saxolith::chartReduction
{

namespace
{

// The odd rows of a look: each placed with its Ra read back, as a piece of its series.
template <ChartAxis axis> void takeOddRows(const CandidateList &list, FirstLook &look)
{
    for (const std::uint32_t i : look.odd) {
        const CandidateRow &row = list.row(i);
        const double x = oneZero(xOf(row, axis));
        const double y = raOf(row);
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        const auto s = static_cast<std::size_t>(seriesOf(row));
        ++look.counts[s];
        look.pieces[s].push_back({x, y, y, i, i});
        look.cellOfPiece[s].push_back(noRow);
    }
}

// Where a look writes the rows' codes: `codes`, or by d with the raster the short keys apart from the
// hundredths. Passed by value, so that the loops hold the pointers in registers.
struct CodeStore {
    RowCode *codes;
    std::uint16_t *shortKeys;
    std::int32_t *shortHundredths;

    // A row's code; by d its key fits two bytes (the numbers are kept below largestShortFirst).
    template <ChartAxis axis>
    [[gnu::always_inline]] void write(std::size_t i, std::uint32_t key, std::int32_t hundredths) const
    {
        if constexpr (axis == ChartAxis::FirstDimension) {
            shortKeys[i] = key == noRow ? shortNoRow : static_cast<std::uint16_t>(key);
            shortHundredths[i] = hundredths;
        } else
            codes[i] = {key, hundredths};
    }
};

// What the look at a run of rows leaves: the extremes of each pair of dimensions, the rows drawn of
// each series, and the rows taken apart.
struct PartLook {
    explicit PartLook(ChartAxis axis) : grid(axis) {}
    PairGrid grid;
    std::array<std::size_t, chartSeriesCount> counts{};
    // Rows whose Ra is no whole number of hundredths (a text rounded to seven digits, or none), or
    // whose dimensions are huge or not finite: few, taken apart so that the loop over all rows stays
    // simple.
    std::vector<std::uint32_t> odd;
};

using SeriesCounts = std::array<std::size_t, chartSeriesCount>;

// A round pile's second dimension does not count.
template <ChartAxis axis>
constexpr std::array<std::uint64_t, chartSeriesCount> secondMask = [] {
    std::array<std::uint64_t, chartSeriesCount> masks{};
    for (std::size_t s = 0; s < chartSeriesCount; ++s)
        masks[s] = sectionTypes[s].hasSecond && axis == ChartAxis::Area ? ~std::uint64_t{0} : 0;
    return masks;
}();

// A row the quick way does not take: a dimension met for the first time, an Ra that is no plain
// number of hundredths, dimensions that are huge or not finite. False when the list's dimensions take
// too many values for the grid.
template <ChartAxis axis, bool raster>
bool placeCarefully(const CandidateRow *rows, std::size_t i, PartLook &part, SeriesCounts &counts,
                    CodeStore store)
{
    const CandidateRow &row = rows[i];
    const auto s = static_cast<std::size_t>(seriesOf(row));
    const double second =
        std::bit_cast<double>(std::bit_cast<std::uint64_t>(row.second) & secondMask<axis>[s]);
    std::int32_t hundredths = 0;
    std::uint32_t key = noRow;
    std::uint32_t f = 0;
    std::uint32_t c = 0;
    const bool shown = shownHundredths(row, hundredths);
    const PairGrid::Numbered numbered =
        shown ? part.grid.number(s, row.first, second, f, c) : PairGrid::Numbered::TooLarge;
    if (numbered == PairGrid::Numbered::Full)
        return false;
    // By d a raster's short keys hold so many first numbers; the look by x takes a list of more.
    if (raster && axis == ChartAxis::FirstDimension && numbered == PairGrid::Numbered::Yes &&
        f > largestShortFirst)
        return false;
    if (numbered == PairGrid::Numbered::Yes) {
        const PairGrid::View view = part.grid.view();
        view.cells[view.cellOf(s, f, c)].take(hundredths, static_cast<std::uint32_t>(i));
        ++counts[s];
        key = PairGrid::keyOf<axis>(f, c, s);
    } else {
        // An odd Ra, or huge dimensions: placed apart, where rows whose x or Ra is not finite
        // are left out.
        part.odd.push_back(static_cast<std::uint32_t>(i));
    }
    if constexpr (raster)
        store.write<axis>(i, key, hundredths);
    return true;
}

// What the quick way finds of a row by the grid as it stands.
struct Found {
    std::uint32_t key;
    std::uint32_t cell; // as the grid was laid out when the row was found
    std::int32_t hundredths;
    std::uint32_t series; // noRow: to be taken carefully
};

template <ChartAxis axis>
[[gnu::always_inline]] inline Found findRow(const CandidateRow &row, const PairGrid::View &view)
{
    const auto s = static_cast<std::size_t>(seriesOf(row));
    const ShownUnits units = shownUnits[row.precision];
    // Masked rather than chosen: the section changes from row to row at random.
    const double second =
        std::bit_cast<double>(std::bit_cast<std::uint64_t>(row.second) & secondMask<axis>[s]);
    const std::uint32_t f = view.firsts.find(ValueNumbers::bitsOf(row.first));
    const std::uint32_t c = axis == ChartAxis::Area ? view.seconds[s].find(ValueNumbers::bitsOf(second)) : 0;
    const std::uint64_t shown = roundedByScale(row.ra, units.scale);
    const std::int32_t magnitude = static_cast<std::int32_t>(shown) * units.hundredths;
    const bool quick = (f != noRow) & (c != noRow) & (shown < 10'000'000);
    // By d a row's key is its cell. Both are of no use where the row is not quick.
    const std::uint32_t key = PairGrid::keyOf<axis>(f, c, s);
    const auto cell =
        axis == ChartAxis::FirstDimension ? key : static_cast<std::uint32_t>(view.cellOf(s, f, c));
    return Found{key, cell, std::signbit(row.ra) ? -magnitude : magnitude,
                 quick ? static_cast<std::uint32_t>(s) : noRow};
}

template <ChartAxis axis, bool raster>
[[gnu::always_inline]] inline void takeRow(std::size_t i, const Found &r, const PairGrid::View &view,
                                           SeriesCounts &counts, CodeStore store)
{
    view.cells[r.cell].take(r.hundredths, static_cast<std::uint32_t>(i));
    ++counts[r.series];
    if constexpr (raster)
        store.write<axis>(i, r.key, r.hundredths);
}

// The cell of a found row's key as the grid is laid out now.
template <ChartAxis axis> std::uint32_t cellNow(const Found &r, const PairGrid::View &view)
{
    if constexpr (axis == ChartAxis::FirstDimension)
        return r.key;
    else
        return static_cast<std::uint32_t>(
            view.cellOf(r.series, r.key >> 17, (r.key >> 2) & PairGrid::largestNumber));
}

// By d the grid stays in the nearest caches: the rows are taken one by one.
template <ChartAxis axis, bool raster>
bool takeRowsOneByOne(const CandidateRow *rows, std::size_t begin, std::size_t end, PartLook &part,
                      CodeStore store)
{
    SeriesCounts counts{};
    PairGrid::View view = part.grid.view();
    for (std::size_t i = begin; i < end; ++i) {
        const Found r = findRow<axis>(rows[i], view);
        if (r.series == noRow) [[unlikely]] {
            if (!placeCarefully<axis, raster>(rows, i, part, counts, store))
                return false;
            view = part.grid.view();
            continue;
        }
        takeRow<axis, raster>(i, r, view, counts, store);
    }
    part.counts = counts;
    return true;
}

// By area the grid outgrows the nearest caches: each row's numbers and hundredths are found first for
// a block of rows, and their cells asked for, so that the fetches overlap; then the block's rows are
// taken in list order.
template <ChartAxis axis, bool raster>
bool takeRowsInBlocks(const CandidateRow *rows, std::size_t begin, std::size_t end, PartLook &part,
                      CodeStore store)
{
    constexpr std::size_t block = 16;
    SeriesCounts counts{};
    PairGrid::View view = part.grid.view();
    std::array<Found, block> found{};
    for (std::size_t first = begin; first < end; first += block) {
        const std::size_t last = std::min(first + block, end);
        for (std::size_t i = first; i < last; ++i) {
            const Found r = findRow<axis>(rows[i], view);
            found[i - first] = r;
            if (r.series != noRow)
                __builtin_prefetch(view.cells + r.cell, 1);
        }
        // A row taken carefully may lay the grid out anew: the later rows' cells are then found
        // again.
        bool laidOut = false;
        for (std::size_t i = first; i < last; ++i) {
            Found &r = found[i - first];
            if (r.series == noRow) [[unlikely]] {
                if (!placeCarefully<axis, raster>(rows, i, part, counts, store))
                    return false;
                view = part.grid.view();
                laidOut = true;
                continue;
            }
            if (laidOut) [[unlikely]]
                r.cell = cellNow<axis>(r, view);
            takeRow<axis, raster>(i, r, view, counts, store);
        }
    }
    part.counts = counts;
    return true;
}

// The look at rows [begin, end) by their dimension numbers, their codes written to `store`. False
// when the list's dimensions take too many values for the grid.
template <ChartAxis axis, bool raster>
bool lookAtRows(const CandidateList &list, std::size_t begin, std::size_t end, PartLook &part,
                CodeStore store)
{
    const CandidateRow *const rows = begin == end ? nullptr : &list.row(0);
    if constexpr (axis == ChartAxis::Area)
        return takeRowsInBlocks<axis, raster>(rows, begin, end, part, store);
    else
        return takeRowsOneByOne<axis, raster>(rows, begin, end, part, store);
}

// The room for the rows' codes where the raster needs them.
template <ChartAxis axis, bool raster> CodeStore makeCodes(FirstLook &look, std::size_t n)
{
    if constexpr (raster && axis == ChartAxis::FirstDimension) {
        look.shortCodes.keys = std::make_unique_for_overwrite<std::uint16_t[]>(n);
        look.shortCodes.hundredths = std::make_unique_for_overwrite<std::int32_t[]>(n);
    } else if constexpr (raster)
        look.codes = std::make_unique_for_overwrite<RowCode[]>(n);
    look.codeCount = raster ? n : 0;
    return {look.codes.get(), look.shortCodes.keys.get(), look.shortCodes.hundredths.get()};
}

// The look at all the rows into `part`: a list of `twoThreadsFrom` rows or more in two halves at
// once, the later half's grid then taken into the earlier's. False when the list's dimensions take
// too many values for the grid.
template <ChartAxis axis, bool raster>
bool lookAtAllRows(const CandidateList &list, std::size_t twoThreadsFrom, PartLook &part, FirstLook &look,
                   CodeStore store)
{
    const std::size_t n = list.size();
    if (n < std::max<std::size_t>(twoThreadsFrom, 2))
        return lookAtRows<axis, raster>(list, 0, n, part, store);
    const std::size_t half = n / 2;
    PartLook later(axis);
    std::array<bool, 2> looked{};
    onTwoThreads([&](int which) {
        looked[static_cast<std::size_t>(which)] = which == 0
                                                      ? lookAtRows<axis, raster>(list, 0, half, part, store)
                                                      : lookAtRows<axis, raster>(list, half, n, later, store);
    });
    if (!looked[0] || !looked[1] ||
        part.grid.absorb(later.grid, look.cellOfSecond) != PairGrid::Numbered::Yes)
        return false;
    for (std::size_t s = 0; s < chartSeriesCount; ++s)
        part.counts[s] += later.counts[s];
    part.odd.insert(part.odd.end(), later.odd.begin(), later.odd.end());
    look.secondBegin = half;
    look.secondLayout = later.grid.layout();
    return true;
}

// Each cell with rows as a piece of its series, at the cell's x: the first dimension, or the area of
// the pair, from a row made of the numbers' values (the list's own row of the pair lies anywhere in
// memory).
template <ChartAxis axis> void takeCells(const PairGrid &grid, FirstLook &look)
{
    const KeyLayout layout = grid.layout();
    const std::vector<Extremes> &cells = grid.cells();
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (std::uint32_t f = 0; f < grid.firsts().size(); ++f) {
            // By d a series takes the first dimensions other series numbered: its one column.
            const std::uint32_t secondCount = axis == ChartAxis::Area ? grid.seconds(s).size() : 1U;
            for (std::uint32_t c = 0; c < secondCount; ++c) {
                const std::size_t cell = layout.offset[s] + (std::size_t{f} << layout.firstShift[s]) + c;
                const Extremes &e = cells[cell];
                if (e.lowRow == noRow)
                    continue;
                double x = grid.firsts().value(f);
                if constexpr (axis == ChartAxis::Area) {
                    CandidateRow pair;
                    pair.section = static_cast<SectionType>(s);
                    pair.first = x;
                    pair.second = grid.seconds(s).value(c);
                    x = oneZero(xOf(pair, axis));
                }
                look.pieces[s].push_back(e.entry(x));
                look.cellOfPiece[s].push_back(static_cast<std::uint32_t>(cell));
                look.lowest = std::min(look.lowest, e.lowest);
                look.highest = std::max(look.highest, e.highest);
            }
        }
    }
    look.cellCount = cells.size();
    look.layout = layout;
}

// The look by the rows' dimension numbers: by d, each row's first dimension; by area, its pair of
// dimensions, whose area is worked out once for each pair (a row's circle and division cost more than
// the rest of its work). Nothing when the list's dimensions take too many values for the grid.
template <ChartAxis axis, bool raster>
std::optional<FirstLook> lookByNumbers(const CandidateList &list, std::size_t twoThreadsFrom)
{
    FirstLook look;
    const CodeStore store = makeCodes<axis, raster>(look, list.size());
    PartLook part(axis);
    if (!lookAtAllRows<axis, raster>(list, twoThreadsFrom, part, look, store))
        return std::nullopt;
    look.counts = part.counts;
    look.odd = std::move(part.odd);
    takeCells<axis>(part.grid, look);
    takeOddRows<axis>(list, look);
    return look;
}

// Each series' distinct x in an open-addressed table, numbered in the order met: for a list whose
// dimensions take too many values for the grid.
class XTable
{
  public:
    XTable() { resize(64); }

    // The number of x (a new one from `nextId` when x is met for the first time), which is finite.
    std::uint32_t idOf(double x, std::uint32_t &nextId)
    {
        std::size_t at = startOf(x);
        while (m_slots[at].id != noRow && m_slots[at].x != x)
            at = (at + 1) & m_mask;
        Slot &slot = m_slots[at];
        if (slot.id != noRow)
            return slot.id;
        slot = {x, nextId++};
        const std::uint32_t id = slot.id;
        if (++m_used > m_limit)
            resize(m_slots.size() * 2);
        return id;
    }

  private:
    struct Slot {
        double x = 0.0;
        std::uint32_t id = noRow; // noRow: the slot is free
    };

    std::size_t startOf(double x) const
    {
        return static_cast<std::size_t>((std::bit_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL) >> m_shift);
    }

    void resize(std::size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(m_slots);
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        m_limit = size / 2;
        for (const Slot &slot : old) {
            if (slot.id == noRow)
                continue;
            std::size_t at = startOf(slot.x);
            while (m_slots[at].id != noRow)
                at = (at + 1) & m_mask;
            m_slots[at] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::size_t m_used = 0;
    std::size_t m_limit = 0;
};

// The look with each row's x worked out and looked up in a table: a key is the number of its x.
template <ChartAxis axis, bool raster> FirstLook lookByX(const CandidateList &list)
{
    FirstLook look;
    look.layout.keyIsCell = true;
    const std::size_t n = list.size();
    std::array<XTable, chartSeriesCount> byX;
    std::vector<Extremes> cells;
    std::vector<double> xOfCell;
    std::vector<std::uint8_t> seriesOfCell;
    std::uint32_t cellCount = 0;
    if constexpr (raster) {
        look.codes = std::make_unique_for_overwrite<RowCode[]>(n);
        look.codeCount = n;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const CandidateRow &row = list.row(i);
        const double x = oneZero(xOf(row, axis));
        std::int32_t hundredths = 0;
        std::uint32_t key = noRow;
        if (std::isfinite(x)) {
            if (shownHundredths(row, hundredths)) {
                const auto s = static_cast<std::size_t>(seriesOf(row));
                key = byX[s].idOf(x, cellCount);
                if (key == cells.size()) {
                    cells.emplace_back();
                    xOfCell.push_back(x);
                    seriesOfCell.push_back(static_cast<std::uint8_t>(s));
                }
                cells[key].take(hundredths, static_cast<std::uint32_t>(i));
                ++look.counts[s];
            } else {
                look.odd.push_back(static_cast<std::uint32_t>(i));
            }
        }
        if constexpr (raster)
            look.codes[i] = {key, hundredths};
    }
    for (std::uint32_t c = 0; c < cells.size(); ++c) {
        const std::size_t s = seriesOfCell[c];
        look.pieces[s].push_back(cells[c].entry(xOfCell[c]));
        look.cellOfPiece[s].push_back(c);
        look.lowest = std::min(look.lowest, cells[c].lowest);
        look.highest = std::max(look.highest, cells[c].highest);
    }
    look.cellCount = cells.size();
    takeOddRows<axis>(list, look);
    return look;
}

template <ChartAxis axis, bool raster>
FirstLook firstLookOf(const CandidateList &list, std::size_t twoThreadsFrom)
{
    std::optional<FirstLook> byNumbers = lookByNumbers<axis, raster>(list, twoThreadsFrom);
    return byNumbers ? std::move(*byNumbers) : lookByX<axis, raster>(list);
}

} // namespace

FirstLook firstLook(const CandidateList &list, ChartAxis axis, bool raster, std::size_t twoThreadsFrom)
{
    if (axis == ChartAxis::FirstDimension)
        return raster ? firstLookOf<ChartAxis::FirstDimension, true>(list, twoThreadsFrom)
                      : firstLookOf<ChartAxis::FirstDimension, false>(list, twoThreadsFrom);
    return raster ? firstLookOf<ChartAxis::Area, true>(list, twoThreadsFrom)
                  : firstLookOf<ChartAxis::Area, false>(list, twoThreadsFrom);
}

} // namespace saxolith::chartReduction
