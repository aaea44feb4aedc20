#include "capacity/number_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace saxolith {

namespace {

// |x| rounded at 10^-decimals: value = 0.digits × 10^exponent; no digits means zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
    [[nodiscard]] bool isZero() const { return digits.empty(); }
};

// Position of the leading digit: |x| in [10^(k-1), 10^k). Off by one only for a double within
// one unit in the last place of a power of ten, which rounds to that power at any precision here.
int leadingPosition(double ax)
{
    int k = static_cast<int>(std::floor(std::log10(ax))) + 1;
    if (ax >= std::pow(10.0, k)) {
        ++k;
    } else if (ax < std::pow(10.0, k - 1)) {
        --k;
    }
    return k;
}

// True when |x|·10^decimals lies exactly halfway between two whole numbers.
bool isExactTie(double ax, int decimals)
{
    int binaryExponent = 0;
    const double fraction = std::frexp(ax, &binaryExponent);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    int exponent = binaryExponent - 53;
    const int zeros = std::countr_zero(mantissa);
    mantissa >>= zeros;
    exponent += zeros;
    if (decimals >= 0) {
        return exponent == -(decimals + 1);
    }
    // Rounding to tens, hundreds, ...: |x| = odd · 5^n · 2^(n-1) with n = -decimals.
    const int n = -decimals;
    if (n > 22 || exponent != n - 1) {
        return false;
    }
    std::uint64_t five = 1;
    for (int i = 0; i < n; ++i) {
        five *= 5;
    }
    return mantissa % five == 0;
}

// Adds one unit in the last place of a digit string; returns true on a carry out ("99" -> "100").
bool incrementDigits(std::string &digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

// Significant digits and exponent of |x| written with `count` significant digits (exact rounding
// of the binary value, ties to even as the standard library does).
void scientificDigits(double ax, int count, std::string &digits, int &exponent)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), ax,
                                      std::chars_format::scientific, count - 1);
    digits.clear();
    const char *p = buffer.data();
    for (; p != result.ptr && *p != 'e'; ++p) {
        if (*p != '.') {
            digits.push_back(*p);
        }
    }
    int power = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), result.ptr, power);
    exponent = power + 1;
}

Decimal roundAt(double x, int decimals)
{
    Decimal out;
    out.negative = std::signbit(x);
    const double ax = std::fabs(x);
    if (ax == 0.0) {
        return out;
    }
    const int k = leadingPosition(ax);
    const int significant = k + decimals;
    if (significant < 0) {
        return out;
    }
    if (significant == 0) {
        // Everything lies below the rounding place: up to one unit when the first digit is 5 or more.
        std::string lead;
        int exponent = 0;
        scientificDigits(ax, 20, lead, exponent);
        if (exponent == k && lead.front() >= '5') {
            out.digits = "1";
            out.exponent = -decimals + 1;
        } else if (exponent == k + 1) {
            out.digits = "1";
            out.exponent = exponent;
        }
        return out;
    }
    if (significant > 760) {
        // Beyond the exact expansion of any double: nothing to round.
        scientificDigits(ax, 17, out.digits, out.exponent);
        return out;
    }
    if (isExactTie(ax, decimals)) {
        // The exact value has one more digit, a 5: drop it and round away from zero.
        scientificDigits(ax, significant + 1, out.digits, out.exponent);
        out.digits.pop_back();
        if (incrementDigits(out.digits)) {
            ++out.exponent;
        }
        return out;
    }
    scientificDigits(ax, significant, out.digits, out.exponent);
    return out;
}

void trimTrailingZeros(std::string &digits)
{
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
}

std::string scientificText(const Decimal &d)
{
    std::string digits = d.digits;
    trimTrailingZeros(digits);
    std::string out = d.negative ? "-" : "";
    out.push_back(digits.front());
    if (digits.size() > 1) {
        out.push_back('.');
        out.append(digits, 1);
    }
    out.push_back('E');
    out += std::to_string(d.exponent - 1);
    return out;
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::string formatFixed(double x, int precision, int decimals)
{
    if (std::isnan(x)) {
        return "NAN";
    }
    if (std::isinf(x)) {
        return x > 0 ? "INF" : "-INF";
    }
    const double ax = std::fabs(x);
    int place = decimals;
    if (ax != 0.0) {
        place = std::min(decimals, precision - leadingPosition(ax));
    }
    Decimal d = roundAt(x, place);
    if (!d.isZero() && d.exponent > precision) {
        return scientificText(d);
    }
    std::string out;
    if (d.negative && !d.isZero()) {
        out.push_back('-');
    }
    // Integer part.
    if (d.isZero() || d.exponent <= 0) {
        out.push_back('0');
    } else {
        for (int i = 0; i < d.exponent; ++i) {
            out.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0');
        }
    }
    if (decimals > 0) {
        out.push_back('.');
        for (int i = 0; i < decimals; ++i) {
            const int index = d.exponent + i; // digit index of the (i+1)-th decimal
            const bool present = !d.isZero() && index >= 0 && index < static_cast<int>(d.digits.size());
            out.push_back(present ? d.digits[static_cast<std::size_t>(index)] : '0');
        }
    }
    return out;
}

std::string formatGeneral(double x)
{
    if (std::isnan(x)) {
        return "NAN";
    }
    if (std::isinf(x)) {
        return x > 0 ? "INF" : "-INF";
    }
    if (x == 0.0) {
        return "0";
    }
    Decimal d = roundAt(x, 15 - leadingPosition(std::fabs(x)));
    if (d.isZero()) {
        return "0";
    }
    trimTrailingZeros(d.digits);
    // Plain from 0.0001 (exponent -3) up to below 10^15 (exponent 15).
    if (d.exponent < -3 || d.exponent > 15) {
        return scientificText(d);
    }
    std::string out = d.negative ? "-" : "";
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        out += d.digits;
        return out;
    }
    for (int i = 0; i < d.exponent; ++i) {
        out.push_back(i < count ? d.digits[static_cast<std::size_t>(i)] : '0');
    }
    if (count > d.exponent) {
        out.push_back('.');
        out.append(d.digits, static_cast<std::size_t>(d.exponent));
    }
    return out;
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
    for (; i < body.size(); ++i) {
        const char c = body[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return std::nullopt;
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
        const auto e = number.find_first_of("eE");
        if (e == std::string_view::npos || number.substr(e + 1).find('-') == std::string_view::npos) {
            return std::nullopt;
        }
        value = 0.0;
    } else if (result.ec != std::errc() || result.ptr != number.data() + number.size() || !std::isfinite(value)) {
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
