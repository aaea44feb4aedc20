// Counts the bytes a benchmark program holds from the heap, so that a command's peak above what
// was held before it can be shown per row. Include in one source file of a program only: it
// replaces the program's global operator new and delete.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <malloc.h>
#include <new>

// The replacements below take from malloc and give back to free, which the compiler cannot see.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

namespace allocation_meter
{

inline std::atomic<std::size_t> held{0};
inline std::atomic<std::size_t> peak{0};

inline void *take(std::size_t size, std::size_t alignment = 0)
{
    void *p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const std::size_t now = held.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    std::size_t high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
    return p;
}

inline void give(void *p) noexcept
{
    if (p != nullptr) {
        held.fetch_sub(malloc_usable_size(p));
        std::free(p);
    }
}

// Starts a measurement: the peak from now on, counted from what is held now.
inline std::size_t start()
{
    peak.store(held.load());
    return held.load();
}

// The most held above `from` since start().
inline std::size_t above(std::size_t from)
{
    const std::size_t high = peak.load();
    return high > from ? high - from : 0;
}

} // namespace allocation_meter

void *operator new(std::size_t size)
{
    return allocation_meter::take(size);
}
void *operator new[](std::size_t size)
{
    return allocation_meter::take(size);
}
void *operator new(std::size_t size, std::align_val_t alignment)
{
    return allocation_meter::take(size, static_cast<std::size_t>(alignment));
}
void *operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocation_meter::take(size, static_cast<std::size_t>(alignment));
}
void operator delete(void *p) noexcept
{
    allocation_meter::give(p);
}
void operator delete[](void *p) noexcept
{
    allocation_meter::give(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    allocation_meter::give(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    allocation_meter::give(p);
}
void operator delete(void *p, std::align_val_t) noexcept
{
    allocation_meter::give(p);
}
void operator delete[](void *p, std::align_val_t) noexcept
{
    allocation_meter::give(p);
}
void operator delete(void *p, std::size_t, std::align_val_t) noexcept
{
    allocation_meter::give(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept
{
    allocation_meter::give(p);
}
