#include "optimise/candidate_list.h"

#include "capacity/formulas.h"
#include "optimise/option_grid.h"
#include "text/candidate_number.h"
#include "text/fixed_width.h"
#include "text/number_text.h"
#include "texts/optimisation.h"

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

constexpr std::string_view dash = "-";
constexpr double noUpperLimit = 1e15;
using enum CandidateColumn;
constexpr std::size_t progressStride = 1 << 16; // rows between two reports of a long command

} // namespace

std::string CandidateList::cell(std::size_t index, CandidateColumn column) const
{
    if (index >= m_rows.size())
        return {};
    const CandidateRow &r = m_rows[index];
    const bool qpaRoute = r.route == StrengthRoute::QpaGiven;
    switch (column) {
    case Number:
        return r.numberDigits == 0 ? std::to_string(r.number) : candidateNumber(r.number, r.numberDigits);
    case Section:
        return std::string(sectionTableName(r.section));
    case FirstDimension:
        return formatGeneral(r.first);
    case SecondDimension:
        return sectionRow(r.section).hasSecond ? formatGeneral(r.second) : std::string(dash);
    case Ra:
        return displayRounded(r.ra, r.precision);
    case Strength:
        return formatFixed(r.strength, 10, qpaRoute ? 0 : 2);
    case Basis:
        return qpaRoute ? std::string(dash) : std::to_string(static_cast<int>(r.basis));
    case Integrity:
        if (qpaRoute)
            return std::string(dash);
        if (r.basis == IntegrityBasis::Class)
            return std::string(integrityClassName(r.integrityClass));
        return formatFixed(r.index, 10, 2);
    case Psi:
        return qpaRoute ? std::string(dash) : formatFixed(r.psi, 7, 4);
    case Qpa:
        return displayRounded(r.qpa, r.precision);
    case Route:
        return std::to_string(static_cast<int>(r.route));
    default:
        return {};
    }
}

void CandidateList::renumber()
{
    const auto digits = static_cast<std::uint8_t>(digitCount(m_rows.size()));
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].number = static_cast<std::uint32_t>(i + 1);
        m_rows[i].numberDigits = digits;
    }
}

namespace
{

// An integer that orders as the key does, equal for equal keys (-0 and 0 alike); keys are not NaN.
std::uint64_t orderedImage(double key)
{
    const auto bits = std::bit_cast<std::uint64_t>(key == 0.0 ? 0.0 : key);
    constexpr std::uint64_t sign = std::uint64_t{1} << 63;
    return (bits & sign) != 0 ? ~bits : bits | sign;
}

// The sort works on one 64-bit entry per row: an image of the row's key in the upper half (equal
// images for equal keys, ordered as the keys) and the row's index in the lower half. Once the
// order is found, the lower halves hold it: for each place, the index of the row that ends there.
using Entry = std::uint64_t;
constexpr Entry lowHalf = 0xFFFF'FFFFu;

constexpr std::uint32_t imageOf(Entry entry)
{
    return static_cast<std::uint32_t>(entry >> 32);
}
constexpr std::uint32_t indexOf(Entry entry)
{
    return static_cast<std::uint32_t>(entry & lowHalf);
}
constexpr Entry entryOf(std::uint32_t image, std::uint32_t index)
{
    return static_cast<Entry>(image) << 32 | index;
}
// Hundredths (|k| < 2^31) as an image: shifted so that the unsigned order is the signed one.
constexpr std::uint32_t hundredthsImage(std::int64_t k)
{
    return static_cast<std::uint32_t>(k + (std::int64_t{1} << 31));
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
            placed.add(indexOf(entries[begin]));
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
            const std::uint32_t smaller = placed.before(indexOf(entries[begin + k]));
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
            placed.add(indexOf(entries[begin + k]));

        if (!turned) {
            // The group keeps list order.
        } else if (size <= smallGroup) {
            // A small ring is built as the insertions go.
            std::array<std::uint32_t, smallGroup> ring;
            for (std::size_t k = 0; k < size; ++k) {
                std::copy_backward(ring.begin() + slot[k], ring.begin() + k, ring.begin() + k + 1);
                ring[slot[k]] = indexOf(entries[begin + k]);
            }
            for (std::size_t p = 0; p < size; ++p) {
                Entry &at = entries[begin + p];
                at = entryOf(imageOf(at), ring[(start + p) % size]);
            }
        } else {
            // The slot of each insertion is placed offline, last first; the ring is kept in the
            // upper halves of the group's entries, then read into the lower halves from `start`.
            free.reset(size);
            for (std::size_t k = size; k-- > 0;) {
                Entry &at = entries[begin + free.take(slot[k])];
                at = entryOf(indexOf(entries[begin + k]), indexOf(at));
            }
            for (std::size_t p = 0; p < size; ++p) {
                Entry &at = entries[begin + p];
                at = entryOf(imageOf(at), imageOf(entries[begin + (start + p) % size]));
            }
        }
        begin = end;
    }
}

