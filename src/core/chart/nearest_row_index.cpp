#include "core/chart/candidate_chart.h"

#include "core/chart/chart_row.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace saxolith
{

namespace
{

using chartReduction::noRow;
using chartReduction::raOf;
using chartReduction::xOf;

constexpr int largestGrid = 1024;

ChartBounds boundsOf(const CandidateList &list, ChartAxis axis)
{
    ChartBounds b;
    b.xMin = b.yMin = std::numeric_limits<double>::infinity();
    b.xMax = b.yMax = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const chartReduction::Placed p = chartReduction::place(list.row(i), axis);
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

} // namespace

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
        const chartReduction::Placed p = chartReduction::place(list.row(i), axis);
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
                const double dx = (xOf(candidate, m_axis) - x) * xScale;
                const double dy = (raOf(candidate) - y) * yScale;
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

} // namespace saxolith
