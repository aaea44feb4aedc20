#include "optimise/enumeration.h"

#include "capacity/formulas.h"
#include "text/number_text.h"
#include "texts/optimisation.h"

namespace saxolith
{

namespace
{

constexpr std::uint64_t progressInterval = 4096;

// The candidates of one run, written into a copy of the input screen's state exactly as the
// screen would be written, each evaluated by the calculate command.
class Enumeration
{
  public:
    Enumeration(const std::array<ValueSeries, optionRowCount> &series, const CalculationInput &current,
                std::uint64_t total, const RunProgress &progress)
        : m_series(series), m_input(current), m_total(total), m_progress(progress)
    {
        m_rows.reserve(static_cast<std::size_t>(total));
    }

    // False when the calculate command refused a candidate.
    bool run();

    CandidateList takeRows() { return std::move(m_rows); }
    const CalculationInput &input() const { return m_input; }
    std::optional<CalculationOutcome> &outcome() { return m_outcome; }

  private:
    const ValueSeries &series(OptionRow row) const { return m_series[static_cast<std::size_t>(row)]; }

    // Calls `body` with every value of the row's series; stops when it returns false.
    template <typename Body> bool forEach(OptionRow row, Body body) const
    {
        const ValueSeries &s = series(row);
        double value = s.first;
        for (std::uint64_t i = 0; i < s.count; ++i, value = s.next(value))
            if (!body(value))
                return false;
        return true;
    }

    bool dimensions(const SectionTypeRow &section);
    bool rock();
    bool evaluate();

