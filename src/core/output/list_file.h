// The text of a saved candidate list: fixed-width lines, each ended by CR LF.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "optimise/candidate_list.h"

namespace saxolith
{

enum class ListFileKind { Raw, Filtered };

// File name of the list file (UTF-8).
std::string_view listFileName(ListFileKind kind);

// Writes the whole file text in UTF-8; `timeText` follows "计算时间：".
void writeListFile(std::ostream &out, const CandidateList &list, ListFileKind kind,
                   std::string_view timeText);

// One row line without its line end, numbered by position (from 1) among `rowCount` rows.
std::string listFileLine(const CandidateList &list, std::size_t row, std::size_t rowCount);

} // namespace saxolith
