#include "chart/candidate_chart.h"

#include "capacity/formulas.h"
#include "text/number_text.h"
#include "texts/chart.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace saxolith
{

namespace
{

constexpr std::uint32_t noRow = std::numeric_limits<std::uint32_t>::max();
constexpr double squareMillimetresPerSquareMetre = 1e6;
constexpr int largestGrid = 1024;

// The Ra a cell shows, read back from its text: apart from raOf, so that raOf stays small enough
// to be worked out in line.
double raReadBack(double ra, int choice)
{
    return strictNumber(displayRounded(ra, choice)).value_or(cutByChoice(ra, choice));
}

// chartRa and chartSeriesOf, in line for the loops over every row.
inline double raOf(const CandidateRow &row)
{
    const int choice = std::clamp<int>(row.precision, 0, precisionChoiceCount - 1);
    // The number the list's cell shows, found from the value as the cell's text rounds it. Two, one
    // or no decimals within seven digits, the usual case, are worked out here from the units the text
    // rounds to (roundedHundredths without its integer steps, which cost a third of the chart's
    // time); the rest through roundedHundredths, and a text rounded to seven digits, or no number,
    // is read back.
    const double magnitude = std::fabs(row.ra);
    if (choice <= 2 && magnitude < 1e7) {
        const int decimals = decimalsByChoice(choice);
        const std::uint64_t units = roundedScaledMagnitude(row.ra, decimals);
        if (units < 10'000'000) {
            const auto shown = static_cast<double>(units);
            const double y = decimals == 0 ? shown : shown / exactPowersOfTen[static_cast<std::size_t>(decimals)];
            return std::signbit(row.ra) && units != 0 ? -y : y;
        }
    }
    if (const std::optional<std::int64_t> hundredths = roundedHundredths(row.ra, choice))
        return static_cast<double>(*hundredths) / 100.0;
    return raReadBack(row.ra, choice);
}

inline int seriesOf(const CandidateRow &row)
{
    return std::min(static_cast<int>(row.section), chartSeriesCount - 1); // the type is unsigned
}

struct Placed {
    double x;
    double y;
    int series;
    bool drawable;
};

Placed place(const CandidateRow &row, ChartAxis axis)
{
    const double x = chartX(row, axis);
    const double y = raOf(row);
    return {x, y, seriesOf(row), std::isfinite(x) && std::isfinite(y)};
}

ChartBounds boundsOf(const CandidateList &list, ChartAxis axis)
{
    ChartBounds b;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Placed p = place(list.row(i), axis);
        if (!p.drawable)
            continue;
        b.xMin = std::min(b.xMin, p.x);
        b.xMax = std::max(b.xMax, p.x);
        b.yMin = std::min(b.yMin, p.y);
        b.yMax = std::max(b.yMax, p.y);
        b.empty = false;
    }
    if (b.empty)
        return ChartBounds{};
    return b;
}

// Which of `count` equal slices of [low, high] a value falls in; a range of one value is one slice.
int sliceOf(double value, double low, double high, int count)
{
    if (!(high > low))
        return 0;
    const double slice = (value - low) / (high - low) * count;
    return std::clamp(static_cast<int>(slice), 0, count - 1);
}

template <ChartAxis axis> double xOf(const CandidateRow &row)
{
    if constexpr (axis == ChartAxis::FirstDimension)
        return row.first;
    else
        return chartX(row, axis);
}

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One distinct x of a series: its lowest and highest Ra, the first row with each.
struct XEntry {
    double x = 0.0;
    double lowY = 0.0;
    double highY = 0.0;
    std::uint32_t lowRow = noRow;
    std::uint32_t highRow = noRow;
};

// Takes in the lower and the higher Ra of `from`, the first row among equals.
void takeExtremes(XEntry &into, const XEntry &from)
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

// Takes in a row's Ra.
void takeRow(XEntry &entry, double y, std::uint32_t row)
{
    if (entry.lowRow == noRow) {
        entry.lowY = entry.highY = y;
        entry.lowRow = entry.highRow = row;
        return;
    }
    if (y < entry.lowY) {
        entry.lowY = y;
        entry.lowRow = row;
    }
    if (y > entry.highY) {
        entry.highY = y;
        entry.highRow = row;
    }
}

// What the first look over the rows leaves: each series' distinct x in ascending order, the rows
// drawn of each series and, for the raster, each row's Ra and key (noRow: not drawn), a key standing
// for one x or for one pair of dimensions; `entryOfKey` gives a key's x as a number over all series
// (the first series' x, then the second's, …).
struct FirstLook {
    std::array<std::vector<XEntry>, chartSeriesCount> xs;
    std::array<std::size_t, chartSeriesCount> counts{};
    std::vector<std::uint32_t> keys;
    std::vector<double> ys;
    std::vector<std::uint32_t> entryOfKey;
};

// Each series' distinct x, in an open-addressed table: its lowest and highest Ra and a number of its
// own, given in the order the x are met, which the raster's look takes as the rows' key.
class XTable
{
  public:
    struct Slot {
        XEntry entry;
        std::uint32_t id = noRow; // noRow: the slot is free
    };

    XTable() { resize(64); }

    // The number of x, a new one from `nextId` when x is met for the first time.
    std::uint32_t add(double x, double y, std::uint32_t row, std::uint32_t &nextId)
    {
        std::size_t at = startOf(x);
        while (m_slots[at].id != noRow && m_slots[at].entry.x != x)
            at = (at + 1) & m_mask;
        Slot &slot = m_slots[at];
        if (slot.id != noRow) {
            takeRow(slot.entry, y, row);
            return slot.id;
        }
        slot = {{x, y, y, row, row}, nextId++};
        const std::uint32_t id = slot.id;
        if (++m_used > m_limit)
            resize(m_slots.size() * 2);
        return id;
    }

    // Asks for the slot of `x` ahead of its add: with many distinct x the table outgrows the cache.
    void prefetch(double x) const
    {
#if defined(__GNUC__)
        __builtin_prefetch(&m_slots[startOf(x)]);
#else
        (void)x;
#endif
    }

    [[nodiscard]] const std::vector<Slot> &slots() const { return m_slots; }

  private:
    std::size_t startOf(double x) const
    {
        // The top bits of the product: round sizes leave the low bits of their doubles all zero.
        return static_cast<std::size_t>((std::bit_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL) >> m_shift);
    }

    void resize(std::size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(m_slots);
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        // Sparse while small, so that a probe rarely meets another x; half full once large.
        m_limit = size < 4096 ? size / 8 : size / 2;
        for (const Slot &slot : old) {
            if (slot.id == noRow)
                continue;
            std::size_t at = startOf(slot.entry.x);
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

// The first look with each row's x worked out and looked up: for d, which takes a few hundred
// values, and for areas that the pairs of dimensions do not tell cheaply.
template <ChartAxis axis> FirstLook lookByX(const CandidateList &list, bool raster)
{
    FirstLook look;
    const std::size_t n = list.size();
    std::array<XTable, chartSeriesCount> byX;
    std::uint32_t xCount = 0;
    look.keys.resize(raster ? n : 0);
    look.ys.resize(raster ? n : 0);
    const auto add = [&](std::size_t i, double x, double y, int series) {
        std::uint32_t id = noRow;
        if (series >= 0) {
            const auto s = static_cast<std::size_t>(series);
            id = byX[s].add(x, y, static_cast<std::uint32_t>(i), xCount);
            ++look.counts[s];
        }
        if (raster) {
            look.keys[i] = id;
            look.ys[i] = y;
        }
    };
    // A row's x, Ra and series; series -1 for a row that cannot be drawn.
    const auto placeRow = [](const CandidateRow &row, double &x, double &y) {
        x = xOf<axis>(row);
        y = raOf(row);
        if (x == 0.0)
            x = 0.0; // one entry for both zeros
        return std::isfinite(x) && std::isfinite(y) ? seriesOf(row) : -1;
    };
    if constexpr (axis == ChartAxis::FirstDimension) {
        // A few hundred d: the tables stay in the nearest cache.
        for (std::size_t i = 0; i < n; ++i) {
            double x = 0.0;
            double y = 0.0;
            const int series = placeRow(list.row(i), x, y);
            add(i, x, y, series);
        }
    } else {
        // Areas may be as many as the rows: a block of rows is placed first and their slots asked
        // for, so that the fetches overlap.
        struct Ahead {
            double x;
            double y;
            int series;
        };
        constexpr std::size_t block = 32;
        std::array<Ahead, block> ahead{};
        for (std::size_t begin = 0; begin < n; begin += block) {
            const std::size_t end = std::min(begin + block, n);
            for (std::size_t i = begin; i < end; ++i) {
                Ahead &a = ahead[i - begin];
                a.series = placeRow(list.row(i), a.x, a.y);
                if (a.series >= 0)
                    byX[static_cast<std::size_t>(a.series)].prefetch(a.x);
            }
            for (std::size_t i = begin; i < end; ++i)
                add(i, ahead[i - begin].x, ahead[i - begin].y, ahead[i - begin].series);
        }
    }
    look.entryOfKey.resize(xCount);
    std::uint32_t offset = 0;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        std::vector<const XTable::Slot *> used;
        for (const XTable::Slot &slot : byX[s].slots()) {
            if (slot.id != noRow)
                used.push_back(&slot);
        }
        std::sort(used.begin(), used.end(),
                  [](const XTable::Slot *a, const XTable::Slot *b) { return a->entry.x < b->entry.x; });
        for (const XTable::Slot *slot : used) {
            look.entryOfKey[slot->id] = offset++;
            look.xs[s].push_back(slot->entry);
        }
    }
    return look;
}

// Each exact value of a dimension numbered in the order met: a list's dimensions take a few hundred.
class ValueNumbers
{
  public:
    ValueNumbers() { resize(1024); }

    // The number of v, which is finite; both zeros are one value.
    std::uint32_t numberOf(double v)
    {
        const auto bits = std::bit_cast<std::uint64_t>(v == 0.0 ? 0.0 : v);
        std::size_t at = startOf(bits);
        while (m_slots[at].number != noRow) {
            if (m_slots[at].bits == bits)
                return m_slots[at].number;
            at = (at + 1) & m_mask;
        }
        const std::uint32_t number = m_count++;
        m_slots[at] = {bits, number};
        m_values.push_back(std::bit_cast<double>(bits));
        if (m_count > m_slots.size() / 8)
            resize(m_slots.size() * 2);
        return number;
    }

    [[nodiscard]] std::uint32_t size() const { return m_count; }
    [[nodiscard]] double value(std::uint32_t number) const { return m_values[number]; }

  private:
    struct Slot {
        std::uint64_t bits = 0;
        std::uint32_t number = noRow; // noRow: free
    };

    std::size_t startOf(std::uint64_t bits) const
    {
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ULL) >> m_shift);
    }

    void resize(std::size_t size)
    {
        std::vector<Slot> old(size);
        old.swap(m_slots);
        m_mask = size - 1;
        m_shift = 64 - std::countr_zero(size);
        for (const Slot &slot : old) {
            if (slot.number == noRow)
                continue;
            std::size_t at = startOf(slot.bits);
            while (m_slots[at].number != noRow)
                at = (at + 1) & m_mask;
            m_slots[at] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<double> m_values;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::uint32_t m_count = 0;
};

// The lowest and highest Ra of each pair of dimensions (first, second) of one series, in a grid by
// their numbers. An area is a function of the pair, so a row's area need not be worked out (its
// circle and its division cost more than the rest of the row's work) nor looked up among thousands:
// a grid of a few hundred by a few hundred pairs stays in the cache, where a table of areas does not.
class PairGrid
{
  public:
    struct Cell {
        double lowY = std::numeric_limits<double>::infinity();
        double highY = -std::numeric_limits<double>::infinity();
        std::uint32_t lowRow = noRow; // noRow: no row has the pair
        std::uint32_t highRow = noRow;
    };

    // Numbers up to this fit a row's key.
    static constexpr std::uint32_t largestNumber = (1U << 15) - 1;
    static constexpr std::size_t largestCells = std::size_t{1} << 19;

    // The cell of a pair; none when the grid would grow past its bound.
    Cell *at(std::uint32_t first, std::uint32_t second)
    {
        if ((second >= m_stride || first >= m_rows) && !grow(first, second))
            return nullptr;
        return &m_cells[cellOf(first, second)];
    }

    [[nodiscard]] std::size_t cellOf(std::uint32_t first, std::uint32_t second) const
    {
        return static_cast<std::size_t>(first) * m_stride + second;
    }

    [[nodiscard]] const std::vector<Cell> &cells() const { return m_cells; }
    [[nodiscard]] std::size_t stride() const { return m_stride; }

  private:
    bool grow(std::uint32_t first, std::uint32_t second)
    {
        std::size_t stride = std::max<std::size_t>(m_stride, 16);
        while (stride <= second)
            stride *= 2;
        std::size_t rows = std::max<std::size_t>(m_rows, 64);
        while (rows <= first)
            rows *= 2;
        if (first > largestNumber || second > largestNumber || rows * stride > largestCells)
            return false;
        if (stride == m_stride) {
            m_cells.resize(rows * stride);
        } else {
            std::vector<Cell> cells(rows * stride);
            for (std::size_t r = 0; r < m_rows; ++r) {
                std::copy_n(m_cells.begin() + static_cast<std::ptrdiff_t>(r * m_stride), m_stride,
                            cells.begin() + static_cast<std::ptrdiff_t>(r * stride));
            }
            m_cells.swap(cells);
        }
        m_stride = stride;
        m_rows = rows;
        return true;
    }

    std::vector<Cell> m_cells;
    std::size_t m_stride = 0;
    std::size_t m_rows = 0;
};

// The first look by area with each row's pair of dimensions in place of its area; nothing when the
// list's dimensions take too many values for the grids.
std::optional<FirstLook> lookByPairs(const CandidateList &list, bool raster)
{
    // A round pile's second dimension does not count.
    static constexpr std::array<std::uint64_t, chartSeriesCount> secondMask = [] {
        std::array<std::uint64_t, chartSeriesCount> masks{};
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            masks[s] = sectionTypes[s].hasSecond ? ~std::uint64_t{0} : 0;
        return masks;
    }();
    // Below this, no area of the pair overflows.
    constexpr double safeDimension = 1e100;
    FirstLook look;
    const std::size_t n = list.size();
    // The seconds are numbered by series, so that each series' grid holds only its own.
    std::array<ValueNumbers, chartSeriesCount> firsts;
    std::array<ValueNumbers, chartSeriesCount> seconds;
    std::array<PairGrid, chartSeriesCount> grids;
    look.keys.resize(raster ? n : 0);
    look.ys.resize(raster ? n : 0);
    // Taken in without branches: which rows set a new lowest or highest is anyone's guess.
    for (std::size_t i = 0; i < n; ++i) {
        const CandidateRow &row = list.row(i);
        const double y = raOf(row);
        const auto s = static_cast<std::size_t>(seriesOf(row));
        const double first = row.first;
        // Masked rather than chosen: the section changes from row to row at random.
        const double second = std::bit_cast<double>(std::bit_cast<std::uint64_t>(row.second) & secondMask[s]);
        bool drawable = std::isfinite(y);
        if (!(std::fabs(first) < safeDimension && std::fabs(second) < safeDimension))
            drawable = drawable && std::isfinite(chartX(row, ChartAxis::Area));
        std::uint32_t key = noRow;
        if (drawable) {
            const std::uint32_t f = firsts[s].numberOf(first);
            const std::uint32_t c = seconds[s].numberOf(second);
            PairGrid::Cell *cell = grids[s].at(f, c);
            if (cell == nullptr)
                return std::nullopt;
            const auto r = static_cast<std::uint32_t>(i);
            const std::uint32_t lower = 0U - static_cast<std::uint32_t>(y < cell->lowY);
            const std::uint32_t higher = 0U - static_cast<std::uint32_t>(y > cell->highY);
            cell->lowRow ^= (cell->lowRow ^ r) & lower;
            cell->highRow ^= (cell->highRow ^ r) & higher;
            cell->lowY = std::min(cell->lowY, y);
            cell->highY = std::max(cell->highY, y);
            ++look.counts[s];
            key = (f << 17) | (c << 2) | static_cast<std::uint32_t>(s);
        }
        if (raster) {
            look.keys[i] = key;
            look.ys[i] = y;
        }
    }
    // Each pair's area, from one of its rows; pairs of one area (800 × 300 and 600 × 400) become one x.
    std::array<std::vector<std::uint32_t>, chartSeriesCount> entryOfCell;
    std::uint32_t entries = 0;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        const std::vector<PairGrid::Cell> &cells = grids[s].cells();
        std::vector<std::pair<double, std::uint32_t>> areas;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (cells[c].lowRow == noRow)
                continue;
            // A row of the pair, made from the numbers' values: the list's own row lies anywhere in
            // memory.
            CandidateRow pair;
            pair.section = static_cast<SectionType>(s);
            pair.first = firsts[s].value(static_cast<std::uint32_t>(c / grids[s].stride()));
            pair.second = seconds[s].value(static_cast<std::uint32_t>(c % grids[s].stride()));
            double x = chartX(pair, ChartAxis::Area);
            if (x == 0.0)
                x = 0.0;
            areas.emplace_back(x, static_cast<std::uint32_t>(c));
        }
        std::sort(areas.begin(), areas.end());
        entryOfCell[s].assign(cells.size(), noRow);
        for (const auto &[x, c] : areas) {
            const PairGrid::Cell &cell = cells[c];
            const XEntry entry{x, cell.lowY, cell.highY, cell.lowRow, cell.highRow};
            if (look.xs[s].empty() || look.xs[s].back().x != x) {
                look.xs[s].push_back(entry);
                ++entries;
            } else {
                takeExtremes(look.xs[s].back(), entry);
            }
            entryOfCell[s][c] = entries - 1;
        }
    }
    // A row's key names its cell by the numbers, whatever the grid's size was then.
    if (raster) {
        for (std::uint32_t &key : look.keys) {
            if (key == noRow)
                continue;
            const std::uint32_t s = key & 3;
            key = entryOfCell[s][grids[s].cellOf(key >> 17, (key >> 2) & PairGrid::largestNumber)];
        }
    }
    look.entryOfKey.resize(entries);
    for (std::uint32_t e = 0; e < entries; ++e)
        look.entryOfKey[e] = e;
    return look;
}

template <ChartAxis axis>
ReducedChart reduce(const CandidateList &list, int columns, int rows, std::size_t rasterBudget)
{
    ReducedChart out;
    const bool raster = rows > 0;
    // The first look places every row once: each series' distinct x with its lowest and highest Ra,
    // from which the bounds, the columns' extremes and the envelope follow. The raster needs the
    // bounds: each row's key and Ra are kept for its second look.
    FirstLook look;
    if constexpr (axis == ChartAxis::Area) {
        std::optional<FirstLook> byPairs = lookByPairs(list, raster);
        look = byPairs ? std::move(*byPairs) : lookByX<axis>(list, raster);
    } else {
        look = lookByX<axis>(list, raster);
    }

    ChartBounds &b = out.bounds;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    bool any = false;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        out.series[s].rowCount = look.counts[s];
        const std::vector<XEntry> &xs = look.xs[s];
        if (xs.empty())
            continue;
        any = true;
        b.xMin = std::min(b.xMin, xs.front().x);
        b.xMax = std::max(b.xMax, xs.back().x);
        for (const XEntry &e : xs) {
            b.yMin = std::min(b.yMin, e.lowY);
            b.yMax = std::max(b.yMax, e.highY);
        }
    }
    if (!any) {
        out.bounds = ChartBounds{};
        return out;
    }
    b.empty = false;
    columns = std::max(columns, 1);
    const auto columnCount = static_cast<std::size_t>(columns);
    const auto height = static_cast<std::size_t>(std::max(rows, 0));

    // Each column's lowest and highest Ra, the first row of each in list order: the lowest and the
    // highest of its x, the first row among equals. A place is a series' column: s · columns + column.
    const std::size_t places = chartSeriesCount * columnCount;
    std::vector<XEntry> extremes(places, XEntry{0.0, std::numeric_limits<double>::infinity(),
                                                -std::numeric_limits<double>::infinity(), noRow, noRow});
    std::vector<std::uint32_t> placeOfEntry;
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        for (const XEntry &e : look.xs[s]) {
            const std::size_t place = s * columnCount + static_cast<std::size_t>(sliceOf(e.x, b.xMin, b.xMax, columns));
            if (raster)
                placeOfEntry.push_back(static_cast<std::uint32_t>(place));
            takeExtremes(extremes[place], e);
        }
    }

    // The raster's second look: the first row of each cell, a bit a cell saying it is taken so that
    // the cells' rows are touched only for the first row of each.
    std::vector<std::uint32_t> placeOfKey(look.entryOfKey.size());
    for (std::size_t k = 0; raster && k < placeOfKey.size(); ++k)
        placeOfKey[k] = placeOfEntry[look.entryOfKey[k]];
    std::vector<std::uint32_t> cells(places * height, noRow);
    std::vector<std::uint64_t> taken((places * height + 63) / 64);
    for (std::size_t i = 0; raster && i < look.keys.size(); ++i) {
        const std::uint32_t key = look.keys[i];
        if (key == noRow)
            continue;
        const std::size_t cell =
            placeOfKey[key] * height + static_cast<std::size_t>(sliceOf(look.ys[i], b.yMin, b.yMax, rows));
        std::uint64_t &word = taken[cell / 64];
        const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
        if ((word & bit) == 0) {
            word |= bit;
            cells[cell] = static_cast<std::uint32_t>(i);
        }
    }

    // The finest raster within the budget: `merge` cells become one (the first row of the merged
    // cells stands for them); 0 leaves the raster out. The points each merging keeps are counted
    // in one sweep over the taken cells.
    std::vector<std::size_t> occupied;
    for (std::size_t m = 1; m <= height; m *= 2)
        occupied.push_back(0);
    std::vector<std::size_t> lastBlock(occupied.size());
    for (std::size_t place = 0; raster && place < places; ++place) {
        std::fill(lastBlock.begin(), lastBlock.end(), SIZE_MAX);
        for (std::size_t r = 0; r < height; ++r) {
            if (cells[place * height + r] == noRow)
                continue;
            for (std::size_t level = 0; level < occupied.size(); ++level) {
                const std::size_t block = r >> level;
                if (block != lastBlock[level]) {
                    lastBlock[level] = block;
                    ++occupied[level];
                }
            }
        }
    }
    std::size_t merge = 0;
    for (std::size_t level = 0; level < occupied.size(); ++level) {
        if (occupied[level] <= rasterBudget) {
            merge = std::size_t{1} << level;
            break;
        }
    }
    const auto mergedCell = [&](std::size_t place, std::size_t first) {
        std::uint32_t row = noRow;
        const std::size_t end = std::min(first + merge, height);
        for (std::size_t r = first; r < end; ++r)
            row = std::min(row, cells[place * height + r]);
        return row;
    };

    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        ChartSeriesData &data = out.series[s];
        if (look.xs[s].empty())
            continue;
        const auto pointOf = [&](std::uint32_t row) {
            const CandidateRow &r = list.row(row);
            return ChartPoint{chartX(r, axis), raOf(r), row};
        };
        for (std::size_t column = 0; column < columnCount; ++column) {
            const XEntry &e = extremes[s * columnCount + column];
            if (e.lowRow == noRow)
                continue;
            data.points.push_back(pointOf(e.lowRow));
            for (std::size_t first = 0; merge > 0 && first < height; first += merge) {
                const std::uint32_t cell = mergedCell(s * columnCount + column, first);
                if (cell != noRow && cell != e.lowRow && cell != e.highRow)
                    data.points.push_back(pointOf(cell));
            }
            if (e.highRow != e.lowRow)
                data.points.push_back(pointOf(e.highRow));
        }
        data.envelope.reserve(look.xs[s].size());
        for (const XEntry &e : look.xs[s])
            data.envelope.push_back({e.x, e.highY, e.highRow});
    }
    return out;
}

} // namespace

