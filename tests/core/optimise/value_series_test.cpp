#include "core/optimise/value_series.h"

#include "core/text/number_text.h"

#include <gtest/gtest.h>

#include <thread>

namespace saxolith
{
namespace
{

std::vector<double> valuesOf(const ValueSeries &s)
{
    std::vector<double> values;
    double v = s.first;
    for (std::uint64_t i = 0; i < s.count; ++i, v = s.next(v))
        values.push_back(v);
    return values;
}

std::vector<double> seriesOf(OptionRow row, std::string min, std::string max, std::string step)
{
    const OptionReading reading = readOptionRow(row, {min, max, step});
    EXPECT_EQ(reading.failure, SeriesFailure::None) << reading.message;
    return valuesOf(reading.series[0]);
}

struct SeriesCase {
    OptionRow row;
    const char *min;
    const char *max;
    const char *step;
    std::vector<double> values;
};

TEST(ValueSeries, ValuesOfWholeAndDecimalRows)
{
    const std::vector<SeriesCase> cases{
        {OptionRow::Diameter, "1000", "2000", "300", {1000, 1300, 1600, 1900}},
        {OptionRow::Diameter, "1000", "2000", "400", {1000, 1400, 1800, 2000}},
        {OptionRow::Diameter, "1000", "2000", "600", {1000, 1600, 2000}},
        {OptionRow::Diameter, "1500", "1500", "100", {1500}},
        {OptionRow::Diameter, "1500", "1000", "100", {1500}},
        {OptionRow::Diameter, "1000", "2000", "0", {1000, 2000}},
        {OptionRow::Diameter, "1000", "2000", "-5", {1000, 2000}},
        {OptionRow::Diameter, "1000", "2000", "1500", {1000, 2000}},
        {OptionRow::Qpa, "3500", "3501", "0.5", {3500, 3500.5, 3501}},
        {OptionRow::SectionType, "1", "4", "2", {1, 3}},
        {OptionRow::SectionType, "1", "4", "3", {1, 4}},
        {OptionRow::SectionType, "1", "4", "0", {1, 4}},
        {OptionRow::SectionType, "1", "4", "9", {1, 4}},
        {OptionRow::SectionType, "0", "9", "1", {1, 2, 3, 4}},
        {OptionRow::SectionType, "3", "2", "1", {3}},
        {OptionRow::Route, "-7", "5", "1", {1, 2}},
        {OptionRow::IntegrityClass, "2", "2147483647", "-2147483648", {2, 3}},
    };
    for (const SeriesCase &c : cases)
        EXPECT_EQ(seriesOf(c.row, c.min, c.max, c.step), c.values)
            << static_cast<int>(c.row) << ": " << c.min << " " << c.max << " " << c.step;
}

TEST(ValueSeries, IndexStepsWrittenWithTwoDecimals)
{
    const auto texts = [](const std::vector<double> &values) {
        std::vector<std::string> out;
        for (const double v : values)
            out.push_back(formatFixed(v, 10, 2));
        return out;
    };
    EXPECT_EQ(texts(seriesOf(OptionRow::IntegrityIndex, "0.40", "0.80", "0.10")),
              (std::vector<std::string>{"0.40", "0.50", "0.60", "0.70", "0.80"}));
    EXPECT_EQ(texts(seriesOf(OptionRow::IntegrityIndex, "0.35", "1.00", "0.05")),
              (std::vector<std::string>{"0.35", "0.40", "0.45", "0.50", "0.55", "0.60", "0.65", "0.70",
                                        "0.75", "0.80", "0.85", "0.90", "0.95", "1.00"}));
}

TEST(ValueSeries, ChecksInRowOrderWithTheirMessages)
{
    struct CheckCase {
        int row;
        int column; // 0 min, 1 max
        const char *text;
        const char *message;
    };
    const std::vector<CheckCase> cases{
        {1, 0, "-1", "桩径不能为负值"},
        {2, 1, "-0.001", "椭圆直段不能为负值"},
        {3, 0, "-1", "矩形长边不能为负值"},
        {4, 1, "-1", "矩形短边不能为负值"},
        {5, 1, "-1", "方形边长不能为负值"},
        {7, 0, "-1", "桩端岩石承载力特征值不能为负值"},
        {8, 1, "-1", "岩石单轴抗压强度不能为负值"},
        {11, 0, "-0.5", "岩体完整性指数不能为负值"},
        {11, 0, "0.34", "程序不支持完整性指数小于0.35的岩体"},
        {11, 1, "0.3", "程序不支持完整性指数小于0.35的岩体"},
        {11, 1, "1.01", "岩体完整性指数不能大于1"},
    };
    for (const CheckCase &c : cases) {
        OptionTexts texts = startOptionTexts();
        texts[static_cast<std::size_t>(c.row)][static_cast<std::size_t>(c.column)] = c.text;
        const OptionReading reading = readOptions(texts);
        EXPECT_EQ(reading.failure, SeriesFailure::Check) << c.row << " " << c.text;
        EXPECT_EQ(reading.message, c.message) << c.row << " " << c.text;
    }

    // Every row is checked whatever the section types ask for, and the first failing row wins.
    OptionTexts texts = startOptionTexts();
    texts[0] = {"1", "1", "1"};
    texts[5][1] = "-1";
    texts[8][0] = "-1";
    EXPECT_EQ(readOptions(texts).message, "方形边长不能为负值");

    // The upper end 1 itself and the minimum 0.35 pass.
    texts = startOptionTexts();
    texts[11] = {"0.35", "1", "0.05"};
    EXPECT_EQ(readOptions(texts).failure, SeriesFailure::None);
}

TEST(ValueSeries, ConversionErrorsNameTheText)
{
    struct ConversionCase {
        int row;
        int column;
        const char *text;
        const char *message;
    };
    const std::vector<ConversionCase> cases{
        {0, 0, "1.0", "'1.0' is not a valid integer value"},
        {6, 2, "", "'' is not a valid integer value"},
        {10, 1, "3000000000", "'3000000000' is not a valid integer value"},
        {1, 2, "", "'' is not a valid floating point value"},
        {7, 1, "4500kPa", "'4500kPa' is not a valid floating point value"},
        {11, 0, "0,40", "'0,40' is not a valid floating point value"},
        // One sign at most, and blanks only: whole and decimal rows alike.
        {0, 2, "+-3", "'+-3' is not a valid integer value"},
        {6, 0, "1\n", "'1\n' is not a valid integer value"},
        {9, 1, "\t2", "'\t2' is not a valid integer value"},
        {1, 1, "1000\n", "'1000\n' is not a valid floating point value"},
        {7, 0, "+-3500", "'+-3500' is not a valid floating point value"},
    };
    for (const ConversionCase &c : cases) {
        OptionTexts texts = startOptionTexts();
        texts[static_cast<std::size_t>(c.row)][static_cast<std::size_t>(c.column)] = c.text;
        const OptionReading reading = readOptions(texts);
        EXPECT_EQ(reading.failure, SeriesFailure::Conversion) << c.text;
        EXPECT_EQ(reading.message, c.message);
    }
}

TEST(CandidateCount, StartUpOptionsAndSaturation)
{
    EXPECT_EQ(candidateCount(readOptions(startOptionTexts()).series), 456U);

    // Round piles on route 1 only: the other rows' counts do not matter.
    OptionTexts texts = startOptionTexts();
    texts[0] = {"1", "1", "1"};
    texts[6] = {"1", "1", "1"};
    texts[2] = {"0", "1e300", "1e-300"};
    EXPECT_EQ(candidateCount(readOptions(texts).series), 3U * 3U);

    // A tiny step on a row in use gives a count beyond any integer: held at the top.
    texts[1] = {"0", "1e300", "1e-300"};
    const OptionReading huge = readOptions(texts);
    EXPECT_EQ(huge.series[1].count, saturatedCount);
    EXPECT_EQ(candidateCount(huge.series), saturatedCount);
}

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
// A thread whose x87 unit rounds to 53 bits, as Windows starts every new thread, counts the series
// as the first thread does: 1 to 1.5 by 0.2 is 1, 1.2 and 1.4 in extended precision (at 53 bits the
// quotient rounds up to 2.5 and the series takes 1.5 as well).
TEST(ValueSeries, CountedAlikeOnAThreadStartedAtDoublePrecision)
{
    const std::vector<double> expected{1, 1.2, 1.4};
    EXPECT_EQ(seriesOf(OptionRow::Frk, "1", "1.5", "0.2"), expected);
    std::vector<double> onThread;
    unsigned short after = 0;
    std::thread([&] {
        unsigned short control = 0;
        __asm__ __volatile__("fnstcw %0" : "=m"(control));
        const unsigned short doublePrecision = (control & ~0x300) | 0x200;
        __asm__ __volatile__("fldcw %0" : : "m"(doublePrecision));
        onThread = seriesOf(OptionRow::Frk, "1", "1.5", "0.2");
        __asm__ __volatile__("fnstcw %0" : "=m"(after));
    }).join();
    EXPECT_EQ(onThread, expected);
    EXPECT_EQ(after & 0x300, 0x200) << "the thread's own precision is given back";
}
#endif

} // namespace
} // namespace saxolith
