#include "core/ground/pile_profile.h"

#include "core/text/fill_in.h"
#include "core/text/number_text.h"
#include "core/texts/ground.h"

#include <algorithm>

namespace saxolith
{

GroundSums groundSums(const std::vector<ProfileLayer> &layers, const GroundLayer &bearing)
{
    GroundSums sums;
    for (const ProfileLayer &layer : layers) {
        sums.sideAbove += layer.qsia.value_or(0.0) * layer.length;
        sums.ultimateAbove += layer.qsik.value_or(0.0) * layer.length;
        sums.lengthAbove += layer.length;
    }
    sums.bearingQsia = bearing.qsia.value_or(0.0);
    return sums;
}

PileProfile typedProfile(std::vector<ProfileLayer> layers, GroundLayer bearing)
{
    PileProfile profile;
    profile.layers = std::move(layers);
    profile.sums = groundSums(profile.layers, bearing);
    const double thickness = bearing.thickness();
    bearing.top = profile.sums.lengthAbove;
    bearing.bottom = bearing.top + thickness;
    profile.bearing = std::move(bearing);
    profile.holeDepth = profile.bearing.bottom;
    return profile;
}

ProfileOutcome pileProfile(const Boreholes &boreholes, std::string_view hole, double top,
                           std::string_view bearing)
{
    ProfileOutcome out;
    const Borehole *found = boreholes.find(hole);
    if (found == nullptr) {
        out.refusal = fillIn(groundText::missingHole, {hole});
        return out;
    }
    const GroundLayer *toe = found->layer(bearing);
    if (toe == nullptr) {
        out.refusal = fillIn(groundText::missingLayer, {hole, bearing});
        return out;
    }
    const double topDepth = found->collar - top;
    if (topDepth < 0.0) {
        out.refusal =
            fillIn(groundText::topAboveCollar, {formatGeneral(top), hole, formatGeneral(found->collar)});
        return out;
    }
    if (!(topDepth < toe->top)) {
        out.refusal = fillIn(groundText::topInBearing,
                             {formatGeneral(top), bearing, formatGeneral(found->collar - toe->top)});
        return out;
    }
    PileProfile &profile = out.profile.emplace();
    profile.hole = found->id;
    profile.collar = found->collar;
    profile.top = top;
    profile.topDepth = topDepth;
    profile.holeDepth = found->depth();
    for (const GroundLayer &layer : found->layers) {
        if (&layer == toe) {
            break;
        }
        const double length = layer.bottom - std::max(layer.top, topDepth);
        if (length > 0.0) {
            profile.layers.push_back({layer.number, layer.name, length, layer.qsia, layer.qsik});
        }
    }
    profile.bearing = *toe;
    profile.sums = groundSums(profile.layers, *toe);
    // The length above the bearing layer as its two depths give it, not a sum of pieces.
    profile.sums.lengthAbove = toe->top - topDepth;
    return out;
}

std::string socketRefusal(const PileProfile &profile, double socket)
{
    if (socket < 0.0) {
        return fillIn(groundText::negativeSocket, {formatGeneral(socket)});
    }
    // A socket typed to the hole's very bottom fits, whatever the sum's last bit.
    constexpr double slack = 1e-9;
    if (socket > profile.holeDepth - profile.bearing.top + slack) {
        return fillIn(groundText::socketPastHole,
                      {formatGeneral(socket), profile.hole, profile.bearing.number,
                       formatGeneral(profile.bearing.top), formatGeneral(profile.holeDepth)});
    }
    if (socket > profile.socketRoom() + slack) {
        return fillIn(groundText::socketPastLayer,
                      {formatGeneral(socket), profile.bearing.number, formatGeneral(profile.socketRoom())});
    }
    return {};
}

} // namespace saxolith