int chartSeriesOf(const CandidateRow &row)
{
    return seriesOf(row);
}

double chartX(const CandidateRow &row, ChartAxis axis)
{
    if (axis == ChartAxis::FirstDimension)
        return row.first;
    // A round pile's row may hold anything as its unused second dimension; a section past the last
    // is taken as the last, as its series is.
    const auto section = static_cast<SectionType>(seriesOf(row));
    const double second = sectionRow(section).hasSecond ? row.second : 0.0;
    return sectionArea(section, row.first, second) / squareMillimetresPerSquareMetre;
}

double chartRa(const CandidateRow &row)
{
    return raOf(row);
}

ReducedChart reduceForChart(const CandidateList &list, ChartAxis axis, int columns, int rows,
                            std::size_t rasterBudget)
{
    if (axis == ChartAxis::FirstDimension)
        return reduce<ChartAxis::FirstDimension>(list, columns, rows, rasterBudget);
    return reduce<ChartAxis::Area>(list, columns, rows, rasterBudget);
}

std::vector<ChartPoint> thinLine(const std::vector<ChartPoint> &points, double xMin, double xMax, int columns)
{
    columns = std::max(columns, 1);
    if (points.size() <= 4 * static_cast<std::size_t>(columns))
        return points;
    std::vector<ChartPoint> out;
    std::size_t begin = 0;
    while (begin < points.size()) {
        const int column = sliceOf(points[begin].x, xMin, xMax, columns);
        std::size_t end = begin + 1;
        std::size_t low = begin;
        std::size_t high = begin;
        for (; end < points.size() && sliceOf(points[end].x, xMin, xMax, columns) == column; ++end) {
            if (points[end].y < points[low].y)
                low = end;
            if (points[end].y > points[high].y)
                high = end;
        }
        // In line order, so the segments between them run as the full line does.
        std::array<std::size_t, 4> keep{begin, std::min(low, high), std::max(low, high), end - 1};
        std::size_t last = points.size();
        for (const std::size_t k : keep) {
            if (k != last)
                out.push_back(points[k]);
            last = k;
        }
        begin = end;
    }
    return out;
}

