#include "output/csv_field.h"

#include "text/number_text.h"

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
    const bool quoted = field.find_first_of(",\"\r\n") != std::string_view::npos;
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
