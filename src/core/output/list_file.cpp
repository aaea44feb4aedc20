#include "output/list_file.h"

namespace saxolith {

std::string_view listFileName(ListFileKind) { return {}; }
void writeListFile(std::ostream &, const CandidateList &, ListFileKind, std::string_view) {}
std::string listFileLine(const CandidateList &, std::size_t, std::size_t) { return {}; }

} // namespace saxolith
