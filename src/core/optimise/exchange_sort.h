// The order the candidate lists' exchange sort leaves, found without exchanging: ties end in the
// order the exchanges would leave them, which the screen has always shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace saxolith
{

// The order the exchange sort leaves: for each place, the index of the key that ends there.
// Fewer than 2^32 keys (a list's rows).
std::vector<std::size_t> exchangeSortOrder(const std::vector<double> &keys);
// The same order as the screen has always made it, one exchange at a time; a key that is no number
// compares unordered with every key, and unordered keys are exchanged. Used for such keys, and the
// reference the fast order is checked against.
std::vector<std::size_t> literalExchangeOrder(const std::vector<double> &keys);

// The sort works on one 64-bit entry per key: an image of the key in the upper half (equal images
// for equal keys, ordered as the keys) and the key's index in the lower half. Once the order is
// found, the lower halves hold it: for each place, the index of the key that ends there.
using SortEntry = std::uint64_t;

constexpr SortEntry sortEntry(std::uint32_t image, std::uint32_t index)
{
    return static_cast<SortEntry>(image) << 32 | index;
}
// The entry of a key of whole hundredths k (|k| < 2^31): shifted so that the unsigned order is the
// signed one.
constexpr SortEntry hundredthsEntry(std::int64_t k, std::uint32_t index)
{
    return sortEntry(static_cast<std::uint32_t>(k + (std::int64_t{1} << 31)), index);
}
constexpr std::uint32_t entryIndex(SortEntry entry)
{
    return static_cast<std::uint32_t>(entry & 0xFFFF'FFFFu);
}

// Where each row ends in the exchange sort's order, for keys of few distinct values (a run's
// diameters: a few hundred), found group by group without sorting the entries.
struct FewKeyPlaces {
    // For each row, in list order: the rank of its key among the distinct keys (upper half) and its
    // place in the order (lower half).
    std::vector<std::uint64_t> places;
    // Where the rows of each rank begin in the order, and the count of rows last.
    std::vector<std::uint32_t> begins;
};
// The places of entries standing in index order, made in the entries' room (they are left empty);
// nothing, and the entries as they were, when the images take too many values for the groups to pay
// (at least eight rows a value on average, and at most 4096 values).
std::optional<FewKeyPlaces> exchangePlacesOfFewKeys(std::vector<SortEntry> &entries);

// Entries standing in index order, put into the exchange sort's order of their images (where the
// images take few values, the lower halves alone).
void exchangeOrderByImage(std::vector<SortEntry> &entries);
// The exchange sort's order of any keys, as entries.
std::vector<SortEntry> exchangeOrderEntries(const std::vector<double> &keys);

// Whole hundredths k (|k| < 2^31) that read as `key`: 100·key rounded, when k / 100 gives the key
// back. Two keys that have them compare as their hundredths do.
std::optional<std::int64_t> wholeHundredths(double key);

} // namespace saxolith
