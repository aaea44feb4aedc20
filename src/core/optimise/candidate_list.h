// The candidate lists of the optimisation screen: compact rows, their cell texts, sort and filter
// (the screen's commands on them are optimise/list_commands.h).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/capacity/calculation.h"
#include "core/capacity/formulas.h"
#include "core/optimise/candidate_columns.h"
#include "core/text/number_text.h"
#include "core/texts/input.h"

namespace saxolith
{

// Reports how far a long list command has come: `done` of `total` steps, called now and then.
using ListProgress = std::function<void(std::size_t done, std::size_t total)>;

// How automatic ψr was found: from an integrity class or an integrity index.
enum class IntegrityBasis : std::uint8_t { Class = 1, Index = 2 };

// One candidate, holding what its twelve cell texts are made from.
struct CandidateRow {
    double first = 0.0;    // d, the longer side or the square's side, as the screen holds it
    double second = 0.0;   // c, the shorter side or the side; unused for round piles
    double strength = 0.0; // qpa input or frk input, by route
    double index = 0.0;    // integrity index (IntegrityBasis::Index)
    double psi = 0.0;
    double qpa = 0.0;
    double ra = 0.0;
    std::uint32_t number = 0;      // position in the run, from 1
    std::uint8_t numberDigits = 0; // 0: plain number; else "ZH-" and this many digits
    SectionType section = SectionType::Round;
    StrengthRoute route = StrengthRoute::QpaGiven;
    IntegrityBasis basis = IntegrityBasis::Class;           // frk route only
    IntegrityClass integrityClass = IntegrityClass::Intact; // IntegrityBasis::Class only
    std::uint8_t precision = 2;                             // precision item of the results
};

class CandidateList
{
  public:
    std::size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }
    const CandidateRow &row(std::size_t index) const { return m_rows[index]; }

    // The text of a cell as the lists show it; empty outside the list or its columns.
    std::string cell(std::size_t row, CandidateColumn column) const;
    std::string cell(std::size_t row, int column) const
    {
        return cell(row, static_cast<CandidateColumn>(column));
    }

    void append(const CandidateRow &row) { m_rows.push_back(row); }
    void clear() { m_rows.clear(); }
    void reserve(std::size_t count) { m_rows.reserve(count); }

    // Numbers every row "ZH-" and its position, zero-padded to the digits of the row count.
    void renumber();

    // Ascending by the numbers a column's cells show, in the order of the list's exchange sort.
    void sortAscending(CandidateColumn column, const ListProgress &progress = {});
    void sortAscending(int column) { sortAscending(static_cast<CandidateColumn>(column)); }
    void reverse();

    // Copies of the rows whose shown Ra lies in [minimum, maximum], in list order.
    CandidateList filterByRa(double minimum, double maximum, const ListProgress &progress = {}) const;

  private:
    std::vector<CandidateRow> m_rows;
};

// The number displayRounded(value, choice) shows, read back from the text, in hundredths: found
// from the value alone, exactly as the text rounds it. Nothing when the text is rounded to seven
// significant digits, no number, or the choice is none of 0..4; the text must then be read.
// In the header, so that the loops over a list's rows (sort, filter, chart) round without a call.
inline std::optional<std::int64_t> roundedHundredths(double value, int choice)
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

// The number a d or Ra cell of `row` shows, read back, in hundredths, as the sort and the filter
// take it; nothing for other columns or where only reading the cell's text tells.
std::optional<std::int64_t> shownHundredths(const CandidateList &list, std::size_t row, CandidateColumn column);

} // namespace saxolith
