#include "core/capacity/formulas.h"
#include "core/text/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace saxolith
{
namespace
{

struct SectionCase {
    SectionItem item;
    double first;
    double second;
    SectionType type;
    double firstAfter;
    double secondAfter;
    bool exchanged;
    const char *areaM2; // two decimals, as the book shows it
    const char *perimeterM;
};

TEST(SectionGeometry, AreasPerimetersAndTheRectangleExchange)
{
    const SectionCase cases[] = {
        {SectionItem::Round, 1000, 0, SectionType::Round, 1000, 0, false, "0.79", "3.14"},
        {SectionItem::Elliptical, 1000, 500, SectionType::Elliptical, 1000, 500, false, "1.29", "4.14"},
        {SectionItem::Rectangular, 1000, 1200, SectionType::Rectangular, 1200, 1000, true, "1.20", "4.40"},
        {SectionItem::Rectangular, 1200, 1000, SectionType::Rectangular, 1200, 1000, false, "1.20", "4.40"},
        // Equal sides count as "not smaller": exchanged, and a square.
        {SectionItem::Rectangular, 1000, 1000, SectionType::Square, 1000, 1000, true, "1.00", "4.00"},
    };
    for (const auto &c : cases) {
        const SectionGeometry g = sectionGeometry(c.item, c.first, c.second);
        SCOPED_TRACE(std::to_string(c.first) + " x " + std::to_string(c.second));
        EXPECT_EQ(g.type, c.type);
        EXPECT_EQ(g.first, c.firstAfter);
        EXPECT_EQ(g.second, c.secondAfter);
        EXPECT_EQ(g.exchanged, c.exchanged);
        EXPECT_EQ(formatFixed(g.area / 1e6, 7, 2), c.areaM2);
        EXPECT_EQ(formatFixed(g.perimeter / 1e3, 7, 2), c.perimeterM);
    }
    EXPECT_DOUBLE_EQ(sectionGeometry(SectionItem::Round, 1000, 0).area, std::numbers::pi * 250000.0);
}

TEST(SectionGeometry, NamesOfTheFourTypes)
{
    const std::tuple<SectionType, const char *, const char *> names[] = {
        {SectionType::Round, "圆桩", "圆  桩"},
        {SectionType::Elliptical, "椭圆桩", "椭圆桩"},
        {SectionType::Rectangular, "矩形桩", "矩形桩"},
        {SectionType::Square, "方桩", "方  桩"},
    };
    for (const auto &[type, book, table] : names) {
        EXPECT_EQ(sectionBookName(type), book);
        EXPECT_EQ(sectionTableName(type), table);
    }
}

TEST(RockClasses, HardnessBandsAreOpenBelowAndClosedAbove)
{
    const std::tuple<double, const char *, bool> cases[] = {
        {-1, "", false},          {0, "", true},
        {0.01, "极软岩", true},   {5, "极软岩", true},
        {5.01, "软岩", true},     {15, "软岩", true},
        {30, "较软岩", true},     {30.01, "较硬岩", false},
        {60, "较硬岩", false},    {60.01, "坚硬岩", false},
        {1e300, "坚硬岩", false},
    };
    for (const auto &[frk, name, soft] : cases) {
        EXPECT_EQ(hardnessClass(frk), name) << frk;
        EXPECT_EQ(isSoftRock(frk), soft) << frk;
    }
}

TEST(RockClasses, IntegrityClassesByName)
{
    const std::tuple<const char *, IntegrityClass, double> cases[] = {
        {"完整", IntegrityClass::Intact, 0.5},
        {"较完整", IntegrityClass::FairlyIntact, 0.2},
        {"较破碎", IntegrityClass::Fractured, 0.1},
    };
    for (const auto &[name, cls, psi] : cases) {
        EXPECT_EQ(integrityClassByName(name), cls);
        EXPECT_EQ(integrityClassName(cls), name);
        EXPECT_EQ(psiByIntegrityClass(cls), psi);
    }
    EXPECT_EQ(integrityClassByName(" 完整"), std::nullopt);
    EXPECT_EQ(integrityClassByName("破碎"), std::nullopt);
}

TEST(RockClasses, IntegrityIndexBoundsSitBesideTheNodes)
{
    using Kind = IntegrityFinding::Kind;
    struct Case {
        double kv;
        Kind kind;
        IntegrityClass cls;
        const char *psi; // four decimals
    };
    const auto intact = IntegrityClass::Intact;
    const auto fair = IntegrityClass::FairlyIntact;
    const auto fractured = IntegrityClass::Fractured;
    const Case cases[] = {
        {1.0, Kind::Class, intact, "0.5000"},       {0.8, Kind::Class, intact, "0.5000"},
        {0.7500011, Kind::Class, intact, "0.5000"}, {0.750001, Kind::Class, fair, "0.5000"},
        {0.75, Kind::Class, fair, "0.5000"},        {0.7, Kind::Class, fair, "0.4250"},
        {0.6, Kind::Class, fair, "0.2750"},         {0.550001, Kind::Class, fractured, "0.2000"},
        {0.55, Kind::Class, fractured, "0.2000"},   {0.45, Kind::Class, fractured, "0.1500"},
        {0.35, Kind::Class, fractured, "0.1000"},   {0.349999, Kind::Class, fractured, "0.1000"},
    };
    for (const auto &c : cases) {
        const IntegrityFinding f = integrityByIndex(c.kv);
        EXPECT_EQ(f.kind, c.kind) << c.kv;
        EXPECT_EQ(f.cls, c.cls) << c.kv;
        EXPECT_EQ(formatFixed(f.psi, 7, 4), c.psi) << c.kv;
    }
    const std::pair<double, Kind> refused[] = {
        {0.3, Kind::BrokenRock},       {0.3499989, Kind::BrokenRock},
        {1e-9, Kind::BrokenRock},      {0.0, Kind::OutOfRange},
        {-0.2, Kind::OutOfRange},      {1.2, Kind::OutOfRange},
        {1.0000001, Kind::OutOfRange}, {std::numeric_limits<double>::quiet_NaN(), Kind::OutOfRange},
    };
    for (const auto &[kv, kind] : refused) {
        EXPECT_EQ(integrityByIndex(kv).kind, kind) << kv;
    }
}

TEST(Capacity, QpaAndRaOfTheDefaultPile)
{
    const double qpa = qpaFromFrk(0.2, 35);
    EXPECT_DOUBLE_EQ(qpa, 7000.0);
    const double ra = capacityRa(qpa, sectionGeometry(SectionItem::Round, 1000, 0).area);
    EXPECT_NEAR(ra, 5497.787, 0.0005);
}

TEST(DisplayRounding, FivePrecisionChoices)
{
    // "个位取整" rounds; "十位取整" and "百位取整" cut off toward zero.
    const std::tuple<double, int, const char *> cases[] = {
        {5497.787, 0, "5497.79"}, {5497.787, 1, "5497.8"},     {5497.787, 2, "5498"},
        {5497.787, 3, "5490"},    {5497.787, 4, "5400"},       {7000, 0, "7000.00"},
        {7000, 1, "7000.0"},      {7000, 2, "7000"},           {7000, 3, "7000"},
        {7000, 4, "7000"},        {5499.99, 4, "5400"},        {-5497.787, 3, "-5490"},
        {99.9, 4, "0"},           {123456.78, 0, "123456.80"}, {12345678, 2, "1.234568E7"},
        {5497.787, 5, ""},        {5497.787, -1, ""},
    };
    for (const auto &[value, choice, text] : cases) {
        EXPECT_EQ(displayRounded(value, choice), text) << value << " by choice " << choice;
    }
}

} // namespace
} // namespace saxolith
