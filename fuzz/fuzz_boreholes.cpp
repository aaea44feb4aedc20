// A boreholes file from any bytes: read or refused with its line and nothing kept; every hole read has
// increasing depths, and every profile and socket taken from it is a profile or a refusal, never a crash.
#include "core/ground/boreholes.h"
#include "core/ground/pile_profile.h"
#include "fuzz_check.h"

#include <cmath>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const BoreholesReading reading = readBoreholes(bytes);
    if (reading.error) {
        require(reading.boreholes.empty(), "a refused file keeps no hole");
        require(reading.error->line >= 0, "a refusal names its line");
        require(reading.error->text.size() < 2000, "a refusal's text is bounded", reading.error->text);
        return 0;
    }
    require(!reading.boreholes.empty(), "a file read holds a hole");
    for (const Borehole &hole : reading.boreholes.holes()) {
        require(reading.boreholes.find(hole.id) == &hole, "each hole is found by its id", hole.id);
        double above = 0.0;
        for (const GroundLayer &layer : hole.layers) {
            require(layer.top == above && layer.bottom > layer.top, "depths increase down a hole", layer.number);
            above = layer.bottom;
            // A pile topped at the collar and one topped halfway down the layer above, each socketed by
            // half the layer and by more than the hole holds.
            for (const double top : {hole.collar, hole.collar - layer.top / 2.0}) {
                const ProfileOutcome out = pileProfile(reading.boreholes, hole.id, top, layer.number);
                require(out.profile.has_value() != !out.refusal.empty(), "a profile or a refusal", out.refusal);
                if (!out.profile) {
                    continue;
                }
                for (const double socket : {layer.thickness() / 2.0, hole.depth() + 1.0}) {
                    const std::string refusal = socketRefusal(*out.profile, socket);
                    SocketedPile pile{SectionType::Round, 1000, 0, CapacityMethod::SocketJgj94, PileProcess::Dry,
                                      socket, layer.qpa.value_or(1000), layer.frk.value_or(10)};
                    const CapacityParts parts = profileCapacity(*out.profile, pile);
                    require(!refusal.empty() || !std::isnan(parts.ra), "a socket that fits has a capacity");
                }
            }
        }
    }
    return 0;
}
