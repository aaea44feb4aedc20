// The saved files of the calculation book: their names and their text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

enum class BookForm { Text = 1, Table = 2 }; // also the form's bit in the unsaved-books set

std::string_view bookFileName(BookForm form);

// The lines joined by CR LF, with no line end after the last line and no byte-order mark.
std::string bookFileText(const std::vector<std::string> &lines);

// The whole content of a book file in `codePage`.
std::string bookFileBytes(const std::vector<std::string> &lines, std::string_view codePage);

} // namespace saxolith
