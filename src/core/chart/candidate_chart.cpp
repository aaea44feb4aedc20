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

struct Placed {
    double x;
    double y;
    int series;
    bool drawable;
};

Placed place(const CandidateRow &row, ChartAxis axis)
{
    const double x = chartX(row, axis);
    const double y = chartRa(row);
    return {x, y, chartSeriesOf(row), std::isfinite(x) && std::isfinite(y)};
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

// The lowest and the highest Ra at each exact x (the first row of each in list order), in an
// open-addressed table: the usual list has a few hundred x, a list by area a few per row at most.
class XTable
{
  public:
    struct Slot {
        double x = 0.0;
        double lowY = 0.0;
        double highY = 0.0;
        std::uint32_t lowRow = noRow; // noRow: the slot is free
        std::uint32_t highRow = noRow;
    };

    XTable() : m_slots(64) {}

    void add(double x, double y, std::uint32_t row)
    {
        if (x == 0.0)
            x = 0.0; // one slot for both zeros
        if ((m_used + 1) * 2 > m_slots.size())
            grow();
        Slot &slot = find(x);
        if (slot.lowRow == noRow) {
            slot = {x, y, y, row, row};
            ++m_used;
            return;
        }
        if (y < slot.lowY) {
            slot.lowY = y;
            slot.lowRow = row;
        }
        if (y > slot.highY) {
            slot.highY = y;
            slot.highRow = row;
        }
    }

    // Asks for the slot of `x` ahead of its add: with many distinct x the table outgrows the cache.
    void prefetch(double x) const
    {
#if defined(__GNUC__)
        __builtin_prefetch(&m_slots[startOf(x == 0.0 ? 0.0 : x)]);
#else
        (void)x;
#endif
    }

    template <typename Visit> void forEach(Visit visit) const
    {
        for (const Slot &slot : m_slots) {
            if (slot.lowRow != noRow)
                visit(slot);
        }
    }

    // The highest Ra at each x, ascending x.
    std::vector<ChartPoint> envelope() const
    {
        std::vector<ChartPoint> out;
        out.reserve(m_used);
        forEach([&](const Slot &slot) { out.push_back({slot.x, slot.highY, slot.highRow}); });
        std::sort(out.begin(), out.end(), [](const ChartPoint &a, const ChartPoint &b) { return a.x < b.x; });
        return out;
    }

  private:
    std::size_t startOf(double x) const
    {
        // The top bits of the product: round sizes leave the low bits of their doubles all zero.
        return (std::bit_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ULL) >> (64 - std::countr_zero(m_slots.size()));
    }

    Slot &find(double x)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t at = startOf(x);
        while (m_slots[at].lowRow != noRow && m_slots[at].x != x)
            at = (at + 1) & mask;
        return m_slots[at];
    }

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const Slot &slot : old) {
            if (slot.lowRow != noRow)
                find(slot.x) = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

int chartSeriesOf(const CandidateRow &row)
{
    return std::clamp(static_cast<int>(row.section), 0, chartSeriesCount - 1);
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
    const int choice = std::clamp<int>(row.precision, 0, precisionChoiceCount - 1);
    // The number the list's cell shows, found from the value as the cell's text rounds it; a text
    // rounded to seven digits, or no number, is read back.
    if (const std::optional<std::int64_t> hundredths = roundedHundredths(row.ra, choice))
        return static_cast<double>(*hundredths) / 100.0;
    return strictNumber(displayRounded(row.ra, choice)).value_or(cutByChoice(row.ra, choice));
}

ReducedChart reduceForChart(const CandidateList &list, ChartAxis axis, int columns, int rows,
                            std::size_t rasterBudget)
{
    ReducedChart out;
    // One pass places every row once: the bounds, and each series' lowest and highest Ra at each x,
    // from which the columns' extremes and the envelope follow. The table's slot for a row some
    // places ahead is asked for early, so that its fetch overlaps the work on the rows between.
    std::array<XTable, chartSeriesCount> byX;
    ChartBounds &b = out.bounds;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    constexpr std::size_t ahead = 8;
    std::array<Placed, ahead> ring{};
    const std::size_t n = list.size();
    // Each row's Ra for the raster's pass; NaN where the row is not drawn.
    std::vector<double> ys(rows > 0 ? n : 0);
    for (std::size_t i = 0; i < std::min(ahead, n); ++i) {
        ring[i] = place(list.row(i), axis);
        if (ring[i].drawable)
            byX[static_cast<std::size_t>(ring[i].series)].prefetch(ring[i].x);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const Placed p = ring[i % ahead];
        if (i + ahead < n) {
            Placed &next = ring[i % ahead];
            next = place(list.row(i + ahead), axis);
            if (next.drawable)
                byX[static_cast<std::size_t>(next.series)].prefetch(next.x);
        }
        if (!ys.empty())
            ys[i] = p.drawable ? p.y : std::numeric_limits<double>::quiet_NaN();
        if (!ys.empty())
            ys[i] = p.drawable ? p.y : std::numeric_limits<double>::quiet_NaN();
        if (!p.drawable)
            continue;
        b.xMin = std::min(b.xMin, p.x);
        b.xMax = std::max(b.xMax, p.x);
        b.yMin = std::min(b.yMin, p.y);
        b.yMax = std::max(b.yMax, p.y);
        const auto s = static_cast<std::size_t>(p.series);
        byX[s].add(p.x, p.y, static_cast<std::uint32_t>(i));
        ++out.series[s].rowCount;
    }
    std::array<bool, chartSeriesCount> present{};
    for (std::size_t s = 0; s < chartSeriesCount; ++s)
        present[s] = out.series[s].rowCount > 0;
    if (std::none_of(present.begin(), present.end(), [](bool p) { return p; })) {
        out.bounds = ChartBounds{};
        return out;
    }
    b.empty = false;
    columns = std::max(columns, 1);
    rows = std::max(rows, 0);

    struct Extreme {
        double y;
        std::uint32_t row;
    };
    const auto columnCount = static_cast<std::size_t>(columns);
    const auto cellCount = columnCount * static_cast<std::size_t>(rows);
    std::array<std::vector<Extreme>, chartSeriesCount> lowest;
    std::array<std::vector<Extreme>, chartSeriesCount> highest;
    std::array<std::vector<std::uint32_t>, chartSeriesCount> cells; // first row of each raster cell
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        if (!present[s])
            continue;
        lowest[s].assign(columnCount, {0.0, noRow});
        highest[s].assign(columnCount, {0.0, noRow});
        cells[s].assign(cellCount, noRow);
        // A column's lowest (highest) is the lowest (highest) of its x, the first row among equals.
        byX[s].forEach([&](const XTable::Slot &slot) {
            const auto column = static_cast<std::size_t>(sliceOf(slot.x, b.xMin, b.xMax, columns));
            Extreme &low = lowest[s][column];
            if (low.row == noRow || slot.lowY < low.y || (slot.lowY == low.y && slot.lowRow < low.row))
                low = {slot.lowY, slot.lowRow};
            Extreme &high = highest[s][column];
            if (high.row == noRow || slot.highY > high.y || (slot.highY == high.y && slot.highRow < high.row))
                high = {slot.highY, slot.highRow};
        });
    }
    if (rows > 0) {
        // The raster's cells need every row's place within the bounds: a second pass, which takes
        // the Ra kept by the first. A bit a cell says it is taken, so that the pass touches the
        // cells' rows only for the first row of each.
        std::array<std::vector<std::uint64_t>, chartSeriesCount> taken;
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            taken[s].assign(present[s] ? (cellCount + 63) / 64 : 0, 0);
        for (std::size_t i = 0; i < n; ++i) {
            const double y = ys[i];
            if (std::isnan(y))
                continue;
            const CandidateRow &row = list.row(i);
            const auto s = static_cast<std::size_t>(chartSeriesOf(row));
            const auto column = static_cast<std::size_t>(sliceOf(chartX(row, axis), b.xMin, b.xMax, columns));
            const std::size_t cell =
                column * static_cast<std::size_t>(rows) + static_cast<std::size_t>(sliceOf(y, b.yMin, b.yMax, rows));
            std::uint64_t &word = taken[s][cell / 64];
            const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
            if ((word & bit) == 0) {
                word |= bit;
                cells[s][cell] = static_cast<std::uint32_t>(i);
            }
        }
    }

    // The finest raster within the budget: `merge` cells become one; 0 leaves the raster out.
    const auto height = static_cast<std::size_t>(rows);
    const auto mergedCell = [&](std::size_t s, std::size_t column, std::size_t first, std::size_t merge) {
        std::uint32_t row = noRow;
        const std::size_t end = std::min(first + merge, height);
        for (std::size_t r = first; r < end; ++r)
            row = std::min(row, cells[s][column * height + r]);
        return row;
    };
    std::size_t merge = 0;
    for (std::size_t m = 1; m <= height; m *= 2) {
        std::size_t occupied = 0;
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            for (std::size_t column = 0; present[s] && column < columnCount; ++column) {
                for (std::size_t first = 0; first < height; first += m)
                    occupied += mergedCell(s, column, first, m) != noRow ? 1 : 0;
            }
        }
        if (occupied <= rasterBudget) {
            merge = m;
            break;
        }
    }

    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        if (!present[s])
            continue;
        ChartSeriesData &data = out.series[s];
        const auto pointOf = [&](std::uint32_t row) {
            const Placed p = place(list.row(row), axis);
            return ChartPoint{p.x, p.y, row};
        };
        for (std::size_t column = 0; column < columnCount; ++column) {
            const Extreme low = lowest[s][column];
            if (low.row == noRow)
                continue;
            const Extreme high = highest[s][column];
            data.points.push_back(pointOf(low.row));
            for (std::size_t first = 0; merge > 0 && first < height; first += merge) {
                const std::uint32_t cell = mergedCell(s, column, first, merge);
                if (cell != noRow && cell != low.row && cell != high.row)
                    data.points.push_back(pointOf(cell));
            }
            if (high.row != low.row)
                data.points.push_back(pointOf(high.row));
        }
        data.envelope = byX[s].envelope();
    }
    return out;
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
