// The design of 100,000 piles, each against the plain calculation of the piles it chose in the same
// iteration: with each pile's profile made from its hole (as a schedule with boreholes runs), and with the
// profiles made beforehand (the search against one calculation a pile).
#include "against_baseline.h"

#include "core/capacity/shaft_check.h"
#include "core/design/pile_design.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{

using namespace saxolith;

constexpr std::size_t pileCount = 100'000;
constexpr int holeCount = 40;

// Holes of a site: fill, clay and weathered rock of thicknesses that vary from hole to hole, over a rock of
// 6 to 20 m whose strength varies too.
std::string siteCsv()
{
    std::string csv = "钻孔,孔口标高(m),层号,岩土名称,层底深度(m),qsia(kPa),qsik(kPa),qpa(kPa),frk(MPa)\n";
    for (int h = 0; h < holeCount; ++h) {
        const std::string id = "ZK" + std::to_string(h + 1);
        const double fill = 1.0 + h % 4 * 0.5;
        const double clay = fill + 4.0 + h % 7;
        const double weathered = clay + 2.0 + h % 5 * 0.8;
        const double rock = weathered + 6.0 + h % 15;
        csv += id + ",10.0,1,素填土," + std::to_string(fill) + ",10,20,,\n";
        csv += id + ",,2,粉质黏土," + std::to_string(clay) + ",30,60,,\n";
        csv += id + ",,3,强风化岩," + std::to_string(weathered) + ",70,140,,\n";
        csv += id + ",,4,中风化岩," + std::to_string(rock) + ",100,,3000," + std::to_string(6 + h % 9 * 4) +
               "\n";
    }
    return csv;
}

struct PileRow {
    std::string hole;
    double top = 0.0;
    CapacityMethod method = CapacityMethod::SocketJgj94;
    PileLoads loads;
};

std::vector<PileRow> pileRows()
{
    std::vector<PileRow> rows(pileCount);
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (PileRow &row : rows) {
        row.hole = "ZK" + std::to_string(next() % holeCount + 1);
        row.top = 9.0 - static_cast<double>(next() % 20) * 0.1;
        row.method = next() % 4 == 0 ? CapacityMethod::EndAndSide : CapacityMethod::SocketJgj94;
        row.loads.nk = 2000.0 + static_cast<double>(next() % 16000);
        row.loads.n = 1.35 * row.loads.nk;
        if (next() % 3 == 0) {
            row.loads.nkmax = 1.15 * row.loads.nk;
        }
    }
    return rows;
}

struct Site {
    Boreholes boreholes = readBoreholes(siteCsv()).boreholes;
    std::vector<PileRow> rows = pileRows();
    DesignSettings settings;
    std::vector<SocketedPile> chosen; // the pile each row's design chose; round 0 where none carries
};

Site &site()
{
    static Site s;
    return s;
}

// The pile's profile and the rock it stands on, as a schedule's row makes them.
PileProfile profileOf(const Site &s, const PileRow &row, SocketedPile &pile)
{
    PileProfile profile = *pileProfile(s.boreholes, row.hole, row.top, "4").profile;
    pile.method = row.method;
    takeBearingStrength(profile, pile);
    return profile;
}

double designAll(Site &s, const std::vector<PileProfile> *profiles)
{
    s.chosen.resize(s.rows.size());
    std::size_t carried = 0;
    const double t = against_baseline::seconds([&] {
        for (std::size_t i = 0; i < s.rows.size(); ++i) {
            SocketedPile pile;
            pile.method = s.rows[i].method;
            PileProfile own;
            const PileProfile *profile = nullptr;
            if (profiles != nullptr) {
                profile = &(*profiles)[i];
                takeBearingStrength(*profile, pile);
            } else {
                own = profileOf(s, s.rows[i], pile);
                profile = &own;
            }
            const DesignOutcome out = designPile(*profile, pile, s.rows[i].loads, s.settings);
            if (out.pile) {
                s.chosen[i] = out.pile->pile;
                ++carried;
            } else {
                s.chosen[i] = pile;
            }
        }
    });
    benchmark::DoNotOptimize(carried);
    return t;
}

double calculateChosen(const Site &s, const std::vector<PileProfile> *profiles)
{
    double sum = 0.0;
    const double t = against_baseline::seconds([&] {
        for (std::size_t i = 0; i < s.rows.size(); ++i) {
            SocketedPile pile;
            PileProfile own;
            const PileProfile *profile = nullptr;
            if (profiles != nullptr) {
                profile = &(*profiles)[i];
            } else {
                own = profileOf(s, s.rows[i], pile);
                profile = &own;
            }
            const SocketedPile &chosen = s.chosen[i];
            const CapacityParts parts = profileCapacity(*profile, chosen);
            const ShaftCheck shaft =
                checkShaft(parts.ra, parts.area * 1e6, s.settings.fc, s.settings.psiC, s.settings.gamma);
            sum += shaft.governing;
        }
    });
    benchmark::DoNotOptimize(sum);
    return t;
}

void designFromHoles(benchmark::State &state)
{
    Site &s = site();
    designAll(s, nullptr); // the chosen piles for the first baseline
    against_baseline::run(
        state, "profile and plain calculation of the chosen piles", [&] { return designAll(s, nullptr); },
        [&] { return calculateChosen(s, nullptr); });
    state.counters["piles/s"] =
        benchmark::Counter(static_cast<double>(pileCount) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(designFromHoles)->Unit(benchmark::kMillisecond)->UseManualTime();

void designOnProfiles(benchmark::State &state)
{
    Site &s = site();
    std::vector<PileProfile> profiles;
    profiles.reserve(s.rows.size());
    for (const PileRow &row : s.rows) {
        SocketedPile pile;
        profiles.push_back(profileOf(s, row, pile));
    }
    designAll(s, &profiles);
    against_baseline::run(
        state, "plain calculation of the chosen piles", [&] { return designAll(s, &profiles); },
        [&] { return calculateChosen(s, &profiles); });
}
BENCHMARK(designOnProfiles)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
