// The exact decimal expansion of a double and the texts it rounds to, halves away from zero:
// the reference the number texts are checked against (by the tests and the fuzz targets).
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace saxolith::reference
{

// The exact decimal expansion of a finite double, worked out digit by digit: |x| = 0.digits × 10^exponent.
struct ExactDecimal {
    bool negative = false;
    std::string digits; // no leading zero; empty for zero
    int exponent = 0;
};

inline ExactDecimal exactDecimal(double x)
{
    ExactDecimal out;
    out.negative = std::signbit(x);
    const auto bits = std::bit_cast<std::uint64_t>(std::fabs(x));
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int binaryExponent = -1074;
    if ((bits >> 52) != 0) {
        mantissa |= std::uint64_t{1} << 52;
        binaryExponent = static_cast<int>(bits >> 52) - 1075;
    }
    if (mantissa == 0) {
        return out;
    }
    // Little-endian decimal digits of mantissa · 2^e (e ≥ 0) or mantissa · 5^-e (e < 0).
    std::vector<int> number;
    for (std::uint64_t m = mantissa; m != 0; m /= 10) {
        number.push_back(static_cast<int>(m % 10));
    }
    const int factor = binaryExponent >= 0 ? 2 : 5;
    for (int i = 0; i < std::abs(binaryExponent); ++i) {
        int carry = 0;
        for (int &digit : number) {
            const int value = digit * factor + carry;
            digit = value % 10;
            carry = value / 10;
        }
        if (carry != 0) {
            number.push_back(carry);
        }
    }
    std::reverse(number.begin(), number.end());
    for (const int digit : number) {
        out.digits.push_back(static_cast<char>('0' + digit));
    }
    // mantissa · 5^-e = |x| · 10^-e: the point stands -e digits from the right.
    out.exponent = static_cast<int>(out.digits.size()) + std::min(binaryExponent, 0);
    while (!out.digits.empty() && out.digits.back() == '0') {
        out.digits.pop_back();
    }
    return out;
}

// Rounds at 10^-place, an exact half (next digit 5 and nothing after it) away from zero like any
// digit of 5 or more.
inline ExactDecimal roundAtPlace(ExactDecimal d, int place)
{
    const int keep = d.exponent + place;
    if (d.digits.empty() || keep >= static_cast<int>(d.digits.size())) {
        return d;
    }
    if (keep < 0) {
        d.digits.clear();
        return d;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9'; --i) {
            d.digits[static_cast<std::size_t>(i)] = '0';
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    return d;
}

inline std::string scientificReference(const ExactDecimal &d)
{
    std::string out = d.negative ? "-" : "";
    out += d.digits.substr(0, 1);
    if (d.digits.size() > 1) {
        out += "." + d.digits.substr(1);
    }
    return out + "E" + std::to_string(d.exponent - 1);
}

inline char digitAt(const ExactDecimal &d, int index)
{
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(index)]
                                                                   : '0';
}

inline std::string fixedReference(double x, int precision, int decimals)
{
    const ExactDecimal exact = exactDecimal(x);
    const int place = exact.digits.empty() ? decimals : std::min(decimals, precision - exact.exponent);
    const ExactDecimal r = roundAtPlace(exact, place);
    if (r.digits.empty()) {
        return decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";
    }
    if (r.exponent > precision) {
        return scientificReference(r);
    }
    std::string out = r.negative ? "-" : "";
    if (r.exponent <= 0) {
        out += "0";
    }
    for (int i = 0; i < r.exponent; ++i) {
        out += digitAt(r, i);
    }
    if (decimals > 0) {
        out += ".";
        for (int i = 0; i < decimals; ++i) {
            out += digitAt(r, r.exponent + i);
        }
    }
    return out;
}

inline std::string generalReference(double x)
{
    const ExactDecimal exact = exactDecimal(x);
    if (exact.digits.empty()) {
        return "0";
    }
    const ExactDecimal r = roundAtPlace(exact, 15 - exact.exponent);
    if (r.exponent < -3 || r.exponent > 15) {
        return scientificReference(r);
    }
    std::string out = r.negative ? "-" : "";
    if (r.exponent <= 0) {
        return out + "0." + std::string(static_cast<std::size_t>(-r.exponent), '0') + r.digits;
    }
    for (int i = 0; i < r.exponent; ++i) {
        out += digitAt(r, i);
    }
    if (static_cast<int>(r.digits.size()) > r.exponent) {
        out += "." + r.digits.substr(static_cast<std::size_t>(r.exponent));
    }
    return out;
}

// The cut of the tens (zeros 1) or hundreds (zeros 2): the exact value read to 12 significant digits,
// halves away from zero, then every digit below 10^zeros dropped; as a number text ("-10990", "0").
inline std::string cutReference(double x, int zeros)
{
    const ExactDecimal exact = exactDecimal(x);
    ExactDecimal r = exact.digits.empty() ? exact : roundAtPlace(exact, 12 - exact.exponent);
    const int kept = r.exponent - zeros;
    if (kept <= 0 || r.digits.empty()) {
        return "0";
    }
    std::string out = r.negative ? "-" : "";
    for (int i = 0; i < kept; ++i) {
        out += digitAt(r, i);
    }
    return out + std::string(static_cast<std::size_t>(zeros), '0');
}

} // namespace saxolith::reference
