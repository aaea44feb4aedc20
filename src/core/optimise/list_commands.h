// The optimisation screen's commands on its lists: a header click sorts or reverses, the filter keeps
// an Ra range, a double click takes a candidate back into the input screen.
#pragma once

#include "core/optimise/candidate_list.h"

#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// The Ra range of the filter: m ≤ 0 means no lower limit, M ≤ 0 none above, m > M narrows to m.
struct RaRange {
    double minimum = 0.0;
    double maximum = 0.0;
};
RaRange normaliseRaRange(double minimum, double maximum);

// What a header click leaves for the screen to show.
struct HeaderClickOutcome {
    std::optional<std::string> status; // black status text, when one is shown
    bool enableSave = false;
    bool selectFirstRow = false;
    bool headersChanged = false; // when set, the two sortable columns show the two headers below
    std::string headerD;
    std::string headerRa;
};
// A click on the header of `column` of a list: sorts or reverses it and updates the one pair of sort states.
HeaderClickOutcome headerClick(CandidateList &list, int column, SortState &sortStateD, SortState &sortStateRa,
                               const ListProgress &progress = {});

struct FilterOutcome {
    bool conversionFailure = false; // a range text does not read: error box, nothing changes
    std::string errorBoxText;
    CandidateList rows;
    std::string status; // black
    bool enableSave = false;
};
// The filter command on the full list with the two texts of the Ra range.
FilterOutcome filterCandidates(const CandidateList &full, std::string_view minimumText,
                               std::string_view maximumText, const ListProgress &progress = {});

// What taking a candidate back writes into the input screen, in this order; unset parts are left alone.
struct TakeBack {
    std::optional<int> sectionItem;
    std::string firstDimension;
    std::string secondDimension;
    std::optional<StrengthRoute> route;
    std::string strengthText;  // qpa or frk, by route
    std::string integrityText; // frk route, written after automatic ψr is chosen
};
TakeBack takeBack(const CandidateList &list, std::size_t row);
// The input screen's state `current` with a taken-back candidate written in; a route's own fields only.
CalculationInput applyTakeBack(CalculationInput current, const TakeBack &candidate);

} // namespace saxolith
