#include "core/capacity/shaft_check.h"

#include <gtest/gtest.h>

#include <numbers>

namespace saxolith
{
namespace
{

TEST(ShaftCheck, EveryGradeHasItsDesignStrength)
{
    const struct {
        const char *name;
        double fc;
    } cases[] = {{"C25", 11.9}, {"C30", 14.3}, {"C35", 16.7}, {"C40", 19.1},
                 {"C45", 21.1}, {"C50", 23.1}, {"C55", 25.3}, {"c60", 27.5}};
    for (const auto &c : cases) {
        const ConcreteGrade *grade = concreteGradeByName(c.name);
        ASSERT_NE(grade, nullptr) << c.name;
        EXPECT_DOUBLE_EQ(grade->fc, c.fc) << c.name;
    }
    for (const char *refused : {"", "C20", "C65", "C3", "C300", "30"}) {
        EXPECT_EQ(concreteGradeByName(refused), nullptr) << refused;
    }
}

TEST(ShaftCheck, RpInKilonewtonsAndTheVerdict)
{
    const double area = std::numbers::pi * 1000.0 * 1000.0 / 4.0; // d = 1000 mm
    // Rp = 0.7 × 14.3 N/mm² × 785398 mm² = 7861.8 kN; γ·Ra = 1.35 × 5497.79 = 7422 kN.
    const ShaftCheck holds = checkShaft(5497.787, area, 14.3, 0.7, 1.35);
    EXPECT_NEAR(holds.rp, 7861.83, 0.01);
    EXPECT_NEAR(holds.load, 7422.01, 0.01);
    EXPECT_TRUE(holds.satisfied);
    EXPECT_EQ(holds.verdict, "满足");
    EXPECT_DOUBLE_EQ(holds.governing, 5497.787);

    // Hard rock: qpa 30,000 kPa on d = 1200 mm gives Ra 33,929 kN, far above the C30 shaft.
    const double big = std::numbers::pi * 1200.0 * 1200.0 / 4.0;
    const ShaftCheck fails = checkShaft(30000.0 * big / 1e6, big, 14.3, 0.7, 1.35);
    EXPECT_FALSE(fails.satisfied);
    EXPECT_EQ(fails.verdict, "不满足");
    EXPECT_NEAR(fails.shaftLimit, fails.rp / 1.35, 1e-9);
    EXPECT_DOUBLE_EQ(fails.governing, fails.shaftLimit);

    // Exactly at the limit still holds: γ·Ra ≤ Rp.
    const ShaftCheck edge = checkShaft(1000.0, 1000.0 * 1000.0 / (0.5 * 20.0), 20.0, 0.5, 1.0);
    EXPECT_TRUE(edge.satisfied);
}

} // namespace
} // namespace saxolith