    const std::array<ValueSeries, optionRowCount> &m_series;
    CalculationInput m_input;
    CandidateRow m_row;
    CandidateList m_rows;
    std::optional<CalculationOutcome> m_outcome;
    std::uint64_t m_total;
    const RunProgress &m_progress;
};

bool Enumeration::run()
{
    return forEach(OptionRow::SectionType, [&](double value) {
        const SectionTypeRow &section = sectionRow(sectionTypeOfOption(static_cast<int>(value)));
        // A square is calculated as a rectangle with two equal sides.
        m_input.sectionItem = static_cast<int>(section.item);
        m_row.section = section.type;
        return dimensions(section);
    });
}

bool Enumeration::dimensions(const SectionTypeRow &section)
{
    const auto write = [&](double first, double second) {
        m_row.first = first;
        m_row.second = second;
        m_input.firstDimension = formatGeneral(first);
        m_input.secondDimension =
            section.hasSecond ? formatGeneral(second) : std::string(section.secondValue);
    };
    switch (section.type) {
    case SectionType::Round:
        return forEach(OptionRow::Diameter, [&](double d) {
            write(d, 0.0);
            return rock();
        });
    case SectionType::Elliptical:
        return forEach(OptionRow::Diameter, [&](double d) {
            return forEach(OptionRow::Segment, [&](double c) {
                write(d, c);
                return rock();
            });
        });
    case SectionType::Rectangular:
        return forEach(OptionRow::LongSide, [&](double a) {
            return forEach(OptionRow::ShortSide, [&](double b) {
                write(a, b);
                return rock();
            });
        });
    case SectionType::Square:
        break;
    }
    return forEach(OptionRow::SquareSide, [&](double s) {
        write(s, s);
        return rock();
    });
}

bool Enumeration::rock()
{
    return forEach(OptionRow::Route, [&](double route) {
        if (route == 1) {
            m_input.route = StrengthRoute::QpaGiven;
            m_row.route = StrengthRoute::QpaGiven;
            return forEach(OptionRow::Qpa, [&](double qpa) {
                m_input.qpa = formatFixed(qpa, 10, 0);
                m_row.strength = qpa;
                return evaluate();
            });
        }
        m_row.route = StrengthRoute::FrkGiven;
        return forEach(OptionRow::Frk, [&](double frk) {
            m_input.route = StrengthRoute::FrkGiven;
            m_input.frk = formatFixed(frk, 10, 2);
            m_row.strength = frk;
            return forEach(OptionRow::Basis, [&](double basis) {
                m_input.psiMode = PsiMode::Automatic;
                m_row.basis = basis == 1 ? IntegrityBasis::Class : IntegrityBasis::Index;
                if (m_row.basis == IntegrityBasis::Class) {
                    return forEach(OptionRow::IntegrityClass, [&](double cls) {
                        m_row.integrityClass = static_cast<IntegrityClass>(static_cast<int>(cls));
                        m_input.integrity = integrityClassName(m_row.integrityClass);
                        return evaluate();
                    });
                }
                return forEach(OptionRow::IntegrityIndex, [&](double index) {
                    m_input.integrity = formatFixed(index, 10, 2);
                    m_row.index = index;
                    return evaluate();
                });
            });
        });
    });
}

bool Enumeration::evaluate()
{
    m_outcome = calculate(m_input);
    const CalculationOutcome &outcome = *m_outcome;
    // The command's exchange of the rectangle's sides stays in the screen for the next candidate.
    const bool exchanged = outcome.newFirstDimension && outcome.newSecondDimension;
    if (exchanged) {
        m_input.firstDimension = *outcome.newFirstDimension;
        m_input.secondDimension = *outcome.newSecondDimension;
        std::swap(m_row.first, m_row.second);
    }
    if (outcome.end != CalculationEnd::Completed || !outcome.record)
        return false;

    CandidateRow row = m_row;
    row.psi = outcome.record->psi;
    row.qpa = outcome.record->qpa;
    row.ra = outcome.record->ra;
    row.precision = static_cast<std::uint8_t>(m_input.precision);
    row.number = static_cast<std::uint32_t>(m_rows.size() + 1);
    row.numberDigits = 0;
    m_rows.append(row);
    if (m_progress && m_rows.size() % progressInterval == 0)
        m_progress(m_rows.size(), m_total);
    return true;
}

std::string countText(std::string_view prefix, std::size_t count)
{
    return std::string(prefix) + std::to_string(count) + std::string(message::countSuffix);
}

} // namespace

RunResult runEnumeration(const OptionTexts &options, const CalculationInput &current,
                         const RunProgress &progress)
{
    RunResult result;
    const OptionReading reading = readOptions(options);
    if (reading.failure == SeriesFailure::Conversion) {
        result.end = RunEnd::ConversionFailure;
        result.errorBoxText = reading.message;
        return result;
    }
    if (reading.failure == SeriesFailure::Check) {
        result.end = RunEnd::CheckFailed;
        result.statusText = reading.message;
        result.statusColour = colour::red;
        return result;
    }
    const std::uint64_t total = candidateCount(reading.series);
    if (total > candidateLimit) {
        result.end = RunEnd::TooMany;
        result.statusText = message::tooManyCandidates;
        result.statusColour = colour::red;
        return result;
    }

    Enumeration enumeration(reading.series, current, total, progress);
    const bool completed = enumeration.run();
    result.rows = enumeration.takeRows();
    result.finalInput = enumeration.input();
    result.finalOutcome = std::move(enumeration.outcome());
    if (!completed) {
        result.end = RunEnd::Refused;
        result.statusText = message::runAborted;
        result.statusColour = colour::red;
        if (result.finalOutcome && result.finalOutcome->end == CalculationEnd::ConversionFailure)
            result.errorBoxText = result.finalOutcome->errorBoxText;
        return result;
    }
    if (progress)
        progress(result.rows.size(), total);
    if (result.rows.empty()) {
        result.end = RunEnd::NoCandidate;
        result.statusText = message::noCandidate;
        result.finalInput.reset();
        return result;
    }
    result.rows.renumber();
    result.end = RunEnd::Completed;
    result.statusText = countText(message::runCompletePrefix, result.rows.size());
    return result;
}

} // namespace saxolith