NearestRowIndex::NearestRowIndex(const CandidateList &list, ChartAxis axis) : m_list(&list), m_axis(axis)
{
    m_bounds = boundsOf(list, axis);
    if (m_bounds.empty)
        return;
    const std::size_t count = list.size();
    m_size = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(count) / 2.0)), 1, largestGrid);
    m_cellWidth = (m_bounds.xMax - m_bounds.xMin) / m_size;
    m_cellHeight = (m_bounds.yMax - m_bounds.yMin) / m_size;

    const auto side = static_cast<std::size_t>(m_size);
    std::vector<std::uint32_t> cellOfRow(count, noRow);
    m_cellStart.assign(side * side + 1, 0);
    std::size_t drawable = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Placed p = place(list.row(i), axis);
        if (!p.drawable)
            continue;
        const auto cell = static_cast<std::size_t>(cellY(p.y)) * side + static_cast<std::size_t>(cellX(p.x));
        cellOfRow[i] = static_cast<std::uint32_t>(cell);
        ++m_cellStart[cell + 1];
        ++drawable;
    }
    for (std::size_t c = 1; c < m_cellStart.size(); ++c)
        m_cellStart[c] += m_cellStart[c - 1];
    // Only row numbers are kept: a query places the few rows near it again.
    m_rows.resize(drawable);
    std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        if (cellOfRow[i] != noRow)
            m_rows[fill[cellOfRow[i]]++] = static_cast<std::uint32_t>(i);
    }
}

