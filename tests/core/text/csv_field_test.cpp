#include "core/text/csv_field.h"

#include <gtest/gtest.h>

#include <string>

namespace saxolith
{
namespace
{

// A text a spreadsheet would run is written behind an apostrophe; a number stays a number.
TEST(CsvField, FormulasBecomePlainTextAndNumbersStayNumbers)
{
    const std::pair<std::string, std::string> cases[] = {
        {"=1+1", "'=1+1"},
        {"+1+2", "'+1+2"},
        {"-A1", "'-A1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"=HYPERLINK(\"http://h\",\"x\")", "\"'=HYPERLINK(\"\"http://h\"\",\"\"x\"\")\""},
        {"-3", "-3"},
        {"+5", "+5"},
        {"-1.5E3", "-1.5E3"},
        {"-", "-"},
        {"a,b", "\"a,b\""},
        {"\"", "\"\"\"\""},
        {"\"a\"\"b,\"", "\"\"\"a\"\"\"\"b,\"\"\""},
        {"", ""},
        {"东-1", "东-1"},
        {"x=1", "x=1"},
    };
    for (const auto &[text, field] : cases) {
        std::string record;
        appendCsvField(record, text);
        EXPECT_EQ(record, field) << text;
    }
}

} // namespace
} // namespace saxolith
