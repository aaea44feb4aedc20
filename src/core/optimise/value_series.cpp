#include "core/optimise/value_series.h"

#include "core/optimise/extended_precision.h"

#include "core/capacity/calculation.h"
#include "core/capacity/formulas.h"
#include "core/text/number_text.h"
#include "core/texts/input.h"
#include "core/texts/optimisation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace saxolith
{

namespace
{

// Largest code a whole-number row may hold; 0 marks a decimal row.
constexpr std::array<int, optionRowCount> wholeLimit{4, 0, 0, 0, 0, 0, 2, 0, 0, 2, 3, 0};

constexpr std::array<std::string_view, optionRowCount> negativeMessage{{
    {},
    message::diameterNegative,
    message::segmentNegative,
    message::longSideNegative,
    message::shortSideNegative,
    message::squareSideNegative,
    {},
    message::qpaNegative,
    message::frkNegative,
    {},
    {},
    message::indexNegative,
}};

// Blanks around the number only; any other control character makes the text malformed, as in the
// decimal rows.
std::optional<std::int32_t> strictInteger(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    // One sign at most: after a '+' the number itself must begin ("+-3" is no number).
    if (text.size() > 1 && text.front() == '+' && text[1] >= '0' && text[1] <= '9')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b)
{
    return a > saturatedCount - b ? saturatedCount : a + b;
}

std::uint64_t saturatingMultiply(std::uint64_t a, std::uint64_t b)
{
    if (a != 0 && b > saturatedCount / a)
        return saturatedCount;
    return a * b;
}

OptionReading conversionFailure(std::string_view pattern, const std::string &text)
{
    OptionReading reading;
    reading.failure = SeriesFailure::Conversion;
    reading.message = conversionErrorText(pattern, text);
    return reading;
}

OptionReading checkFailure(std::string_view text)
{
    OptionReading reading;
    reading.failure = SeriesFailure::Check;
    reading.message = text;
    return reading;
}

OptionReading wholeRow(int limit, const OptionRowTexts &texts)
{
    std::array<std::int64_t, 3> v{};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto value = strictInteger(texts[i]);
        if (!value)
            return conversionFailure(message::notAnInteger, texts[i]);
        v[i] = *value;
    }
    const std::int64_t minimum = std::clamp<std::int64_t>(v[0], 1, limit);
    const std::int64_t maximum = std::clamp<std::int64_t>(v[1], 1, limit);
    std::int64_t step = v[2];

    OptionReading reading;
    ValueSeries &s = reading.series[0];
    s.whole = true;
    s.first = static_cast<double>(minimum);
    s.maximum = static_cast<double>(maximum);
    if (maximum <= minimum)
        return reading;
    const std::int64_t range = maximum - minimum;
    if (step <= 0 || step > range) {
        step = range;
        s.count = 2;
    } else {
        s.count = static_cast<std::uint64_t>(range / step + 1);
    }
    s.step = static_cast<double>(step);
    return reading;
}

OptionReading decimalRow(OptionRow row, const OptionRowTexts &texts)
{
    std::array<double, 3> v{};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto value = strictNumber(texts[i]);
        if (!value)
            return conversionFailure(message::notAFloat, texts[i]);
        v[i] = *value;
    }
    const double minimum = v[0];
    const double maximum = v[1];
    if (minimum < 0 || maximum < 0)
        return checkFailure(negativeMessage[static_cast<std::size_t>(row)]);
    if (row == OptionRow::IntegrityIndex) {
        if (minimum < smallestIntegrityIndex || maximum < smallestIntegrityIndex)
            return checkFailure(message::indexTooSmall);
        if (minimum > 1 || maximum > 1)
            return checkFailure(message::indexTooLarge);
    }

    OptionReading reading;
    ValueSeries &s = reading.series[0];
    s.first = minimum;
    s.maximum = maximum;
    if (!(minimum < maximum))
        return reading;
    // Range, comparisons and quotient in extended precision, as the series have always been counted.
    const ExtendedPrecision extended;
    const long double range = static_cast<long double>(maximum) - static_cast<long double>(minimum);
    const long double step = v[2];
    if (step <= 0 || step > range) {
        s.step = static_cast<double>(range);
        s.count = 2;
        return reading;
    }
    s.step = v[2];
    const long double steps = std::floor(range / step + 0.5L);
    // 2^64 and beyond cannot be held; the limit of the run is far below anyway.
    constexpr long double beyond = 18446744073709551615.0L;
    s.count = steps >= beyond ? saturatedCount : saturatingAdd(static_cast<std::uint64_t>(steps), 1);
    return reading;
}

} // namespace

OptionTexts startOptionTexts()
{
    OptionTexts texts;
    for (int row = 0; row < optionRowCount; ++row)
        for (int column = 1; column <= 3; ++column)
            texts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)] =
                std::string(optionGridStartText(row, column));
    return texts;
}

double ValueSeries::next(double previous) const
{
    const double value = previous + step;
    return value > maximum ? maximum : value;
}

bool ValueSeries::holdsWhole(int value) const
{
    double v = first;
    for (std::uint64_t i = 0; i < count; ++i, v = next(v)) {
        if (v == value)
            return true;
        if (v > value)
            return false;
    }
    return false;
}

OptionReading readOptionRow(OptionRow row, const OptionRowTexts &texts)
{
    const int limit = wholeLimit[static_cast<std::size_t>(row)];
    return limit > 0 ? wholeRow(limit, texts) : decimalRow(row, texts);
}

OptionReading readOptions(const OptionTexts &texts)
{
    OptionReading all;
    for (std::size_t row = 0; row < texts.size(); ++row) {
        OptionReading one = readOptionRow(static_cast<OptionRow>(row), texts[row]);
        if (one.failure != SeriesFailure::None)
            return one;
        all.series[row] = one.series[0];
    }
    return all;
}

std::uint64_t candidateCount(const std::array<ValueSeries, optionRowCount> &series)
{
    const auto n = [&](OptionRow row) { return series[static_cast<std::size_t>(row)].count; };
    const auto holds = [&](OptionRow row, int value) {
        return series[static_cast<std::size_t>(row)].holdsWhole(value);
    };

    std::uint64_t rock = 0;
    if (holds(OptionRow::Route, 1))
        rock = n(OptionRow::Qpa);
    if (holds(OptionRow::Route, 2)) {
        std::uint64_t integrity = 0;
        if (holds(OptionRow::Basis, 1))
            integrity = n(OptionRow::IntegrityClass);
        if (holds(OptionRow::Basis, 2))
            integrity = saturatingAdd(integrity, n(OptionRow::IntegrityIndex));
        rock = saturatingAdd(rock, saturatingMultiply(n(OptionRow::Frk), integrity));
    }

    const std::array<std::uint64_t, 4> dimensions{
        n(OptionRow::Diameter),
        saturatingMultiply(n(OptionRow::Diameter), n(OptionRow::Segment)),
        saturatingMultiply(n(OptionRow::LongSide), n(OptionRow::ShortSide)),
        n(OptionRow::SquareSide),
    };
    std::uint64_t total = 0;
    for (int type = 1; type <= 4; ++type)
        if (holds(OptionRow::SectionType, type))
            total = saturatingAdd(total,
                                  saturatingMultiply(dimensions[static_cast<std::size_t>(type - 1)], rock));
    return total;
}

} // namespace saxolith