// Asks for the cache lines of a row that is read soon.
void prefetch(const CandidateRow *row)
{
#if defined(__GNUC__)
    const auto *bytes = reinterpret_cast<const char *>(row);
    __builtin_prefetch(bytes);
    __builtin_prefetch(bytes + sizeof(CandidateRow) - 1);
#else
    (void)row;
#endif
}

// Whole hundredths k (|k| < 2^31) that read as `key`: 100·key rounded, when k / 100 gives the key
// back. Two keys that have them compare as their hundredths do.
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

// The exchange order of keys as entries; a NaN does not compare, so such keys are sorted literally.
std::vector<Entry> exchangeOrderEntries(const std::vector<double> &keys)
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
            entries[i] = entryOf(hundredthsImage(*k), static_cast<std::uint32_t>(i));
    }
    if (hundredths) {
        sortByImage(entries);
    } else {
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
            entries[p] = entryOf(group, from[p].index);
        }
    }
    exchangeOrderOfSorted(entries);
    return entries;
}

// The number the cell of a d or Ra column shows, read back from its text, in hundredths; nothing
// for other columns, or where only reading the text tells (a text rounded to seven digits, a text
// that is no number, keys beyond 2^31 hundredths).
std::optional<std::int64_t> shownHundredthsOf(const CandidateRow &row, CandidateColumn column)
{
    if (column == FirstDimension)
        return wholeHundredths(row.first); // such a d shows the very number
    if (column == Ra)
        return roundedHundredths(row.ra, row.precision);
    return std::nullopt;
}

} // namespace

std::optional<std::int64_t> roundedHundredths(double value, int choice)
{
    if (choice < 0 || choice >= precisionChoiceCount)
        return std::nullopt;
    if (choice >= 3) {
        // Tens and hundreds: the cut value is whole and shows as it is.
        const double cut = cutByChoice(value, choice);
        if (!(std::fabs(cut) < 1e7))
            return std::nullopt;
        return static_cast<std::int64_t>(cut) * 100;
    }
    const int decimals = decimalsByChoice(choice);
    const double ax = std::fabs(value);
    if (!(ax < 1e7))
        return std::nullopt;
    // The text rounds the exact binary value, halves away from zero.
    auto whole = static_cast<std::int64_t>(roundedScaledMagnitude(value, decimals));
    if (whole >= 10'000'000)
        return std::nullopt; // more than seven digits: the text is rounded to seven
    whole *= decimals == 2 ? 1 : decimals == 1 ? 10 : 100;
    return std::signbit(value) ? -whole : whole;
}

std::optional<std::int64_t> shownHundredths(const CandidateList &list, std::size_t row, CandidateColumn column)
{
    if (row >= list.size())
        return std::nullopt;
    return shownHundredthsOf(list.row(row), column);
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
    const std::vector<Entry> entries = exchangeOrderEntries(keys);
    std::vector<std::size_t> order(entries.size());
    for (std::size_t p = 0; p < entries.size(); ++p)
        order[p] = indexOf(entries[p]);
    return order;
}

