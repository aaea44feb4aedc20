#include "core/optimise/exchange_sort.h"

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

// Set bits of a word, counted in the word itself: the portable build has no instruction for it, and
// a call per row costs more than the count.
std::uint32_t bitCount(std::uint64_t word)
{
    word -= (word >> 1) & 0x5555'5555'5555'5555ULL;
    word = (word & 0x3333'3333'3333'3333ULL) + ((word >> 2) & 0x3333'3333'3333'3333ULL);
    word = (word + (word >> 4)) & 0x0F0F'0F0F'0F0F'0F0FULL;
    return static_cast<std::uint32_t>((word * 0x0101'0101'0101'0101ULL) >> 56);
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
        std::uint32_t count = bitCount(m_words[word] & below);
        for (std::size_t p = word; p > 0; p -= p & (~p + 1))
            count += m_tree[p];
        return count;
    }

  private:
    std::vector<std::uint64_t> m_words;
    std::vector<std::uint32_t> m_tree;
};

// One group's ring of rows, built as the insertions go: blocks of up to `blockRows` rows, their
// counts kept in ring order side by side, and the place of the ring's first row. A turn walks the
// counts from that place, forward or back, whichever way is shorter; between two insertions of a
// group the turns are about as many as the groups of smaller keys, so the walk passes a few counts,
// and an insertion moves at most one block's rows.
class RowRing
{
  public:
    void clear()
    {
        m_rows.clear();
        m_counts.clear();
        m_blocks.clear();
        m_size = 0;
    }

    // Puts `row` at the end of the ring (just before its first row).
    void append(std::uint32_t row)
    {
        if (m_size == 0) {
            m_rows.emplace_back();
            m_rows.back()[0] = row;
            m_counts.assign(1, 1);
            m_blocks.assign(1, 0);
            m_place = 0;
            m_at = 0;
            m_size = 1;
            return;
        }
        if (m_counts[m_place] == blockRows)
            split();
        Rows &rows = m_rows[m_blocks[m_place]];
        std::uint32_t &count = m_counts[m_place];
        std::copy_backward(rows.begin() + m_at, rows.begin() + count, rows.begin() + count + 1);
        rows[m_at] = row;
        ++count;
        ++m_at; // the first row stays first
        ++m_size;
    }

    // Moves the first row to the end, `turns` times (fewer than the ring's rows).
    void turn(std::uint32_t turns)
    {
        const std::uint32_t *counts = m_counts.data();
        const auto blocks = static_cast<std::uint32_t>(m_counts.size());
        std::uint32_t place = m_place;
        if (turns <= m_size / 2) {
            std::uint32_t at = m_at + turns;
            while (at >= counts[place]) {
                at -= counts[place];
                place = place + 1 == blocks ? 0 : place + 1;
            }
            m_at = at;
        } else {
            auto back = static_cast<std::uint32_t>(m_size - turns);
            std::uint32_t at = m_at;
            while (back > at) {
                back -= at + 1;
                place = (place == 0 ? blocks : place) - 1;
                at = counts[place] - 1;
            }
            m_at = at - back;
        }
        m_place = place;
    }

    // The ring's rows from the first, written at `out`.
    void read(std::uint32_t *out) const
    {
        std::uint32_t place = m_place;
        std::uint32_t at = m_at;
        for (std::size_t p = 0; p < m_size; ++p) {
            out[p] = m_rows[m_blocks[place]][at];
            if (++at == m_counts[place]) {
                place = place + 1 == m_counts.size() ? 0 : place + 1;
                at = 0;
            }
        }
    }

  private:
    static constexpr std::uint32_t blockRows = 64;
    using Rows = std::array<std::uint32_t, blockRows>;

    // Halves the full block of the first row, the upper half into a new block after it.
    void split()
    {
        constexpr std::uint32_t half = blockRows / 2;
        const auto added = static_cast<std::uint32_t>(m_rows.size());
        m_rows.emplace_back();
        const Rows &full = m_rows[m_blocks[m_place]];
        std::copy(full.begin() + half, full.end(), m_rows.back().begin());
        m_counts[m_place] = half;
        m_counts.insert(m_counts.begin() + m_place + 1, blockRows - half);
        m_blocks.insert(m_blocks.begin() + m_place + 1, added);
        if (m_at >= half) {
            m_at -= half;
            ++m_place;
        }
    }

    std::vector<Rows> m_rows;            // each block's rows
    std::vector<std::uint32_t> m_counts; // in ring order: the rows of each block
    std::vector<std::uint32_t> m_blocks; // in ring order: which block
    std::size_t m_size = 0;
    std::uint32_t m_place = 0; // the first row: its block's place in ring order, its place there
    std::uint32_t m_at = 0;
};

// One group of equal keys: `smallerBefore` holds for each of its rows, in list order, the count of
// rows of smaller keys before it in the list; `smallerAll` is the count of all rows of smaller keys.
// Writes for each place of the group in the exchange sort's order the group's row that ends there,
// by its place among the group's rows in list order.
//
// The result equals inserting the rows in list order, each at the end of its group of equal keys,
// while every insertion of a smaller key turns each larger group by one (its first row to its end).
// So a group's turns between two of its own insertions are the smaller keys inserted between them;
// a group of one row never turns to any effect.
void arrangeGroup(const std::uint32_t *smallerBefore, std::size_t size, std::size_t smallerAll, RowRing &ring,
                  std::uint32_t *order)
{
    // Whether any turn moves a ring at all: otherwise the group keeps list order.
    std::uint32_t before = smallerBefore[0];
    bool turned = false;
    for (std::uint32_t k = 1; k < size && !turned; ++k) {
        const std::uint32_t smaller = smallerBefore[k];
        const std::uint32_t turns = smaller - before;
        turned = (turns < k ? turns : turns % k) != 0;
        before = smaller;
    }
    if (!turned && (smallerAll - before) % size == 0) {
        std::iota(order, order + size, std::uint32_t{0});
        return;
    }
    ring.clear();
    before = smallerBefore[0];
    for (std::uint32_t k = 0; k < size; ++k) {
        const std::uint32_t smaller = smallerBefore[k];
        if (k > 0) {
            const std::uint32_t turns = smaller - before;
            ring.turn(turns < k ? turns : turns % k);
        }
        before = smaller;
        ring.append(k);
    }
    ring.turn(static_cast<std::uint32_t>((smallerAll - before) % size));
    ring.read(order);
}

// Entries sorted by image, equal images in list order, get the exchange sort's order in their
// lower halves. Groups are taken in key order, so the rows of smaller keys are exactly those placed
// before.
void exchangeOrderOfSorted(std::vector<Entry> &entries)
{
    const std::size_t n = entries.size();
    PlacedRows placed(n);
    RowRing ring;
    std::vector<std::uint32_t> order; // a group's order, by place among its rows
    std::vector<std::uint32_t> rows;  // a group's rows in list order
    std::vector<std::uint32_t> smaller; // for each, the rows of smaller keys before it
    for (std::size_t begin = 0; begin < n;) {
        const std::uint32_t image = imageOf(entries[begin]);
        std::size_t end = begin + 1;
        while (end < n && imageOf(entries[end]) == image)
            ++end;
        const std::size_t size = end - begin;
        if (size > 1) {
            rows.resize(size);
            smaller.resize(size);
            for (std::size_t k = 0; k < size; ++k) {
                rows[k] = entryIndex(entries[begin + k]);
                smaller[k] = placed.before(rows[k]);
            }
            for (const std::uint32_t row : rows)
                placed.add(row);
            order.resize(size);
            arrangeGroup(smaller.data(), size, begin, ring, order.data());
            for (std::size_t p = 0; p < size; ++p)
                entries[begin + p] = sortEntry(image, rows[order[p]]);
        } else {
            placed.add(entryIndex(entries[begin]));
        }
        begin = end;
    }
}

// Each group's order, turned into the place in the whole order of each of its rows: `smallerBefore`,
// by the place among the group's rows, the count of rows of smaller keys before each, becomes that
// place; `places`, each row's rank and place among its group's rows, becomes its rank and place in
// the whole order.
void placeInWholeOrder(FewKeyPlaces &out, std::vector<std::uint32_t> &smallerBefore)
{
    RowRing ring;
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> &placeOf = smallerBefore; // kept where the group's counts were
    const std::size_t groups = out.begins.size() - 1;
    for (std::size_t r = 0; r < groups; ++r) {
        const std::uint32_t begin = out.begins[r];
        const std::size_t size = out.begins[r + 1] - begin;
        order.resize(size);
        arrangeGroup(smallerBefore.data() + begin, size, begin, ring, order.data());
        for (std::uint32_t p = 0; p < size; ++p)
            placeOf[begin + order[p]] = begin + p;
    }
    for (std::uint64_t &place : out.places) {
        const auto rank = static_cast<std::uint32_t>(place >> 32);
        place = static_cast<std::uint64_t>(rank) << 32 |
                placeOf[out.begins[rank] + static_cast<std::uint32_t>(place)];
    }
}

} // namespace

