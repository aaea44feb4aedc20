// A pile schedule from any bytes through the calculation to the results table and both book forms:
// it is read or refused with a line, every row ends one way or the other, and nothing it holds turns
// a CSV cell into a formula or leaves a message unbounded.
#include "core/book/calculation_book.h"
#include "fuzz_check.h"
#include "core/book/book_file.h"
#include "core/text/csv_field.h"
#include "core/schedule/results_file.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_run.h"

#include <sstream>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const ScheduleReading reading = readSchedule(bytes);
    if (reading.error) {
        require(reading.rows.empty(), "a refused schedule gives no rows");
        // Its line, or 0 for the file as a whole (a workbook that cannot be read).
        require(reading.error->line >= 0, "a refusal names its line");
        // A message quotes at most 60 characters of a cell, so it stays short whatever the file.
        require(reading.error->text.size() < 2000, "a refusal's text is bounded", reading.error->text);
        return 0;
    }
    CalculationBook book;
    const ScheduleResult result = calculateSchedule(reading.rows, book, "t", {}, "GBK");
    require(result.rows.size() == reading.rows.size(), "one result per row");
    require(result.completed + result.refused == static_cast<int>(reading.rows.size()), "every row ends");
    require(book.entryCount() == result.completed, "every completed row is in the book");
    for (const RowResult &row : result.rows) {
        require(row.note.size() < 2000, "a row's note is bounded", row.note);
        require(row.end == RowEnd::Refused || !row.raText.empty(), "a completed row has its Ra");
    }
    std::ostringstream csv;
    writeResultsCsv(csv, reading.rows, result);
    for (std::size_t i = 0; i < reading.rows.size(); ++i) {
        for (const std::string &cell : resultsCells(reading.rows[i], result.rows[i])) {
            std::string field;
            appendCsvField(field, cell);
            const std::string_view opened = field.starts_with('"') ? std::string_view(field).substr(1) : field;
            require(!readsAsFormula(opened), "no CSV cell is a formula", field);
        }
    }
    for (const auto &lines : {book.textLines(), book.tableLines()}) {
        for (const std::string &line : lines) {
            require(fuzz::printable(line), "book lines hold no control character", line);
        }
        (void)bookFileBytes(lines, "GBK");
    }
    return 0;
}