void CandidateList::sortAscending(CandidateColumn column, const ListProgress &progress)
{
    // Three steps of equal weight: the keys, the order, the moves.
    const std::size_t n = m_rows.size();
    const std::size_t total = 3 * n;
    const auto report = [&](std::size_t done) {
        if (progress)
            progress(done, total);
    };
    // The key is the number the cell shows, read back from its text. For d and Ra it is found
    // exactly from the value, in hundredths, without the text; any other cell's text is read.
    // Rows whose text must be read and that show the same text from the same value are met often
    // (a few hundred diameters), so a value's key is kept.
    struct Known {
        std::uint64_t bits = 0;
        std::uint8_t precision = 0;
        bool set = false;
        double key = 0.0;
    };
    std::array<Known, 1024> known{};
    const auto textKey = [&](std::size_t i) {
        const CandidateRow &r = m_rows[i];
        const double value = column == FirstDimension ? r.first : r.ra;
        const std::uint8_t precision = column == FirstDimension ? 0 : r.precision;
        const auto bits = std::bit_cast<std::uint64_t>(value);
        Known &slot = known[(bits ^ (bits >> 29) ^ (bits >> 41) ^ precision) % known.size()];
        if (!slot.set || slot.bits != bits || slot.precision != precision ||
            (column != FirstDimension && column != Ra)) {
            slot = {bits, precision, true,
                    strictNumber(cell(i, column)).value_or(std::numeric_limits<double>::quiet_NaN())};
        }
        return slot.key;
    };

    std::vector<Entry> entries(n);
    bool hundredths = true;
    for (std::size_t i = 0; i < n && hundredths; ++i) {
        if (i % progressStride == 0)
            report(i);
        auto k = shownHundredthsOf(m_rows[i], column);
        if (!k)
            k = wholeHundredths(textKey(i));
        hundredths = k.has_value();
        if (hundredths)
            entries[i] = entryOf(hundredthsImage(*k), static_cast<std::uint32_t>(i));
    }
    if (hundredths) {
        report(n);
        sortByImage(entries);
        exchangeOrderOfSorted(entries);
    } else {
        // A key beyond hundredths, or a text that is no number: the keys as numbers.
        entries = {};
        std::vector<double> keys(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (i % progressStride == 0)
                report(i);
            const auto k = shownHundredthsOf(m_rows[i], column);
            keys[i] = k ? static_cast<double>(*k) / 100.0 : textKey(i);
        }
        report(n);
        entries = exchangeOrderEntries(keys);
    }
    report(2 * n);
    // The order alone, in half the room: the walk along its cycles below is bound by fetching
    // the next place, and a smaller table leaves more of it in the cache.
    std::vector<std::uint32_t> order(n);
    for (std::size_t p = 0; p < n; ++p)
        order[p] = indexOf(entries[p]);
    entries = {};

    // Each row is copied once into its place in a new list: the rows are read in the order's random
    // order, those some places ahead asked for early so that their fetches overlap, and written in
    // order. Moving them in place along the order's cycles would save the copy's room but read one
    // row after another, each waiting for the last.
    constexpr std::size_t ahead = 16;
    std::vector<CandidateRow> sorted;
    sorted.reserve(n);
    for (std::size_t p = 0; p < n; ++p) {
        if (p % progressStride == 0)
            report(2 * n + p);
        if (p + ahead < n)
            prefetch(&m_rows[order[p + ahead]]);
        sorted.push_back(m_rows[order[p]]);
    }
    m_rows = std::move(sorted);
}

void CandidateList::reverse()
{
    std::reverse(m_rows.begin(), m_rows.end());
}

CandidateList CandidateList::filterByRa(double minimum, double maximum, const ListProgress &progress) const
{
    // The shown Ra of a value below ten million lies within a hundred of it (at most the hundreds cut
    // off, or half a last place rounded), so a value farther than that from both ends of the range
    // decides at once; only values near an end need the shown number worked out.
    constexpr double shownWithin = 101.0;
    constexpr double plainRange = 1e7;
    const double surelyBelow = minimum - shownWithin;
    const double surelyAbove = maximum + shownWithin;
    const double surelyFrom = minimum + shownWithin;
    const double surelyTo = maximum - shownWithin;
    // The kept rows' places first, so the copies are made into room of the right size.
    std::vector<std::uint32_t> kept;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (progress && i % progressStride == 0)
            progress(i, m_rows.size());
        const CandidateRow &r = m_rows[i];
        const double value = r.ra;
        bool keep = false;
        if (r.precision < precisionChoiceCount && std::fabs(value) < plainRange &&
            (value < surelyBelow || value > surelyAbove)) {
            keep = false;
        } else if (r.precision < precisionChoiceCount && std::fabs(value) < plainRange && value >= surelyFrom &&
                   value <= surelyTo) {
            keep = true;
        } else {
            // The shown Ra, found as the sort finds it, or read from the text where that is needed.
            const auto shown = roundedHundredths(value, r.precision);
            const auto ra = shown ? std::optional<double>(static_cast<double>(*shown) / 100.0)
                                  : strictNumber(cell(i, Ra));
            keep = ra && minimum <= *ra && *ra <= maximum;
        }
        if (keep)
            kept.push_back(static_cast<std::uint32_t>(i));
    }
    CandidateList out;
    out.reserve(kept.size());
    for (const std::uint32_t i : kept)
        out.append(m_rows[i]);
    return out;
}