std::optional<FewKeyPlaces> exchangePlacesOfFewKeys(std::vector<SortEntry> &entries)
{
    constexpr std::size_t mostGroups = 4096;
    constexpr std::size_t leastRowsPerGroup = 8;
    const std::size_t n = entries.size();
    const std::size_t limit = std::min(mostGroups, n / leastRowsPerGroup);
    if (limit < 2)
        return std::nullopt;
    // The distinct images, numbered as met, in an open table of twice the room.
    const std::size_t tableSize = std::bit_ceil(2 * limit);
    const int tableShift = 64 - std::countr_zero(tableSize);
    struct Known {
        std::uint32_t image = 0;
        std::uint32_t id = 0; // from 1; 0: a free place
    };
    std::vector<Known> table(tableSize);
    std::vector<std::uint32_t> images;
    std::vector<std::uint32_t> sizes;
    images.reserve(limit);
    sizes.reserve(limit);
    std::vector<std::uint16_t> ids;
    ids.reserve(n); // its pages are touched only as far as the images are met
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t image = imageOf(entries[i]);
        auto at = static_cast<std::size_t>((image * 0x9E3779B97F4A7C15ULL) >> tableShift);
        while (table[at].id != 0 && table[at].image != image)
            at = (at + 1) & (tableSize - 1);
        if (table[at].id == 0) {
            if (images.size() == limit)
                return std::nullopt;
            images.push_back(image);
            sizes.push_back(0);
            table[at] = {image, static_cast<std::uint32_t>(images.size())};
        }
        const std::uint32_t id = table[at].id - 1;
        ids.push_back(static_cast<std::uint16_t>(id));
        ++sizes[id];
    }
    // Ranks by image, and where each rank's group begins.
    const std::size_t groups = images.size();
    std::vector<std::uint32_t> byImage(groups);
    std::iota(byImage.begin(), byImage.end(), std::uint32_t{0});
    std::sort(byImage.begin(), byImage.end(),
              [&](std::uint32_t a, std::uint32_t b) { return images[a] < images[b]; });
    std::vector<std::uint16_t> rankOf(groups);
    FewKeyPlaces out;
    out.begins.assign(groups + 1, 0);
    for (std::size_t r = 0; r < groups; ++r) {
        rankOf[byImage[r]] = static_cast<std::uint16_t>(r);
        out.begins[r + 1] = out.begins[r] + sizes[byImage[r]];
    }
    // In list order: each row's rank and place among its group's rows, in the room of the entries;
    // and in the order's room, at that place, the count of rows of smaller keys before it, summed
    // over ranks by a Fenwick tree.
    std::vector<std::uint32_t> met(groups + 1, 0);
    std::vector<std::uint32_t> next(out.begins.begin(), out.begins.end() - 1);
    std::vector<std::uint32_t> smallerBefore(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t rank = rankOf[ids[i]];
        std::uint32_t smaller = 0;
        for (std::size_t p = rank; p > 0; p -= p & (~p + 1))
            smaller += met[p];
        for (std::size_t p = rank + 1; p <= groups; p += p & (~p + 1))
            ++met[p];
        const std::uint32_t at = next[rank]++;
        smallerBefore[at] = smaller;
        entries[i] = static_cast<std::uint64_t>(rank) << 32 | (at - out.begins[rank]);
    }
    ids = {};
    out.places = std::move(entries);
    entries = {};
    placeInWholeOrder(out, smallerBefore);
    return out;
}

void exchangeOrderByImage(std::vector<SortEntry> &entries)
{
    if (const std::optional<FewKeyPlaces> few = exchangePlacesOfFewKeys(entries)) {
        entries.resize(few->places.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[static_cast<std::uint32_t>(few->places[i])] = static_cast<std::uint32_t>(i);
        return;
    }
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
