#include "optimise/exchange_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>

namespace saxolith
{

namespace
{

// An integer that orders as the key does, equal for equal keys (-0 and 0 alike); keys are not NaN.
std::uint64_t orderedImage(double key)
{
    const auto bits = std::bit_cast<std::uint64_t>(key == 0.0 ? 0.0 : key);
    constexpr std::uint64_t sign = std::uint64_t{1} << 63;
    return (bits & sign) != 0 ? ~bits : bits | sign;
}

using Entry = SortEntry;

constexpr std::uint32_t imageOf(Entry entry)
{
    return static_cast<std::uint32_t>(entry >> 32);
}

// Sorts the entries by image, equal images in the order they stand: a radix sort of at most three
// passes over the bits in which the images differ.
void sortByImage(std::vector<Entry> &entries)
{
    const std::size_t n = entries.size();
    if (n < 2)
        return;
    std::uint32_t lowest = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t highest = 0;
    for (const Entry e : entries) {
        lowest = std::min(lowest, imageOf(e));
        highest = std::max(highest, imageOf(e));
    }
    const int bits = std::bit_width(highest - lowest);
    if (bits == 0)
        return;
    constexpr int widest = 11;
    const int passes = (bits + widest - 1) / widest;
    const int width = (bits + passes - 1) / passes;
    const std::uint32_t mask = (std::uint32_t{1} << width) - 1;
    std::array<std::array<std::uint32_t, std::size_t{1} << widest>, 3> counts{};
    for (const Entry e : entries) {
        const std::uint32_t d = imageOf(e) - lowest;
        for (int p = 0; p < passes; ++p)
            ++counts[static_cast<std::size_t>(p)][(d >> (p * width)) & mask];
    }
    std::vector<Entry> other(n);
    for (int p = 0; p < passes; ++p) {
        auto &count = counts[static_cast<std::size_t>(p)];
        const int shift = p * width;
        std::uint32_t offset = 0;
        for (std::uint32_t &c : count) {
            const std::uint32_t size = c;
            c = offset;
            offset += size;
        }
        for (const Entry e : entries)
            other[count[((imageOf(e) - lowest) >> shift) & mask]++] = e;
        entries.swap(other);
    }
}

// The rows already placed, in list order: which rows of smaller keys stand before a given row.
// A bit per row and counts per 64 rows, so it stays in the cache for a list of any length.
class PlacedRows
{
  public:
    explicit PlacedRows(std::size_t rows) : m_words((rows + 63) / 64, 0), m_tree(m_words.size() + 1, 0) {}
    void add(std::uint32_t row)
    {
        const std::size_t word = row >> 6;
        m_words[word] |= std::uint64_t{1} << (row & 63);
        for (std::size_t p = word + 1; p < m_tree.size(); p += p & (~p + 1))
            ++m_tree[p];
    }
    std::uint32_t before(std::uint32_t row) const
    {
        const std::size_t word = row >> 6;
        const std::uint64_t below = (std::uint64_t{1} << (row & 63)) - 1;
        auto count = static_cast<std::uint32_t>(std::popcount(m_words[word] & below));
        for (std::size_t p = word; p > 0; p -= p & (~p + 1))
            count += m_tree[p];
        return count;
    }

