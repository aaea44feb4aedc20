#include "core/chart/candidate_chart.h"

#include "core/chart/axis_layout.h"
#include "core/chart/chart_row.h"
#include "core/chart/first_look.h"
#include "core/chart/raster.h"
#include "core/texts/chart.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace saxolith
{

namespace chartReduction
{

double raReadBack(double ra, int choice)
{
    return strictNumber(displayRounded(ra, choice)).value_or(cutByChoice(ra, choice));
}

} // namespace chartReduction

namespace
{

using namespace chartReduction;

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A series' points: of each pixel column its lowest, its raster's blocks and its highest. The rows
// first, then their points: the rows lie anywhere in the list, and are asked for a few points ahead so
// that their fetches overlap. The envelope holds every x.
void fillSeries(ChartSeriesData &data, std::size_t s, const CandidateList &list, ChartAxis axis,
                const std::vector<XEntry> &xs, const Columns &columns, const Raster &raster)
{
    const auto rowOnly = [](std::uint32_t row) { return ChartPoint{0.0, 0.0, row}; };
    for (std::size_t column = 0; column < columns.count; ++column) {
        const XEntry &e = columns.extremes[s * columns.count + column];
        if (e.lowRow == noRow)
            continue;
        data.points.push_back(rowOnly(e.lowRow));
        raster.forEachBlock(s * columns.count + column, [&](std::uint32_t cell) {
            if (cell != e.lowRow && cell != e.highRow)
                data.points.push_back(rowOnly(cell));
        });
        if (e.highRow != e.lowRow)
            data.points.push_back(rowOnly(e.highRow));
    }
    constexpr std::size_t ahead = 16;
    for (std::size_t k = 0; k < data.points.size(); ++k) {
        if (k + ahead < data.points.size()) {
            const auto *const next = reinterpret_cast<const char *>(&list.row(data.points[k + ahead].row));
            __builtin_prefetch(next);
            __builtin_prefetch(next + sizeof(CandidateRow) - 1);
        }
        ChartPoint &p = data.points[k];
        const CandidateRow &r = list.row(p.row);
        p.x = xOf(r, axis);
        p.y = raOf(r);
    }
    data.envelope.reserve(xs.size());
    for (const XEntry &e : xs)
        data.envelope.push_back({e.x, e.highY, e.highRow});
}

} // namespace

int chartSeriesOf(const CandidateRow &row)
{
    return seriesOf(row);
}

double chartX(const CandidateRow &row, ChartAxis axis)
{
    return xOf(row, axis);
}

double chartRa(const CandidateRow &row)
{
    return raOf(row);
}

ReducedChart reduceForChart(const CandidateList &list, ChartAxis axis, int columns, int rows,
                            std::size_t rasterBudget, std::size_t twoThreadsFrom)
{
    ReducedChart out;
    // The first look places every row once: each series' distinct x with its lowest and highest Ra,
    // from which the bounds, the columns' extremes and the envelope follow. The raster needs the
    // bounds: each row's code is kept for its look.
    const FirstLook look = firstLook(list, axis, rows > 0, twoThreadsFrom);
    const SeriesXs xs = distinctXOf(look, look.secondBegin < list.size());
    for (std::size_t s = 0; s < chartSeriesCount; ++s)
        out.series[s].rowCount = look.counts[s];
    out.bounds = boundsOf(xs);
    if (out.bounds.empty)
        return out;
    const Columns layout = columnsOf(xs, out.bounds, columns);
    const Raster raster =
        rows > 0 ? rasterOf(list, axis, look, xs, layout, out.bounds, rows, rasterBudget) : Raster{};
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        if (!xs.xs[s].empty())
            fillSeries(out.series[s], s, list, axis, xs.xs[s], layout, raster);
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
