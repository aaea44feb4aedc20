#include "optimise/candidate_list.h"

#include "capacity/formulas.h"
#include "optimise/option_grid.h"
#include "output/text_file.h"
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

// Counts for the Fenwick-based passes below; 1-based positions.
class Fenwick
{
  public:
    explicit Fenwick(std::size_t size) : m_tree(size + 1, 0) {}
    void add(std::size_t position, int delta)
    {
        for (; position < m_tree.size(); position += position & (~position + 1))
            m_tree[position] += delta;
    }
    std::size_t prefix(std::size_t position) const
    {
        std::size_t sum = 0;
        for (; position > 0; position -= position & (~position + 1))
            sum += static_cast<std::size_t>(m_tree[position]);
        return sum;
    }

  private:
    std::vector<int> m_tree;
};

// The exchange sort done literally; only for keys that do not compare.
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

struct KeyedIndex {
    std::uint64_t image;
    std::size_t index;
};

// The indexes in key order, equal keys in list order: a radix sort by byte that passes over every
// byte that all keys share.
std::vector<KeyedIndex> stableKeyOrder(const std::vector<double> &keys)
{
    const std::size_t n = keys.size();
    std::vector<KeyedIndex> from(n);
    std::array<std::array<std::size_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t image = orderedImage(keys[i]);
        from[i] = {image, i};
        for (std::size_t b = 0; b < 8; ++b)
            ++counts[b][(image >> (8 * b)) & 0xFFu];
    }
    std::vector<KeyedIndex> to(n);
    for (std::size_t b = 0; b < 8; ++b) {
        auto &count = counts[b];
        if (n == 0 || count[(from[0].image >> (8 * b)) & 0xFFu] == n)
            continue;
        std::size_t offset = 0;
        for (std::size_t &c : count) {
            const std::size_t size = c;
            c = offset;
            offset += size;
        }
        for (const KeyedIndex &entry : from)
            to[count[(entry.image >> (8 * b)) & 0xFFu]++] = entry;
        from.swap(to);
    }
    return from;
}

// Free places of one group's ring, taken one by one from the back; sized again for each group.
class FreeSlots
{
  public:
    void reset(std::size_t size)
    {
        m_tree.resize(size + 1);
        for (std::size_t p = 1; p <= size; ++p)
            m_tree[p] = static_cast<std::uint32_t>(p & (~p + 1)); // every place free
        m_mask = size == 0 ? 0 : std::bit_floor(size);
    }
    // Takes the (k+1)-th free place (from 0) and returns it.
    std::size_t take(std::size_t k)
    {
        ++k;
        std::size_t position = 0;
        for (std::size_t mask = m_mask; mask != 0; mask >>= 1) {
            const std::size_t next = position + mask;
            if (next < m_tree.size() && m_tree[next] < k) {
                position = next;
                k -= m_tree[next];
            }
        }
        for (std::size_t p = position + 1; p < m_tree.size(); p += p & (~p + 1))
            --m_tree[p];
        return position;
    }

  private:
    std::vector<std::uint32_t> m_tree;
    std::size_t m_mask = 0;
};

} // namespace

