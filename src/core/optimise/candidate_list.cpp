#include "optimise/candidate_list.h"

#include "capacity/formulas.h"
#include "optimise/option_grid.h"
#include "output/text_file.h"
#include "text/fixed_width.h"
#include "text/number_text.h"
#include "texts/optimisation_messages.h"

#include <algorithm>
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
constexpr int keyColumnD = 2;
constexpr int keyColumnRa = 4;

SectionType sectionOf(std::uint8_t code)
{
    return static_cast<SectionType>(std::clamp<int>(code, 1, 4) - 1);
}

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
    // Smallest position whose prefix sum reaches `k` (k ≥ 1).
    std::size_t findKth(std::size_t k) const
    {
        std::size_t position = 0;
        std::size_t mask = std::bit_floor(m_tree.size() - 1);
        for (; mask != 0; mask >>= 1) {
            const std::size_t next = position + mask;
            if (next < m_tree.size() && static_cast<std::size_t>(m_tree[next]) < k) {
                position = next;
                k -= static_cast<std::size_t>(m_tree[next]);
            }
        }
        return position + 1;
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

std::string CandidateList::cell(std::size_t index, int column) const
{
    if (index >= m_rows.size())
        return {};
    const CandidateRow &r = m_rows[index];
    const bool qpaRoute = r.route == 1;
    switch (column) {
    case 0:
        return r.numberDigits == 0 ? std::to_string(r.number) : candidateNumber(r.number, r.numberDigits);
    case 1:
        return std::string(sectionTableName(sectionOf(r.sectionCode)));
    case 2:
        return formatGeneral(r.first);
    case 3:
        return r.sectionCode == 1 ? std::string(dash) : formatGeneral(r.second);
    case 4:
        return displayRounded(r.ra, r.precision);
    case 5:
        return formatFixed(r.strength, 10, qpaRoute ? 0 : 2);
    case 6:
        return qpaRoute ? std::string(dash) : std::to_string(r.basis);
    case 7:
        if (qpaRoute)
            return std::string(dash);
        if (r.basis == 1)
            return std::string(
                integrityClassName(static_cast<IntegrityClass>(std::clamp<int>(r.integrityClass, 1, 3))));
        return formatFixed(r.index, 10, 2);
    case 8:
        return qpaRoute ? std::string(dash) : formatFixed(r.psi, 7, 4);
    case 9:
        return displayRounded(r.qpa, r.precision);
    case 10:
        return std::to_string(r.route);
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

std::vector<std::size_t> exchangeSortOrder(const std::vector<double> &keys)
{
    const std::size_t n = keys.size();
    if (std::any_of(keys.begin(), keys.end(), [](double k) { return std::isnan(k); }))
        return literalExchangeOrder(keys);

    // Rank of every key among the distinct keys; `groupStart[g]` is where group g begins in the result.
    std::vector<double> distinct(keys);
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end(), [](double a, double b) { return !(a < b); }),
                   distinct.end());
    std::vector<std::size_t> rank(n);
    std::vector<std::size_t> groupStart(distinct.size() + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        rank[i] = static_cast<std::size_t>(std::lower_bound(distinct.begin(), distinct.end(), keys[i]) -
                                           distinct.begin());
        ++groupStart[rank[i] + 1];
    }
    std::partial_sum(groupStart.begin(), groupStart.end(), groupStart.begin());

    // The result equals inserting the rows in list order, each at the end of its group, while
    // every insertion of a smaller key turns each larger group by one (its first row to its end).
    // So a group's turns between two of its own insertions are the smaller keys inserted between them.
    std::vector<std::size_t> smallerBefore(n);
    {
        Fenwick seen(distinct.size());
        for (std::size_t i = 0; i < n; ++i) {
            smallerBefore[i] = seen.prefix(rank[i]);
            seen.add(rank[i] + 1, 1);
        }
    }

    // Members of every group in list order.
    std::vector<std::size_t> members(n);
    {
        std::vector<std::size_t> fill(groupStart.begin(), groupStart.end() - 1);
        for (std::size_t i = 0; i < n; ++i)
            members[fill[rank[i]]++] = i;
    }

    // Within a group the rows form a ring read from `start`; appending puts the row just before
    // `start` in the ring. The slot of each insertion is then placed offline, last first.
    std::vector<std::size_t> order(n);
    std::vector<std::size_t> slot;
    for (std::size_t g = 0; g < distinct.size(); ++g) {
        const std::size_t begin = groupStart[g];
        const std::size_t size = groupStart[g + 1] - begin;
        slot.assign(size, 0);
        std::size_t start = 0;
        for (std::size_t k = 0; k < size; ++k) {
            if (k > 0) {
                const std::size_t turns =
                    smallerBefore[members[begin + k]] - smallerBefore[members[begin + k - 1]];
                start = (start + turns % k) % k;
            }
            slot[k] = start; // inserted at index `start` of a ring of k rows
            ++start;
        }
        const std::size_t lastTurns = begin - smallerBefore[members[begin + size - 1]];
        start = (start + lastTurns % size) % size;

        Fenwick free(size);
        for (std::size_t p = 1; p <= size; ++p)
            free.add(p, 1);
        std::vector<std::size_t> ring(size);
        for (std::size_t k = size; k-- > 0;) {
            const std::size_t at = free.findKth(slot[k] + 1);
            free.add(at, -1);
            ring[at - 1] = members[begin + k];
        }
        for (std::size_t p = 0; p < size; ++p)
            order[begin + p] = ring[(start + p) % size];
    }
    return order;
}

void CandidateList::sortAscending(int column)
{
    std::vector<double> keys(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        keys[i] = strictNumber(cell(i, column)).value_or(std::numeric_limits<double>::quiet_NaN());
    const std::vector<std::size_t> order = exchangeSortOrder(keys);
    std::vector<CandidateRow> sorted;
    sorted.reserve(m_rows.size());
    for (const std::size_t i : order)
        sorted.push_back(m_rows[i]);
    m_rows = std::move(sorted);
}

void CandidateList::reverse()
{
    std::reverse(m_rows.begin(), m_rows.end());
}

CandidateList CandidateList::filterByRa(double minimum, double maximum) const
{
    CandidateList out;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const auto ra = strictNumber(cell(i, keyColumnRa));
        if (ra && minimum <= *ra && *ra <= maximum)
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

HeaderClickOutcome headerClick(CandidateList &list, int column, int &sortStateD, int &sortStateRa)
{
    HeaderClickOutcome out;
    if (list.size() < 2) {
        out.status = std::string(message::nothingToSort);
        return out;
    }
    out.selectFirstRow = true;
    if (column != keyColumnD && column != keyColumnRa) {
        if (column >= 0 && column <= 10) // the remark column 11 is passed over silently
            out.status = std::string(message::sortColumnsOnly);
        return out;
    }
    const bool byD = column == keyColumnD;
    int &state = byD ? sortStateD : sortStateRa;
    int &other = byD ? sortStateRa : sortStateD;
    switch (state) {
    case 0:
        list.sortAscending(column);
        state = 1;
        break;
    case 1:
        list.reverse();
        state = 2;
        break;
    case 2:
        list.reverse();
        state = 1;
        break;
    default:
        return out;
    }
    other = 0;
    if (byD)
        out.status = std::string(state == 1 ? message::sortedDAscending : message::sortedDDescending);
    else
        out.status = std::string(state == 1 ? message::sortedRaAscending : message::sortedRaDescending);
    out.enableSave = true;
    out.headersChanged = true;
    out.headerD = sortHeader(keyColumnD, sortStateD);
    out.headerRa = sortHeader(keyColumnRa, sortStateRa);
    return out;
}

FilterOutcome filterCandidates(const CandidateList &full, std::string_view minimumText,
                               std::string_view maximumText)
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
    out.rows = full.filterByRa(range.minimum, range.maximum);
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
    out.sectionItem = r.sectionCode == 1 ? 0 : (r.sectionCode == 2 ? 1 : 2);
    out.firstDimension = list.cell(row, 2);
    out.secondDimension = r.sectionCode == 1 ? std::string("0") : list.cell(row, 3);
    out.route = r.route == 1 ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
    out.strengthText = list.cell(row, 5);
    if (r.route == 2)
        out.integrityText = list.cell(row, 7);
    return out;
}

} // namespace saxolith