RaRange normaliseRaRange(double minimum, double maximum)
{
    if (!(minimum > 0))
        minimum = 0;
    if (!(maximum > 0))
        maximum = noUpperLimit;
    if (minimum > maximum)
        maximum = minimum;
    return {minimum, maximum};
}

HeaderClickOutcome headerClick(CandidateList &list, int column, SortState &sortStateD, SortState &sortStateRa,
                               const ListProgress &progress)
{
    HeaderClickOutcome out;
    if (list.size() < 2) {
        out.status = std::string(message::nothingToSort);
        return out;
    }
    out.selectFirstRow = true;
    const auto key = static_cast<CandidateColumn>(column);
    if (key != FirstDimension && key != Ra) {
        // The remark column is passed over silently.
        if (column >= 0 && column < static_cast<int>(Remark))
            out.status = std::string(message::sortColumnsOnly);
        return out;
    }
    const bool byD = key == FirstDimension;
    SortState &state = byD ? sortStateD : sortStateRa;
    SortState &other = byD ? sortStateRa : sortStateD;
    switch (state) {
    case SortState::Unsorted:
        list.sortAscending(key, progress);
        state = SortState::Ascending;
        break;
    case SortState::Ascending:
        list.reverse();
        state = SortState::Descending;
        break;
    case SortState::Descending:
        list.reverse();
        state = SortState::Ascending;
        break;
    default:
        return out;
    }
    other = SortState::Unsorted;
    const bool ascending = state == SortState::Ascending;
    if (byD)
        out.status = std::string(ascending ? message::sortedDAscending : message::sortedDDescending);
    else
        out.status = std::string(ascending ? message::sortedRaAscending : message::sortedRaDescending);
    out.enableSave = true;
    out.headersChanged = true;
    out.headerD = sortHeader(static_cast<int>(FirstDimension), sortStateD);
    out.headerRa = sortHeader(static_cast<int>(Ra), sortStateRa);
    return out;
}

FilterOutcome filterCandidates(const CandidateList &full, std::string_view minimumText,
                               std::string_view maximumText, const ListProgress &progress)
{
    FilterOutcome out;
    const auto minimum = strictNumber(minimumText);
    const auto maximum = minimum ? strictNumber(maximumText) : std::nullopt;
    if (!minimum || !maximum) {
        out.conversionFailure = true;
        out.errorBoxText = conversionErrorText(message::notAFloat, minimum ? maximumText : minimumText);
        return out;
    }
    const RaRange range = normaliseRaRange(*minimum, *maximum);
    out.rows = full.filterByRa(range.minimum, range.maximum, progress);
    if (out.rows.empty()) {
        out.status = std::string(message::noMatch);
    } else {
        out.status = std::string(message::filterCompletePrefix) + std::to_string(out.rows.size()) +
                     std::string(message::countSuffix);
        out.enableSave = true;
    }
    return out;
}

TakeBack takeBack(const CandidateList &list, std::size_t row)
{
    TakeBack out;
    if (row >= list.size())
        return out;
    const CandidateRow &r = list.row(row);
    const SectionTypeRow &section = sectionRow(r.section);
    out.sectionItem = static_cast<int>(section.item);
    out.firstDimension = list.cell(row, FirstDimension);
    out.secondDimension =
        section.hasSecond ? list.cell(row, SecondDimension) : std::string(section.secondValue);
    out.route = r.route;
    out.strengthText = list.cell(row, Strength);
    if (r.route == StrengthRoute::FrkGiven)
        out.integrityText = list.cell(row, Integrity);
    return out;
}

CalculationInput applyTakeBack(CalculationInput current, const TakeBack &candidate)
{
    if (candidate.sectionItem) {
        current.sectionItem = *candidate.sectionItem;
        current.firstDimension = candidate.firstDimension;
        current.secondDimension = candidate.secondDimension;
    }
    if (candidate.route == StrengthRoute::QpaGiven) {
        current.route = StrengthRoute::QpaGiven;
        current.qpa = candidate.strengthText;
    } else if (candidate.route == StrengthRoute::FrkGiven) {
        current.route = StrengthRoute::FrkGiven;
        current.frk = candidate.strengthText;
        current.psiMode = PsiMode::Automatic;
        current.integrity = candidate.integrityText;
    }
    return current;
}

} // namespace saxolith
