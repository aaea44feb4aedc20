#include "core/text/csv_field.h"

#include "core/text/number_text.h"

#include <algorithm>

namespace saxolith
{

bool readsAsFormula(std::string_view field)
{
    if (field.empty()) {
        return false;
    }
    switch (field.front()) {
    case '=':
    case '@':
    case '\t':
    case '\r':
        return true;
    case '+':
    case '-':
        return field.size() > 1 && !strictNumber(field).has_value();
    default:
        return false;
    }
}

void appendCsvField(std::string &record, std::string_view field)
{
    const bool guarded = readsAsFormula(field);
    // A plain scan: find_first_of looks each byte up in the set with a call of its own.
    const bool quoted = std::any_of(field.begin(), field.end(),
                                    [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; });
    if (quoted) {
        record += '"';
    }
    if (guarded) {
        record += '\'';
    }
    if (!quoted) {
        record += field;
        return;
    }
    // The text between quotes goes over in one piece each, every quote doubled.
    for (std::size_t quote; (quote = field.find('"')) != std::string_view::npos;
         field.remove_prefix(quote + 1)) {
        record.append(field.data(), quote + 1);
        record += '"';
    }
    record += field;
    record += '"';
}

} // namespace saxolith