  private:
    std::vector<std::uint64_t> m_words;
    std::vector<std::uint32_t> m_tree;
};

// Free places of one group's ring, taken one by one from the back; sized again for each group.
// The tree spans a power of two of places, those beyond the group never free, so that finding a
// place is a fixed descent without branches.
class FreeSlots
{
  public:
    void reset(std::size_t size)
    {
        const std::size_t span = std::bit_ceil(size);
        m_tree.resize(span + 1);
        for (std::size_t p = 1; p <= span; ++p) {
            const std::size_t from = p - (p & (~p + 1)); // the tree's place p counts (from, p]
            m_tree[p] = static_cast<std::uint32_t>(std::min(p, size) > from ? std::min(p, size) - from : 0);
        }
        m_span = span;
    }
    // Takes the (k+1)-th free place (from 0) and returns it.
    std::size_t take(std::size_t k)
    {
        auto left = static_cast<std::uint32_t>(k + 1);
        std::size_t position = 0;
        for (std::size_t mask = m_span >> 1; mask != 0; mask >>= 1) {
            const std::uint32_t count = m_tree[position + mask];
            const std::uint32_t past = count < left ? ~std::uint32_t{0} : 0;
            position += mask & past;
            left -= count & past;
        }
        for (std::size_t p = position + 1; p <= m_span; p += p & (~p + 1))
            --m_tree[p];
        return position;
    }

