#include "core/text/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace saxolith
{

namespace
{

// Powers of ten that a double holds exactly; the precision is capped so that 10^precision is one of them.

// "00" to "99", for writing digits two at a time.
constexpr char digitPairs[] = "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243"
                              "4445464748495051525354555657585960616263646566676869707172737475767778798081828384858687"
                              "888990919293949596979899";

// Decimal digits of `n` (1 for 0), without dividing.
int decimalDigits(std::uint64_t n)
{
    static constexpr std::array<std::uint64_t, 20> powers = [] {
        std::array<std::uint64_t, 20> p{};
        std::uint64_t v = 1;
        for (std::uint64_t &e : p) {
            e = v;
            v *= 10;
        }
        return p;
    }();
    n |= 1; // 0 has a digit, as 1 has
    // bit_width·1233/4096 is log10 of the highest power of two in n: the digits less one, or two.
    const int guess = (std::bit_width(n) * 1233) >> 12;
    return guess + 1 - (n < powers[static_cast<std::size_t>(guess)] ? 1 : 0);
}

constexpr int maxPrecision = 22;
constexpr int maxDecimals = 100;
constexpr int generalDigits = 15;

// True when |x|·10^place lies exactly halfway between two whole numbers (place < 0 rounds to tens,
// hundreds, ...). std::to_chars breaks such ties to even; this program breaks them away from zero.
bool isExactTie(double ax, int place)
{
    const auto bits = std::bit_cast<std::uint64_t>(ax);
    const auto biased = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    if (mantissa == 0) {
        return false;
    }
    const int zeros = std::countr_zero(mantissa);
    mantissa >>= zeros;
    exponent += zeros;
    // |x| = odd · 2^exponent.
    if (place >= 0) {
        return exponent == -(place + 1);
    }
    // |x| / 10^n is a half when |x| = odd · 5^n · 2^(n-1); 5^23 already exceeds any mantissa.
    const int n = -place;
    if (n > 22 || exponent != n - 1) {
        return false;
    }
    std::uint64_t five = 1;
    for (int i = 0; i < n; ++i) {
        five *= 5;
    }
    return mantissa % five == 0;
}

// Adds one unit in the last digit of [first, last), stepping over a point; returns true on a carry
// out of the first digit, which the caller writes as a leading '1'.
bool incrementDigits(char *first, char *last)
{
    for (char *p = last; p != first;) {
        --p;
        if (*p == '.') {
            continue;
        }
        if (*p != '9') {
            ++*p;
            return false;
        }
        *p = '0';
    }
    return true;
}

// The significant digits of |x| rounded to `count` of them, halves away from zero;
// |x| ≈ 0.d1d2…dcount × 10^exponent.
struct Significant {
    std::array<char, 32> digits{};
    int count = 0;
    int exponent = 0;
};

// Reads "d.ddde±XX" as written by std::to_chars in scientific form.
void readScientific(const char *first, const char *last, Significant &out)
{
    out.count = 0;
    const char *p = first;
    for (; p != last && *p != 'e'; ++p) {
        if (*p != '.') {
            out.digits[static_cast<std::size_t>(out.count++)] = *p;
        }
    }
    ++p; // 'e'
    if (p != last && *p == '+') {
        ++p;
    }
    int power = 0;
    std::from_chars(p, last, power);
    out.exponent = power + 1;
}

Significant roundSignificant(double ax, int count)
{
    std::array<char, 64> buffer{};
    char *const end = buffer.data() + buffer.size();
    Significant out;
    auto written = std::to_chars(buffer.data(), end, ax, std::chars_format::scientific, count - 1);
    readScientific(buffer.data(), written.ptr, out);
    // A tie that to_chars rounded up carried into a new leading digit and is already away from
    // zero; the place tested here then lies elsewhere and is no tie.
    if (isExactTie(ax, count - out.exponent)) {
        // The exact value has one more digit, a 5: drop it and round up.
        written = std::to_chars(buffer.data(), end, ax, std::chars_format::scientific, count);
        readScientific(buffer.data(), written.ptr, out);
        --out.count;
        if (incrementDigits(out.digits.data(), out.digits.data() + out.count)) {
            out.digits[0] = '1';
            ++out.exponent;
        }
    }
    return out;
}

// Significant digits without trailing zeros, for the scientific and general texts.
int trimmedCount(const Significant &s)
{
    int count = s.count;
    while (count > 1 && s.digits[static_cast<std::size_t>(count - 1)] == '0') {
        --count;
    }
    return count;
}

// "1.234568E7": the point only when more than one digit remains.
std::string scientificText(bool negative, const Significant &s)
{
    const int count = trimmedCount(s);
    std::string out;
    out.reserve(static_cast<std::size_t>(count) + 8);
    if (negative) {
        out.push_back('-');
    }
    out.push_back(s.digits[0]);
    if (count > 1) {
        out.push_back('.');
        out.append(s.digits.data() + 1, static_cast<std::size_t>(count - 1));
    }
    out.push_back('E');
    std::array<char, 8> power{};
    const auto written = std::to_chars(power.data(), power.data() + power.size(), s.exponent - 1);
    out.append(power.data(), written.ptr);
    return out;
}

std::string nonFiniteText(double x)
{
    if (std::isnan(x)) {
        return "NAN";
    }
    return x > 0 ? "INF" : "-INF";
}

// Only the blank itself: a tab, a line end or a NUL typed or pasted into a field would otherwise
// be carried into the book and the saved files.
bool isBlank(char c)
{
    return c == ' ';
}

// Decides an out-of-range reading by the value: the decimal position of the leading non-zero digit
// of "digits[.digits][e±exponent]". Positive means beyond the largest double, otherwise the value
// lies below the smallest one.
bool beyondLargest(std::string_view number)
{
    const std::size_t e = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, e);
    std::int64_t exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        bool negative = false;
        if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
            negative = digits.front() == '-';
            digits.remove_prefix(1);
        }
        // Held far beyond any mantissa length, so an absurd exponent still gives its sign.
        constexpr std::int64_t cap = std::int64_t{1} << 40;
        for (const char c : digits) {
            exponent = std::min(cap, exponent * 10 + (c - '0'));
        }
        exponent = negative ? -exponent : exponent;
    }
    const std::size_t point = mantissa.find('.');
    const std::size_t integerEnd = point == std::string_view::npos ? mantissa.size() : point;
    const std::size_t lead = mantissa.find_first_not_of("0.");
    if (lead == std::string_view::npos) {
        return false;
    }
    const std::int64_t position = lead < integerEnd ? static_cast<std::int64_t>(integerEnd - lead)
                                                    : -static_cast<std::int64_t>(lead - integerEnd - 1);
    return position + exponent > 0;
}

} // namespace

