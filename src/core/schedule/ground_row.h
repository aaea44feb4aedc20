// The ground of a schedule row: its method, process, hole, top, bearing layer and socket read from its
// cells, the rock it lacks taken from its bearing layer, and its capacity by its method.
#pragma once

#include "core/capacity/calculation.h"
#include "core/ground/ground_pile.h"
#include "core/schedule/schedule_file.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace saxolith
{

// The ground cells as read; `refusal` says why the row cannot be calculated when it is not empty.
struct GroundCells {
    CapacityMethod method = CapacityMethod::EndOnly;
    PileProcess process = PileProcess::Slurry;
    bool located = false; // hole, top, bearing layer and socket are given
    std::string hole;
    std::string bearing;
    double top = 0.0;    // m
    double socket = 0.0; // m
    std::string refusal;
};
GroundCells readGroundCells(const ScheduleRow &row);

// The row's profile when it is located (a refusal when it does not fit the boreholes), and the row with the
// rock it lacks taken from its bearing layer: 8.5.6's qpa where the layer gives one, else its frk and
// integrity; 5.3.9's frk.
struct GroundPlace {
    std::optional<PileProfile> profile;
    ScheduleRow row;
    std::string refusal;
};
GroundPlace placeOnGround(const ScheduleRow &row, const GroundCells &cells, const Boreholes *boreholes);

// The method's capacity of a completed calculation on its place; a refusal when 5.3.9 has no frk.
struct GroundOutcome {
    std::shared_ptr<const GroundPile> pile;
    std::string refusal;
};
GroundOutcome groundCapacity(const PileRecord &record, const GroundCells &cells, const GroundPlace &place);

// The ground columns of the results table, for a row (all empty for a refused row).
inline constexpr std::size_t groundResultsColumnCount = 11;
using GroundResultsCells = std::array<std::string, groundResultsColumnCount>;
GroundResultsCells groundResultsHeader(bool chinese);
// `method`: the row's method cell read (empty for a row refused before it); `pile`: the completed row's.
GroundResultsCells groundResultsCells(std::string_view method, const GroundPile *pile);

} // namespace saxolith
