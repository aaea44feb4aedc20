#include "output/csv_field.h"

#include "text/number_text.h"

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
    for (const char c : field) {
        if (c == '"') {
            record += '"';
        }
        record += c;
    }
    record += '"';
}

} // namespace saxolith