  private:
    std::vector<std::uint32_t> m_tree;
    std::size_t m_span = 0;
};

// Entries sorted by image, equal images in list order, get the exchange sort's order in their
// lower halves. The result equals inserting the rows in list order, each at the end of its group
// of equal keys, while every insertion of a smaller key turns each larger group by one (its first
// row to its end). So a group's turns between two of its own insertions are the smaller keys
// inserted between them; a group of one row never turns to any effect. Groups are taken in key
// order, so the rows of smaller keys are exactly those placed before.
void exchangeOrderOfSorted(std::vector<Entry> &entries)
{
    constexpr std::size_t smallGroup = 48;
    const std::size_t n = entries.size();
    PlacedRows placed(n);
    std::vector<std::uint32_t> slot;
    FreeSlots free;
    for (std::size_t begin = 0; begin < n;) {
        const std::uint32_t image = imageOf(entries[begin]);
        std::size_t end = begin + 1;
        while (end < n && imageOf(entries[end]) == image)
            ++end;
        const std::size_t size = end - begin;
        if (size == 1) {
            placed.add(entryIndex(entries[begin]));
            begin = end;
            continue;
        }
        // Within a group the rows form a ring read from `start`; appending puts the row just
        // before `start` in the ring.
        slot.resize(size);
        std::uint32_t start = 0;
        std::uint32_t smallerBefore = 0;
        bool turned = false; // whether any turn moved the ring
        for (std::uint32_t k = 0; k < size; ++k) {
            const std::uint32_t smaller = placed.before(entryIndex(entries[begin + k]));
            if (k > 0) {
                const std::uint32_t turns = smaller - smallerBefore;
                const std::uint32_t step = turns < k ? turns : turns % k;
                turned = turned || step != 0;
                start += step;
                start -= start >= k ? k : 0;
            }
            smallerBefore = smaller;
            slot[k] = start; // inserted at index `start` of a ring of k rows
            ++start;
        }
        const auto lastTurns = static_cast<std::uint32_t>((begin - smallerBefore) % size);
        turned = turned || lastTurns != 0;
        start += lastTurns;
        start -= start >= size ? static_cast<std::uint32_t>(size) : 0;
        for (std::size_t k = 0; k < size; ++k)
            placed.add(entryIndex(entries[begin + k]));

        if (!turned) {
            // The group keeps list order.
        } else if (size <= smallGroup) {
            // A small ring is built as the insertions go.
            std::array<std::uint32_t, smallGroup> ring;
            for (std::size_t k = 0; k < size; ++k) {
                std::copy_backward(ring.begin() + slot[k], ring.begin() + k, ring.begin() + k + 1);
                ring[slot[k]] = entryIndex(entries[begin + k]);
            }
            for (std::size_t p = 0; p < size; ++p) {
                Entry &at = entries[begin + p];
                at = sortEntry(imageOf(at), ring[(start + p) % size]);
            }
        } else {
            // The slot of each insertion is placed offline, last first; the ring is kept in the
            // upper halves of the group's entries, then read into the lower halves from `start`.
            free.reset(size);
            for (std::size_t k = size; k-- > 0;) {
                Entry &at = entries[begin + free.take(slot[k])];
                at = sortEntry(entryIndex(entries[begin + k]), entryIndex(at));
            }
            for (std::size_t p = 0; p < size; ++p) {
                Entry &at = entries[begin + p];
                at = sortEntry(imageOf(at), imageOf(entries[begin + (start + p) % size]));
            }
        }
        begin = end;
    }
}

} // namespace

void exchangeOrderByImage(std::vector<SortEntry> &entries)
{
    sortByImage(entries);
    exchangeOrderOfSorted(entries);
}

std::optional<std::int64_t> wholeHundredths(double key)
{
    if (!(std::fabs(key) < 2e7))
        return std::nullopt;
    const double scaled = key * 100.0;
    const auto k = static_cast<std::int64_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
    if (static_cast<double>(k) / 100.0 != key)
        return std::nullopt;
    return k;
}

std::vector<SortEntry> exchangeOrderEntries(const std::vector<double> &keys)
{
    const std::size_t n = keys.size();
    std::vector<Entry> entries(n);
    if (std::any_of(keys.begin(), keys.end(), [](double k) { return std::isnan(k); })) {
        const std::vector<std::size_t> order = literalExchangeOrder(keys);
        for (std::size_t p = 0; p < n; ++p)
            entries[p] = order[p];
        return entries;
    }
    // Keys in hundredths, as the lists' numbers mostly are, sort on those.
    bool hundredths = true;
    for (std::size_t i = 0; i < n && hundredths; ++i) {
        const auto k = wholeHundredths(keys[i]);
        hundredths = k.has_value();
        if (hundredths)
            entries[i] = hundredthsEntry(*k, static_cast<std::uint32_t>(i));
    }
    if (hundredths) {
        exchangeOrderByImage(entries);
        return entries;
    }
    // Any other keys: sorted by their 64-bit images, then the groups numbered.
    struct Keyed {
        std::uint64_t image;
        std::uint32_t index;
    };
    std::vector<Keyed> from(n);
    std::array<std::array<std::uint32_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t image = orderedImage(keys[i]);
        from[i] = {image, static_cast<std::uint32_t>(i)};
        for (std::size_t b = 0; b < 8; ++b)
            ++counts[b][(image >> (8 * b)) & 0xFFu];
    }
    std::vector<Keyed> to(n);
    for (std::size_t b = 0; b < 8; ++b) {
        auto &count = counts[b];
        if (n == 0 || count[(from[0].image >> (8 * b)) & 0xFFu] == n)
            continue;
        std::uint32_t offset = 0;
        for (std::uint32_t &c : count) {
            const std::uint32_t size = c;
            c = offset;
            offset += size;
        }
        for (const Keyed &entry : from)
            to[count[(entry.image >> (8 * b)) & 0xFFu]++] = entry;
        from.swap(to);
    }
    to = {};
    std::uint32_t group = 0;
    for (std::size_t p = 0; p < n; ++p) {
        if (p > 0 && from[p].image != from[p - 1].image)
            ++group;
        entries[p] = sortEntry(group, from[p].index);
    }
    exchangeOrderOfSorted(entries);
    return entries;
}

std::vector<std::size_t> literalExchangeOrder(const std::vector<double> &keys)
{
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t i = 0; i < order.size(); ++i) {
        double k = keys[order[i]];
        for (std::size_t j = i; j < order.size(); ++j) {
            const double v = keys[order[j]];
            if (k > v || std::isnan(k) || std::isnan(v)) {
                std::swap(order[i], order[j]);
                k = v;
            }
        }
    }
    return order;
}

std::vector<std::size_t> exchangeSortOrder(const std::vector<double> &keys)
{
    const std::vector<SortEntry> entries = exchangeOrderEntries(keys);
    std::vector<std::size_t> order(entries.size());
    for (std::size_t p = 0; p < entries.size(); ++p)
        order[p] = entryIndex(entries[p]);
    return order;
}

} // namespace saxolith
