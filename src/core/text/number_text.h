// The number texts every control, book line and file is written with, and the two readings.
#pragma once

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

// |x|·10^decimals rounded to a whole number as the texts round: the exact binary value, halves away
// from zero. Exact while |x|·10^decimals stays below 10^15 (the caller's bound) and decimals ≤ 15.
std::uint64_t roundedScaledMagnitude(double x, int decimals);

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
