// The list commands on any rows: the fast sort leaves the order of the literal exchange sort on
// the shown numbers, reversal and the Ra filter keep the rows, taking a row back never fails.
#include "fuzz_check.h"
#include "core/optimise/exchange_sort.h"
#include "core/optimise/list_commands.h"
#include "core/text/number_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <numeric>

using namespace saxolith;
using fuzz::require;

namespace
{

// Values a list row can hold: each passed the calculate command, whose texts all read back as numbers.
// Few distinct values make ties, which is where exchange sorts differ.
double value(FuzzedDataProvider &in)
{
    return in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 4) * 500.0
                            : in.ConsumeFloatingPointInRange(-1e300, 1e300);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    CandidateList list;
    const std::size_t rows = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    for (std::size_t i = 0; i < rows && in.remaining_bytes() > 0; ++i) {
        CandidateRow row;
        row.first = value(in);
        row.second = value(in);
        row.strength = value(in);
        row.index = value(in);
        row.psi = value(in);
        row.qpa = value(in);
        row.ra = value(in);
        row.section = static_cast<SectionType>(in.ConsumeIntegralInRange<std::uint8_t>(0, 3));
        row.route = static_cast<StrengthRoute>(in.ConsumeIntegralInRange<std::uint8_t>(1, 2));
        row.basis = static_cast<IntegrityBasis>(in.ConsumeIntegralInRange<std::uint8_t>(1, 2));
        row.integrityClass = static_cast<IntegrityClass>(in.ConsumeIntegralInRange<std::uint8_t>(1, 3));
        row.precision = in.ConsumeIntegralInRange<std::uint8_t>(0, 4);
        row.number = static_cast<std::uint32_t>(i + 1);
        list.append(row);
    }
    list.renumber();

    const int column = in.ConsumeBool() ? 2 : 4;
    std::vector<double> keys(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        keys[i] = strictNumber(list.cell(i, column)).value_or(std::numeric_limits<double>::quiet_NaN());
    }
    std::string shown;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        shown += list.cell(i, column) + " ";
    }
    const std::vector<std::size_t> fast = exchangeSortOrder(keys);
    const std::vector<std::size_t> literal = literalExchangeOrder(keys);
    if (fast != literal) {
        shown += "| fast";
        for (const std::size_t i : fast) {
            shown += " " + std::to_string(i);
        }
        shown += " | literal";
        for (const std::size_t i : literal) {
            shown += " " + std::to_string(i);
        }
    }
    require(fast == literal, "fast sort order is the exchange sort's", shown);
    const std::vector<std::size_t> order = literalExchangeOrder(keys);
    CandidateList sorted = list;
    sorted.sortAscending(column);
    for (std::size_t i = 0; i < list.size(); ++i) {
        require(sorted.cell(i, column) == list.cell(order[i], column), "sorted list follows the order");
    }

    auto sortD = static_cast<SortState>(in.ConsumeIntegralInRange(0, 2));
    auto sortRa = static_cast<SortState>(in.ConsumeIntegralInRange(0, 2));
    CandidateList clicked = list;
    headerClick(clicked, in.ConsumeIntegralInRange(-1, 12), sortD, sortRa);
    require(clicked.size() == list.size(), "a header click keeps the rows");

    const std::string minimum = in.ConsumeRandomLengthString(24);
    const std::string maximum = in.ConsumeRandomLengthString(24);
    const FilterOutcome filtered = filterCandidates(list, minimum, maximum);
    require(filtered.rows.size() <= list.size(), "the filter keeps only rows of the list");
    for (std::size_t i = 0; i < list.size(); i += 7) {
        takeBack(list, i);
    }
    return 0;
}
