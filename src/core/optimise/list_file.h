// The text of a saved candidate list: fixed-width lines, each ended by CR LF.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/optimise/candidate_list.h"
#include "core/save/text_file.h"

namespace saxolith
{

enum class ListFileKind { Raw, Filtered };

// File name of the list file (UTF-8).
std::string_view listFileName(ListFileKind kind);

// Writes the whole file text; `timeText` follows "计算时间：".
void writeListFile(TextFileWriter &out, const CandidateList &list, ListFileKind kind,
                   std::string_view timeText);
// The same in UTF-8.
void writeListFile(std::ostream &out, const CandidateList &list, ListFileKind kind,
                   std::string_view timeText);

// Saves the list file at `path` in `codePage`, streamed through a temporary file; nothing on
// success, otherwise an error text naming the file and the reason.
std::optional<std::string> saveListFile(const std::string &path, const CandidateList &list, ListFileKind kind,
                                        std::string_view timeText, std::string_view codePage);

// One row line without its line end, numbered by position (from 1) among `rowCount` rows.
std::string listFileLine(const CandidateList &list, std::size_t row, std::size_t rowCount);

} // namespace saxolith
