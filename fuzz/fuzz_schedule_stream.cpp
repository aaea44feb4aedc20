// A pile schedule from any bytes read a piece at a time, in small pieces that cut it everywhere: it gives
// the very rows of the whole reading, lines included, or refuses the file with the whole reading's first
// error; only a workbook is left to the whole reading.
#include "fuzz_check.h"
#include "core/schedule/schedule_file.h"
#include "core/schedule/schedule_stream.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    // The file the stream reads, gone after each input (a run ends without its destructors).
    const struct Scratch {
        std::string path = "/tmp/saxolith_fuzz_schedule_stream_" + std::to_string(::getpid());
        ~Scratch() { std::remove(path.c_str()); }
    } scratch;
    const std::string &path = scratch.path;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(size));
    const ScheduleReading whole = readSchedule(bytes);
    ScheduleStream stream(path, 16 + size % 48);
    const bool streamed = stream.check();
    if (bytes.starts_with("PK\x03\x04")) {
        require(!streamed && !stream.error(), "a workbook is left to the whole reading");
        return 0;
    }
    if (whole.error) {
        require(!streamed, "a refused schedule is not streamed", scheduleErrorText(*whole.error));
        require(stream.error().has_value(), "the stream finds the refusal itself", scheduleErrorText(*whole.error));
        require(scheduleErrorText(*stream.error()) == scheduleErrorText(*whole.error), "the whole reading's error",
                scheduleErrorText(*stream.error()) + " | " + scheduleErrorText(*whole.error));
        return 0;
    }
    require(streamed, "a schedule the whole reading takes is streamed",
            stream.error() ? scheduleErrorText(*stream.error()) : std::string());
    require(stream.rowCount() == whole.rows.size(), "as many rows as the whole reading");
    std::size_t count = 0;
    for (ScheduleRow row; stream.next(row); ++count) {
        require(count < whole.rows.size(), "no row more than the whole reading");
        require(row.line == whole.rows[count].line, "each row on the whole reading's line");
        require(row.cells == whole.rows[count].cells, "each row's cells the whole reading's");
    }
    require(count == whole.rows.size() && !stream.failed(), "every row read");
    return 0;
}
