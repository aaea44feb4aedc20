// The .xlsx schedule reader on any bytes (seeded with real workbooks): it never crashes, stays within
// its bounds, and what it gives is the CSV text a schedule is read from, or a reason.
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
    // Through the schedule reader: rows or an error, never both.
    const ScheduleReading reading = readSchedule(bytes);
    require(!(reading.error && !reading.rows.empty()), "an unreadable schedule gives no rows");
    return 0;
}
