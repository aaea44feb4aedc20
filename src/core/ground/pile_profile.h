// A pile's soil profile: its hole's layers below its top, the bearing layer its toe stands in, the socket
// and the pile's length; made once for a pile, then any size and socket is calculated from its sums.
#pragma once

#include "core/capacity/methods.h"
#include "core/ground/boreholes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// A layer the pile passes through above the bearing layer, with the pile's length in it.
struct ProfileLayer {
    std::string number;
    std::string name;
    double length = 0.0;        // li, m
    std::optional<double> qsia; // kPa; none counts as 0
    std::optional<double> qsik;

    bool operator==(const ProfileLayer &) const = default;
};

struct PileProfile {
    std::string hole;                 // empty for a profile typed in rather than taken from a hole
    double collar = 0.0;              // m
    double top = 0.0;                 // the pile top's elevation, m
    double topDepth = 0.0;            // below the collar, m
    std::vector<ProfileLayer> layers; // top down, above the bearing layer
    GroundLayer bearing;              // depths below the collar
    double holeDepth = 0.0;
    GroundSums sums;

    // The deepest socket the toe can have and still stand in the bearing layer, m.
    double socketRoom() const { return bearing.thickness(); }
    // 桩长: from the pile top to the bearing layer's top, and the socket.
    double length(double socket) const { return sums.lengthAbove + socket; }

    bool operator==(const PileProfile &) const = default;
};

// The sums the methods need of the layers above the bearing layer and of the bearing layer.
GroundSums groundSums(const std::vector<ProfileLayer> &layers, const GroundLayer &bearing);

// A profile typed in layer by layer (the layers' lengths given, not taken from a hole); the bearing
// layer's top is then the layers' total length.
PileProfile typedProfile(std::vector<ProfileLayer> layers, GroundLayer bearing);

struct ProfileOutcome {
    std::optional<PileProfile> profile;
    std::string refusal; // why there is none
};

// The profile of a pile whose top stands at elevation `top` (m) in hole `hole`, its toe in layer
// `bearing`. Refused: a hole the file lacks, a bearing layer the hole lacks, a top above the collar or
// not above the bearing layer.
ProfileOutcome pileProfile(const Boreholes &boreholes, std::string_view hole, double top,
                           std::string_view bearing);

// Why a socket of `socket` m does not fit the profile (below 0, deeper than the hole, past the bearing
// layer); empty when it fits.
std::string socketRefusal(const PileProfile &profile, double socket);

// The pile on its profile, at full precision: socketedCapacity with the profile's sums.
inline CapacityParts profileCapacity(const PileProfile &profile, const SocketedPile &pile)
{
    return socketedCapacity(profile.sums, pile);
}

} // namespace saxolith
