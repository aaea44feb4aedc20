#include "core/optimise/candidate_list.h"

#include "core/capacity/formulas.h"
#include "core/optimise/exchange_sort.h"
#include "core/optimise/option_grid.h"
#include "core/text/candidate_number.h"
#include "core/text/fixed_width.h"
#include "core/text/number_text.h"
#include "core/texts/optimisation.h"

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

// Asks for the cache lines of something that is read soon.
template <typename T> void prefetch(const T *item)
{
#if defined(__GNUC__)
    const auto *bytes = reinterpret_cast<const char *>(item);
    __builtin_prefetch(bytes);
    if constexpr (sizeof(T) > 1)
        __builtin_prefetch(bytes + sizeof(T) - 1);
#else
    (void)item;
#endif
}

// Rows of one key that the moves in place below keep in the cache while they put them in order.
constexpr std::size_t partRowsInCache = 1 << 14;

std::size_t largestPart(const std::vector<std::uint32_t> &begins)
{
    std::size_t largest = 0;
    for (std::size_t r = 0; r + 1 < begins.size(); ++r)
        largest = std::max<std::size_t>(largest, begins[r + 1] - begins[r]);
    return largest;
}

// Puts every row at its place, where `places` holds for each row its key's rank (upper half) and its
// place (lower half), and `begins` where each rank's rows begin: in place, holding no second copy
// of the rows. First each row is swapped into the part of its rank, at the next free place there, as
// a bucket sort does in place: the rows read and written are at the parts' fronts, a few hundred
// places in the cache, each asked for before it is needed. Then the rows of each part, a part of
// the cache's size, are swapped along the cycles of their places.
template <typename Report>
void moveToPlaces(std::vector<CandidateRow> &rows, std::vector<std::uint64_t> &places,
                  const std::vector<std::uint32_t> &begins, Report &&report)
{
    const std::size_t ranks = begins.size() - 1;
    const auto rankOf = [&](std::size_t at) { return static_cast<std::uint32_t>(places[at] >> 32); };
    std::vector<std::uint32_t> fronts(begins.begin(), begins.end() - 1);
    std::size_t done = 0;
    for (std::uint32_t rank = 0; rank < ranks; ++rank) {
        const std::uint32_t end = begins[rank + 1];
        while (fronts[rank] < end) {
            const std::uint32_t at = fronts[rank];
            const std::uint32_t belongs = rankOf(at);
            if (belongs == rank) {
                ++fronts[rank];
                continue;
            }
            const std::uint32_t to = fronts[belongs]++;
            std::swap(rows[at], rows[to]);
            std::swap(places[at], places[to]);
            if (fronts[belongs] < begins[belongs + 1]) {
                prefetch(&rows[fronts[belongs]]);
                prefetch(&places[fronts[belongs]]);
            }
            if (++done % progressStride == 0)
                report(done / 2);
        }
    }
    // The next part is asked for while this one is put in order, a row ahead of each row passed.
    for (std::uint32_t rank = 0; rank < ranks; ++rank) {
        const std::uint32_t size = begins[rank + 1] - begins[rank];
        for (std::uint32_t at = begins[rank]; at < begins[rank + 1]; ++at) {
            if (at + size < rows.size()) {
                prefetch(&rows[at + size]);
                prefetch(&places[at + size]);
            }
            for (auto to = static_cast<std::uint32_t>(places[at]); to != at; to = static_cast<std::uint32_t>(places[at])) {
                std::swap(rows[at], rows[to]);
                std::swap(places[at], places[to]);
            }
        }
        report((begins[rank] + rows.size()) / 2);
    }
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

std::optional<std::int64_t> shownHundredths(const CandidateList &list, std::size_t row, CandidateColumn column)
{
    if (row >= list.size())
        return std::nullopt;
    return shownHundredthsOf(list.row(row), column);
}

namespace
{

// The keys a sort by one column puts the rows in: the number each cell shows, read back from its
// text. For d and Ra it is found exactly from the value, in hundredths, without the text; any other
// cell's text is read. Rows whose text must be read and that show the same text from the same value
// are met often (a few hundred diameters), so a value's key is kept.
class SortKeys
{
  public:
    // The keys kept, apart from the list and the column, which a loop over the rows then holds in
    // registers: stores to the kept keys would otherwise have them read again for every row.
    struct Kept;

    SortKeys(const CandidateList &list, CandidateColumn column, Kept &kept)
        : m_list(list), m_column(column), m_kept(kept)
    {
    }

    // The number row i's cell shows, read from its text; NaN for a text that is no number.
    double textKey(std::size_t i)
    {
        const CandidateRow &r = m_list.row(i);
        const double value = m_column == FirstDimension ? r.first : r.ra;
        const std::uint8_t precision = m_column == FirstDimension ? 0 : r.precision;
        const auto bits = std::bit_cast<std::uint64_t>(value);
        Known &slot = m_kept.known[(bits ^ (bits >> 29) ^ (bits >> 41) ^ precision) % m_kept.known.size()];
        if (!slot.set || slot.bits != bits || slot.precision != precision ||
            (m_column != FirstDimension && m_column != Ra)) {
            slot = {
                bits, precision, true,
                strictNumber(m_list.cell(i, m_column)).value_or(std::numeric_limits<double>::quiet_NaN())};
        }
        return slot.key;
    }

    // The number a row's cell shows, in hundredths, where its value alone tells it. A d's key, found
    // with a division, is kept for the next rows of the same d.
    std::optional<std::int64_t> shownKey(const CandidateRow &row)
    {
        if (m_column != FirstDimension)
            return shownHundredthsOf(row, m_column);
        const auto bits = std::bit_cast<std::uint64_t>(row.first);
        KnownD &slot = m_kept.knownD[(bits ^ (bits >> 29) ^ (bits >> 41)) % m_kept.knownD.size()];
        if (!slot.set || slot.bits != bits)
            slot = {bits, true, shownHundredthsOf(row, m_column)};
        return slot.key;
    }

  private:
    struct Known {
        std::uint64_t bits = 0;
        std::uint8_t precision = 0;
        bool set = false;
        double key = 0.0;
    };
    struct KnownD {
        std::uint64_t bits = 0;
        bool set = false;
        std::optional<std::int64_t> key;
    };

  public:
    struct Kept {
        std::array<Known, 1024> known{};
        std::array<KnownD, 1024> knownD{};
    };

  private:
    const CandidateList &m_list;
    const CandidateColumn m_column;
    Kept &m_kept;
};

// The rows in the order of `entries` (freed on the way), reported from 2n on. Each row is copied
// once into its place in a new list: the rows are read in the order's random order, those some
// places ahead asked for early so that their fetches overlap, and written in order. Moving them in
// place along the order's cycles would save the copy's room but read one row after another, each
// waiting for the last.
template <typename Report>
std::vector<CandidateRow> rowsInOrder(const std::vector<CandidateRow> &rows, std::vector<SortEntry> &entries,
                                      Report report)
{
    const std::size_t n = rows.size();
    // The order alone, in half the room: the walk along it below is bound by fetching the next
    // place, and a smaller table leaves more of it in the cache.
    std::vector<std::uint32_t> order(n);
    for (std::size_t p = 0; p < n; ++p)
        order[p] = entryIndex(entries[p]);
    entries = {};
    constexpr std::size_t ahead = 16;
    std::vector<CandidateRow> sorted;
    sorted.reserve(n);
    for (std::size_t p = 0; p < n; ++p) {
        if (p % progressStride == 0)
            report(2 * n + p);
        if (p + ahead < n)
            prefetch(&rows[order[p + ahead]]);
        sorted.push_back(rows[order[p]]);
    }
    return sorted;
}

} // namespace

void CandidateList::sortAscending(CandidateColumn column, const ListProgress &progress)
{
    // Three steps of equal weight: the keys, the order, the moves.
    const std::size_t n = m_rows.size();
    const std::size_t total = 3 * n;
    const auto report = [&](std::size_t done) {
        if (progress)
            progress(done, total);
    };
    SortKeys::Kept kept;
    SortKeys keys(*this, column, kept);
    std::vector<SortEntry> entries(n);
    bool hundredths = true;
    for (std::size_t i = 0; i < n && hundredths; ++i) {
        if (i % progressStride == 0)
            report(i);
        auto k = keys.shownKey(m_rows[i]);
        if (!k)
            k = wholeHundredths(keys.textKey(i));
        hundredths = k.has_value();
        if (hundredths)
            entries[i] = hundredthsEntry(*k, static_cast<std::uint32_t>(i));
    }
    if (hundredths) {
        report(n);
        std::optional<FewKeyPlaces> few = exchangePlacesOfFewKeys(entries);
        if (few && largestPart(few->begins) <= partRowsInCache) {
            entries = {};
            report(2 * n);
            moveToPlaces(m_rows, few->places, few->begins, [&](std::size_t done) { report(2 * n + done); });
            return;
        }
        if (few) {
            // Too many rows of one key to put in order in the cache: the order, for the copy below.
            entries.resize(n);
            for (std::size_t i = 0; i < n; ++i)
                entries[static_cast<std::uint32_t>(few->places[i])] = static_cast<SortEntry>(i);
        } else {
            exchangeOrderByImage(entries);
        }
    } else {
        // A key beyond hundredths, or a text that is no number: the keys as numbers.
        entries = {};
        std::vector<double> numbers(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (i % progressStride == 0)
                report(i);
            const auto k = shownHundredthsOf(m_rows[i], column);
            numbers[i] = k ? static_cast<double>(*k) / 100.0 : keys.textKey(i);
        }
        report(n);
        entries = exchangeOrderEntries(numbers);
    }
    report(2 * n);
    m_rows = rowsInOrder(m_rows, entries, report);
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

} // namespace saxolith
