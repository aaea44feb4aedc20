// The saved files of the calculation book: their text and bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// The lines joined by CR LF, with no line end after the last line and no byte-order mark.
std::string bookFileText(const std::vector<std::string> &lines);

class TextFileWriter;

// The lines as `bookFileText` joins them, into a text-file writer.
void writeBookFile(TextFileWriter &out, const std::vector<std::string> &lines);

// The whole content of a book file in `codePage`.
std::string bookFileBytes(const std::vector<std::string> &lines, std::string_view codePage);

// Saves the book file at `path` in `codePage` through a temporary file; nothing on success,
// otherwise an error text naming the file and the reason.
std::optional<std::string> saveBookFile(const std::string &path, const std::vector<std::string> &lines,
                                        std::string_view codePage);

} // namespace saxolith
