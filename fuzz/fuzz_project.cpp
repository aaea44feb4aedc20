// Reading a project file from any bytes: it is refused with a reason or read whole, and a file read
// is written back to a file that reads as the same project and the same book.
#include "core/book/calculation_book.h"
#include "fuzz_check.h"
#include "core/project/project.h"

#include <sstream>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    CalculationBook book;
    const ProjectReading reading = readProject(bytes, &book);
    if (!reading.project) {
        require(!reading.error.empty(), "a refused file says why");
        require(book.empty(), "a refused file leaves the book alone");
        return 0;
    }
    require(book.entryCount() == static_cast<int>(reading.project->entries.size()), "every entry recorded");
    for (const std::string &line : book.textLines()) {
        require(fuzz::printable(line), "book lines stay printable", line);
    }
    std::ostringstream out;
    writeProject(out, *reading.project);
    CalculationBook again;
    const ProjectReading second = readProject(out.str(), &again);
    require(second.project && *second.project == *reading.project, "written back, the same project", second.error);
    require(again.textLines() == book.textLines() && again.tableLines() == book.tableLines(),
            "written back, the same book");
    return 0;
}
