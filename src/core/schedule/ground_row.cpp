#include "core/schedule/ground_row.h"

#include "core/text/ascii_number.h"
#include "core/text/fill_in.h"
#include "core/text/number_text.h"
#include "core/texts/ground.h"
#include "core/texts/schedule.h"

#include <algorithm>

namespace saxolith
{

namespace
{

std::string columnLabel(GroundColumn column)
{
    const auto &[english, chinese] = groundColumnNames[static_cast<std::size_t>(column)];
    return std::string(english) + "/" + std::string(chinese);
}

std::string fixed(double value, int decimals)
{
    return formatFixed(value, 15, decimals);
}

} // namespace

GroundCells readGroundCells(const ScheduleRow &row)
{
    using enum GroundColumn;
    GroundCells cells;
    const auto refuse = [&cells](std::string text) {
        if (cells.refusal.empty()) {
            cells.refusal = std::move(text);
        }
    };
    if (const auto method = methodByName(row.groundCell(Method))) {
        cells.method = *method;
    } else {
        refuse(fillIn(groundText::unknownMethod, {quotedCell(row.groundCell(Method))}));
    }
    if (const auto process = processByName(row.groundCell(Process))) {
        cells.process = *process;
    } else {
        refuse(fillIn(groundText::unknownProcess, {quotedCell(row.groundCell(Process))}));
    }
    // Located by all four cells or by none; the methods with side resistance need them.
    constexpr std::array<GroundColumn, 4> place{Hole, Top, Bearing, Socket};
    const bool any =
        std::any_of(place.begin(), place.end(), [&](GroundColumn c) { return !row.groundCell(c).empty(); });
    if (!any && cells.method == CapacityMethod::EndOnly) {
        return cells;
    }
    for (const GroundColumn column : place) {
        if (row.groundCell(column).empty()) {
            refuse(fillIn(scheduleText::missingCell, {columnLabel(column)}));
        }
    }
    const auto number = [&](GroundColumn column) -> double {
        const std::string_view text = row.groundCell(column);
        const auto value = strictNumber(asciiNumber(text));
        if (!text.empty() && !value) {
            refuse(fillIn(groundText::notNumber, {columnLabel(column), quotedCell(text)}));
        }
        return value.value_or(0.0);
    };
    cells.hole = row.groundCell(Hole);
    cells.bearing = row.groundCell(Bearing);
    cells.top = number(Top);
    cells.socket = number(Socket);
    cells.located = cells.refusal.empty();
    return cells;
}

GroundPlace placeOnGround(const ScheduleRow &row, const GroundCells &cells, const Boreholes *boreholes)
{
    GroundPlace place;
    place.row = row;
    if (!cells.located) {
        return place;
    }
    if (boreholes == nullptr || boreholes->empty()) {
        place.refusal = fillIn(groundText::noBoreholes, {cells.hole});
        return place;
    }
    ProfileOutcome out = pileProfile(*boreholes, cells.hole, cells.top, cells.bearing);
    if (!out.profile) {
        place.refusal = std::move(out.refusal);
        return place;
    }
    if (std::string refusal = socketRefusal(*out.profile, cells.socket); !refusal.empty()) {
        place.refusal = std::move(refusal);
        return place;
    }
    // The rock the row does not give is its bearing layer's.
    const GroundLayer &rock = out.profile->bearing;
    const auto cell = [&place](ScheduleColumn column) -> std::string & {
        return place.row.cells[static_cast<std::size_t>(column)];
    };
    if (cell(ScheduleColumn::Qpa).empty() && cell(ScheduleColumn::Frk).empty()) {
        if (rock.qpa && cells.method != CapacityMethod::SocketJgj94) {
            cell(ScheduleColumn::Qpa) = formatGeneral(*rock.qpa);
        } else if (rock.frk) {
            cell(ScheduleColumn::Frk) = formatGeneral(*rock.frk);
            if (cell(ScheduleColumn::Integrity).empty() && cell(ScheduleColumn::Psi).empty()) {
                cell(ScheduleColumn::Integrity) = rock.integrity;
            }
        } else if (rock.qpa) {
            cell(ScheduleColumn::Qpa) = formatGeneral(*rock.qpa);
        }
    }
    place.profile = std::move(out.profile);
    return place;
}

GroundOutcome groundCapacity(const PileRecord &record, const GroundCells &cells, const GroundPlace &place)
{
    GroundOutcome out;
    auto pile = std::make_shared<GroundPile>();
    pile->method = cells.method;
    pile->process = cells.process;
    pile->socket = cells.socket;
    if (place.profile) {
        pile->profile = *place.profile;
    }
    pile->qpa = record.qpa;
    pile->frk = record.route == StrengthRoute::FrkGiven ? record.frk : 0.0;
    if (cells.method == CapacityMethod::SocketJgj94 && record.route == StrengthRoute::QpaGiven) {
        // qpa given: the rock's frk is the bearing layer's.
        if (!place.profile || !place.profile->bearing.frk) {
            out.refusal =
                fillIn(groundText::noFrk, {place.profile ? place.profile->bearing.number : cells.bearing});
            return out;
        }
        pile->frk = *place.profile->bearing.frk;
    }
    pile->parts = groundParts(*pile, record);
    out.pile = std::move(pile);
    return out;
}

GroundResultsCells groundResultsHeader(bool chinese)
{
    GroundResultsCells cells;
    const auto &names = chinese ? groundText::chineseResultColumns : groundText::englishResultColumns;
    std::copy(names.begin(), names.end(), cells.begin());
    return cells;
}

GroundResultsCells groundResultsCells(std::string_view method, const GroundPile *pile)
{
    GroundResultsCells cells;
    if (pile == nullptr) {
        cells[0] = method;
        return cells;
    }
    const CapacityParts &p = pile->parts;
    cells[0] = methodName(pile->method);
    cells[1] = pile->profile.hole;
    if (!pile->profile.hole.empty()) {
        cells[2] = fixed(p.length, 2);
        cells[3] = fixed(pile->socket, 2);
    }
    cells[4] = fixed(p.perimeter, 4);
    if (pile->method == CapacityMethod::SocketJgj94) {
        cells[5] = fixed(p.qsk, 2);
        cells[6] = fixed(p.qrk, 2);
        cells[7] = fixed(p.quk, 2);
        cells[8] = fixed(p.zeta.zeta, 4);
    } else if (pile->method == CapacityMethod::EndAndSide) {
        cells[9] = fixed(p.side, 2);
        cells[10] = fixed(p.end, 2);
    }
    return cells;
}

} // namespace saxolith
