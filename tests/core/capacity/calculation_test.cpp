#include "core/capacity/calculation.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>
#include <random>
#include <string>

namespace saxolith
{
namespace
{

using Edit = std::function<void(CalculationInput &)>;

CalculationOutcome calculateWith(const Edit &edit)
{
    CalculationInput input = defaultCalculationInput();
    edit(input);
    return calculate(input);
}

std::optional<Argb> colourOf(const CalculationOutcome &out, InputField field)
{
    return out.fieldColours[static_cast<std::size_t>(field)];
}

Edit rectangle(const char *a, const char *b)
{
    return [=](CalculationInput &in) {
        in.sectionItem = 2;
        in.firstDimension = a;
        in.secondDimension = b;
    };
}

Edit rock(const char *frk, const char *integrity)
{
    return [=](CalculationInput &in) {
        in.frk = frk;
        in.integrity = integrity;
    };
}

Edit byHand(const char *frk, const char *psi)
{
    return [=](CalculationInput &in) {
        in.frk = frk;
        in.psiMode = PsiMode::Manual;
        in.manualPsi = psi;
    };
}

TEST(Calculation, DefaultsGiveTheStartUpResult)
{
    const CalculationOutcome out = calculate(defaultCalculationInput());
    ASSERT_EQ(out.end, CalculationEnd::Completed);
    EXPECT_EQ(out.psiText, "0.2000");
    EXPECT_EQ(out.qpaText, "7000");
    EXPECT_EQ(out.raText, "5498");
    EXPECT_EQ(out.resultColour, colour::green);
    EXPECT_EQ(out.psiEnabled, true);
    EXPECT_TRUE(out.statusShown);
    EXPECT_EQ(out.statusText, "较硬岩,岩体较完整");
    EXPECT_EQ(out.statusColour, colour::black);
    EXPECT_EQ(out.hintFlags, 0);
    EXPECT_FALSE(out.abortNotice);
    EXPECT_FALSE(out.newFirstDimension);
    EXPECT_EQ(colourOf(out, InputField::FirstDimension), colour::black);
    EXPECT_EQ(colourOf(out, InputField::Frk), colour::black);
    EXPECT_EQ(colourOf(out, InputField::Integrity), colour::black);
    EXPECT_EQ(colourOf(out, InputField::Qpa), std::nullopt);
    ASSERT_TRUE(out.record);
    EXPECT_EQ(out.record->section, SectionType::Round);
    EXPECT_EQ(out.record->first, "1000");
    EXPECT_EQ(out.record->hardness, "较硬岩");
    EXPECT_EQ(out.record->integrityClass, "较完整");
    EXPECT_DOUBLE_EQ(out.record->qpa, 7000.0);
    EXPECT_NEAR(out.record->ra, 5497.787, 0.0005);
}

struct FailureCase {
    const char *name;
    Edit edit;
    std::string message;
    std::optional<InputField> field; // turned red
    bool notice;                     // the optimisation screen is told the run stopped
};

TEST(Calculation, EveryInputErrorStopsWithItsMessage)
{
    const auto f = [](const char *d) { return [=](CalculationInput &in) { in.firstDimension = d; }; };
    const auto elliptical = [](const char *c) {
        return [=](CalculationInput &in) {
            in.sectionItem = 1;
            in.secondDimension = c;
        };
    };
    const auto qpa = [](const char *q) {
        return [=](CalculationInput &in) {
            in.route = StrengthRoute::QpaGiven;
            in.qpa = q;
        };
    };
    using enum InputField;
    const std::string diameter(message::diameterError);
    const std::string overflow(message::overflowError);
    const FailureCase cases[] = {
        {"empty diameter", f(""), diameter, FirstDimension, true},
        {"zero diameter", f("0"), diameter, FirstDimension, true},
        {"negative diameter", f("-1000"), diameter, FirstDimension, true},
        {"trailing letters", f("1000abc"), diameter, FirstDimension, true},
        {"thousands separator", f("1,000"), diameter, FirstDimension, true},
        {"second point", f("1.2.3"), diameter, FirstDimension, true},
        {"overflowing number", f("1e999"), diameter, FirstDimension, true},
        {"elliptical without segment", elliptical("0"), std::string(message::segmentError), SecondDimension,
         true},
        {"elliptical segment not a number", elliptical("500mm"), std::string(message::segmentError),
         SecondDimension, true},
        {"round segment not a number", [](CalculationInput &in) { in.secondDimension = "0x"; },
         std::string(message::segmentError), SecondDimension, true},
        {"long side", rectangle("0", "1000"), std::string(message::longSideError), FirstDimension, true},
        {"short side", rectangle("1000", ""), std::string(message::shortSideError), SecondDimension, true},
        {"short side not a number", rectangle("1000", "1 000"), std::string(message::shortSideError),
         SecondDimension, true},
        {"qpa zero", qpa("0"), std::string(message::qpaError), Qpa, true},
        {"qpa empty", qpa(""), std::string(message::qpaError), Qpa, true},
        {"qpa not a number", qpa("3500kPa"), std::string(message::qpaError), Qpa, true},
        {"frk negative", rock("-1", "较完整"), std::string(message::frkError), Frk, true},
        {"frk not a number", rock("35,5", "较完整"), std::string(message::frkError), Frk, true},
        {"index above 1", rock("35", "1.5"), "较硬岩,岩体完整性指数有错", Integrity, true},
        {"index 0 on weak rock", rock("10", "0"), "软岩,岩体完整性指数有错", Integrity, true},
        {"index without hardness", rock("0", "-0.2"), ",岩体完整性指数有错", Integrity, true},
        {"broken rock", rock("35", "0.3"), std::string(message::brokenRockError), Integrity, true},
        {"psi above 1", byHand("35", "1.01"), std::string(message::psiError), ManualPsi, false},
        {"psi below 0", byHand("35", "-0.1"), std::string(message::psiError), ManualPsi, false},
        {"psi not a number", byHand("35", "0.2.5"), std::string(message::psiError), ManualPsi, false},
        // Numbers beyond the range of a double written out in digits, and control characters.
        {"frk written out beyond range",
         [](CalculationInput &in) { in.frk = "1" + std::string(400, '0') + "e-10"; },
         std::string(message::frkError), Frk, true},
        {"psi written out beyond range",
         [](CalculationInput &in) {
             in.psiMode = PsiMode::Manual;
             in.manualPsi = "1" + std::string(400, '0') + "e-10";
         },
         std::string(message::psiError), ManualPsi, false},
        {"diameter with a tab", f("1000\t"), diameter, FirstDimension, true},
        {"frk with a line end", rock("35\n", "较完整"), std::string(message::frkError), Frk, true},
        {"frk with a NUL", [](CalculationInput &in) { in.frk = std::string("35\0", 3); },
         std::string(message::frkError), Frk, true},
        // The largest qpa gives a finite Ra on a tiny pile, but its ten-digit text leaves the range.
        {"qpa text beyond range",
         [](CalculationInput &in) {
             in.firstDimension = "0.001";
             in.route = StrengthRoute::QpaGiven;
             in.qpa = "1.7976931348623157e308";
         },
         overflow, std::nullopt, true},
        // Huge but finite inputs whose results do not fit a double.
        {"Ap overflows", f("1e200"), overflow, std::nullopt, true},
        {"Ra overflows", qpa("1e308"), overflow, std::nullopt, true},
        {"qpa overflows", byHand("1e306", "0.5"), overflow, std::nullopt, true},
        {"Ap is no number",
         [](CalculationInput &in) {
             in.firstDimension = "1e200";
             in.secondDimension = "-1e300";
         },
         overflow, std::nullopt, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const CalculationOutcome out = calculateWith(c.edit);
        EXPECT_EQ(out.end, CalculationEnd::Stopped);
        EXPECT_TRUE(out.statusShown);
        EXPECT_EQ(out.statusText, c.message);
        EXPECT_EQ(out.statusColour, colour::red);
        if (c.field) {
            EXPECT_EQ(colourOf(out, *c.field), colour::red);
        }
        EXPECT_EQ(out.abortNotice, c.notice);
        EXPECT_EQ(out.psiText, "");
        EXPECT_EQ(out.qpaText, "");
        EXPECT_EQ(out.raText, "");
        EXPECT_FALSE(out.record);
        EXPECT_TRUE(out.errorBoxText.empty());
    }
}

TEST(Calculation, FieldsCheckedBeforeAStopKeepTheirColours)
{
    const CalculationOutcome out = calculateWith(rock("35", "0.3"));
    EXPECT_EQ(colourOf(out, InputField::FirstDimension), colour::black);
    EXPECT_EQ(colourOf(out, InputField::Frk), colour::black);
    EXPECT_EQ(colourOf(out, InputField::ManualPsi), std::nullopt);
}

TEST(Calculation, HugeButRepresentableResultsAreShown)
{
    const CalculationOutcome out = calculateWith([](CalculationInput &in) { in.firstDimension = "1e150"; });
    ASSERT_EQ(out.end, CalculationEnd::Completed);
    EXPECT_EQ(out.raText, "5.497787E297");
}

struct HintCase {
    const char *name;
    Edit edit;
    int hintFlags;
    std::string status;
    Argb statusColour;
    Argb resultColour;
    const char *psi;
    const char *qpa;
    const char *ra;
};

TEST(Calculation, HintsAndTheirSummary)
{
    const Argb black = colour::black;
    const Argb magenta = colour::magenta;
    const Argb green = colour::green;
    const HintCase cases[] = {
        {"hard, fairly intact", rock("35", "较完整"), 0, "较硬岩,岩体较完整", black, green, "0.2000", "7000",
         "5498"},
        {"hard, intact", rock("35", "完整"), 0, "较硬岩,岩体完整", black, green, "0.5000", "17500", "13744"},
        {"soft", rock("25", "较完整"), 1, std::string(message::softRockSummary), magenta, magenta, "0.2000",
         "5000", "3927"},
        {"fractured", rock("35", "较破碎"), 2, std::string(message::fracturedSummary), magenta, magenta,
         "0.1000", "3500", "2749"},
        {"soft and fractured", rock("25", "较破碎"), 3, std::string(message::softFracturedSummary), magenta,
         magenta, "0.1000", "2500", "1963"},
        // No hardness class: the information line ",岩体较完整" gives way to the summary.
        {"frk 0", rock("0", "较完整"), 1, std::string(message::softRockSummary), magenta, magenta, "0.2000",
         "0", "0"},
        {"index, intact", rock("61", "0.8"), 0, "坚硬岩,岩体完整", black, green, "0.5000", "30500", "23955"},
        {"index, fairly intact", rock("35", " 0.7 "), 0, "较硬岩,岩体较完整", black, green, "0.4250", "14875",
         "11683"},
        {"index 0.75", rock("35", "0.75"), 0, "较硬岩,岩体较完整", black, green, "0.5000", "17500", "13744"},
        {"index 0.55", rock("35", "0.55"), 2, std::string(message::fracturedSummary), magenta, magenta,
         "0.2000", "7000", "5498"},
        {"index 0.35", rock("35", "0.35"), 2, std::string(message::fracturedSummary), magenta, magenta,
         "0.1000", "3500", "2749"},
        {"by hand 0", byHand("35", "0"), 0, "较硬岩", black, green, "0.0000", "0", "0"},
        {"by hand 0.5", byHand("35", "0.5"), 0, "较硬岩", black, green, "0.5000", "17500", "13744"},
        {"by hand 1", byHand("35", "1"), 4, std::string(message::manualPsiHint), magenta, magenta, "1.0000",
         "35000", "27489"},
        {"by hand 0.6", byHand("35", "0.6"), 4, std::string(message::manualPsiHint), magenta, magenta,
         "0.6000", "21000", "16493"},
        {"by hand, soft", byHand("25", "0.3"), 1, std::string(message::softRockSummary), magenta, magenta,
         "0.3000", "7500", "5890"},
        {"by hand 0.6, soft", byHand("25", "0.6"), 5, std::string(message::manualPsiHint), magenta, magenta,
         "0.6000", "15000", "11781"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const CalculationOutcome out = calculateWith(c.edit);
        ASSERT_EQ(out.end, CalculationEnd::Completed);
        EXPECT_EQ(out.hintFlags, c.hintFlags);
        EXPECT_EQ(out.statusText, c.status);
        EXPECT_EQ(out.statusColour, c.statusColour);
        EXPECT_EQ(out.resultColour, c.resultColour);
        EXPECT_EQ(out.psiText, c.psi);
        EXPECT_EQ(out.qpaText, c.qpa);
        EXPECT_EQ(out.raText, c.ra);
        EXPECT_EQ(out.psiEnabled, true);
        EXPECT_TRUE(out.record);
    }
}

TEST(Calculation, HintsColourTheFieldThatCausedThem)
{
    const CalculationOutcome soft = calculateWith(rock("25", "较破碎"));
    EXPECT_EQ(colourOf(soft, InputField::Frk), colour::magenta);
    EXPECT_EQ(colourOf(soft, InputField::Integrity), colour::magenta);
    EXPECT_EQ(soft.record->integrityClass, "较破碎");

    const CalculationOutcome manual = calculateWith(byHand("35", "0.6"));
    EXPECT_EQ(colourOf(manual, InputField::ManualPsi), colour::magenta);
    EXPECT_EQ(colourOf(manual, InputField::Integrity), std::nullopt);
    EXPECT_EQ(manual.record->integrityClass, "");
    EXPECT_EQ(manual.record->psiMode, PsiMode::Manual);
}

TEST(Calculation, RectangleSidesAreExchangedWhenTheSecondIsNotSmaller)
{
    const std::tuple<const char *, const char *, const char *, const char *, SectionType, const char *>
        cases[] = {
            {"1000", "1500", "1500", "1000", SectionType::Rectangular, "10500"},
            {"1000.0", "1000", "1000", "1000", SectionType::Square, "7000"},
            {" 800", "800.5", "800.5", "800", SectionType::Rectangular, "4483"},
        };
    for (const auto &[a, b, newA, newB, type, ra] : cases) {
        SCOPED_TRACE(std::string(a) + " x " + b);
        const CalculationOutcome out = calculateWith(rectangle(a, b));
        ASSERT_EQ(out.end, CalculationEnd::Completed);
        EXPECT_EQ(out.newFirstDimension, newA);
        EXPECT_EQ(out.newSecondDimension, newB);
        EXPECT_EQ(out.record->section, type);
        EXPECT_EQ(out.record->first, newA);
        EXPECT_EQ(out.record->second, newB);
        EXPECT_EQ(out.raText, ra);
    }
    const CalculationOutcome kept = calculateWith(rectangle("1500", "1000"));
    EXPECT_FALSE(kept.newFirstDimension);
    EXPECT_FALSE(kept.newSecondDimension);
    EXPECT_EQ(kept.record->first, "1500");
}

TEST(Calculation, ExchangedSidesStayWhenALaterCheckStops)
{
    const CalculationOutcome out = calculateWith([](CalculationInput &in) {
        rectangle("1000", "1500")(in);
        in.frk = "-5";
    });
    EXPECT_EQ(out.end, CalculationEnd::Stopped);
    EXPECT_EQ(out.newFirstDimension, "1500");
    EXPECT_EQ(out.newSecondDimension, "1000");
}

TEST(Calculation, PrecisionChoices)
{
    const std::tuple<int, const char *, const char *> cases[] = {
        {0, "7000.00", "5497.79"},
        {1, "7000.0", "5497.8"},
        {2, "7000", "5498"},
        {3, "7000", "5490"},
        {4, "7000", "5400"},
        {5, "", ""},
        {-1, "", ""},
    };
    for (const auto &[precision, qpa, ra] : cases) {
        const CalculationOutcome out =
            calculateWith([p = precision](CalculationInput &in) { in.precision = p; });
        EXPECT_EQ(out.end, CalculationEnd::Completed) << precision;
        EXPECT_EQ(out.psiText, "0.2000") << precision;
        EXPECT_EQ(out.qpaText, qpa) << precision;
        EXPECT_EQ(out.raText, ra) << precision;
    }
}

TEST(Calculation, QpaGivenSkipsTheRock)
{
    const CalculationOutcome out = calculateWith([](CalculationInput &in) {
        in.route = StrengthRoute::QpaGiven;
        in.frk = "-1"; // not read on this route
        in.integrity = "abc";
    });
    ASSERT_EQ(out.end, CalculationEnd::Completed);
    EXPECT_EQ(out.psiText, "-");
    EXPECT_EQ(out.psiEnabled, false);
    EXPECT_EQ(out.qpaText, "3500");
    EXPECT_EQ(out.raText, "2749");
    EXPECT_EQ(out.resultColour, colour::green);
    EXPECT_TRUE(out.statusWritten);
    EXPECT_EQ(out.statusText, "");
    EXPECT_EQ(out.record->route, StrengthRoute::QpaGiven);
    EXPECT_EQ(out.record->hardness, "");
}

TEST(Calculation, IntegrityTextThatIsNoNumberRaisesTheConversionError)
{
    const std::tuple<const char *, const char *, std::string> cases[] = {
        {"35", "abc", ""},
        {"35", "", ""},
        {"25", "破碎", std::string(message::softRockHint)}, // the hint written before stays
    };
    for (const auto &[frk, integrity, status] : cases) {
        SCOPED_TRACE(integrity);
        const CalculationOutcome out = calculateWith(rock(frk, integrity));
        EXPECT_EQ(out.end, CalculationEnd::ConversionFailure);
        EXPECT_EQ(out.errorBoxText, "'" + std::string(integrity) + "' is not a valid floating point value");
        EXPECT_EQ(out.statusText, status);
        EXPECT_FALSE(out.abortNotice);
        EXPECT_EQ(colourOf(out, InputField::Integrity), std::nullopt);
        EXPECT_EQ(out.psiText, "");
        EXPECT_EQ(out.raText, "");
        EXPECT_FALSE(out.record);
    }
}

TEST(Calculation, NoSectionChosenLeavesTheAreaZero)
{
    const CalculationOutcome out = calculateWith([](CalculationInput &in) { in.sectionItem = -1; });
    ASSERT_EQ(out.end, CalculationEnd::Completed);
    EXPECT_EQ(out.qpaText, "7000");
    EXPECT_EQ(out.raText, "0");
}

TEST(Calculation, RecordCarriesTheTextsAndValuesOfTheBook)
{
    const CalculationOutcome out = calculateWith([](CalculationInput &in) {
        in.sectionItem = 1;
        in.secondDimension = "500";
        in.integrity = "0.6";
        in.precision = 0;
    });
    ASSERT_TRUE(out.record);
    const PileRecord &r = *out.record;
    EXPECT_EQ(r.section, SectionType::Elliptical);
    EXPECT_EQ(r.first, "1000");
    EXPECT_EQ(r.second, "500");
    EXPECT_EQ(r.integrityText, "0.6");
    EXPECT_EQ(r.frkText, "35");
    EXPECT_EQ(r.integrityClass, "较完整");
    EXPECT_EQ(r.precision, 0);
    EXPECT_NEAR(r.psi, 0.275, 1e-12);
    EXPECT_NEAR(r.area, 1285398.16, 0.01);
    EXPECT_NEAR(r.perimeter, 4141.59, 0.01);
    EXPECT_DOUBLE_EQ(r.ra, r.qpa * r.area / 1e6);
}

// The numbers-only form decides and computes as the whole command does, whether it reads the
// texts itself or is handed their readings.
TEST(Calculation, FiguresAreThoseOfTheWholeOutcome)
{
    const std::array<const char *, 17> samples{
        "1000", "0",     "35",     "0.5",  "1e308", "1.7976931348623157e308", "较完整", "完整", "较破碎",
        "0.2",  "-1",    "1e-320", "2500", "0.35",  " 0.80 ",                 "1,5",    ""};
    std::mt19937 random(7);
    const auto text = [&] { return std::string(samples[random() % samples.size()]); };
    for (int i = 0; i < 20'000; ++i) {
        CalculationInput in;
        in.sectionItem = static_cast<int>(random() % 5) - 1;
        in.firstDimension = text();
        in.secondDimension = text();
        in.route = random() % 2 == 0 ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
        in.qpa = text();
        in.frk = text();
        in.psiMode = random() % 3 == 0 ? PsiMode::Manual : PsiMode::Automatic;
        in.integrity = text();
        in.manualPsi = text();
        in.precision = static_cast<int>(random() % 5);
        const CalculationOutcome whole = calculate(in);
        const KnownReadings known{lenientNumber(in.firstDimension), lenientNumber(in.secondDimension),
                                  lenientNumber(in.qpa), lenientNumber(in.frk), readIntegrity(in.integrity)};
        for (const CalculationFigures &f : {calculateFigures(in), calculateFigures(in, known)}) {
            ASSERT_EQ(f.end, whole.end) << i;
            ASSERT_EQ(f.exchanged, whole.newFirstDimension.has_value()) << i;
            if (f.exchanged) {
                EXPECT_EQ(formatGeneral(f.first), *whole.newFirstDimension) << i;
                EXPECT_EQ(formatGeneral(f.second), *whole.newSecondDimension) << i;
            }
            if (whole.record) {
                EXPECT_EQ(std::bit_cast<std::uint64_t>(f.psi), std::bit_cast<std::uint64_t>(whole.record->psi)) << i;
                EXPECT_EQ(std::bit_cast<std::uint64_t>(f.qpa), std::bit_cast<std::uint64_t>(whole.record->qpa)) << i;
                EXPECT_EQ(std::bit_cast<std::uint64_t>(f.ra), std::bit_cast<std::uint64_t>(whole.record->ra)) << i;
            }
        }
    }
}

} // namespace
} // namespace saxolith
