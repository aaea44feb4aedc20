#include "optimise/candidate_list.h"

#include "capacity/formulas.h"
#include "optimise/option_grid.h"
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
constexpr std::string_view numberPrefix = "ZH-";
constexpr double noUpperLimit = 1e15;
using enum CandidateColumn;

int digitCount(std::size_t n)
{
    int digits = 1;
    for (; n >= 10; n /= 10)
        ++digits;
    return digits;
}

std::string candidateNumber(std::size_t position, int digits)
{
    return std::string(numberPrefix) + padLeft(std::to_string(position), "0", digits);
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

void CandidateList::sortAscending(CandidateColumn column)
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
        const auto ra = strictNumber(cell(i, Ra));
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

HeaderClickOutcome headerClick(CandidateList &list, int column, SortState &sortStateD, SortState &sortStateRa)
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
        list.sortAscending(key);
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