std::string formatFixed(double x, int precision, int decimals)
{
    if (!std::isfinite(x)) {
        return nonFiniteText(x);
    }
    precision = std::clamp(precision, 1, maxPrecision);
    decimals = std::clamp(decimals, 0, maxDecimals);
    const bool negative = std::signbit(x);
    const double ax = std::fabs(x);

    // Usually the decimals are the tighter limit: one exact fixed-point rounding gives the text.
    if (ax < exactPowersOfTen[static_cast<std::size_t>(precision)]) {
        // Sign, a spare place for a carry, up to 22 integer digits, the point and the decimals.
        std::array<char, 2 + maxPrecision + 2 + maxDecimals> buffer{};
        char *const first = buffer.data() + 2;
        char *const end = buffer.data() + buffer.size();
        char *last = nullptr;
        char *start = first;
        if (isExactTie(ax, decimals)) {
            // The exact value ends in a 5 just behind the last decimal: drop it and round up.
            last = std::to_chars(first, end, ax, std::chars_format::fixed, decimals + 1).ptr - 1;
            if (decimals == 0) {
                --last; // the point
            }
            if (incrementDigits(first, last)) {
                *--start = '1';
            }
        } else {
            last = std::to_chars(first, end, ax, std::chars_format::fixed, decimals).ptr;
        }
        int significant = 0;
        bool nonZero = false;
        for (const char *p = start; p != last; ++p) {
            if (*p == '.') {
                continue;
            }
            nonZero = nonZero || *p != '0';
            significant += nonZero ? 1 : 0;
        }
        if (significant <= precision) {
            // No "-" for a number that rounds to zero.
            if (negative && nonZero) {
                *--start = '-';
            }
            return {start, last};
        }
    }

    // The precision is the tighter limit: round to that many significant digits instead.
    const Significant s = roundSignificant(ax, precision);
    if (s.exponent > precision) {
        return scientificText(negative, s);
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max(s.exponent, 1) + decimals) + 2);
    if (negative) {
        out.push_back('-');
    }
    if (s.exponent <= 0) {
        out.push_back('0');
    } else {
        out.append(s.digits.data(), static_cast<std::size_t>(s.exponent));
    }
    if (decimals > 0) {
        out.push_back('.');
        for (int i = 0; i < decimals; ++i) {
            const int index = s.exponent + i; // digit of the (i+1)-th decimal
            out.push_back(index >= 0 && index < s.count ? s.digits[static_cast<std::size_t>(index)] : '0');
        }
    }
    return out;
}

