// Reading the option rows of the optimisation screen into value series.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/optimise/option_grid.h"

namespace saxolith
{

// The option rows, in grid order.
enum class OptionRow {
    SectionType = 0,
    Diameter = 1,
    Segment = 2,
    LongSide = 3,
    ShortSide = 4,
    SquareSide = 5,
    Route = 6,
    Qpa = 7,
    Frk = 8,
    Basis = 9,
    IntegrityClass = 10,
    IntegrityIndex = 11,
};

// Minimum, maximum and step texts of one option row.
using OptionRowTexts = std::array<std::string, 3>;
using OptionTexts = std::array<OptionRowTexts, optionRowCount>;

// The option texts the grid holds at start-up.
OptionTexts startOptionTexts();

// Counts beyond this are held as this value (a tiny step gives a count beyond any integer).
inline constexpr std::uint64_t saturatedCount = UINT64_MAX;

// What one option row yields: the first value, the step and the cap; values are made one
// after another because each is the previous one plus the step, rounded to double.
struct ValueSeries {
    double first = 0.0;
    double step = 0.0;
    double maximum = 0.0;
    std::uint64_t count = 1; // saturated at saturatedCount
    bool whole = false;

    // The value after `previous`, capped at the maximum.
    double next(double previous) const;
    // Whether the series holds this whole value (for the section type, route and basis rows).
    bool holdsWhole(int value) const;
};

enum class SeriesFailure { None, Conversion, Check };

struct OptionReading {
    SeriesFailure failure = SeriesFailure::None;
    // Check: the red status message; Conversion: the text of the error box.
    std::string message;
    std::array<ValueSeries, optionRowCount> series{};
};

// Reads and checks rows 0..11 in order (minimum, maximum, step), stopping at the first failure.
OptionReading readOptions(const OptionTexts &texts);

// One row alone: whole-number rows are 0, 6, 9 and 10.
OptionReading readOptionRow(OptionRow row, const OptionRowTexts &texts);

// The number of candidates the series give, saturated at saturatedCount.
std::uint64_t candidateCount(const std::array<ValueSeries, optionRowCount> &series);

} // namespace saxolith
