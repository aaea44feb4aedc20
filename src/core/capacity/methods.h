// The methods a pile's capacity is calculated by: end resistance alone (8.5.6-2), end and side resistance
// (8.5.6-1), and the socketed pile of JGJ 94-2008 5.3.9 with ζr; all pure, cheap enough for a search.
#pragma once

#include "core/capacity/section_types.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace saxolith
{

enum class CapacityMethod : std::uint8_t {
    EndOnly,     // GB50007-2011 8.5.6-2: Ra = qpa·Ap
    EndAndSide,  // GB50007-2011 8.5.6-1: Ra = qpa·Ap + up·Σqsia·li
    SocketJgj94, // JGJ 94-2008 5.3.9: Quk = Qsk + Qrk, Ra = Quk / K
};
inline constexpr std::size_t capacityMethodCount = 3;

std::string_view methodName(CapacityMethod method);   // "8.5.6-2", "8.5.6-1", "5.3.9"
std::string_view methodClause(CapacityMethod method); // the code and clause it follows
// A method by its name; an empty text is 8.5.6-2; nothing for any other text.
std::optional<CapacityMethod> methodByName(std::string_view name);

// The piling process (成桩工艺): a dry hole and a grouted base take 1.2 ζr.
enum class PileProcess : std::uint8_t { Slurry, Dry, Grouted };
inline constexpr std::size_t pileProcessCount = 3;
std::string_view processName(PileProcess process); // "泥浆护壁", "干作业", "后注浆"
// A process by its Chinese or English name; an empty text is 泥浆护壁; nothing for any other text.
std::optional<PileProcess> processByName(std::string_view name);

// The safety factor K of 5.3.9's Ra = Quk / K.
inline constexpr double safetyFactor = 2.0;
// ζr's factor for a dry hole or a grouted base.
inline constexpr double cleanBaseFactor = 1.2;
// frk (MPa) up to which ζr is the soft rocks' row, and from which the hard rocks' row.
inline constexpr double zetaSoftLimit = 15.0;
inline constexpr double zetaHardLimit = 30.0;

// Table 5.3.9's columns hr/d and its two rows; the hard row stops at 4.0 and holds its last value past it.
inline constexpr std::array<double, 10> zetaRatios{0.0, 0.5, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0};
inline constexpr std::array<double, 10> zetaSoftRow{0.60, 0.80, 0.95, 1.18, 1.35,
                                                    1.48, 1.57, 1.63, 1.66, 1.70};
inline constexpr std::array<double, 6> zetaHardRow{0.45, 0.65, 0.81, 0.90, 1.00, 1.04};

// ζr and how it was read, for the report to show each step.
struct ZetaReading {
    double ratio = 0.0;  // hr/d as given
    double soft = 0.0;   // the soft row at hr/d (linear between its columns, its last past 8.0)
    double hard = 0.0;   // the hard row at hr/d (its last past 4.0)
    double weight = 0.0; // of the hard row: 0 for frk ≤ 15 MPa, 1 for frk ≥ 30 MPa, linear between
    double table = 0.0;  // soft + (hard − soft)·weight
    double factor = 1.0; // 1.2 for a dry hole or a grouted base
    double zeta = 0.0;   // table·factor

    bool operator==(const ZetaReading &) const = default;
};
ZetaReading socketZeta(double ratio, double frk, PileProcess process);

// The side's length around the section, m: πd, πd + 2c, 2(a + b), 4a (dimensions in mm).
double sectionPerimeterMetres(SectionType type, double first, double second);
// The diameter hr/d is taken with, mm: d of a round or elliptical pile; of a rectangle or square, the
// diameter of the circle of the same area.
double socketDiameter(SectionType type, double first, double second);

// What the methods need of the ground, summed once for a pile (its profile): then any size and socket is
// calculated without going through the layers again.
struct GroundSums {
    double sideAbove = 0.0;     // Σ qsia·li over the layers above the bearing layer, kN/m
    double ultimateAbove = 0.0; // Σ qsik·li over the same layers, kN/m
    double bearingQsia = 0.0;   // the bearing layer's qsia, kPa (0 where it has none): the socket's, 8.5.6-1
    double lengthAbove = 0.0;   // from the pile top to the bearing layer's top, m

    bool operator==(const GroundSums &) const = default;
};

// One pile as the methods take it.
struct SocketedPile {
    SectionType section = SectionType::Round;
    double first = 0.0;  // d or the longer side a, mm
    double second = 0.0; // c or the shorter side b, mm (0 for a round pile)
    CapacityMethod method = CapacityMethod::EndOnly;
    PileProcess process = PileProcess::Slurry;
    double socket = 0.0; // hr, m
    double qpa = 0.0;    // kPa: the end resistance of 8.5.6-1 and 8.5.6-2
    double frk = 0.0;    // MPa: the rock of 5.3.9
};

// The capacity and its parts, at full precision, in kN unless said otherwise.
struct CapacityParts {
    double ra = 0.0;
    double end = 0.0;       // qpa·Ap (8.5.6)
    double side = 0.0;      // up·Σqsia·li (8.5.6-1)
    double qsk = 0.0;       // u·Σqsik·li (5.3.9)
    double qrk = 0.0;       // ζr·frk·Ap (5.3.9)
    double quk = 0.0;       // Qsk + Qrk (5.3.9)
    double perimeter = 0.0; // u, m
    double area = 0.0;      // Ap, m²
    double length = 0.0;    // the pile's length, m: the length above the bearing layer and the socket
    double diameter = 0.0;  // the d of hr/d, mm (5.3.9)
    ZetaReading zeta;       // 5.3.9

    bool operator==(const CapacityParts &) const = default;
};
CapacityParts socketedCapacity(const GroundSums &ground, const SocketedPile &pile);

} // namespace saxolith
