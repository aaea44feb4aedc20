// A pile calculated on its ground: what it was calculated from, as given, and what came of it; what the
// book, the report and the project keep of a pile of another method than 8.5.6-2.
#pragma once

#include "core/capacity/calculation.h"
#include "core/capacity/methods.h"
#include "core/ground/pile_profile.h"

#include <string>

namespace saxolith
{

struct GroundPile {
    CapacityMethod method = CapacityMethod::EndOnly;
    PileProcess process = PileProcess::Slurry;
    double socket = 0.0; // hr, m
    PileProfile profile;
    // The rock the method took: qpa (kPa) for 8.5.6, frk (MPa) for 5.3.9, and where each came from.
    double qpa = 0.0;
    double frk = 0.0;
    CapacityParts parts;

    bool operator==(const GroundPile &) const = default;
};

// The pile's parts made again from the calculation it belongs to (its section, after a rectangle's
// exchange) and its own ground, method, socket and rock.
CapacityParts groundParts(const GroundPile &pile, const PileRecord &record);

} // namespace saxolith
