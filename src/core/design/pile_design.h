// Design to the load: for one pile on its profile, the pile of least concrete volume among the sizes and
// socket depths allowed that carries its loads by the ground and by the shaft.
#pragma once

#include "core/capacity/methods.h"
#include "core/ground/pile_profile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// A pile's loads, kN.
struct PileLoads {
    double nk = 0.0;             // characteristic (标准组合): Nk ≤ Ra
    double n = 0.0;              // basic combination, for the shaft: N ≤ ψc·fc·Ap
    std::optional<double> nkmax; // the largest under eccentric loading: Nkmax ≤ 1.2·Ra
};

struct LoadsReading {
    std::optional<PileLoads> loads;
    std::string refusal; // why there are none: the column and the cell
};

// The loads from their cells (blanks around them removed): Nk is required; an empty N is γ·Nk; an empty
// Nkmax is none. A cell that is no number or is negative is refused.
LoadsReading readLoads(std::string_view nk, std::string_view n, std::string_view nkmax, double gamma);

// The round diameters tried unless others are given: 800 to 3000 mm by 100.
std::vector<double> defaultDesignSizes();

// The round diameters of a text such as "800,1000,1200" or "800-3000/100" (from, to and step, mm), or
// both joined by commas: in order of growing size, each once. Nothing, with `refusal` set, for a part that
// is no number, a size not above 0, a step not above 0 or a range that runs backwards.
std::optional<std::vector<double>> readDesignSizes(std::string_view text, std::string &refusal);
// The longest list of sizes a text may give.
inline constexpr std::size_t mostDesignSizes = 10'000;

// The least socket unless one is given: max(0.5 m, 0.4·d).
inline constexpr double leastSocket = 0.5;
inline constexpr double leastSocketRatio = 0.4;
// The eccentric check: Nkmax ≤ 1.2·Ra.
inline constexpr double eccentricFactor = 1.2;

struct DesignSettings {
    std::vector<double> sizes = defaultDesignSizes(); // d of round and elliptical piles, mm
    std::optional<double> minSocket;                  // m; none: max(0.5 m, 0.4·d) up to a whole step
    double socketStep = 0.1;                          // m, above 0
    double fc = 14.3;                                 // N/mm²
    double psiC = 0.7;
    double gamma = 1.35;
};

// The socket depths tried for a pile of diameter d (socketDiameter, mm): origin + (first + k)·step for
// k = 0 … count − 1, all within the bearing layer.
struct SocketSteps {
    double origin = 0.0; // 0, or the minimum given
    long first = 0;      // in steps from the origin
    double step = 0.1;
    long count = 0; // 0 when the layer has no room for the least

    double at(long k) const { return origin + static_cast<double>(first + k) * step; }
};
SocketSteps socketSteps(const PileProfile &profile, double diameter, const DesignSettings &settings);

// The sizes tried for a pile of the given section, in order of growing area: round and elliptical piles
// take each d of the settings (an elliptical pile keeps its c); a rectangle or square keeps its sides.
struct DesignSize {
    double first = 0.0;
    double second = 0.0;
};
std::vector<DesignSize> designSizes(const SocketedPile &pile, const DesignSettings &settings);

// Ap·L in m³, as the search compares volumes.
inline double pileVolume(const CapacityParts &parts)
{
    return parts.area * parts.length;
}

// Whether a pile's Ra (full precision) carries the loads by the ground: Nk ≤ Ra, Nkmax ≤ 1.2·Ra.
inline bool groundCarries(const PileLoads &loads, double ra)
{
    return loads.nk <= ra && (!loads.nkmax || *loads.nkmax <= eccentricFactor * ra);
}
// ψc·fc·Ap in kN (area in mm²), as the shaft check has it.
inline double shaftCapacity(double areaMm2, const DesignSettings &settings)
{
    return settings.psiC * settings.fc * areaMm2 / 1000.0;
}

// Which check set the designed pile's size: the ground, or the shaft (a pile of less volume carries the
// load by the ground but not by its shaft).
enum class DesignGoverns : std::uint8_t { Ground, Shaft };
std::string_view governsName(DesignGoverns governs); // 岩土, 桩身

struct DesignedPile {
    SocketedPile pile;   // the chosen size and socket
    CapacityParts parts; // at full precision
    double rp = 0.0;     // ψc·fc·Ap, kN
    double volume = 0.0; // Ap·L, m³
    DesignGoverns governs = DesignGoverns::Ground;

    double toe(const PileProfile &profile) const { return profile.top - parts.length; }
};

struct DesignOutcome {
    std::optional<DesignedPile> pile;
    std::string refusal;         // why no pile carries the loads
    double mostRa = 0.0;         // the largest Ra of the sizes and sockets tried, kN
    double mostShaftLimit = 0.0; // the largest Rp/γ, kN
};

// The least pile for `loads`: `pile` gives the section, the method, the process and the rock (qpa, frk);
// its size and socket are the search's. Among equal volumes the smaller d wins, then the shorter socket.
DesignOutcome designPile(const PileProfile &profile, const SocketedPile &pile, const PileLoads &loads,
                         const DesignSettings &settings);

// Why the bearing layer cannot be designed on by the method: 5.3.9 needs its frk, the others its qpa;
// empty when it can. `pile` then takes the strength from the layer.
std::string takeBearingStrength(const PileProfile &profile, SocketedPile &pile);

} // namespace saxolith
