// The number texts every control, book line and file is written with, and the two readings.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Fixed-point text: at most `precision` significant digits and exactly `decimals` decimals,
// halves of the exact binary value rounded away from zero; scientific ("1.234568E7") when
// more than `precision` digits would stand before the point. Precision is taken within 1..22 and
// decimals within 0..100; infinities and NaN read "INF", "-INF" and "NAN".
std::string formatFixed(double x, int precision, int decimals);

// Shortest text with at most 15 significant digits and no trailing zeros ("1000", "1E20").
std::string formatGeneral(double x);

// The powers of ten a double holds exactly: 10^0 to 10^22.
inline constexpr std::array<double, 23> exactPowersOfTen{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The rounding step of roundedScaledMagnitude: `product`, which is ax·scale as computed (ax ≥ 0, below
// 10^15), rounded to a whole number as the exact ax·scale rounds, halves away from zero.
[[gnu::always_inline]] inline std::uint64_t roundedProduct(double ax, double scale, double product)
{
    // Converted as signed numbers, exact below the bound: an unsigned conversion takes a branch and
    // several instructions each way.
    auto units = static_cast<std::int64_t>(product);
    const double fraction = product - static_cast<double>(units);
    // Added rather than branched on: which side of the half a fraction lies is anyone's guess.
    units += static_cast<std::int64_t>(fraction > 0.5);
    if (fraction == 0.5 && std::fma(ax, scale, -product) >= 0.0) {
        ++units;
    }
    return static_cast<std::uint64_t>(units);
}

// |x|·10^decimals rounded to a whole number as the texts round: the exact binary value, halves away
// from zero. Exact while |x|·10^decimals stays below 10^15 (the caller's bound) and decimals ≤ 15.
// Here in the header, so that loops over millions of rows (the chart, the list's sort and filter)
// round without a call.
[[gnu::always_inline]] inline std::uint64_t roundedScaledMagnitude(double x, int decimals)
{
    // The product's fraction is exact and decides, unless it is a half; then the product's own
    // rounding error tells which side of the half the exact value lies.
    const double ax = std::fabs(x);
    const double scale = exactPowersOfTen[static_cast<std::size_t>(decimals)];
    return roundedProduct(ax, scale, ax * scale);
}

// x cut toward zero to a whole multiple of 10^zeros (zeros 1..2: tens, hundreds), after rounding it to
// 12 significant digits (halves of the exact binary value away from zero): a product that lands a
// hair below a whole step in binary (0.275 × 40000 = 10999.999999999996) is cut as the number it
// stands for, while a value of 12 significant digits or fewer cuts exactly as it reads.
double cutToPowerOfTen(double x, int zeros);

// Room for any text of formatFixed or formatGeneral.
inline constexpr std::size_t numberTextRoom = 128;
// The text of formatFixed(x, precision, decimals) written at `out`, which has numberTextRoom
// characters of room; returns the characters written. A plain number of at most 15 digits is
// written straight from the value.
std::size_t writeFixed(char *out, double x, int precision, int decimals);
// The text of formatGeneral(x) written the same way; a whole number is written straight.
std::size_t writeGeneral(char *out, double x);

// Whether formatFixed(x, precision, ...) reads back as a number: near the largest double, rounding
// to few digits goes beyond it (1.7976931348623157E308 to ten digits is 1.797693135E308).
bool fixedTextReadsBack(double x, int precision);

// The whole text must be a number, blanks (" ", nothing else) around it aside: optional sign, digits with at
// most one point, optional exponent. Empty text, any other character, or a number beyond
// the range of a double gives nothing. The point is always ".".
std::optional<double> strictNumber(std::string_view text);

// The calculate command's reading: empty (or blank) text reads 0. `wellFormed` is false when
// the text is not a number as a whole; the value is then 0 and must not be used.
struct LenientReading {
    double value = 0.0;
    bool wellFormed = true;
};
LenientReading lenientNumber(std::string_view text);

} // namespace saxolith
