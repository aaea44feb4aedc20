// What the chart's reduction reads of a row, worked out in line in its loops over every row: the Ra
// its cell shows (in whole hundredths where it can), its series, and which slice of a range a value
// falls in.
#pragma once

#include "core/capacity/formulas.h"
#include "core/chart/candidate_chart.h"
#include "core/text/number_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace saxolith::chartReduction
{

inline constexpr std::uint32_t noRow = std::numeric_limits<std::uint32_t>::max();

// The Ra a cell shows, read back from its text: apart from raOf, so that raOf stays small enough
// to be worked out in line.
double raReadBack(double ra, int choice);

inline int choiceOf(const CandidateRow &row)
{
    return std::clamp<int>(row.precision, 0, precisionChoiceCount - 1);
}

// The loops over every row work these out in line ([[gnu::always_inline]]): a call costs as much as
// their work.

// The number a row's Ra cell shows, in whole hundredths, where the value alone tells it: a plain text
// of at most seven digits, nearly every row. The chart's y is then these hundredths over 100, the same
// double as the shown units over their power of ten (both are the double nearest to one number).
// Two, one or no decimals are worked out here from the units the text rounds to (roundedHundredths
// without its integer steps); tens and hundreds through roundedHundredths. False where the text must be
// read: rounded to seven digits, or no number.
[[gnu::always_inline]] inline bool shownHundredths(const CandidateRow &row, std::int32_t &hundredths)
{
    const int choice = choiceOf(row);
    if (choice <= 2) {
        if (!(std::fabs(row.ra) < 1e7))
            return false;
        const int decimals = decimalsByChoice(choice);
        const std::uint64_t units = roundedScaledMagnitude(row.ra, decimals);
        if (units >= 10'000'000)
            return false;
        static constexpr std::array<std::int32_t, 3> hundredthsPerUnit{100, 10, 1}; // by decimals
        const std::int32_t shown =
            static_cast<std::int32_t>(units) * hundredthsPerUnit[static_cast<std::size_t>(decimals)];
        hundredths = std::signbit(row.ra) ? -shown : shown;
        return true;
    }
    const std::optional<std::int64_t> cut = roundedHundredths(row.ra, choice);
    if (!cut)
        return false;
    hundredths = static_cast<std::int32_t>(*cut); // below 10^9 in size
    return true;
}

// chartRa, in line for the loops over every row.
inline double raOf(const CandidateRow &row)
{
    std::int32_t hundredths = 0;
    if (shownHundredths(row, hundredths))
        return hundredths / 100.0;
    return raReadBack(row.ra, choiceOf(row));
}

inline int seriesOf(const CandidateRow &row)
{
    return std::min(static_cast<int>(row.section), chartSeriesCount - 1); // the type is unsigned
}

inline constexpr double squareMillimetresPerSquareMetre = 1e6;

// chartX, in line for the loops over every row.
inline double xOf(const CandidateRow &row, ChartAxis axis)
{
    if (axis == ChartAxis::FirstDimension)
        return row.first;
    // A round pile's row may hold anything as its unused second dimension; a section past the last
    // is taken as the last, as its series is.
    const auto section = static_cast<SectionType>(seriesOf(row));
    const double second = sectionRow(section).hasSecond ? row.second : 0.0;
    return sectionArea(section, row.first, second) / squareMillimetresPerSquareMetre;
}

struct Placed {
    double x;
    double y;
    int series;
    bool drawable;
};

inline Placed place(const CandidateRow &row, ChartAxis axis)
{
    const double x = xOf(row, axis);
    const double y = raOf(row);
    return {x, y, seriesOf(row), std::isfinite(x) && std::isfinite(y)};
}

// Which of `count` equal slices of [low, high] a value falls in; a range of one value is one slice.
inline int sliceOf(double value, double low, double high, int count)
{
    if (!(high > low))
        return 0;
    const double slice = (value - low) / (high - low) * count;
    return std::clamp(static_cast<int>(slice), 0, count - 1);
}

// Both zeros are one x.
inline double oneZero(double x)
{
    return x == 0.0 ? 0.0 : x;
}

// The units a row's Ra cell rounds to, by its precision byte, for the loop over the rows: two, one or
// no decimals, with the hundredths in one unit. The other choices (tens, hundreds) are taken apart: an
// infinite scale leaves no Ra of theirs a plain number of units.
struct ShownUnits {
    double scale; // units a kN: 10^decimals
    std::int32_t hundredths;
};
inline constexpr std::array<ShownUnits, 256> shownUnits = [] {
    std::array<ShownUnits, 256> units{};
    for (std::size_t p = 0; p < units.size(); ++p) {
        const std::size_t choice = std::min<std::size_t>(p, precisionChoiceCount - 1);
        units[p] = choice == 0   ? ShownUnits{100.0, 1}
                   : choice == 1 ? ShownUnits{10.0, 10}
                   : choice == 2 ? ShownUnits{1.0, 100}
                                 : ShownUnits{std::numeric_limits<double>::infinity(), 0};
    }
    return units;
}();

// roundedScaledMagnitude with the power of ten taken from the row's table, for the loop over every
// row: the same steps for a product below 10^15; a larger one, or one that is no number (a NaN or
// infinite Ra, an infinite scale), comes back as 10^15, more units than a plain text shows. One
// comparison in place of a test of the Ra's size.
[[gnu::always_inline]] inline std::uint64_t roundedByScale(double x, double scale)
{
    constexpr double largest = 1e15;
    const double ax = std::fabs(x);
    const double exact = ax * scale;
    // Also largest where `exact` is a NaN; largest itself has no fraction to round.
    return roundedProduct(ax, scale, exact < largest ? exact : largest);
}

} // namespace saxolith::chartReduction
