#include "core/ground/ground_pile.h"

#include "core/text/number_text.h"

namespace saxolith
{

CapacityParts groundParts(const GroundPile &pile, const PileRecord &record)
{
    const SectionGeometry g = sectionGeometry(static_cast<SectionItem>(record.input.sectionItem),
                                              lenientNumber(record.first).value, lenientNumber(record.second).value);
    return socketedCapacity(pile.profile.sums,
                            {g.type, g.first, g.second, pile.method, pile.process, pile.socket, pile.qpa, pile.frk});
}

} // namespace saxolith
