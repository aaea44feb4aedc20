#include "core/text/number_text.h"

#include "exact_decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <iomanip>
#include <limits>
#include <locale>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace saxolith
{
namespace
{

using namespace reference;

struct FixedCase {
    double x;
    int precision;
    int decimals;
    const char *text;
};

TEST(FormatFixed, KnownTexts)
{
    const FixedCase cases[] = {
        // Halves of the exact binary value go away from zero; 2.675 is stored just below.
        {0.125, 7, 2, "0.13"},
        {2.675, 7, 2, "2.67"},
        {2.5, 7, 0, "3"},
        {-2.5, 7, 0, "-3"},
        {0.5, 7, 0, "1"},
        {1.5, 7, 0, "2"},
        {0.2, 7, 4, "0.2000"},
        {5497.787, 7, 0, "5498"},
        {5497.787, 7, 2, "5497.79"},
        {7000, 10, 2, "7000.00"},
        {0.0, 7, 2, "0.00"},
        {-0.0, 7, 0, "0"},
        // A negative number that rounds to zero has no sign.
        {-0.004, 7, 2, "0.00"},
        {-0.005, 7, 2, "-0.01"},
        {9.996, 7, 2, "10.00"},
        // Seven significant digits at most: zeros fill the decimals, then the scientific form.
        {123456.789, 7, 2, "123456.80"},
        {123456.78, 7, 2, "123456.80"},
        {1234567.89, 7, 2, "1234568.00"},
        {9999999.4, 7, 2, "9999999.00"},
        {9999999.6, 7, 2, "1E7"},
        {12345678, 7, 0, "1.234568E7"},
        {12345675, 7, 0, "1.234568E7"}, // an exact half at the tens
        {-12345678, 7, 0, "-1.234568E7"},
        {10000000, 7, 0, "1E7"},
        {1e300, 7, 2, "1E300"},
        {0.000123456789, 7, 12, "0.000123456800"},
        {1e-320, 7, 2, "0.00"},
        {std::numeric_limits<double>::max(), 7, 0, "1.797693E308"},
        // Limits outside the usable range are brought into it.
        {1.5, 0, 0, "2"},
        {1.25, 7, -3, "1"},
        {123.0, 99, 1, "123.0"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(formatFixed(c.x, c.precision, c.decimals), c.text)
            << c.x << " with " << c.precision << ", " << c.decimals;
    }
    EXPECT_EQ(formatFixed(0.1, 7, 150), "0.1" + std::string(99, '0'));
}

TEST(ExactDecimalReference, ExpandsTheStoredBinaryValue)
{
    EXPECT_EQ(fixedReference(2.675, 30, 20), "2.67499999999999982236");
    EXPECT_EQ(fixedReference(0.125, 7, 3), "0.125");
    EXPECT_EQ(fixedReference(12345675, 7, 0), "1.234568E7");
}

// Values that stress the rounding: stored decimals near a half, exact binary halves, whole
// numbers with a half at the tens, and a wide spread of magnitudes, each with either sign.
std::vector<double> roundingSamples()
{
    std::mt19937_64 random(20110701);
    std::uniform_int_distribution<std::int64_t> whole(0, 99'999'999);
    std::uniform_int_distribution<int> small(0, 5);
    std::uniform_real_distribution<double> spread(0.0, 20000.0);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> power(-9, 13);
    std::vector<double> values;
    for (int i = 0; i < 6000; ++i) {
        values.push_back(static_cast<double>(whole(random)) / std::pow(10.0, small(random)));
        values.push_back(static_cast<double>(whole(random) | 1) / std::pow(2.0, small(random) + 1));
        values.push_back(static_cast<double>(whole(random) * 10 + 5));
        values.push_back(spread(random));
        values.push_back(mantissa(random) * std::pow(10.0, power(random)));
    }
    for (std::size_t i = 0; i < values.size(); i += 3) {
        values[i] = -values[i];
    }
    return values;
}

TEST(FormatFixed, AgreesWithTheExactExpansionOnRandomValues)
{
    const std::pair<int, int> limits[] = {{7, 0}, {7, 1}, {7, 2}, {7, 4}, {10, 0}, {10, 2}, {15, 3}};
    int failures = 0;
    for (const double x : roundingSamples()) {
        for (const auto &[precision, decimals] : limits) {
            const std::string expected = fixedReference(x, precision, decimals);
            const std::string actual = formatFixed(x, precision, decimals);
            if (actual != expected && ++failures <= 10) {
                ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << " (" << x << ") with "
                              << precision << ", " << decimals << ": " << actual << " instead of "
                              << expected;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// A product a hair below a whole step in binary is cut as the number it stands for; a number of 12
// significant digits or fewer is cut as it reads.
TEST(CutToPowerOfTen, ReadsTwelveDigitsThenCutsTowardZero)
{
    const std::tuple<double, int, double> cases[] = {
        {1000.0 * 0.275 * 40, 1, 11000},     {1000.0 * 0.275 * 40, 2, 11000},
        {1000.0 * 0.425 * 60, 2, 25500},     {1000.0 * 0.275 * 60, 2, 16500},
        {10999.9999, 1, 10990},              {10999.9999, 2, 10900},
        {10999.9999999, 1, 10990},           {10999.99999999, 1, 11000},
        {-(1000.0 * 0.275 * 40), 1, -11000}, {5497.787, 1, 5490},
        {5497.787, 2, 5400},                 {99.9, 2, 0},
        {9.99999999999999, 1, 10},           {1e20, 2, 1e20},
        {12345678901234567.0, 1, 123456789012e5},
    };
    for (const auto &[x, zeros, cut] : cases) {
        EXPECT_EQ(cutToPowerOfTen(x, zeros), cut) << std::setprecision(17) << x << " to " << zeros;
    }
    EXPECT_TRUE(std::signbit(cutToPowerOfTen(-5.0, 1)));
    EXPECT_TRUE(std::isnan(cutToPowerOfTen(std::numeric_limits<double>::quiet_NaN(), 1)));
    EXPECT_EQ(cutToPowerOfTen(-HUGE_VAL, 2), -HUGE_VAL);
}

TEST(CutToPowerOfTen, AgreesWithTheExactReadingOnRandomValues)
{
    // The samples, the stored values beside them, and products of the calculation landing near a step.
    std::vector<double> values = roundingSamples();
    std::mt19937_64 random(26);
    std::uniform_int_distribution<int> steps(1, 2'000'000);
    for (int i = 0; i < 4000; ++i) {
        const double step = steps(random) * 10.0;
        values.push_back(step);
        values.push_back(std::nextafter(step, 0.0));
        values.push_back(step * (1 - 1e-13));
        values.push_back(step * (1 - 1e-11));
        values.push_back(1000.0 * (steps(random) % 1000 / 1000.0) * (steps(random) % 200));
    }
    int failures = 0;
    for (const double x : values) {
        for (const int zeros : {1, 2}) {
            const std::string expected = cutReference(x, zeros);
            const std::string actual = formatFixed(cutToPowerOfTen(x, zeros), 22, 0);
            if (actual != expected && ++failures <= 10) {
                ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << " to " << zeros << ": " << actual
                              << " instead of " << expected;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// The texts written straight into a buffer are the texts of formatFixed and formatGeneral, on the
// stored values around every sample as well (so halves and their neighbours on either side).
TEST(NumberTexts, WrittenTextsAreTheFormattedTexts)
{
    std::vector<double> values = roundingSamples();
    for (const double x : {0.0, -0.0, 0.125, 2.675, -0.005, 9.996, 123456.789, 9999999.6, 1e300, 1e-320,
                           std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), 999999999999999.0, 1e15, -4503599627370497.0})
        values.push_back(x);
    const std::size_t samples = values.size();
    for (std::size_t i = 0; i < samples; ++i) {
        values.push_back(std::nextafter(values[i], HUGE_VAL));
        values.push_back(std::nextafter(values[i], -HUGE_VAL));
    }
    const std::pair<int, int> limits[] = {{7, 0}, {7, 1}, {7, 2}, {7, 4}, {10, 0}, {10, 2},
                                          {15, 0}, {13, 2}, {15, 2}, {10, 8}, {3, 12}, {1, 0}, {22, 3}, {0, -1}};
    int failures = 0;
    std::array<char, numberTextRoom> buffer{};
    for (const double x : values) {
        for (const auto &[precision, decimals] : limits) {
            const std::string_view written(buffer.data(), writeFixed(buffer.data(), x, precision, decimals));
            if (written != formatFixed(x, precision, decimals) && ++failures <= 10) {
                ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << " with " << precision << ", "
                              << decimals << ": " << written;
            }
        }
        const std::string_view general(buffer.data(), writeGeneral(buffer.data(), x));
        if (general != formatGeneral(x) && ++failures <= 10) {
            ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << ": " << general;
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(FormatGeneral, KnownTexts)
{
    const std::pair<double, const char *> cases[] = {
        {1000, "1000"},
        {1500, "1500"},
        {1234.5, "1234.5"},
        {0.1 + 0.2, "0.3"},
        {4000.0 / 3.0, "1333.33333333333"},
        {1e20, "1E20"},
        {1.5e-5, "1.5E-5"},
        {0.0001, "0.0001"},
        {-0.5, "-0.5"},
        {0.0, "0"},
        {-0.0, "0"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"}, // 15 digits round up to the next power
        {123456789012345678.0, "1.23456789012346E17"},
        {2.0 / 3.0, "0.666666666666667"},
    };
    for (const auto &[x, text] : cases) {
        EXPECT_EQ(formatGeneral(x), text) << x;
    }
}

TEST(FormatGeneral, AgreesWithTheExactExpansionOnRandomValues)
{
    int failures = 0;
    std::mt19937_64 random(42);
    std::uniform_int_distribution<std::uint64_t> anyBits(0, 0x7FEF'FFFF'FFFF'FFFF);
    std::vector<double> values = roundingSamples();
    for (int i = 0; i < 300; ++i) {
        values.push_back(std::bit_cast<double>(anyBits(random)) * (i % 2 == 0 ? 1 : -1));
    }
    for (const double x : values) {
        const std::string expected = generalReference(x);
        const std::string actual = formatGeneral(x);
        if (actual != expected && ++failures <= 10) {
            ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << ": " << actual << " instead of "
                          << expected;
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(NumberTexts, NonFiniteValuesHaveAText)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(formatFixed(inf, 7, 2), "INF");
    EXPECT_EQ(formatFixed(-inf, 7, 2), "-INF");
    EXPECT_EQ(formatGeneral(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

TEST(NumberTexts, FixedTextReadsBackOnlyWithinTheRange)
{
    constexpr double largest = std::numeric_limits<double>::max();
    const std::tuple<double, int, bool> cases[] = {
        {largest, 7, true},   {largest, 10, false}, {largest, 15, false},
        {-largest, 1, false}, {1.4e308, 1, true},   {1.5e308, 1, false},
        {1e308, 22, true},    {12.5, 1, true},      {std::numeric_limits<double>::infinity(), 7, false},
    };
    for (const auto &[x, precision, readsBack] : cases) {
        EXPECT_EQ(fixedTextReadsBack(x, precision), readsBack) << x << " at " << precision;
    }
}

struct ReadingCase {
    const char *text;
    std::optional<double> strict;
};

TEST(NumberReading, StrictNumberTakesOnlyAWholeNumber)
{
    const ReadingCase cases[] = {
        {"1000", 1000.0},
        {" 12.5 ", 12.5},
        {"+5", 5.0},
        {"-5", -5.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1E3", 1000.0},
        {"2.5e-1", 0.25},
        {"1e+2", 100.0},
        {"1e-999", 0.0},
        {"-0", 0.0},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"1000abc", std::nullopt},
        {"1,000", std::nullopt},
        {"1,5", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1e999", std::nullopt},
        {"-1e999", std::nullopt},
        {"1 000", std::nullopt},
        {".", std::nullopt},
        {"+", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"1e", std::nullopt},
        {"e5", std::nullopt},
        {"1e+", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"较完整", std::nullopt},
        {"１", std::nullopt}, // a full-width digit
    };
    for (const auto &c : cases) {
        EXPECT_EQ(strictNumber(c.text), c.strict) << '"' << c.text << '"';
    }
}

// Texts of up to 15 digits are read without from_chars: the very doubles it reads, bit for bit,
// wherever the point stands and however many zeros lead.
TEST(NumberReading, StrictNumberReadsShortNumbersAsFromCharsDoes)
{
    std::mt19937_64 random(20261211);
    for (int n = 0; n < 200000; ++n) {
        const int length = 1 + static_cast<int>(random() % 17);
        std::string digits;
        for (int i = 0; i < length; ++i) {
            digits += static_cast<char>('0' + random() % 10);
        }
        const std::size_t point = random() % (digits.size() + 1);
        const std::string text = point == 0 || point == digits.size()
                                     ? digits
                                     : digits.substr(0, point) + "." + digits.substr(point);
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const std::optional<double> read = strictNumber(random() % 2 == 0 ? text : "-" + text);
        ASSERT_TRUE(read.has_value()) << text;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(std::fabs(*read)), std::bit_cast<std::uint64_t>(expected)) << text;
    }
}

// Only the blank is skipped around a number; every other control character makes the text malformed.
TEST(NumberReading, ControlCharactersAreNoBlanks)
{
    const std::string controls[] = {std::string("7\0", 2),
                                    "\t7",
                                    "7\t",
                                    "7\n",
                                    "\r7",
                                    "7\r\n",
                                    "\x1f"
                                    "7",
                                    "7\x7f"};
    for (const std::string &text : controls) {
        EXPECT_EQ(strictNumber(text), std::nullopt) << testing::PrintToString(text);
        EXPECT_FALSE(lenientNumber(text).wellFormed) << testing::PrintToString(text);
        EXPECT_FALSE(
            lenientNumber(text.substr(0, text.find('7')) + text.substr(text.find('7') + 1)).wellFormed)
            << "blank but for control characters: " << testing::PrintToString(text);
    }
    EXPECT_EQ(strictNumber("  7  "), 7.0);
}

// Out of range is decided by the value, however the text writes it: beyond the largest double is no
// number, a non-zero value below the smallest double reads 0.
TEST(NumberReading, OutOfRangeIsDecidedByTheValue)
{
    const std::string zeros(400, '0');
    const struct {
        std::string text;
        std::optional<double> strict;
    } cases[] = {
        {"1" + zeros + "e-10", std::nullopt}, // 1e390
        {"-1" + zeros + "e-10", std::nullopt},
        {"1" + zeros, std::nullopt},
        {"0.000" + zeros + "1e+1000", std::nullopt}, // about 1e596
        {"1e999", std::nullopt},
        {"1e99999999999999999999999", std::nullopt},
        {"0." + zeros + "1", 0.0}, // 1e-401
        {"0." + zeros + "1e5", 0.0},
        {"1" + zeros + "e-800", 0.0}, // 1e-400
        {"1e-401", 0.0},
        {"-1e-99999999999999999999999", 0.0},
        {"1" + zeros + "e-100", 1e300},
        {"0." + zeros + "1e400", 1e-1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(strictNumber(c.text), c.strict) << c.text.size() << " chars: " << c.text;
    }
}

TEST(NumberReading, LenientNumberReadsEmptyTextAsZeroAndFlagsTheRest)
{
    const std::tuple<const char *, double, bool> cases[] = {
        {"", 0.0, true},         {"   ", 0.0, true},    {" 1500 ", 1500.0, true}, {"-3", -3.0, true},
        {"1000abc", 0.0, false}, {"1,000", 0.0, false}, {"1.2.3", 0.0, false},    {"1e999", 0.0, false},
    };
    for (const auto &[text, value, wellFormed] : cases) {
        const LenientReading reading = lenientNumber(text);
        EXPECT_EQ(reading.value, value) << '"' << text << '"';
        EXPECT_EQ(reading.wellFormed, wellFormed) << '"' << text << '"';
    }
}

// A comma for the decimal point in the user's setting changes nothing: "." in, "." out.
struct CommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(NumberTexts, IgnoreTheLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPoint));
    const std::string previousC = std::setlocale(LC_NUMERIC, nullptr);
    // Where the machine has a German setting, the C library's numbers use a comma too.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(formatFixed(1234.5, 7, 2), "1234.50");
    EXPECT_EQ(formatGeneral(1234.5), "1234.5");
    EXPECT_EQ(strictNumber("1234.5"), 1234.5);
    EXPECT_EQ(strictNumber("1234,5"), std::nullopt);
    std::setlocale(LC_NUMERIC, previousC.c_str());
    std::locale::global(previous);
}

} // namespace
} // namespace saxolith
