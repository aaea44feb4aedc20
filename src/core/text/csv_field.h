// One CSV field as every CSV the program writes holds it: quoted as RFC 4180 asks, never a formula.
#pragma once

#include <string>
#include <string_view>

namespace saxolith
{

// Whether a spreadsheet would run the cell as a formula or take it as a command: it begins with "=",
// "+", "-", "@", a tab or a CR and is not a number ("-3" and "+5" are numbers and stay so; a lone
// "-", the mark of a field that does not apply, is nothing to run).
bool readsAsFormula(std::string_view field);

// Appends the field to a record: a text that reads as a formula behind an apostrophe, so the
// spreadsheet shows it as the text it is; quoted when it holds a comma, a quote or a line end.
void appendCsvField(std::string &record, std::string_view field);

} // namespace saxolith