int NearestRowIndex::cellX(double x) const
{
    if (!(m_cellWidth > 0.0))
        return 0;
    return static_cast<int>(std::clamp((x - m_bounds.xMin) / m_cellWidth, 0.0, m_size - 1.0));
}

int NearestRowIndex::cellY(double y) const
{
    if (!(m_cellHeight > 0.0))
        return 0;
    return static_cast<int>(std::clamp((y - m_bounds.yMin) / m_cellHeight, 0.0, m_size - 1.0));
}

std::optional<std::size_t> NearestRowIndex::nearest(double x, double y, double xScale, double yScale,
                                                    double radius) const
{
    if (m_size == 0 || !(xScale > 0.0) || !(yScale > 0.0) || !(radius >= 0.0) || !std::isfinite(x) ||
        !std::isfinite(y))
        return std::nullopt;
    const double reachX = radius / xScale;
    const double reachY = radius / yScale;
    if (x + reachX < m_bounds.xMin || x - reachX > m_bounds.xMax || y + reachY < m_bounds.yMin ||
        y - reachY > m_bounds.yMax)
        return std::nullopt;
    const int x0 = cellX(x - reachX);
    const int x1 = cellX(x + reachX);
    const int y0 = cellY(y - reachY);
    const int y1 = cellY(y + reachY);
    double best = radius * radius;
    std::uint32_t bestRow = noRow;
    for (int cy = y0; cy <= y1; ++cy) {
        for (int cx = x0; cx <= x1; ++cx) {
            const auto cell = static_cast<std::size_t>(cy) * static_cast<std::size_t>(m_size) +
                              static_cast<std::size_t>(cx);
            for (std::uint32_t e = m_cellStart[cell]; e < m_cellStart[cell + 1]; ++e) {
                const std::uint32_t row = m_rows[e];
                const CandidateRow &candidate = m_list->row(row);
                const double dx = (chartX(candidate, m_axis) - x) * xScale;
                const double dy = (chartRa(candidate) - y) * yScale;
                const double distance = dx * dx + dy * dy;
                if (distance < best || (distance == best && row < bestRow)) {
                    best = distance;
                    bestRow = row;
                }
            }
        }
    }
    if (bestRow == noRow)
        return std::nullopt;
    return bestRow;
}

