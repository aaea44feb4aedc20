// The candidate list on show as a spreadsheet: CSV and .xlsx files that Excel opens.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "core/capacity/shaft_check.h"
#include "core/optimise/candidate_list.h"
#include "core/save/text_file.h"
#include "core/texts/language.h"

namespace saxolith
{

// Rows written so far of all; called now and then from the thread that writes. A call with a total of 0
// says that the rest takes a while without steps to count (the workbook being packed).
using ExportProgress = std::function<void(std::size_t done, std::size_t total)>;

// Rows below the header that one worksheet holds (Excel's 1,048,576 rows less the header).
inline constexpr std::size_t xlsxRowsPerSheet = 1'048'575;

// The shaft's strength beside each candidate, in a last column "Rp(kN)": Rp = ψc·fc·Ap of the
// candidate's section at the report's concrete grade, at the precision of its Ra.
struct ShaftColumn {
    double fc = 0.0; // N/mm²
    double psiC = 0.0;
};

// Rp of a candidate as its cell holds it.
std::string shaftCell(const CandidateRow &row, const ShaftColumn &shaft);

// The header of a column in a spreadsheet: the list's title without its padding blanks or sort mark, in
// `language` (the window's: the list files themselves stay in Chinese).
std::string exportHeader(int column, Language language = Language::Chinese);

// What a cell holds in a spreadsheet: the text the list shows, section names without their padding
// blanks, and nothing where the list shows "-".
std::string exportCell(const CandidateList &list, std::size_t row, int column);

// The CSV text: a byte-order mark, the header row, one row per candidate in list order, all twelve
// columns (and Rp with a shaft), fields quoted where they must be, every record ended by CR LF.
void writeListCsv(std::ostream &out, const CandidateList &list, const ExportProgress &progress = {},
                  const std::optional<ShaftColumn> &shaft = std::nullopt,
                  Language language = Language::Chinese);
// The same text handed to `sink` in pieces of about a megabyte; false when the sink refused a piece.
bool writeListCsv(const ByteSink &sink, const CandidateList &list, const ExportProgress &progress = {},
                  const std::optional<ShaftColumn> &shaft = std::nullopt,
                  Language language = Language::Chinese);

// Writes the CSV file through a temporary file; nothing on success, otherwise the error text.
std::optional<std::string> exportListCsv(const std::string &path, const CandidateList &list,
                                         const ExportProgress &progress = {},
                                         const std::optional<ShaftColumn> &shaft = std::nullopt,
                                         Language language = Language::Chinese);

// Where the workbook export of `rows` rows beside `path` keeps the library's temporary files (two
// copies of the sheet's XML at the end): the system's temporary folder, otherwise the folder of
// `path`, whichever has room first; nothing when neither has.
std::optional<std::filesystem::path> xlsxScratchFolder(const std::string &path, std::size_t rows);

// Why the spreadsheet library stopped (one of its error numbers), in plain words; a failure of the
// system it met (errno set) as the reason the system gives.
std::string workbookErrorText(int error);

// Writes the workbook: worksheet `sheetName` with the header frozen and filtered, numbers as
// numbers in the format of their shown decimals; rows beyond `rowsPerSheet` continue on further
// sheets ("name (2)", …) with the same header. Through a temporary file, like the CSV; refused
// when no folder has room for the library's temporary files.
std::optional<std::string> exportListXlsx(const std::string &path, const CandidateList &list,
                                          std::string_view sheetName, const ExportProgress &progress = {},
                                          std::size_t rowsPerSheet = xlsxRowsPerSheet,
                                          const std::optional<ShaftColumn> &shaft = std::nullopt,
                                          Language language = Language::Chinese);

} // namespace saxolith
