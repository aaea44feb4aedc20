#include "core/capacity/formulas.h"
#include "core/capacity/methods.h"

#include <gtest/gtest.h>

#include <numbers>

namespace saxolith
{
namespace
{

TEST(SocketZeta, ReadsTheTableByRatioRockAndProcess)
{
    struct Case {
        double ratio;
        double frk;
        PileProcess process;
        double zeta;
    };
    const Case cases[] = {
        {0.0, 10, PileProcess::Slurry, 0.60},
        {2.5, 10, PileProcess::Slurry, 1.265},           // 1.18 + 0.5 × (1.35 − 1.18)
        {9.0, 5, PileProcess::Slurry, 1.70},             // past 8.0 the soft row holds
        {2.5, 40, PileProcess::Slurry, 0.95},            // 0.90 + 0.5 × 0.10
        {5.0, 40, PileProcess::Slurry, 1.04},            // past 4.0 the hard row holds 1.04
        {7.5, 30, PileProcess::Slurry, 1.04},            // 30 MPa is the hard row
        {1.0, 15, PileProcess::Slurry, 0.95},            // 15 MPa is the soft row
        {1.0, 20, PileProcess::Slurry, 0.95 - 0.14 / 3}, // a third of the way to the hard row
        {1.0, 10, PileProcess::Grouted, 1.14},           // 1.2 × 0.95
        {5.0, 40, PileProcess::Dry, 1.248},              // 1.2 × 1.04
        {-1.0, 10, PileProcess::Slurry, 0.60},
    };
    for (const Case &c : cases) {
        EXPECT_NEAR(socketZeta(c.ratio, c.frk, c.process).zeta, c.zeta, 1e-12) << c.ratio << " " << c.frk;
    }
    // Between the rows the reading keeps each step for the report.
    const ZetaReading z = socketZeta(2.5, 20, PileProcess::Slurry);
    EXPECT_NEAR(z.soft, 1.265, 1e-12);
    EXPECT_NEAR(z.hard, 0.95, 1e-12);
    EXPECT_NEAR(z.weight, 1.0 / 3.0, 1e-12);
    EXPECT_NEAR(z.table, 1.16, 1e-12);
    EXPECT_EQ(z.factor, 1.0);
}

TEST(SectionPerimeter, EachSectionAndTheDiameterOfItsSocket)
{
    EXPECT_DOUBLE_EQ(sectionPerimeterMetres(SectionType::Round, 1000, 0), std::numbers::pi);
    EXPECT_DOUBLE_EQ(sectionPerimeterMetres(SectionType::Elliptical, 1000, 500), std::numbers::pi + 1.0);
    EXPECT_DOUBLE_EQ(sectionPerimeterMetres(SectionType::Rectangular, 1200, 800), 4.0);
    EXPECT_DOUBLE_EQ(sectionPerimeterMetres(SectionType::Square, 900, 900), 3.6);
    EXPECT_EQ(socketDiameter(SectionType::Round, 1000, 0), 1000);
    EXPECT_EQ(socketDiameter(SectionType::Elliptical, 1000, 500), 1000);
    // The circle of the same area: 1000² = π/4 · d².
    EXPECT_NEAR(socketDiameter(SectionType::Square, 1000, 1000), 1128.379167, 1e-6);
    EXPECT_NEAR(socketDiameter(SectionType::Rectangular, 1200, 800), 1105.581278, 1e-6);
}

// Three layers above the bearing layer: 1.5 m, 6.5 m and 4.5 m, qsia 9, 31, 70 and qsik 18, 62, 140; the
// bearing layer's qsia 100.
constexpr GroundSums layered{1.5 * 9 + 6.5 * 31 + 4.5 * 70, 1.5 * 18 + 6.5 * 62 + 4.5 * 140, 100, 12.5};

TEST(SocketedCapacity, HandCheckedPiles)
{
    using enum CapacityMethod;
    struct Case {
        const char *what;
        SocketedPile pile;
        double ra, end, side, qsk, qrk, zeta, length;
    };
    const Case cases[] = {
        // π/4 × 3000
        {"8.5.6-2 round",
         {SectionType::Round, 1000, 0, EndOnly, PileProcess::Slurry, 2.5, 3000, 0},
         2356.194490,
         2356.194490,
         0,
         0,
         0,
         0,
         15.0},
        // end π/4 × 3000 = 2356.19; side π × (530 + 2.5 × 100) = π × 780 = 2450.44
        {"8.5.6-1 round",
         {SectionType::Round, 1000, 0, EndAndSide, PileProcess::Slurry, 2.5, 3000, 0},
         4806.636760,
         2356.194490,
         2450.442270,
         0,
         0,
         0,
         15.0},
        // Ap = π/4 + 0.5 = 1.285398, end 3856.19; u = π + 1.0, side 4.141593 × 780 = 3230.44
        {"8.5.6-1 ellipse",
         {SectionType::Elliptical, 1000, 500, EndAndSide, PileProcess::Slurry, 2.5, 3000, 0},
         7086.636760,
         3856.194490,
         3230.442270,
         0,
         0,
         0,
         15.0},
        // Qsk = π × 1060 = 3330.09; hr/d 2.5 at 20 MPa: ζr = 1.265 − (1.265 − 0.95)/3 = 1.16;
        // Qrk = 1.16 × 20000 × π/4 = 18221.24; Ra = (3330.09 + 18221.24) / 2
        {"5.3.9 round, frk between the rows",
         {SectionType::Round, 1000, 0, SocketJgj94, PileProcess::Slurry, 2.5, 0, 20},
         10775.662802,
         0,
         0,
         3330.088213,
         18221.237391,
         1.16,
         15.0},
        // d = 1105.58 (same area), hr/d 5.43 past the hard row's 4.0: 1.04 × 1.2 = 1.248; u = 4.0,
        // Qsk = 4 × 1060 = 4240; Qrk = 1.248 × 40000 × 0.96 = 47923.2; Ra = 52163.2 / 2
        {"5.3.9 rectangle, grouted",
         {SectionType::Rectangular, 1200, 800, SocketJgj94, PileProcess::Grouted, 6.0, 0, 40},
         26081.6,
         0,
         0,
         4240,
         47923.2,
         1.248,
         18.5},
        // d = 1128.38, hr/d 0.886: 0.80 + 0.15 × 0.386/0.5 = 0.915868, dry × 1.2 = 1.099042;
        // Qrk = 1.099042 × 10000 × 1.0 = 10990.42; Ra = (4240 + 10990.42) / 2
        {"5.3.9 square, dry",
         {SectionType::Square, 1000, 1000, SocketJgj94, PileProcess::Dry, 1.0, 0, 10},
         7615.208466,
         0,
         0,
         4240,
         10990.416932,
         1.099042,
         13.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const CapacityParts parts = socketedCapacity(layered, c.pile);
        EXPECT_NEAR(parts.ra, c.ra, 1e-6);
        EXPECT_NEAR(parts.end, c.end, 1e-6);
        EXPECT_NEAR(parts.side, c.side, 1e-6);
        EXPECT_NEAR(parts.qsk, c.qsk, 1e-6);
        EXPECT_NEAR(parts.qrk, c.qrk, 1e-6);
        EXPECT_NEAR(parts.quk, c.qsk + c.qrk, 1e-6);
        EXPECT_NEAR(parts.zeta.zeta, c.zeta, 1e-6);
        EXPECT_NEAR(parts.length, c.length, 1e-12);
    }
}

TEST(SocketedCapacity, EndOnlyIsTheCalculationsOwnRa)
{
    // Today's Ra, to the bit, whatever the ground says.
    const SocketedPile pile{SectionType::Elliptical, 1234.5, 321,    CapacityMethod::EndOnly,
                            PileProcess::Dry,        3,      2750.5, 0};
    EXPECT_EQ(socketedCapacity(layered, pile).ra,
              capacityRa(2750.5, sectionArea(SectionType::Elliptical, 1234.5, 321)));
}

TEST(MethodNames, ReadBackAndRefuseOthers)
{
    for (const CapacityMethod m :
         {CapacityMethod::EndOnly, CapacityMethod::EndAndSide, CapacityMethod::SocketJgj94}) {
        EXPECT_EQ(methodByName(methodName(m)), m);
    }
    EXPECT_EQ(methodByName(" "), CapacityMethod::EndOnly);
    EXPECT_EQ(methodByName("8.5.6"), std::nullopt);
    for (const PileProcess p : {PileProcess::Slurry, PileProcess::Dry, PileProcess::Grouted}) {
        EXPECT_EQ(processByName(processName(p)), p);
    }
    EXPECT_EQ(processByName("Grouted"), PileProcess::Grouted);
    EXPECT_EQ(processByName(""), PileProcess::Slurry);
    EXPECT_EQ(processByName("人工挖孔"), std::nullopt);
}

} // namespace
} // namespace saxolith
