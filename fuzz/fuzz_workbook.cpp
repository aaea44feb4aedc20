// The .xlsx schedule reader on any bytes (seeded with real workbooks and with small ones built to exhaust
// memory): it never crashes, stays within its bounds, and what it gives is the CSV text a schedule is read
// from, or a reason. tools/fuzz runs it under a memory limit a reader unbounded anywhere would pass: a
// few kilobytes packed unpack to megabytes, which a shared string copied to every cell, nesting without
// end or a table of empty strings turns into gigabytes.
#include "fuzz_check.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/workbook_sheet.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const SheetText sheet = readFirstSheet(bytes);
    require(!sheet.error || sheet.csv.empty(), "an error leaves no text");
    require(!sheet.error || !sheet.error->empty(), "a refusal says why");
    // With bounds small inputs reach: the text stays within them, or the workbook is refused.
    WorkbookBounds small;
    small.part = std::size_t{1} << 20;
    small.text = std::size_t{64} << 10;
    small.cellCharacters = 1000;
    small.depth = 16;
    const SheetText bounded = readFirstSheet(bytes, small);
    require(bounded.error || bounded.csv.size() <= small.text, "the text within its bound");
    require(sheet.error || bounded.error || bounded.csv == sheet.csv, "the bounds change nothing they allow");
    // Through the schedule reader: rows or an error, never both.
    const ScheduleReading reading = readSchedule(bytes);
    require(!(reading.error && !reading.rows.empty()), "an unreadable schedule gives no rows");
    return 0;
}
