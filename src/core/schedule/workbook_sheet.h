// The first sheet of an .xlsx workbook read as the rows of a schedule: cell texts by sheet row.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Whether the bytes begin as a zip archive does (an .xlsx workbook is one).
[[nodiscard]] bool looksLikeWorkbook(std::string_view bytes);

// What reading a workbook may take, against one built to exhaust memory; tests shrink them.
struct WorkbookBounds {
    std::size_t part = std::size_t{256} << 20; // what one part may unpack to
    // What the sheet's text may become; also what the shared strings and the parts' other tables may
    // hold, each entry counted with its place in the table.
    std::size_t text = std::size_t{256} << 20;
    std::size_t cellCharacters = 32767; // the most a cell holds, as in the spreadsheet
    int depth = 64;                     // how deep elements may nest
};

struct SheetText {
    // The first sheet as CSV in UTF-8: line n is the sheet's row n (empty rows as empty lines), every
    // row as wide as the widest, every cell quoted; a line break inside a cell becomes a blank.
    std::string csv;
    std::optional<std::string> error; // why the bytes are not a workbook that can be read
};

// Reads the first sheet of a workbook. Numbers come as Excel shows them in general format (at most 15
// significant digits), shared and inline strings as their text, formulas as their cached values,
// numbers in a date format as the date ("2026-12-10", with the time when it has one).
[[nodiscard]] SheetText readFirstSheet(std::string_view bytes, const WorkbookBounds &bounds = {});

// The same text handed to `sink` a piece at a time, the sheet's XML parsed as it is unpacked, so a long
// sheet is never held whole: it is gone through twice, for its widest row, then for its text (a sheet
// whose rows stand out of order is put in order whole). False with `error` as readFirstSheet gives it, or
// with no error when `sink` refused a piece.
bool writeFirstSheet(std::string_view bytes, const std::function<bool(std::string_view piece)> &sink,
                     std::optional<std::string> &error, const WorkbookBounds &bounds = {});

} // namespace saxolith