std::string formatGeneral(double x)
{
    if (!std::isfinite(x)) {
        return nonFiniteText(x);
    }
    if (x == 0.0) {
        return "0";
    }
    const bool negative = x < 0.0;
    const double ax = std::fabs(x);
    // The shortest text that reads back as x is the 15-digit rounding whenever it is that short:
    // no other number of 15 digits lies as close.
    std::array<char, 64> buffer{};
    const auto written =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), ax, std::chars_format::scientific);
    Significant s;
    readScientific(buffer.data(), written.ptr, s);
    if (s.count > generalDigits) {
        s = roundSignificant(ax, generalDigits);
    }
    // Plain from 0.0001 up to below 10^15.
    if (s.exponent < -3 || s.exponent > generalDigits) {
        return scientificText(negative, s);
    }
    const int count = trimmedCount(s);
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max(count, s.exponent)) + 8);
    if (negative) {
        out.push_back('-');
    }
    if (s.exponent <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-s.exponent), '0');
        out.append(s.digits.data(), static_cast<std::size_t>(count));
        return out;
    }
    for (int i = 0; i < s.exponent; ++i) {
        out.push_back(i < count ? s.digits[static_cast<std::size_t>(i)] : '0');
    }
    if (count > s.exponent) {
        out.push_back('.');
        out.append(s.digits.data() + s.exponent, static_cast<std::size_t>(count - s.exponent));
    }
    return out;
}

double cutToPowerOfTen(double x, int zeros)
{
    // Digits the value is read to before the cut.
    constexpr int cutDigits = 12;
    zeros = std::clamp(zeros, 0, maxPrecision);
    if (!std::isfinite(x) || x == 0.0) {
        return x;
    }
    const double step = exactPowersOfTen[static_cast<std::size_t>(zeros)];
    const double ax = std::fabs(x);
    // Usually the rounding to 12 digits moves ax by far less than its distance to the next whole step
    // (at most 5·10^-12 of ax), and below 10^13 the step under ax is a 12-digit number it cannot pass.
    const double whole = std::trunc(ax / step);
    if (ax < 1e13 && (whole + 1.0) * step - ax > ax * 1e-10) {
        return std::copysign(whole * step, x);
    }
    // Near a step: the 12-digit reading decides, kept as digits so the cut is exact.
    const Significant s = roundSignificant(ax, cutDigits);
    const int kept = std::min(s.exponent - zeros, s.count); // digits before the cut place
    if (kept <= 0) {
        return std::copysign(0.0, x);
    }
    std::array<char, 48> text{};
    std::memcpy(text.data(), s.digits.data(), static_cast<std::size_t>(kept));
    char *at = text.data() + kept;
    *at++ = 'e';
    at = std::to_chars(at, text.data() + text.size(), s.exponent - kept).ptr;
    double cut = 0.0;
    std::from_chars(text.data(), at, cut);
    return std::copysign(cut, x);
}

