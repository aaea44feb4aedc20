#include "optimise/candidate_list.h"

namespace saxolith {

std::string CandidateList::cell(std::size_t, int) const { return {}; }
void CandidateList::renumber() {}
void CandidateList::sortAscending(int) {}
void CandidateList::reverse() {}
CandidateList CandidateList::filterByRa(double, double) const { return {}; }
std::vector<std::size_t> exchangeSortOrder(const std::vector<double> &) { return {}; }
RaRange normaliseRaRange(double minimum, double maximum) { return {minimum, maximum}; }
HeaderClickOutcome headerClick(CandidateList &, int, int &, int &) { return {}; }
FilterOutcome filterCandidates(const CandidateList &, std::string_view, std::string_view)
{
    return {};
}
TakeBack takeBack(const CandidateList &, std::size_t) { return {}; }

} // namespace saxolith
