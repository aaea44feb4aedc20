// The first sheet of an .xlsx workbook read as the rows of a schedule: cell texts by sheet row.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Whether the bytes begin as a zip archive does (an .xlsx workbook is one).
[[nodiscard]] bool looksLikeWorkbook(std::string_view bytes);

struct SheetText {
    // The first sheet as CSV in UTF-8: line n is the sheet's row n (empty rows as empty lines), every
    // row as wide as the widest, every cell quoted; a line break inside a cell becomes a blank.
    std::string csv;
    std::optional<std::string> error; // why the bytes are not a workbook that can be read
};

// Reads the first sheet of a workbook. Numbers come as Excel shows them in general format (at most 15
// significant digits), shared and inline strings as their text, formulas as their cached values,
// numbers in a date format as the date ("2026-12-10", with the time when it has one).
[[nodiscard]] SheetText readFirstSheet(std::string_view bytes);

} // namespace saxolith
