// The design of one pile against an exhaustive search of the same sizes and steps, a worked design, the
// refusals of loads and of piles no size carries.
#include "core/design/pile_design.h"

#include "core/capacity/formulas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace saxolith
{
namespace
{

// ZK1: the rock ④ from 14.0 m to 30.0 m (frk 20 MPa, qpa 3000 kPa, qsia 100 kPa). ZK3: a rock ② only
// 1.5 m thick over a softer one ③ (frk 8 MPa), so that a socket runs out of room.
const std::string holesCsv =
    "钻孔,孔口标高(m),层号,岩土名称,层底深度(m),qsia(kPa),qsik(kPa),qpa(kPa),frk(MPa),完整程度\n"
    "ZK1,10.00,①,素填土,3.0,9,18,,,\n"
    "ZK1,,②,粉质黏土,9.5,31,62,,,\n"
    "ZK1,,③,强风化砂岩,14.0,70,140,-,,\n"
    "ZK1,,④,中风化砂岩,30.0,100,,3000,20,较完整\n"
    "ZK3,5.0,①,粉质黏土,6.0,30,60,,,\n"
    "ZK3,,②,中风化砂岩,7.5,120,,4000,10,较完整\n"
    "ZK3,,③,强风化泥岩,20.0,60,120,800,8,\n";

const Boreholes &site()
{
    static const Boreholes boreholes = readBoreholes(holesCsv).boreholes;
    return boreholes;
}

PileProfile profileOf(const char *hole, double top, const char *bearing)
{
    const ProfileOutcome out = pileProfile(site(), hole, top, bearing);
    EXPECT_TRUE(out.profile) << out.refusal;
    return *out.profile;
}

SocketedPile pileOn(const PileProfile &profile, CapacityMethod method,
                    SectionType section = SectionType::Round, double first = 0.0, double second = 0.0)
{
    SocketedPile pile;
    pile.section = section;
    pile.first = first;
    pile.second = second;
    pile.method = method;
    EXPECT_EQ(takeBearingStrength(profile, pile), "");
    return pile;
}

struct Found {
    bool carried = false;
    double first = 0.0;
    double socket = 0.0;
    double volume = 0.0;
    DesignGoverns governs = DesignGoverns::Ground;
};

// Every size and every socket on a whole step from the least to the bearing layer's bottom.
Found exhaustive(const PileProfile &profile, const SocketedPile &pile, const PileLoads &loads,
                 const DesignSettings &settings)
{
    Found best;
    double leastGroundOnly = INFINITY;
    for (const DesignSize &size : designSizes(pile, settings)) {
        SocketedPile p = pile;
        p.first = size.first;
        p.second = size.second;
        const double d = socketDiameter(p.section, p.first, p.second);
        const double least = settings.minSocket ? *settings.minSocket : std::max(0.5, 0.4 * d / 1000.0);
        const double origin = settings.minSocket ? *settings.minSocket : 0.0;
        for (long j = 0;; ++j) {
            p.socket = origin + static_cast<double>(j) * settings.socketStep;
            if (p.socket > profile.socketRoom() + 1e-9) {
                break;
            }
            if (p.socket < least - 1e-9) {
                continue;
            }
            const CapacityParts parts = profileCapacity(profile, p);
            const double volume = parts.area * parts.length;
            const bool ground = loads.nk <= parts.ra && (!loads.nkmax || *loads.nkmax <= 1.2 * parts.ra);
            const bool shaft =
                loads.n <= settings.psiC * settings.fc * sectionArea(p.section, p.first, p.second) / 1000.0;
            if (ground && !shaft) {
                leastGroundOnly = std::min(leastGroundOnly, volume);
            }
            if (ground && shaft && (!best.carried || volume < best.volume)) {
                best = {true, p.first, p.socket, volume, DesignGoverns::Ground};
            }
        }
    }
    if (best.carried && leastGroundOnly < best.volume) {
        best.governs = DesignGoverns::Shaft;
    }
    return best;
}

void expectAsExhaustive(const PileProfile &profile, const SocketedPile &pile, const PileLoads &loads,
                        const DesignSettings &settings, const std::string &what)
{
    const DesignOutcome got = designPile(profile, pile, loads, settings);
    const Found want = exhaustive(profile, pile, loads, settings);
    ASSERT_EQ(got.pile.has_value(), want.carried) << what << ": " << got.refusal;
    if (!want.carried) {
        EXPECT_NE(got.refusal, "") << what;
        return;
    }
    EXPECT_EQ(got.pile->pile.first, want.first) << what;
    EXPECT_EQ(got.pile->pile.socket, want.socket) << what;
    EXPECT_EQ(got.pile->volume, want.volume) << what;
    EXPECT_EQ(got.pile->governs, want.governs) << what;
    // What the design reports is the plain calculation of the pile it chose.
    const CapacityParts plain = profileCapacity(profile, got.pile->pile);
    EXPECT_EQ(got.pile->parts.ra, plain.ra) << what;
    EXPECT_LE(loads.nk, plain.ra) << what;
}

TEST(PileDesign, AsAnExhaustiveSearchOfTheSameSizesAndSteps)
{
    struct Case {
        const char *what;
        const char *hole;
        double top;
        const char *bearing;
        CapacityMethod method;
        SectionType section;
        double first, second;
        PileLoads loads;
        std::optional<double> minSocket;
        double step;
        std::optional<DesignGoverns> governs; // none: no size carries
    };
    using enum CapacityMethod;
    using enum SectionType;
    using enum DesignGoverns;
    const Case cases[] = {
        // The soft rock ③ sets d = 1000, hr = 3.8 m; Nkmax = 7500 needs Ra ≥ 6250: d = 1100, hr = 4.8 m.
        {"rock governs", "ZK3", 4.0, "③", SocketJgj94, Round, 0, 0, {5000, 6750, {}}, {}, 0.1, Ground},
        {"eccentric governs",
         "ZK3",
         4.0,
         "③",
         SocketJgj94,
         Round,
         0,
         0,
         {5000, 6750, 7500.0},
         {},
         0.1,
         Ground},
        {"shaft governs", "ZK1", 8.5, "④", SocketJgj94, Round, 0, 0, {3000, 30000, {}}, {}, 0.1, Shaft},
        {"no size carries", "ZK1", 8.5, "④", SocketJgj94, Round, 0, 0, {500000, 675000, {}}, {}, 0.1, {}},
        // d = 900 would need hr ≈ 1.58 m in a layer of 1.5 m: d = 1000, hr = 0.9 m.
        {"capped by the hole", "ZK3", 4.0, "②", SocketJgj94, Round, 0, 0, {4000, 4000, {}}, {}, 0.1, Ground},
        {"end only: the least socket",
         "ZK1",
         8.5,
         "④",
         EndOnly,
         Round,
         0,
         0,
         {4000, 5400, {}},
         {},
         0.1,
         Ground},
        {"end and side", "ZK3", 4.0, "③", EndAndSide, Round, 0, 0, {3000, 4050, {}}, {}, 0.1, Ground},
        {"a minimum and a step given",
         "ZK3",
         4.0,
         "③",
         SocketJgj94,
         Round,
         0,
         0,
         {5000, 6750, {}},
         0.3,
         0.25,
         Ground},
        {"elliptical keeps its c",
         "ZK3",
         4.0,
         "③",
         SocketJgj94,
         Elliptical,
         0,
         600,
         {5000, 6750, {}},
         {},
         0.1,
         Ground},
        {"a rectangle keeps its sides",
         "ZK3",
         4.0,
         "③",
         SocketJgj94,
         Rectangular,
         1600,
         1200,
         {9000, 12150, {}},
         {},
         0.1,
         Ground},
        {"a square beyond its room",
         "ZK3",
         4.0,
         "②",
         EndAndSide,
         Square,
         1000,
         1000,
         {9000, 12150, {}},
         {},
         0.1,
         {}},
        {"no load", "ZK1", 8.5, "④", SocketJgj94, Round, 0, 0, {0, 0, {}}, {}, 0.1, Ground},
    };
    for (const Case &c : cases) {
        const PileProfile profile = profileOf(c.hole, c.top, c.bearing);
        DesignSettings settings;
        settings.minSocket = c.minSocket;
        settings.socketStep = c.step;
        expectAsExhaustive(profile, pileOn(profile, c.method, c.section, c.first, c.second), c.loads,
                           settings, c.what);
    }

    // Loads from nothing to past the largest pile, each method and hole, a ψc and grade of their own.
    DesignSettings settings;
    settings.sizes = {1000, 800, 1200, 1500, 2000, 1200, 2500};
    settings.fc = 16.7;
    settings.psiC = 0.6;
    for (const auto &[hole, top, bearing] :
         {std::tuple{"ZK1", 8.5, "④"}, {"ZK3", 4.0, "②"}, {"ZK3", 4.0, "③"}}) {
        const PileProfile profile = profileOf(hole, top, bearing);
        for (const CapacityMethod method : {EndOnly, EndAndSide, SocketJgj94}) {
            const SocketedPile pile = pileOn(profile, method);
            for (double nk = 0.0; nk <= 60000.0; nk += 1375.0) {
                expectAsExhaustive(profile, pile, {nk, 1.35 * nk, std::nullopt}, settings,
                                   std::string(hole) + " " + std::string(methodName(method)) + " Nk " +
                                       std::to_string(nk));
                expectAsExhaustive(profile, pile, {nk, 1.35 * nk, 1.5 * nk}, settings, "with Nkmax");
            }
        }
    }
}

TEST(PileDesign, AWorkedDesign)
{
    // ZK1 topped at 8.50: 12.5 m to the rock; u·Σqsik·li = π·d·1060 kN. d = 1200: Qsk = 3996.1 kN.
    // At hr = 1.6 m (hr/d = 1.333, soft row 0.95 + 0.23/3 = 1.0267, hard 0.81 + 0.03 = 0.84, weight 1/3:
    // ζr = 0.9644), Qrk = 0.9644 × 20000 × 1.1310 = 21815 kN, Ra = (3996.1 + 21815)/2 = 12905.6 kN; at
    // 1.5 m (hr/d = 1.25: soft 1.0075, hard 0.8325) ζr = 0.9492, Ra = 12732.9 kN < 12800. Shaft:
    // 0.7 × 14.3 × 1130973 mm² = 11321.0 kN ≥ N = 11000.
    const PileProfile profile = profileOf("ZK1", 8.5, "④");
    DesignSettings settings;
    settings.sizes = {1200};
    const DesignOutcome out =
        designPile(profile, pileOn(profile, CapacityMethod::SocketJgj94), {12800, 11000, {}}, settings);
    ASSERT_TRUE(out.pile) << out.refusal;
    EXPECT_EQ(out.pile->pile.first, 1200);
    EXPECT_NEAR(out.pile->pile.socket, 1.6, 1e-12);
    EXPECT_NEAR(out.pile->parts.ra, 12905.6, 0.1);
    EXPECT_NEAR(out.pile->parts.length, 14.1, 1e-12);
    EXPECT_NEAR(out.pile->toe(profile), 8.5 - 14.1, 1e-12);
    EXPECT_NEAR(out.pile->rp, 11321.04, 0.01);
    EXPECT_EQ(governsName(out.pile->governs), "岩土");
}

TEST(PileDesign, SocketSteps)
{
    const PileProfile zk1 = profileOf("ZK1", 8.5, "④"); // 16 m of rock
    const PileProfile zk3 = profileOf("ZK3", 4.0, "②"); // 1.5 m of rock
    DesignSettings settings;
    // max(0.5, 0.4·d) up to a whole step: 0.5 for d = 1200, 0.52 → 0.6 for 1300, 0.8 for 2000.
    EXPECT_NEAR(socketSteps(zk1, 1200, settings).at(0), 0.5, 1e-12);
    EXPECT_NEAR(socketSteps(zk1, 1300, settings).at(0), 0.6, 1e-12);
    EXPECT_NEAR(socketSteps(zk1, 2000, settings).at(0), 0.8, 1e-12);
    const SocketSteps tenths = socketSteps(zk3, 2000, settings);
    EXPECT_EQ(tenths.count, 8); // 0.8 … 1.5: the layer's very bottom is a step
    EXPECT_NEAR(tenths.at(tenths.count - 1), 1.5, 1e-12);
    EXPECT_EQ(socketSteps(zk3, 4000, settings).count, 0); // 1.6 m is past the layer
    settings.minSocket = 0.3;
    settings.socketStep = 0.25;
    const SocketSteps given = socketSteps(zk3, 2000, settings);
    EXPECT_EQ(given.at(0), 0.3);
    EXPECT_EQ(given.count, 5); // 0.3, 0.55, 0.8, 1.05, 1.3
}

TEST(PileDesign, NoSizeCarriesSaysWhyAndTheMostReached)
{
    const PileProfile zk1 = profileOf("ZK1", 8.5, "④");
    DesignSettings settings;
    settings.sizes = {800, 1000};
    const SocketedPile pile = pileOn(zk1, CapacityMethod::EndOnly);
    // d = 1000: Ra = 3000 × 0.7854 = 2356.19 kN, Rp = 0.7 × 14.3 × 785398 = 7861.84 kN, Rp/γ = 5823.582 kN.
    const DesignOutcome ground = designPile(zk1, pile, {3000, 4050, {}}, settings);
    EXPECT_FALSE(ground.pile);
    EXPECT_EQ(ground.refusal, "无桩能承受此荷载：Nk = 3000 kN 大于可达的最大 Ra = 2356.19 kN"
                              "（所给桩径与入岩深度中最大 Ra = 2356.19 kN，最大 Rp/γ = 5823.58 kN）");
    EXPECT_NEAR(ground.mostRa, 2356.19, 0.005);
    EXPECT_NEAR(ground.mostShaftLimit, 5823.582, 0.001);

    const DesignOutcome both = designPile(zk1, pile, {2000, 9000, 2900.0}, settings);
    EXPECT_EQ(both.refusal, "无桩能承受此荷载：Nkmax = 2900 kN 大于 1.2 × 最大 Ra = 2356.19 kN；"
                            "N = 9000 kN 大于可达的最大 Rp = 7861.84 kN"
                            "（所给桩径与入岩深度中最大 Ra = 2356.19 kN，最大 Rp/γ = 5823.58 kN）");

    const PileProfile zk3 = profileOf("ZK3", 4.0, "②");
    settings.minSocket = 2.0;
    const DesignOutcome room =
        designPile(zk3, pileOn(zk3, CapacityMethod::EndOnly), {10, 13.5, {}}, settings);
    EXPECT_EQ(room.refusal, "无桩能承受此荷载：持力层 ② 厚 1.5 m，容不下最小入岩深度 2 m");
}

TEST(PileDesign, SizesFromText)
{
    std::string refusal;
    EXPECT_EQ(readDesignSizes("800-3000/100", refusal), defaultDesignSizes());
    EXPECT_EQ(readDesignSizes("1200, 800,1000-1400/200,1000", refusal),
              (std::vector<double>{800, 1000, 1200, 1400}));
    EXPECT_EQ(readDesignSizes("800-1000", refusal), (std::vector<double>{800, 900, 1000}));
    // A step that does not reach the end stops short of it.
    EXPECT_EQ(readDesignSizes("800-1000/150", refusal), (std::vector<double>{800, 950}));
    for (const auto &[text, says] : {
             std::pair{"", "桩径“”应为大于 0 的数（mm）"},
             {"800,,900", "桩径“”应为大于 0 的数（mm）"},
             {"800,abc", "桩径“abc”应为大于 0 的数（mm）"},
             {"0", "桩径“0”应为大于 0 的数（mm）"},
             {"-800", "桩径“-800”应为大于 0 的数（mm）"},
             {"800-3000/0", "桩径“0”应为大于 0 的数（mm）"},
             {"3000-800", "桩径范围“3000-800”的终值小于起值"},
             {"1-100000/1", "桩径“1-100000/1”超过 10000 种"},
         }) {
        EXPECT_FALSE(readDesignSizes(text, refusal)) << text;
        EXPECT_EQ(refusal, says);
    }
}

TEST(PileDesign, Loads)
{
    const LoadsReading all = readLoads("5000", "7000", "6200.5", 1.35);
    ASSERT_TRUE(all.loads) << all.refusal;
    EXPECT_EQ(all.loads->nk, 5000);
    EXPECT_EQ(all.loads->n, 7000);
    EXPECT_EQ(all.loads->nkmax, 6200.5);
    const LoadsReading bare = readLoads("5000", "", " ", 1.3);
    ASSERT_TRUE(bare.loads);
    EXPECT_EQ(bare.loads->n, 1.3 * 5000); // γ·Nk
    EXPECT_FALSE(bare.loads->nkmax);

    struct Refused {
        const char *nk, *n, *nkmax, *says;
    };
    for (const Refused &r : {
             Refused{"", "100", "", "缺少 Nk(kN)"},
             Refused{"5千", "", "", "Nk(kN)“5千”不是数"},
             Refused{"-1", "", "", "Nk(kN)“-1”不能为负"},
             Refused{"100", "1,35", "", "N(kN)“1,35”不是数"},
             Refused{"100", "-0.5", "", "N(kN)“-0.5”不能为负"},
             Refused{"100", "", "inf", "Nkmax(kN)“inf”不是数"},
             Refused{"100", "", "-3e2", "Nkmax(kN)“-3e2”不能为负"},
         }) {
        const LoadsReading out = readLoads(r.nk, r.n, r.nkmax, 1.35);
        EXPECT_FALSE(out.loads) << r.says;
        EXPECT_EQ(out.refusal, r.says);
    }
}

} // namespace
} // namespace saxolith
