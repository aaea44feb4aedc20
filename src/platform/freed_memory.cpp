#include "freed_memory.h"

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

// The C library's own starting values, which it raises as the program frees large blocks.
constexpr int startingThreshold = 128 * 1024;
// The largest block the heap itself may give out (larger ones are mapped apart) and the free room
// at its top that it keeps.
constexpr int heapBlockLimit = 32 * 1024 * 1024;
constexpr int keptRoom = 512 * 1024 * 1024;
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
        mallopt(M_TRIM_THRESHOLD, startingThreshold);
        mallopt(M_MMAP_THRESHOLD, startingThreshold);
        malloc_trim(0);
    }
}
#else
FreedMemoryKept::FreedMemoryKept() = default;
FreedMemoryKept::~FreedMemoryKept() = default;
#endif

} // namespace saxolith
