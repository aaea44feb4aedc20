#include "chart/candidate_chart.h"

#include "capacity/formulas.h"
#include "text/number_text.h"
#include "texts/chart.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

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

// Each series' distinct x, in an open-addressed table: its lowest and highest Ra (the first row with
// each) and a number of its own, given in the order the x are met, by which the raster's second look
// finds it. The usual list has a few hundred x, a list by area up to a few per row.
class XTable
{
  public:
    struct Slot {
        double x = 0.0;
        double lowY = 0.0;
        double highY = 0.0;
        std::uint32_t lowRow = 0;
        std::uint32_t highRow = 0;
        std::uint32_t id = noRow; // noRow: the slot is free
    };

    XTable() { resize(64); }

    // The number of x, a new one from `nextId` when x is met for the first time.
    std::uint32_t add(double x, double y, std::uint32_t row, std::uint32_t &nextId)
    {
        std::size_t at = startOf(x);
        while (m_slots[at].id != noRow && m_slots[at].x != x)
            at = (at + 1) & m_mask;
        Slot &slot = m_slots[at];
        if (slot.id != noRow) {
            if (y < slot.lowY) {
                slot.lowY = y;
                slot.lowRow = row;
            }
            if (y > slot.highY) {
                slot.highY = y;
                slot.highRow = row;
            }
            return slot.id;
        }
        slot = {x, y, y, row, row, nextId++};
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

    template <typename Visit> void forEach(Visit visit) const
    {
        for (const Slot &slot : m_slots) {
            if (slot.id != noRow)
                visit(slot);
        }
    }

    [[nodiscard]] std::size_t size() const { return m_used; }

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

template <ChartAxis axis>
ReducedChart reduce(const CandidateList &list, int columns, int rows, std::size_t rasterBudget)
{
    ReducedChart out;
    const std::size_t n = list.size();
    const bool raster = rows > 0;
    // The first look places every row once: each series' distinct x with its lowest and highest Ra,
    // from which the bounds, the columns' extremes and the envelope follow. The raster needs the
    // bounds: each row's x number and Ra are kept for its second look.
    std::array<XTable, chartSeriesCount> byX;
    std::uint32_t xCount = 0;
    std::vector<std::uint32_t> ids(raster ? n : 0);
    std::vector<double> ys(raster ? n : 0);
    std::array<std::size_t, chartSeriesCount> counts{};
    const auto add = [&](std::size_t i, double x, double y, int series) {
        std::uint32_t id = noRow;
        if (series >= 0) {
            const auto s = static_cast<std::size_t>(series);
            id = byX[s].add(x, y, static_cast<std::uint32_t>(i), xCount);
            ++counts[s];
        }
        if (raster) {
            ids[i] = id;
            ys[i] = y;
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

    ChartBounds &b = out.bounds;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        out.series[s].rowCount = counts[s];
        byX[s].forEach([&](const XTable::Slot &slot) {
            b.xMin = std::min(b.xMin, slot.x);
            b.xMax = std::max(b.xMax, slot.x);
            b.yMin = std::min(b.yMin, slot.lowY);
            b.yMax = std::max(b.yMax, slot.highY);
        });
    }
    if (xCount == 0) {
        out.bounds = ChartBounds{};
        return out;
    }
    b.empty = false;
    columns = std::max(columns, 1);
    const auto columnCount = static_cast<std::size_t>(columns);
    const auto height = static_cast<std::size_t>(std::max(rows, 0));

    // Each column's lowest and highest Ra, the first row of each in list order: the lowest and the
    // highest of its x, the first row among equals. A place is a series' column: s · columns + column.
    struct Extreme {
        double y;
        std::uint32_t row;
    };
    const std::size_t places = chartSeriesCount * columnCount;
    std::vector<Extreme> lowest(places, {std::numeric_limits<double>::infinity(), noRow});
    std::vector<Extreme> highest(places, {-std::numeric_limits<double>::infinity(), noRow});
    std::vector<std::uint32_t> placeOfX(raster ? xCount : 0);
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        byX[s].forEach([&](const XTable::Slot &slot) {
            const std::size_t place =
                s * columnCount + static_cast<std::size_t>(sliceOf(slot.x, b.xMin, b.xMax, columns));
            if (raster)
                placeOfX[slot.id] = static_cast<std::uint32_t>(place);
            Extreme &low = lowest[place];
            if (slot.lowY < low.y || (slot.lowY == low.y && slot.lowRow < low.row))
                low = {slot.lowY, slot.lowRow};
            Extreme &high = highest[place];
            if (slot.highY > high.y || (slot.highY == high.y && slot.highRow < high.row))
                high = {slot.highY, slot.highRow};
        });
    }

    // The raster's second look: the first row of each cell, a bit a cell saying it is taken so that
    // the cells' rows are touched only for the first row of each.
    std::vector<std::uint32_t> cells(places * height, noRow);
    std::vector<std::uint64_t> taken((places * height + 63) / 64);
    for (std::size_t i = 0; raster && i < n; ++i) {
        const std::uint32_t id = ids[i];
        if (id == noRow)
            continue;
        const std::size_t cell =
            placeOfX[id] * height + static_cast<std::size_t>(sliceOf(ys[i], b.yMin, b.yMax, rows));
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
        if (data.rowCount == 0)
            continue;
        const auto pointOf = [&](std::uint32_t row) {
            const CandidateRow &r = list.row(row);
            return ChartPoint{chartX(r, axis), raOf(r), row};
        };
        for (std::size_t column = 0; column < columnCount; ++column) {
            const std::size_t place = s * columnCount + column;
            const Extreme low = lowest[place];
            if (low.row == noRow)
                continue;
            const Extreme high = highest[place];
            data.points.push_back(pointOf(low.row));
            for (std::size_t first = 0; merge > 0 && first < height; first += merge) {
                const std::uint32_t cell = mergedCell(place, first);
                if (cell != noRow && cell != low.row && cell != high.row)
                    data.points.push_back(pointOf(cell));
            }
            if (high.row != low.row)
                data.points.push_back(pointOf(high.row));
        }
        data.envelope.reserve(byX[s].size());
        byX[s].forEach([&](const XTable::Slot &slot) { data.envelope.push_back({slot.x, slot.highY, slot.highRow}); });
        std::sort(data.envelope.begin(), data.envelope.end(),
                  [](const ChartPoint &p, const ChartPoint &q) { return p.x < q.x; });
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
    // A round pile's row may hold anything as its unused second dimension.
    const double second = sectionRow(row.section).hasSecond ? row.second : 0.0;
    return sectionArea(row.section, row.first, second) / squareMillimetresPerSquareMetre;
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
