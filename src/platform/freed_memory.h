// Keeping freed memory in the process for the length of a long write or run.
#pragma once

namespace saxolith
{

// While one lives, memory the program frees stays with it for the next allocation instead of going
// back to the system. The PDF writer takes and frees several megabytes for every page it compresses;
// given back each time, every page would pay for the system to hand the same memory over afresh.
// saxolith-batch makes and frees each piece of a schedule's rows the same way, for the whole run.
// What is left over is given back when the last one ends, and the C library is left as it sets
// itself once such blocks have been freed. Where the C library offers no such setting it does nothing.
class FreedMemoryKept
{
  public:
    FreedMemoryKept();
    ~FreedMemoryKept();
    FreedMemoryKept(const FreedMemoryKept &) = delete;
    FreedMemoryKept &operator=(const FreedMemoryKept &) = delete;
};

} // namespace saxolith
