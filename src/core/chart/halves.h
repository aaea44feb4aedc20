// The two-thread merge of the chart's reduction: a list of many rows is looked at in two halves at
// once, and what the later half found is taken into the earlier's so that the result is the one a
// single look at all the rows gives (of equals, the earlier row).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace saxolith::chartReduction
{

// Runs work(0) here and work(1) on a second thread at the same time (both here, one after the other,
// when no thread can be started), and passes on what either threw once both have ended.
template <typename Work> void onTwoThreads(Work &&work)
{
    std::exception_ptr failure;
    std::thread second;
    try {
        second = std::thread([&] {
            try {
                work(1);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    } catch (const std::system_error &) {
        work(1);
    }
    try {
        work(0);
    } catch (...) {
        if (second.joinable())
            second.join();
        throw;
    }
    if (second.joinable())
        second.join();
    if (failure)
        std::rethrow_exception(failure);
}

// Takes the later half's raster into the earlier's: each cell's taken bit and first row, where a cell
// taken in both halves keeps the earlier half's row.
void takeLaterRaster(std::vector<std::uint64_t> &taken, std::uint32_t *firstRow,
                     const std::vector<std::uint64_t> &takenLater, const std::uint32_t *firstRowLater);

} // namespace saxolith::chartReduction