std::size_t writeFixed(char *out, double x, int precision, int decimals)
{
    // |x|·10^decimals stays below 10^15, where doubles hold every whole number and the
    // product's fraction is exact; within `precision` digits no digit is rounded away.
    constexpr int plainDigits = 15;
    if (std::isfinite(x) && precision >= 1 && decimals >= 0 && decimals <= plainDigits) {
        const double ax = std::fabs(x);
        const double digitsBound = exactPowersOfTen[static_cast<std::size_t>(std::min(precision, plainDigits))];
        if (ax < exactPowersOfTen[static_cast<std::size_t>(plainDigits - decimals)] && ax < digitsBound) {
            std::uint64_t units = roundedScaledMagnitude(x, decimals);
            if (static_cast<double>(units) < digitsBound) {
                // Written from the last digit back, two at a time, the point among them.
                const bool negative = std::signbit(x) && units != 0;
                const auto digits = std::max(decimalDigits(units), decimals + 1);
                const std::size_t length =
                    (negative ? 1 : 0) + static_cast<std::size_t>(digits) + (decimals > 0 ? 1 : 0);
                char *at = out + length;
                int fraction = decimals;
                for (; fraction >= 2; fraction -= 2) {
                    at -= 2;
                    std::memcpy(at, digitPairs + 2 * (units % 100), 2);
                    units /= 100;
                }
                if (fraction == 1) {
                    *--at = static_cast<char>('0' + units % 10);
                    units /= 10;
                }
                if (decimals > 0) {
                    *--at = '.';
                }
                for (; units >= 100; units /= 100) {
                    at -= 2;
                    std::memcpy(at, digitPairs + 2 * (units % 100), 2);
                }
                if (units >= 10) {
                    at -= 2;
                    std::memcpy(at, digitPairs + 2 * units, 2);
                } else {
                    *--at = static_cast<char>('0' + units);
                }
                if (negative) {
                    *--at = '-';
                }
                return length;
            }
        }
    }
    const std::string text = formatFixed(x, precision, decimals);
    std::memcpy(out, text.data(), text.size());
    return text.size();
}

std::size_t writeGeneral(char *out, double x)
{
    if (std::fabs(x) < 1e15) {
        const auto whole = static_cast<std::int64_t>(x);
        if (static_cast<double>(whole) == x) {
            return static_cast<std::size_t>(std::to_chars(out, out + numberTextRoom, whole).ptr - out);
        }
    }
    const std::string text = formatGeneral(x);
    std::memcpy(out, text.data(), text.size());
    return text.size();
}

bool fixedTextReadsBack(double x, int precision)
{
    // Below 1E308 no rounding reaches beyond the largest double.
    return std::fabs(x) < 1e308 || strictNumber(formatFixed(x, precision, 0)).has_value();
}

std::optional<double> strictNumber(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    const std::string_view body = text.substr(begin, end - begin);
    std::size_t i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) {
        negative = body[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    int digits = 0;
    bool point = false;
    std::uint64_t whole = 0; // the digits as one whole number, while there are few enough
    int decimals = 0;
    for (; i < body.size(); ++i) {
        const char c = body[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            whole = whole * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    // Most cells: up to 15 digits, a digit on each side of a point, no exponent. The whole number and
    // the power of ten are both exact doubles, so their quotient is the correctly rounded value, the
    // very double from_chars reads.
    if (i == body.size() && digits <= 15 && body[mantissaStart] != '.' && body.back() != '.') {
        const double value = static_cast<double>(whole) / exactPowersOfTen[static_cast<std::size_t>(decimals)];
        return negative ? -value : value;
    }
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < body.size() && (body[j] == '+' || body[j] == '-')) {
            ++j;
        }
        const std::size_t exponentDigits = j;
        while (j < body.size() && body[j] >= '0' && body[j] <= '9') {
            ++j;
        }
        if (j == exponentDigits) {
            return std::nullopt;
        }
        i = j;
    }
    if (i != body.size()) {
        return std::nullopt;
    }
    // from_chars takes no leading '+'; the sign is applied afterwards.
    std::string_view number = body.substr(mantissaStart);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is no number.
        if (beyondLargest(number)) {
            return std::nullopt;
        }
        value = 0.0;
    } else if (result.ec != std::errc() || result.ptr != number.data() + number.size() ||
               !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

LenientReading lenientNumber(std::string_view text)
{
    bool blank = true;
    for (const char c : text) {
        if (!isBlank(c)) {
            blank = false;
            break;
        }
    }
    if (blank) {
        return {};
    }
    const auto value = strictNumber(text);
    if (!value) {
        return {0.0, false};
    }
    return {*value, true};
}

} // namespace saxolith
