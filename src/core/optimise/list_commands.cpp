#include "core/optimise/list_commands.h"

#include "core/capacity/formulas.h"
#include "core/optimise/option_grid.h"
#include "core/text/number_text.h"
#include "core/texts/optimisation.h"

namespace saxolith
{

namespace
{

constexpr double noUpperLimit = 1e15;
using enum CandidateColumn;

} // namespace

RaRange normaliseRaRange(double minimum, double maximum)
{
    if (!(minimum > 0))
        minimum = 0;
    if (!(maximum > 0))
        maximum = noUpperLimit;
    if (minimum > maximum)
        maximum = minimum;
    return {minimum, maximum};
}

HeaderClickOutcome headerClick(CandidateList &list, int column, SortState &sortStateD, SortState &sortStateRa,
                               const ListProgress &progress)
{
    HeaderClickOutcome out;
    if (list.size() < 2) {
        out.status = std::string(message::nothingToSort);
        return out;
    }
    out.selectFirstRow = true;
    const auto key = static_cast<CandidateColumn>(column);
    if (key != FirstDimension && key != Ra) {
        // The remark column is passed over silently.
        if (column >= 0 && column < static_cast<int>(Remark))
            out.status = std::string(message::sortColumnsOnly);
        return out;
    }
    const bool byD = key == FirstDimension;
    SortState &state = byD ? sortStateD : sortStateRa;
    SortState &other = byD ? sortStateRa : sortStateD;
    switch (state) {
    case SortState::Unsorted:
        list.sortAscending(key, progress);
        state = SortState::Ascending;
        break;
    case SortState::Ascending:
        list.reverse();
        state = SortState::Descending;
        break;
    case SortState::Descending:
        list.reverse();
        state = SortState::Ascending;
        break;
    default:
        return out;
    }
    other = SortState::Unsorted;
    const bool ascending = state == SortState::Ascending;
    if (byD)
        out.status = std::string(ascending ? message::sortedDAscending : message::sortedDDescending);
    else
        out.status = std::string(ascending ? message::sortedRaAscending : message::sortedRaDescending);
    out.enableSave = true;
    out.headersChanged = true;
    out.headerD = sortHeader(static_cast<int>(FirstDimension), sortStateD);
    out.headerRa = sortHeader(static_cast<int>(Ra), sortStateRa);
    return out;
}

FilterOutcome filterCandidates(const CandidateList &full, std::string_view minimumText,
                               std::string_view maximumText, const ListProgress &progress)
{
    FilterOutcome out;
    const auto minimum = strictNumber(minimumText);
    const auto maximum = minimum ? strictNumber(maximumText) : std::nullopt;
    if (!minimum || !maximum) {
        out.conversionFailure = true;
        out.errorBoxText = conversionErrorText(message::notAFloat, minimum ? maximumText : minimumText);
        return out;
    }
    const RaRange range = normaliseRaRange(*minimum, *maximum);
    out.rows = full.filterByRa(range.minimum, range.maximum, progress);
    if (out.rows.empty()) {
        out.status = std::string(message::noMatch);
    } else {
        out.status = std::string(message::filterCompletePrefix) + std::to_string(out.rows.size()) +
                     std::string(message::countSuffix);
        out.enableSave = true;
    }
    return out;
}

TakeBack takeBack(const CandidateList &list, std::size_t row)
{
    TakeBack out;
    if (row >= list.size())
        return out;
    const CandidateRow &r = list.row(row);
    const SectionTypeRow &section = sectionRow(r.section);
    out.sectionItem = static_cast<int>(section.item);
    out.firstDimension = list.cell(row, FirstDimension);
    out.secondDimension =
        section.hasSecond ? list.cell(row, SecondDimension) : std::string(section.secondValue);
    out.route = r.route;
    out.strengthText = list.cell(row, Strength);
    if (r.route == StrengthRoute::FrkGiven)
        out.integrityText = list.cell(row, Integrity);
    return out;
}

CalculationInput applyTakeBack(CalculationInput current, const TakeBack &candidate)
{
    if (candidate.sectionItem) {
        current.sectionItem = *candidate.sectionItem;
        current.firstDimension = candidate.firstDimension;
        current.secondDimension = candidate.secondDimension;
    }
    if (candidate.route == StrengthRoute::QpaGiven) {
        current.route = StrengthRoute::QpaGiven;
        current.qpa = candidate.strengthText;
    } else if (candidate.route == StrengthRoute::FrkGiven) {
        current.route = StrengthRoute::FrkGiven;
        current.frk = candidate.strengthText;
        current.psiMode = PsiMode::Automatic;
        current.integrity = candidate.integrityText;
    }
    return current;
}

} // namespace saxolith