std::vector<std::size_t> exchangeSortOrder(const std::vector<double> &keys)
{
    const std::size_t n = keys.size();
    if (std::any_of(keys.begin(), keys.end(), [](double k) { return std::isnan(k); }))
        return literalExchangeOrder(keys);

    // Groups of equal keys in key order, each group's members in list order.
    const std::vector<KeyedIndex> sorted = stableKeyOrder(keys);
    std::vector<std::uint32_t> rank(n);
    std::vector<std::size_t> groupStart;
    for (std::size_t p = 0; p < n; ++p) {
        if (p == 0 || sorted[p].image != sorted[p - 1].image)
            groupStart.push_back(p);
        rank[sorted[p].index] = static_cast<std::uint32_t>(groupStart.size() - 1);
    }
    const std::size_t groups = groupStart.size();
    groupStart.push_back(n);

    // The result equals inserting the rows in list order, each at the end of its group, while
    // every insertion of a smaller key turns each larger group by one (its first row to its end).
    // So a group's turns between two of its own insertions are the smaller keys inserted between
    // them; a group of one row never turns to any effect.
    std::vector<std::uint32_t> smallerBefore(n, 0);
    {
        Fenwick seen(groups);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t g = rank[i];
            if (groupStart[g + 1] - groupStart[g] > 1)
                smallerBefore[i] = static_cast<std::uint32_t>(seen.prefix(g));
            seen.add(g + 1, 1);
        }
    }
    rank = {};

    // Within a group the rows form a ring read from `start`; appending puts the row just before
    // `start` in the ring. The slot of each insertion is then placed offline, last first.
    std::vector<std::size_t> order(n);
    std::vector<std::size_t> slot;
    std::vector<std::size_t> ring;
    FreeSlots free;
    for (std::size_t g = 0; g < groups; ++g) {
        const std::size_t begin = groupStart[g];
        const std::size_t size = groupStart[g + 1] - begin;
        const auto member = [&](std::size_t k) { return sorted[begin + k].index; };
        if (size == 1) {
            order[begin] = member(0);
            continue;
        }
        slot.resize(size);
        std::size_t start = 0;
        bool turned = false; // whether any turn moved the ring; if none, the group keeps list order
        for (std::size_t k = 0; k < size; ++k) {
            if (k > 0) {
                const std::size_t turns = smallerBefore[member(k)] - smallerBefore[member(k - 1)];
                turned = turned || turns % k != 0;
                start = (start + turns % k) % k;
            }
            slot[k] = start; // inserted at index `start` of a ring of k rows
            ++start;
        }
        const std::size_t lastTurns = begin - smallerBefore[member(size - 1)];
        turned = turned || lastTurns % size != 0;
        start = (start + lastTurns % size) % size;

        if (!turned) {
            for (std::size_t k = 0; k < size; ++k)
                order[begin + k] = member(k);
            continue;
        }
        ring.resize(size);
        free.reset(size);
        for (std::size_t k = size; k-- > 0;)
            ring[free.take(slot[k])] = member(k);
        for (std::size_t p = 0; p < size; ++p)
            order[begin + p] = ring[(start + p) % size];
    }
    return order;
}

void CandidateList::sortAscending(CandidateColumn column, const ListProgress &progress)
{
    // Three steps of equal weight: the keys, the order, the moves.
    const std::size_t total = 3 * m_rows.size();
    const auto report = [&](std::size_t done) {
        if (progress)
            progress(done, total);
    };
    // The key is the number the cell shows, read back from its text; rows that show the same text
    // from the same value are met often (a few hundred diameters), so a value's key is kept.
    std::vector<double> keys(m_rows.size());
    struct Known {
        std::uint64_t bits = 0;
        std::uint8_t precision = 0;
        bool set = false;
        double key = 0.0;
    };
    std::array<Known, 1024> known{};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (i % progressStride == 0)
            report(i);
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
        keys[i] = slot.key;
    }
    report(m_rows.size());
    std::vector<std::size_t> order = exchangeSortOrder(keys);
    keys = {};
    report(2 * m_rows.size());

    // Each row moves once, cycle by cycle; a place is marked done by pointing at itself.
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (start % progressStride == 0)
            report(2 * m_rows.size() + start);
        if (order[start] == start)
            continue;
        CandidateRow held = m_rows[start];
        std::size_t place = start;
        for (;;) {
            const std::size_t from = order[place];
            order[place] = place;
            if (from == start) {
                m_rows[place] = held;
                break;
            }
            m_rows[place] = m_rows[from];
            place = from;
        }
    }
}

void CandidateList::reverse()
{
    std::reverse(m_rows.begin(), m_rows.end());
}

CandidateList CandidateList::filterByRa(double minimum, double maximum, const ListProgress &progress) const
{
    // Marks first, so the copies are made into room of the right size.
    std::vector<bool> kept(m_rows.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (progress && i % progressStride == 0)
            progress(i, m_rows.size());
        const auto ra = strictNumber(cell(i, Ra));
        kept[i] = ra && minimum <= *ra && *ra <= maximum;
        count += kept[i] ? 1 : 0;
    }
    CandidateList out;
    out.reserve(count);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (kept[i])
            out.append(m_rows[i]);
    }
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
