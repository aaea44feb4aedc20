#include "core/chart/candidate_chart.h"

#include "core/capacity/formulas.h"
#include "core/text/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

namespace saxolith
{
namespace
{

CandidateRow makeRow(std::uint8_t section, double first, double ra, double second = 0.0)
{
    CandidateRow row;
    row.section = static_cast<SectionType>(section - 1);
    row.first = first;
    row.second = section == 4 ? first : second;
    row.ra = ra;
    row.strength = 3500;
    row.qpa = 3500;
    return row;
}

CandidateList listOf(std::initializer_list<CandidateRow> rows)
{
    CandidateList list;
    for (const CandidateRow &row : rows)
        list.append(row);
    list.renumber();
    return list;
}

int columnOf(double x, const ChartBounds &b, int columns)
{
    if (!(b.xMax > b.xMin))
        return 0;
    return std::clamp(static_cast<int>((x - b.xMin) / (b.xMax - b.xMin) * columns), 0, columns - 1);
}

std::set<std::uint32_t> rowsOf(const std::vector<ChartPoint> &points)
{
    std::set<std::uint32_t> rows;
    for (const ChartPoint &p : points)
        rows.insert(p.row);
    return rows;
}

// Every lowest and highest Ra of each series and column (the first in list order), every envelope
// point (the highest Ra at each exact x, the first in list order), and nothing else unless a raster
// cell asks for it.
void expectMatchesBruteForce(const CandidateList &list, ChartAxis axis, int columns, int rows,
                             std::size_t budget = SIZE_MAX)
{
    const ReducedChart reduced = reduceForChart(list, axis, columns, rows, budget);
    for (int s = 0; s < chartSeriesCount; ++s) {
        std::map<int, std::uint32_t> lowest;
        std::map<int, std::uint32_t> highest;
        std::map<double, std::uint32_t> envelope;
        std::set<std::pair<int, int>> cells;
        std::size_t count = 0;
        for (std::uint32_t i = 0; i < list.size(); ++i) {
            const CandidateRow &row = list.row(i);
            const double x = chartX(row, axis);
            const double y = chartRa(row);
            if (chartSeriesOf(row) != s || !std::isfinite(x) || !std::isfinite(y))
                continue;
            ++count;
            const int column = columnOf(x, reduced.bounds, columns);
            if (!lowest.contains(column) || y < chartRa(list.row(lowest[column])))
                lowest[column] = i;
            if (!highest.contains(column) || y > chartRa(list.row(highest[column])))
                highest[column] = i;
            if (!envelope.contains(x) || y > chartRa(list.row(envelope[x])))
                envelope[x] = i;
        }
        const ChartSeriesData &data = reduced.series[static_cast<std::size_t>(s)];
        EXPECT_EQ(data.rowCount, count) << "series " << s;
        const std::set<std::uint32_t> kept = rowsOf(data.points);
        std::set<std::uint32_t> extremes;
        for (const auto &[column, row] : lowest) {
            EXPECT_TRUE(kept.contains(row))
                << "series " << s << " column " << column << " lowest row " << row;
            extremes.insert(row);
        }
        for (const auto &[column, row] : highest) {
            EXPECT_TRUE(kept.contains(row))
                << "series " << s << " column " << column << " highest row " << row;
            extremes.insert(row);
        }
        if (rows == 0 || budget == 0) {
            EXPECT_EQ(kept, extremes) << "series " << s;
        }
        EXPECT_EQ(kept.size(), data.points.size()) << "a row kept twice in series " << s;
        std::vector<ChartPoint> expectedEnvelope;
        for (const auto &[x, row] : envelope)
            expectedEnvelope.push_back({x, chartRa(list.row(row)), row});
        EXPECT_EQ(data.envelope, expectedEnvelope) << "series " << s;
        for (const ChartPoint &p : data.points) {
            ASSERT_LT(p.row, list.size());
            EXPECT_EQ(p.x, chartX(list.row(p.row), axis));
            EXPECT_EQ(p.y, chartRa(list.row(p.row)));
        }
    }
}

struct ReductionCase {
    const char *name;
    CandidateList list;
    int columns;
    // Rows of each series the scatter keeps, and the envelope's rows.
    std::array<std::vector<std::uint32_t>, chartSeriesCount> points;
    std::array<std::vector<std::uint32_t>, chartSeriesCount> envelope;
};

std::vector<std::uint32_t> rowList(const std::vector<ChartPoint> &points)
{
    std::vector<std::uint32_t> rows;
    for (const ChartPoint &p : points)
        rows.push_back(p.row);
    return rows;
}

TEST(ChartReduction, SmallLists)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<ReductionCase> cases{
        {"empty", {}, 10, {}, {}},
        {"one row", listOf({makeRow(1, 800, 1000)}), 10, {{{0}}}, {{{0}}}},
        {"one column keeps only its lowest and highest",
         listOf({makeRow(1, 800, 1500), makeRow(1, 800, 1000), makeRow(1, 800, 2000), makeRow(1, 800, 1200)}),
         10,
         {{{1, 2}}},
         {{{2}}}},
        {"equal Ra: the first row in the list",
         listOf({makeRow(1, 800, 1000), makeRow(1, 800, 1000), makeRow(1, 900, 3000), makeRow(1, 900, 3000)}),
         10,
         {{{0, 2}}},
         {{{0, 2}}}},
        {"two x in one pixel column: one lowest and one highest, both envelope points",
         listOf({makeRow(1, 800, 1000), makeRow(1, 801, 1100), makeRow(1, 800, 900), makeRow(1, 2000, 5000),
                 makeRow(1, 801, 1050)}),
         2,
         {{{2, 1, 3}}},
         {{{0, 1, 3}}}},
        {"series apart, in section order",
         listOf({makeRow(3, 1000, 4000, 800), makeRow(1, 800, 1000), makeRow(4, 900, 3000),
                 makeRow(2, 800, 2000, 200), makeRow(1, 1000, 2000)}),
         10,
         {{{1, 4}, {3}, {0}, {2}}},
         {{{1, 4}, {3}, {0}, {2}}}},
        {"a row that cannot be drawn is left out",
         listOf({makeRow(1, nan, 1000), makeRow(1, 800, 1200), makeRow(1, 900, nan)}),
         10,
         {{{1}}},
         {{{1}}}},
    };
    for (const ReductionCase &c : cases) {
        SCOPED_TRACE(c.name);
        const ReducedChart reduced = reduceForChart(c.list, ChartAxis::FirstDimension, c.columns);
        for (std::size_t s = 0; s < chartSeriesCount; ++s) {
            EXPECT_EQ(rowList(reduced.series[s].points), c.points[s]) << "series " << s;
            EXPECT_EQ(rowList(reduced.series[s].envelope), c.envelope[s]) << "series " << s;
        }
        expectMatchesBruteForce(c.list, ChartAxis::FirstDimension, c.columns, 0);
        expectMatchesBruteForce(c.list, ChartAxis::Area, c.columns, 0);
    }
    EXPECT_TRUE(reduceForChart({}, ChartAxis::Area, 100).bounds.empty);
}

CandidateList randomList(std::size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> section(1, 4);
    std::uniform_int_distribution<int> step(0, 60);
    std::uniform_real_distribution<double> ra(500.0, 90000.0);
    std::uniform_int_distribution<int> precision(0, 4);
    CandidateList list;
    for (std::size_t i = 0; i < n; ++i) {
        CandidateRow row = makeRow(static_cast<std::uint8_t>(section(random)), 600 + 25.0 * step(random),
                                   ra(random), 200 + 50.0 * step(random) / 4);
        row.precision = static_cast<std::uint8_t>(precision(random));
        list.append(row);
    }
    list.renumber();
    return list;
}

TEST(ChartReduction, RandomListAgainstBruteForce)
{
    const CandidateList list = randomList(20'000, 7);
    for (const ChartAxis axis : {ChartAxis::FirstDimension, ChartAxis::Area}) {
        for (const int columns : {1, 7, 640}) {
            SCOPED_TRACE(testing::Message() << "columns " << columns);
            expectMatchesBruteForce(list, axis, columns, 0);
            expectMatchesBruteForce(list, axis, columns, 120);
        }
    }
}

// By area, pairs of dimensions of one area are one x (800 × 300 and 600 × 400; a round pile whatever
// its unused second dimension holds), and a list whose dimensions take thousands of values each,
// which the chart counts by area otherwise, comes out the same.
TEST(ChartReduction, AreasOfPairsOfDimensions)
{
    const CandidateList oneArea = listOf({makeRow(3, 800, 1000, 300), makeRow(3, 600, 1500, 400),
                                          makeRow(3, 600, 900, 400), makeRow(1, 1000, 2000, 7),
                                          makeRow(1, 1000, 2500, 9), makeRow(3, 1000, 3000, 500)});
    const ReducedChart reduced = reduceForChart(oneArea, ChartAxis::Area, 10);
    EXPECT_EQ(rowList(reduced.series[2].envelope), (std::vector<std::uint32_t>{1, 5}));
    EXPECT_EQ(rowList(reduced.series[0].envelope), (std::vector<std::uint32_t>{4}));
    expectMatchesBruteForce(oneArea, ChartAxis::Area, 10, 0);
    expectMatchesBruteForce(oneArea, ChartAxis::Area, 2, 8);

    std::mt19937 random(11);
    std::uniform_real_distribution<double> dimension(300.0, 3000.0);
    std::uniform_real_distribution<double> ra(500.0, 90000.0);
    std::uniform_int_distribution<int> section(1, 4);
    CandidateList many;
    for (int i = 0; i < 6'000; ++i)
        many.append(makeRow(static_cast<std::uint8_t>(section(random)), dimension(random), ra(random),
                            dimension(random)));
    many.renumber();
    expectMatchesBruteForce(many, ChartAxis::Area, 300, 0);
    expectMatchesBruteForce(many, ChartAxis::Area, 300, 50);
}

TEST(ChartReduction, RasterKeepsEveryOccupiedCell)
{
    const CandidateList list = randomList(5'000, 3);
    constexpr int columns = 50;
    constexpr int rows = 40;
    const ReducedChart reduced = reduceForChart(list, ChartAxis::FirstDimension, columns, rows);
    const ChartBounds &b = reduced.bounds;
    const auto cellOf = [&](double x, double y) {
        const int row = std::clamp(static_cast<int>((y - b.yMin) / (b.yMax - b.yMin) * rows), 0, rows - 1);
        return std::pair(columnOf(x, b, columns), row);
    };
    for (int s = 0; s < chartSeriesCount; ++s) {
        std::set<std::pair<int, int>> occupied;
        std::set<std::pair<int, int>> shown;
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (chartSeriesOf(list.row(i)) == s)
                occupied.insert(cellOf(chartX(list.row(i), ChartAxis::FirstDimension), chartRa(list.row(i))));
        }
        for (const ChartPoint &p : reduced.series[static_cast<std::size_t>(s)].points)
            shown.insert(cellOf(p.x, p.y));
        EXPECT_EQ(shown, occupied) << "series " << s;
        EXPECT_LE(reduced.series[static_cast<std::size_t>(s)].points.size(), occupied.size() + 2 * columns);
    }
}

// Each raster cell shows the first row of the list in it, also for an Ra on the very edge of a cell or
// a hundredth either side, rows whose Ra is read back from a text of seven digits, a single row and
// rows all of one x: the points of each column, as the chart orders them, against the rows one by one.
TEST(ChartReduction, RasterCellsShowTheirFirstRows)
{
    const auto withPrecision = [](CandidateRow row, std::uint8_t precision) {
        row.precision = precision;
        return row;
    };
    CandidateList edges; // 125 raster rows over Ra 0 … 125: every whole Ra is an edge
    for (int k = 0; k <= 125; ++k) {
        for (const double off : {0.0, -0.01, 0.01}) {
            const double ra = std::clamp(k + off, 0.0, 125.0);
            edges.append(makeRow(static_cast<std::uint8_t>(1 + k % 4), 800 + 50.0 * (k % 3), ra, 300));
        }
    }
    for (int k = 125; k >= 0; k -= 7)
        edges.append(makeRow(static_cast<std::uint8_t>(1 + k % 4), 800 + 50.0 * (k % 3), k, 300));
    edges.renumber();
    CandidateList odd = randomList(3'000, 9); // Ra of eight digits read back, among the others
    for (std::size_t i = 0; i < 300; ++i) {
        odd.append(withPrecision(makeRow(static_cast<std::uint8_t>(1 + i % 4), 600 + 25.0 * static_cast<double>(i % 61),
                                         1.2e7 + 777.7 * static_cast<double>(i), 400),
                                 static_cast<std::uint8_t>(i % 2 == 0 ? 0 : 4)));
    }
    odd.renumber();
    CandidateList oneX;
    for (int k = 0; k < 2'000; ++k)
        oneX.append(makeRow(2, 1000, 1000 + (k * 7919 % 2000) / 10.0, 500));
    oneX.renumber();
    CandidateList manyD; // more values of d than the look by the dimensions' numbers keys with a raster
    for (int k = 0; k < 17'000; ++k)
        manyD.append(makeRow(static_cast<std::uint8_t>(1 + k % 4), 500 + 0.5 * k, 100 + (k * 7919 % 5000) / 10.0, 300));
    manyD.renumber();
    const std::vector<std::pair<const char *, const CandidateList *>> lists{
        {"edges", &edges}, {"odd", &odd}, {"one x", &oneX}, {"many d", &manyD}};
    const CandidateList one = listOf({makeRow(3, 1200, 4000, 800)});
    for (const auto &[name, list] : lists) {
        for (const ChartAxis axis : {ChartAxis::FirstDimension, ChartAxis::Area}) {
            SCOPED_TRACE(testing::Message() << name << " axis " << static_cast<int>(axis));
            constexpr int columns = 7;
            constexpr int rows = 125;
            const ReducedChart reduced = reduceForChart(*list, axis, columns, rows);
            const ChartBounds &b = reduced.bounds;
            for (int s = 0; s < chartSeriesCount; ++s) {
                // By column: the lowest and highest row, and the first row of each raster row.
                std::map<int, std::pair<std::uint32_t, std::uint32_t>> extremes;
                std::map<std::pair<int, int>, std::uint32_t> first;
                for (std::uint32_t i = 0; i < list->size(); ++i) {
                    const CandidateRow &row = list->row(i);
                    const double x = chartX(row, axis);
                    const double y = chartRa(row);
                    if (chartSeriesOf(row) != s)
                        continue;
                    const int column = columnOf(x, b, columns);
                    const int cell = b.yMax > b.yMin ? std::clamp(static_cast<int>((y - b.yMin) / (b.yMax - b.yMin) * rows), 0, rows - 1) : 0;
                    first.try_emplace({column, cell}, i);
                    auto [at, added] = extremes.try_emplace(column, i, i);
                    if (!added && y < chartRa(list->row(at->second.first)))
                        at->second.first = i;
                    if (!added && y > chartRa(list->row(at->second.second)))
                        at->second.second = i;
                }
                std::vector<std::uint32_t> expected;
                for (const auto &[column, lowHigh] : extremes) {
                    expected.push_back(lowHigh.first);
                    for (int cell = 0; cell < rows; ++cell) {
                        const auto at = first.find({column, cell});
                        if (at != first.end() && at->second != lowHigh.first && at->second != lowHigh.second)
                            expected.push_back(at->second);
                    }
                    if (lowHigh.second != lowHigh.first)
                        expected.push_back(lowHigh.second);
                }
                EXPECT_EQ(rowList(reduced.series[static_cast<std::size_t>(s)].points), expected) << "series " << s;
            }
        }
    }
    const ReducedChart single = reduceForChart(one, ChartAxis::Area, 7, 125);
    EXPECT_EQ(rowList(single.series[2].points), (std::vector<std::uint32_t>{0}));
}

void expectSameChart(const ReducedChart &got, const ReducedChart &expected)
{
    EXPECT_EQ(got.bounds.empty, expected.bounds.empty);
    EXPECT_EQ(got.bounds.xMin, expected.bounds.xMin);
    EXPECT_EQ(got.bounds.xMax, expected.bounds.xMax);
    EXPECT_EQ(got.bounds.yMin, expected.bounds.yMin);
    EXPECT_EQ(got.bounds.yMax, expected.bounds.yMax);
    for (std::size_t s = 0; s < chartSeriesCount; ++s) {
        EXPECT_EQ(got.series[s].rowCount, expected.series[s].rowCount) << "series " << s;
        EXPECT_EQ(got.series[s].points, expected.series[s].points) << "series " << s;
        EXPECT_EQ(got.series[s].envelope, expected.series[s].envelope) << "series " << s;
    }
}

// A list reduced in two halves at once gives what one pass gives: equal Ra and the first rows of raster
// cells in both halves (the earlier half's row wins), values of a dimension met only in the later half,
// odd rows in both, halves whose dimensions fit the grid each but not together, and more values of d
// than a raster's short keys take.
TEST(ChartReduction, TwoHalvesGiveWhatOnePassGives)
{
    std::mt19937 random(13);
    CandidateList ties; // few pairs, few values of Ra: ties on every side of the middle
    for (int i = 0; i < 2'001; ++i) {
        CandidateRow row =
            makeRow(static_cast<std::uint8_t>(1 + random() % 4), 800 + 50.0 * (random() % 3),
                    100.0 * (random() % 4) + (random() % 3 == 0 ? 0.004 : 0.0), 300 + 100.0 * (random() % 2));
        row.precision = static_cast<std::uint8_t>(random() % 3);
        ties.append(row);
    }
    ties.renumber();
    CandidateList laterValues; // the later half brings new dimensions, and Ra read back from eight digits
    for (int i = 0; i < 4'000; ++i) {
        const double first = i < 2'000 ? 500 + 10.0 * (i % 5) : 700 + 10.0 * (i % 7);
        const double ra = i % 97 == 0 ? 1.5e7 + i : 3.0 * (i % 50);
        laterValues.append(makeRow(static_cast<std::uint8_t>(1 + i % 4), first, ra, 300 + 10.0 * (i % 3)));
    }
    laterValues.renumber();
    CandidateList apart; // each half's pairs fit the grid, both halves' do not
    for (int i = 0; i < 2'048; ++i) {
        const double base = i < 1'024 ? 0.0 : 5'000.0;
        apart.append(makeRow(static_cast<std::uint8_t>(2 + i % 2), 1'000 + base + (i % 512),
                             1'000 + (i * 7919 % 3'000) / 10.0, 200 + base + (i * 31 % 1'024)));
    }
    apart.renumber();
    CandidateList manyD;
    for (int k = 0; k < 17'000; ++k)
        manyD.append(makeRow(static_cast<std::uint8_t>(1 + k % 4), 500 + 0.5 * k,
                             100 + (k * 7919 % 5000) / 10.0, 300));
    manyD.renumber();
    CandidateList bySection; // as a run lists them: the later half's sections are not in the earlier half
    for (std::uint8_t section = 1; section <= 4; ++section) {
        for (int i = 0; i < 30; ++i)
            bySection.append(
                makeRow(section, 500 + 10.0 * (i / 10), 100.0 + (i * 7 % 30), 300 + 10.0 * (i % 2)));
    }
    bySection.renumber();
    const std::vector<std::pair<const char *, const CandidateList *>> lists{{"ties", &ties},
                                                                            {"later values", &laterValues},
                                                                            {"apart", &apart},
                                                                            {"many d", &manyD},
                                                                            {"by section", &bySection}};
    for (const auto &[name, list] : lists) {
        for (const ChartAxis axis : {ChartAxis::FirstDimension, ChartAxis::Area}) {
            for (const int rows : {0, 125}) {
                SCOPED_TRACE(testing::Message()
                             << name << " axis " << static_cast<int>(axis) << " rows " << rows);
                expectSameChart(reduceForChart(*list, axis, 7, rows, SIZE_MAX, 2),
                                reduceForChart(*list, axis, 7, rows, SIZE_MAX, SIZE_MAX));
            }
        }
    }
}

TEST(ChartReduction, RasterWithinItsBudgetKeepsTheExtremes)
{
    const CandidateList list = randomList(20'000, 5);
    constexpr int columns = 40;
    for (const std::size_t budget : {std::size_t{0}, std::size_t{50}, std::size_t{700}, std::size_t{5000}}) {
        SCOPED_TRACE(testing::Message() << "budget " << budget);
        expectMatchesBruteForce(list, ChartAxis::FirstDimension, columns, 64, budget);
        const ReducedChart reduced = reduceForChart(list, ChartAxis::FirstDimension, columns, 64, budget);
        const ReducedChart extremes = reduceForChart(list, ChartAxis::FirstDimension, columns);
        std::size_t raster = 0;
        for (std::size_t s = 0; s < chartSeriesCount; ++s)
            raster += reduced.series[s].points.size() - extremes.series[s].points.size();
        EXPECT_LE(raster, budget);
        if (budget >= 700) {
            EXPECT_GT(raster, budget / 4) << "merged further than the budget asks";
        }
    }
}

TEST(ChartReduction, ChartCoordinates)
{
    struct Case {
        CandidateRow row;
        double area; // m²
        double ra;
    };
    // Precision choices: 0 two decimals, 1 one, 2 units, 3 tens cut off, 4 hundreds cut off.
    const auto withPrecision = [](std::uint8_t choice) {
        CandidateRow row = makeRow(1, 1000, 12345.678);
        row.precision = choice;
        return row;
    };
    const std::vector<Case> cases{
        {withPrecision(0), std::numbers::pi / 4.0, 12345.68},
        {withPrecision(1), std::numbers::pi / 4.0, 12345.7},
        {withPrecision(2), std::numbers::pi / 4.0, 12346.0},
        {withPrecision(3), std::numbers::pi / 4.0, 12340.0},
        {withPrecision(4), std::numbers::pi / 4.0, 12300.0},
        {makeRow(2, 1000, 1.0, 500), std::numbers::pi / 4.0 + 0.5, 1.0},
        {makeRow(3, 1200, 1.0, 800), 0.96, 1.0},
        {makeRow(4, 900, 1.0), 0.81, 1.0},
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(chartX(c.row, ChartAxis::Area), c.area);
        EXPECT_EQ(chartX(c.row, ChartAxis::FirstDimension), c.row.first);
        EXPECT_DOUBLE_EQ(chartRa(c.row), c.ra);
    }
}

// The chart draws the Ra the list shows: the cell's text read back, in every precision, also for
// values whose decimal half lies a hair off in binary (2.675 is 2.67499999… as a double).
TEST(ChartReduction, RaIsTheNumberTheListsCellShows)
{
    std::mt19937 random(20241210);
    std::uniform_int_distribution<int> thousandths(0, 99'999'999);
    CandidateList list;
    for (int i = 0; i < 20'000; ++i) {
        CandidateRow row = makeRow(1, 1000, thousandths(random) / 1000.0 + (i % 2 == 0 ? 0.005 : 0.0));
        row.precision = static_cast<std::uint8_t>(i % precisionChoiceCount);
        list.append(row);
    }
    list.append(makeRow(1, 1000, 2.675));
    list.append(makeRow(1, 1000, 123456789.5)); // a text of seven significant digits
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string cell = list.cell(i, CandidateColumn::Ra);
        ASSERT_EQ(chartRa(list.row(i)), strictNumber(cell).value_or(-1.0)) << cell;
    }
}

TEST(ChartReduction, ThinLineKeepsEachColumnsFirstLowestHighestAndLast)
{
    std::vector<ChartPoint> line;
    for (std::uint32_t i = 0; i < 12; ++i)
        line.push_back({static_cast<double>(i), static_cast<double>((i * 7) % 5), i});
    EXPECT_EQ(thinLine(line, 0, 11, 3), line) << "four a column or fewer stay whole";
    // Two columns: x 0..5 and 6..11.
    const std::vector<ChartPoint> thinned = thinLine(line, 0, 12, 2);
    // ys: 0 2 4 1 3 0 | 2 4 1 3 0 2
    EXPECT_EQ(rowList(thinned), (std::vector<std::uint32_t>{0, 2, 5, 6, 7, 10, 11}));
}

TEST(NearestRow, RandomQueriesAgainstBruteForce)
{
    const CandidateList list = randomList(30'000, 11);
    std::mt19937 random(5);
    for (const ChartAxis axis : {ChartAxis::FirstDimension, ChartAxis::Area}) {
        const NearestRowIndex index(list, axis);
        const ChartBounds &b = index.bounds();
        std::uniform_real_distribution<double> qx(b.xMin - 50, b.xMax + 50);
        std::uniform_real_distribution<double> qy(b.yMin - 2000, b.yMax + 2000);
        const double xScale = 800.0 / (b.xMax - b.xMin);
        const double yScale = 500.0 / (b.yMax - b.yMin);
        for (int q = 0; q < 400; ++q) {
            const double x = qx(random);
            const double y = qy(random);
            const double radius = q % 2 == 0 ? 6.0 : 60.0;
            std::optional<std::size_t> expected;
            double best = radius * radius;
            for (std::size_t i = 0; i < list.size(); ++i) {
                const double dx = (chartX(list.row(i), axis) - x) * xScale;
                const double dy = (chartRa(list.row(i)) - y) * yScale;
                if (dx * dx + dy * dy < best || (!expected && dx * dx + dy * dy == best)) {
                    best = dx * dx + dy * dy;
                    expected = i;
                }
            }
            ASSERT_EQ(index.nearest(x, y, xScale, yScale, radius), expected) << "query " << x << ", " << y;
        }
    }
}

TEST(NearestRow, EdgesOfTheIndex)
{
    EXPECT_EQ(NearestRowIndex().nearest(0, 0, 1, 1, 100), std::nullopt);
    const CandidateList none;
    EXPECT_EQ(NearestRowIndex(none, ChartAxis::Area).nearest(0, 0, 1, 1, 100), std::nullopt);
    // Equal points: the first row in the list; a single x and a single Ra still index.
    const CandidateList same = listOf({makeRow(1, 800, 1000), makeRow(1, 800, 1000)});
    const NearestRowIndex index(same, ChartAxis::FirstDimension);
    EXPECT_EQ(index.nearest(800, 1000, 1, 1, 5), 0U);
    EXPECT_EQ(index.nearest(803, 1004, 1, 1, 5), 0U);
    EXPECT_EQ(index.nearest(804, 1004, 1, 1, 5), std::nullopt);
    EXPECT_EQ(index.nearest(std::nan(""), 1000, 1, 1, 5), std::nullopt);
}

TEST(ChartRowText, NamesNumberSectionDimensionsRockAndRa)
{
    CandidateRow frk = makeRow(3, 1200, 23456.789, 800);
    frk.route = StrengthRoute::FrkGiven;
    frk.basis = IntegrityBasis::Class;
    frk.integrityClass = IntegrityClass::FairlyIntact;
    frk.strength = 45;
    CandidateRow kv = makeRow(2, 1000, 999.5, 300);
    kv.route = StrengthRoute::FrkGiven;
    kv.basis = IntegrityBasis::Index;
    kv.index = 0.6;
    kv.strength = 12;
    CandidateRow twoDecimals = makeRow(4, 900, 5000);
    twoDecimals.precision = 0;
    const CandidateList list = listOf({makeRow(1, 800, 1759.292), frk, kv, twoDecimals});
    EXPECT_EQ(chartRowText(list, 0), "ZH-1，圆桩，d=800 mm，qpa=3500 kPa，Ra=1759 kN");
    EXPECT_EQ(chartRowText(list, 1),
              "ZH-2，矩形桩，a=1200 mm, b=800 mm，frk=45.00 MPa 较硬岩 较完整，Ra=23457 kN");
    EXPECT_EQ(chartRowText(list, 2),
              "ZH-3，椭圆桩，d=1000 mm, c=300 mm，frk=12.00 MPa 软岩 完整性指数 0.60，Ra=1000 kN");
    EXPECT_EQ(chartRowText(list, 3), "ZH-4，方桩，a=900 mm，qpa=3500 kPa，Ra=5000.00 kN");
    EXPECT_EQ(chartRowText(list, 4), "");
}

} // namespace
} // namespace saxolith
