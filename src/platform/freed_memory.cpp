#include "platform/freed_memory.h"

#include <cstdlib> // names the C library (__GLIBC__)

#if defined(__GLIBC__)
#include <malloc.h>

#include <mutex>
#endif

namespace saxolith
{

#if defined(__GLIBC__)
namespace
{
// PDF files are written on the window's thread and on workers alike.
std::mutex holding;
int holders = 0;

// The largest block the heap itself may give out (larger ones are mapped apart) and the free room
// at its top that it keeps while a PDF is written.
constexpr int heapBlockLimit = 32 * 1024 * 1024;
constexpr int keptRoom = 512 * 1024 * 1024;
// The room kept afterwards: where the C library's own setting goes once the program has freed a block
// of the largest size (it raises its settings as large blocks are freed, and a set value ends that),
// so the rest of the program runs as it would have after writing the PDF.
constexpr int roomAfterwards = 2 * heapBlockLimit;
} // namespace

FreedMemoryKept::FreedMemoryKept()
{
    const std::lock_guard lock(holding);
    if (holders++ == 0) {
        mallopt(M_MMAP_THRESHOLD, heapBlockLimit);
        mallopt(M_TRIM_THRESHOLD, keptRoom);
    }
}

FreedMemoryKept::~FreedMemoryKept()
{
    const std::lock_guard lock(holding);
    if (--holders == 0) {
        mallopt(M_TRIM_THRESHOLD, roomAfterwards);
        malloc_trim(0);
    }
}
#else
FreedMemoryKept::FreedMemoryKept() = default;
FreedMemoryKept::~FreedMemoryKept() = default;
#endif

} // namespace saxolith
