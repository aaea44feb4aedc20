// The candidate chart's data: a list reduced to what the pixels can show, and the row under a point.
#pragma once

#include "core/optimise/candidate_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace saxolith
{

// One series per section type, in the order of SectionType.
inline constexpr int chartSeriesCount = 4;

enum class ChartAxis {
    FirstDimension, // d, or the side a, in mm
    Area,           // Ap in m²
};

// x of a row on the chart.
double chartX(const CandidateRow &row, ChartAxis axis);
// y of a row: its Ra as the list shows it (cut and rounded by the row's precision), kN.
double chartRa(const CandidateRow &row);
// The series of a row, 0..3.
int chartSeriesOf(const CandidateRow &row);

struct ChartPoint {
    double x = 0.0;
    double y = 0.0;
    std::uint32_t row = 0; // index of the real row in the list
    friend bool operator==(const ChartPoint &, const ChartPoint &) = default;
};

struct ChartBounds {
    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    bool empty = true;
};

struct ChartSeriesData {
    std::size_t rowCount = 0;         // rows of this section type that can be drawn
    std::vector<ChartPoint> points;   // what the scatter draws, by column, then by y
    std::vector<ChartPoint> envelope; // the highest Ra at each x, ascending x
};

struct ReducedChart {
    std::array<ChartSeriesData, chartSeriesCount> series;
    ChartBounds bounds;
};

// Reduces the list to what `columns` pixel columns can show: for each series and column the lowest
// and the highest Ra (the first such row in list order), and, when `rows` > 0, one row for each
// occupied cell of a `rows`-high raster over the Ra range, so that dense columns keep their spread.
// When the raster would add more than `rasterBudget` points in all, its cells are merged two by two
// (the first row of the merged cells stands for them) until it does not, or it is left out.
// The envelope keeps every x. Rows whose x or Ra is not finite are left out.
// A list of `twoThreadsFrom` rows or more is reduced in two halves at once, on two threads, to the same
// result.
inline constexpr std::size_t chartTwoThreadsFrom = 500'000;
ReducedChart reduceForChart(const CandidateList &list, ChartAxis axis, int columns, int rows = 0,
                            std::size_t rasterBudget = SIZE_MAX,
                            std::size_t twoThreadsFrom = chartTwoThreadsFrom);

// A line through `points` (ascending x) thinned to `columns` pixel columns over [xMin, xMax]: each
// column keeps its first, lowest, highest and last point, which draws the same pixels. Lines with no
// more than four points a column come back whole.
std::vector<ChartPoint> thinLine(const std::vector<ChartPoint> &points, double xMin, double xMax,
                                 int columns);

// The rows of a list placed on a grid once, to find the row nearest to a point of the chart. The list
// must stay as it is while the index is used (the chart builds a new index after every change).
class NearestRowIndex
{
  public:
    NearestRowIndex() = default;
    NearestRowIndex(const CandidateList &list, ChartAxis axis);
    NearestRowIndex(CandidateList &&, ChartAxis) = delete;

    // The row nearest to (x, y), distances measured in pixels with `xScale` and `yScale` pixels a unit;
    // none when no row lies within `radius` pixels. Of rows at the same distance, the first in the list.
    [[nodiscard]] std::optional<std::size_t> nearest(double x, double y, double xScale, double yScale,
                                                     double radius) const;

    [[nodiscard]] const ChartBounds &bounds() const { return m_bounds; }

  private:
    [[nodiscard]] int cellX(double x) const;
    [[nodiscard]] int cellY(double y) const;

    const CandidateList *m_list = nullptr;
    ChartAxis m_axis = ChartAxis::FirstDimension;
    ChartBounds m_bounds;
    int m_size = 0; // cells along each side
    double m_cellWidth = 1.0;
    double m_cellHeight = 1.0;
    std::vector<std::uint32_t> m_cellStart; // m_size² + 1 offsets into m_rows
    std::vector<std::uint32_t> m_rows;      // by cell, in list order within a cell
};

// What hovering a row shows: number, section, dimensions, rock and Ra.
std::string chartRowText(const CandidateList &list, std::size_t row);

} // namespace saxolith