std::string chartRowText(const CandidateList &list, std::size_t index)
{
    if (index >= list.size())
        return {};
    const CandidateRow &row = list.row(index);
    const auto cell = [&](int column) { return trimmed(list.cell(index, column)); };
    const std::string sep(chartText::separator);
    std::string text =
        cell(0) + sep + std::string(sectionBookName(static_cast<SectionType>(chartSeriesOf(row)))) + sep;
    switch (row.section) {
    case SectionType::Round:
        text += "d=" + cell(2) + " mm";
        break;
    case SectionType::Elliptical:
        text += "d=" + cell(2) + " mm, c=" + cell(3) + " mm";
        break;
    case SectionType::Square:
        text += "a=" + cell(2) + " mm";
        break;
    default:
        text += "a=" + cell(2) + " mm, b=" + cell(3) + " mm";
        break;
    }
    text += sep;
    if (row.route == StrengthRoute::QpaGiven) {
        text += "qpa=" + cell(5) + " kPa";
    } else {
        text += "frk=" + cell(5) + " MPa";
        const std::string_view hardness = hardnessClass(row.strength);
        if (!hardness.empty())
            text += " " + std::string(hardness);
        text += " " + (row.basis == IntegrityBasis::Class ? cell(7)
                                                          : std::string(chartText::integrityIndex) + cell(7));
    }
    return text + sep + "Ra=" + cell(4) + " kN";
}

} // namespace saxolith
