// A pile's profile from its hole, its refusals, and the methods on it against the hand formulas.
#include "core/ground/pile_profile.h"

#include "ground_fixture.h"

#include <gtest/gtest.h>

#include <numbers>

namespace saxolith
{
namespace
{

const Boreholes &site()
{
    static const Boreholes boreholes = readBoreholes(test::boreholesCsv).boreholes;
    return boreholes;
}

TEST(PileProfile, TheLayersBelowATopInsideALayer)
{
    const ProfileOutcome out = pileProfile(site(), "ZK1", 8.5, "④");
    ASSERT_TRUE(out.profile) << out.refusal;
    const PileProfile &p = *out.profile;
    EXPECT_EQ(p.topDepth, 1.5);
    ASSERT_EQ(p.layers.size(), 3u);
    EXPECT_EQ(p.layers[0].number, "①");
    EXPECT_EQ(p.layers[0].length, 1.5); // 3.0 − 1.5: only the part below the top
    EXPECT_EQ(p.layers[1].length, 6.5);
    EXPECT_EQ(p.layers[2].length, 4.5);
    EXPECT_EQ(p.bearing.number, "④");
    EXPECT_EQ(p.bearing.top, 14.0);
    EXPECT_EQ(p.socketRoom(), 16.0);
    // 1.5×9 + 6.5×31 + 4.5×70; 1.5×18 + 6.5×62 + 4.5×140
    EXPECT_DOUBLE_EQ(p.sums.sideAbove, 530.0);
    EXPECT_DOUBLE_EQ(p.sums.ultimateAbove, 1060.0);
    EXPECT_EQ(p.sums.bearingQsia, 100.0);
    // 桩长 = (14.0 − 1.5) + 2.5
    EXPECT_EQ(p.length(2.5), 15.0);

    // A top on a layer's bottom leaves that layer out; a top in the layer above the bearing one keeps its
    // part.
    const ProfileOutcome onBoundary = pileProfile(site(), "ZK1", 7.0, "④");
    ASSERT_TRUE(onBoundary.profile);
    ASSERT_EQ(onBoundary.profile->layers.size(), 2u);
    EXPECT_EQ(onBoundary.profile->layers[0].number, "②");
    const ProfileOutcome deep = pileProfile(site(), "ZK1", -2.0, "④");
    ASSERT_TRUE(deep.profile);
    ASSERT_EQ(deep.profile->layers.size(), 1u);
    EXPECT_EQ(deep.profile->layers[0].length, 2.0);
    EXPECT_EQ(deep.profile->length(1.0), 3.0);
}

TEST(PileProfile, Refusals)
{
    struct Case {
        const char *hole;
        double top;
        const char *bearing;
        const char *says;
    };
    const Case cases[] = {
        {"ZK9", 8.5, "④", "钻孔 ZK9 不在钻孔表中"},
        {"ZK1", 8.5, "⑤", "钻孔 ZK1 中没有持力层 ⑤"},
        {"ZK1", 10.5, "④", "桩顶标高 10.5 m 高于钻孔 ZK1 的孔口标高 10 m"},
        {"ZK1", -4.0, "④", "桩顶标高 -4 m 不在持力层 ④ 的层顶（标高 -4 m）之上"},
        {"ZK2", 12.5, "4-1", "桩顶标高 12.5 m 不在持力层 4-1 的层顶（标高 12.5 m）之上"},
    };
    for (const Case &c : cases) {
        const ProfileOutcome out = pileProfile(site(), c.hole, c.top, c.bearing);
        EXPECT_FALSE(out.profile);
        EXPECT_EQ(out.refusal, c.says);
    }

    const PileProfile last = *pileProfile(site(), "ZK1", 8.5, "④").profile;
    EXPECT_EQ(socketRefusal(last, 16.0), "");
    EXPECT_EQ(socketRefusal(last, 0.0), "");
    EXPECT_EQ(socketRefusal(last, 16.5), "入岩深度 16.5 m 深于钻孔 ZK1：持力层 ④ 顶深 14 m，孔深 30 m");
    EXPECT_EQ(socketRefusal(last, -0.5), "入岩深度 -0.5 m 不能为负");
    const PileProfile notLast = *pileProfile(site(), "ZK1", 8.5, "③").profile;
    EXPECT_EQ(socketRefusal(notLast, 4.6), "入岩深度 4.6 m 超出持力层 ③：该层厚 4.5 m，桩端应在持力层中");
}

// The issue's own example: Qsk = 3.1416 × (1.5×18 + 6.5×62 + 4.5×140) = 3330.09 kN.
TEST(PileProfile, TheMethodsOnAHoleAgainstTheHandFormulas)
{
    const PileProfile p = *pileProfile(site(), "ZK1", 8.5, "④").profile;
    SocketedPile pile{
        SectionType::Round, 1000,          0, CapacityMethod::SocketJgj94, PileProcess::Slurry, 2.5,
        *p.bearing.qpa,     *p.bearing.frk};
    CapacityParts parts = profileCapacity(p, pile);
    EXPECT_NEAR(parts.qsk, 3330.088213, 1e-6);
    EXPECT_NEAR(parts.zeta.zeta, 1.16, 1e-12);
    EXPECT_NEAR(parts.ra, 10775.662802, 1e-6);
    EXPECT_EQ(parts.length, 15.0);

    // 8.5.6-1: π/4 × 3000 + π × (530 + 2.5 × 100)
    pile.method = CapacityMethod::EndAndSide;
    parts = profileCapacity(p, pile);
    EXPECT_NEAR(parts.ra, 2356.194490 + 2450.442270, 1e-6);
}

TEST(PileProfile, TypedLayersSumAsAHolesDo)
{
    GroundLayer rock;
    rock.number = "④";
    rock.bottom = 16.0;
    rock.qsia = 100;
    const PileProfile typed = typedProfile(
        {{"①", "素填土", 1.5, 9, 18}, {"②", "粉质黏土", 6.5, 31, 62}, {"③", "强风化砂岩", 4.5, 70, 140}},
        rock);
    const PileProfile hole = *pileProfile(site(), "ZK1", 8.5, "④").profile;
    EXPECT_DOUBLE_EQ(typed.sums.sideAbove, hole.sums.sideAbove);
    EXPECT_DOUBLE_EQ(typed.sums.ultimateAbove, hole.sums.ultimateAbove);
    EXPECT_EQ(typed.sums.lengthAbove, 12.5);
    EXPECT_EQ(typed.socketRoom(), 16.0);
    EXPECT_EQ(socketRefusal(typed, 16.0), "");
}

} // namespace
} // namespace saxolith
