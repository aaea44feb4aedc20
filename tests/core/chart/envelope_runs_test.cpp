#include "core/chart/envelope_runs.h"

#include <gtest/gtest.h>

namespace saxolith
{
namespace
{

// A round pile of diameter `d` on the frk route: rock strength, integrity class and ψr as given.
CandidateRow onRock(double d, double frk, IntegrityClass integrity = IntegrityClass::Intact, double psi = 0.5)
{
    CandidateRow row;
    row.first = d;
    row.route = StrengthRoute::FrkGiven;
    row.strength = frk;
    row.basis = IntegrityBasis::Class;
    row.integrityClass = integrity;
    row.psi = psi;
    row.ra = frk * d; // only the order matters here
    return row;
}

TEST(EnvelopeRuns, RocksAreTheSameOnlyWhenEveryRockInputIs)
{
    const CandidateRow base = onRock(1000, 35);
    struct Case {
        const char *what;
        CandidateRow other;
        bool same;
    };
    CandidateRow qpaRoute = base;
    qpaRoute.route = StrengthRoute::QpaGiven;
    CandidateRow byIndex = base;
    byIndex.basis = IntegrityBasis::Index;
    CandidateRow otherSection = onRock(1600, 35);
    otherSection.section = SectionType::Rectangular;
    otherSection.second = 800;
    const Case cases[] = {
        {"another size and section", otherSection, true},
        {"another frk", onRock(1000, 40), false},
        {"another integrity class", onRock(1000, 35, IntegrityClass::Fractured), false},
        {"another psi", onRock(1000, 35, IntegrityClass::Intact, 0.45), false},
        {"another route", qpaRoute, false},
        {"integrity by index", byIndex, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(sameRock(base, c.other), c.same) << c.what;
        EXPECT_EQ(sameRock(c.other, base), c.same) << c.what;
    }
    // On the qpa route only qpa counts: integrity and ψr are not asked for.
    CandidateRow a = qpaRoute;
    CandidateRow b = qpaRoute;
    b.integrityClass = IntegrityClass::Fractured;
    b.psi = 0.1;
    EXPECT_TRUE(sameRock(a, b));
    b.strength = 4000;
    EXPECT_FALSE(sameRock(a, b));
    // By index, the index tells the rocks apart, not the class.
    a = byIndex;
    b = byIndex;
    b.integrityClass = IntegrityClass::Fractured;
    EXPECT_TRUE(sameRock(a, b));
    b.index = 0.6;
    EXPECT_FALSE(sameRock(a, b));
}

TEST(EnvelopeRuns, LinesNeverJoinTwoRocks)
{
    // Rows 0..5: the envelope's rocks go 35, 35, 40, 35, 35, 35 along x; a lone point makes no line.
    CandidateList list;
    for (const double frk : {35.0, 35.0, 40.0, 35.0, 35.0, 35.0}) {
        list.append(onRock(1000 + 100 * static_cast<double>(list.size()), frk));
    }
    std::vector<ChartPoint> envelope;
    for (std::uint32_t row = 0; row < list.size(); ++row) {
        envelope.push_back({list.row(row).first, list.row(row).ra, row});
    }
    EXPECT_EQ(envelopeRuns(envelope, list), (std::vector<EnvelopeRun>{{0, 2}, {3, 6}}));
    EXPECT_TRUE(envelopeRuns({}, list).empty());
    EXPECT_TRUE(envelopeRuns({envelope[2]}, list).empty());
    // Alternating rocks: no line at all.
    EXPECT_TRUE(envelopeRuns({envelope[1], envelope[2], envelope[3]}, list).empty());
}

TEST(EnvelopeRuns, StepLineHoldsEachRaUpToTheNextSize)
{
    const std::vector<ChartPoint> envelope{{1000, 5, 0}, {1200, 3, 1}, {1500, 8, 2}};
    const std::vector<ChartPoint> steps{{1000, 5, 0}, {1200, 5, 0}, {1200, 3, 1}, {1500, 3, 1}, {1500, 8, 2}};
    EXPECT_EQ(stepLine(envelope), steps);
    EXPECT_TRUE(stepLine({}).empty());
    EXPECT_EQ(stepLine({envelope[0]}), std::vector<ChartPoint>{envelope[0]});
}

} // namespace
} // namespace saxolith
