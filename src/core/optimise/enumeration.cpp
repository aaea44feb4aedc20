#include "core/optimise/enumeration.h"

#include "core/capacity/formulas.h"
#include "core/text/number_text.h"
#include "core/texts/optimisation.h"

namespace saxolith
{

namespace
{

constexpr std::uint64_t progressInterval = 4096;

// How the values of an option row are written into the input screen.
enum class TextKind { Dimension, Qpa, Frk, IntegrityIndex, IntegrityClass };

// The text one value is written with and what the calculate command reads from that text.
struct ValueText {
    std::string text;
    LenientReading number;      // the numeric fields
    IntegrityReading integrity; // the integrity field
};

ValueText makeValueText(TextKind kind, double value)
{
    ValueText out;
    switch (kind) {
    case TextKind::Dimension:
        out.text = formatGeneral(value);
        break;
    case TextKind::Qpa:
        out.text = formatFixed(value, 10, 0);
        break;
    case TextKind::Frk:
    case TextKind::IntegrityIndex:
        out.text = formatFixed(value, 10, 2);
        break;
    case TextKind::IntegrityClass:
        out.text = integrityClassName(static_cast<IntegrityClass>(static_cast<int>(value)));
        break;
    }
    if (kind == TextKind::IntegrityIndex || kind == TextKind::IntegrityClass)
        out.integrity = readIntegrity(out.text);
    else
        out.number = lenientNumber(out.text);
    return out;
}

// The texts of one option row's values, made the first time each value comes round and kept for
// the next times: an inner row comes round again for every value of the rows outside it. A row
// of very many values keeps only its first ones and makes the texts of the others each time.
class SeriesTexts
{
  public:
    explicit SeriesTexts(TextKind kind) : m_kind(kind) {}

    // The text of the row's value number `i` (from 0), which is `value`; valid until the next call.
    const ValueText &at(std::uint64_t i, double value)
    {
        if (i < m_kept.size())
            return m_kept[static_cast<std::size_t>(i)];
        if (i == m_kept.size() && i < keptValues) {
            m_kept.push_back(makeValueText(m_kind, value));
            return m_kept.back();
        }
        m_made = makeValueText(m_kind, value);
        return m_made;
    }

  private:
    static constexpr std::uint64_t keptValues = 1 << 16;
    TextKind m_kind;
    std::vector<ValueText> m_kept;
    ValueText m_made;
};

// The candidates of one run, written into a copy of the input screen's state exactly as the
// screen would be written, each evaluated by the calculate command. The command reads each
// value's text as it was read when the text was first made, and makes none of the texts the run
// does not keep; the outcome of the last candidate is made in full once the run ends.
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
    // The calculate command's whole outcome for the last candidate evaluated, from the texts it
    // was evaluated with (before an exchange of its sides); unset when none was.
    std::optional<CalculationOutcome> finalOutcome() const;

  private:
    const ValueSeries &series(OptionRow row) const { return m_series[static_cast<std::size_t>(row)]; }
    // The text of the row's value number `i`, which is `value`; valid until the row's next text.
    const ValueText &valueText(OptionRow row, std::uint64_t i, double value)
    {
        return m_texts[static_cast<std::size_t>(row)].at(i, value);
    }

    // Calls `body` with the index and the value of every value of the row's series; stops when it
    // returns false.
    template <typename Body> bool forEach(OptionRow row, Body body) const
    {
        const ValueSeries &s = series(row);
        double value = s.first;
        for (std::uint64_t i = 0; i < s.count; ++i, value = s.next(value))
            if (!body(i, value))
                return false;
        return true;
    }

    bool dimensions(const SectionTypeRow &section);
    bool rock();
    bool evaluate();

    const std::array<ValueSeries, optionRowCount> &m_series;
    CalculationInput m_input;
    KnownReadings m_known; // what the command reads from m_input's texts, where the run wrote them
    CandidateRow m_row;
    CandidateList m_rows;
    std::uint64_t m_total;
    const RunProgress &m_progress;

    // Indexed by OptionRow; the rows of codes (section type, route, basis) write no text.
    std::array<SeriesTexts, optionRowCount> m_texts{
        SeriesTexts{TextKind::Dimension},     SeriesTexts{TextKind::Dimension},
        SeriesTexts{TextKind::Dimension},     SeriesTexts{TextKind::Dimension},
        SeriesTexts{TextKind::Dimension},     SeriesTexts{TextKind::Dimension},
        SeriesTexts{TextKind::Dimension},     SeriesTexts{TextKind::Qpa},
        SeriesTexts{TextKind::Frk},           SeriesTexts{TextKind::Dimension},
        SeriesTexts{TextKind::IntegrityClass}, SeriesTexts{TextKind::IntegrityIndex},
    };

    bool m_evaluated = false;
    // The last candidate's sides exchanged by the command, and the texts it was evaluated with.
    bool m_lastExchanged = false;
    std::string m_firstBefore;
    std::string m_secondBefore;
};

bool Enumeration::run()
{
    return forEach(OptionRow::SectionType, [&](std::uint64_t, double value) {
        const SectionTypeRow &section = sectionRow(sectionTypeOfOption(static_cast<int>(value)));
        // A square is calculated as a rectangle with two equal sides.
        m_input.sectionItem = static_cast<int>(section.item);
        m_row.section = section.type;
        return dimensions(section);
    });
}

bool Enumeration::dimensions(const SectionTypeRow &section)
{
    const LenientReading heldSecond = lenientNumber(section.secondValue);
    const auto write = [&](const ValueText &first, double firstValue, const ValueText *second,
                           double secondValue) {
        m_row.first = firstValue;
        m_row.second = secondValue;
        m_input.firstDimension = first.text;
        m_known.firstDimension = first.number;
        if (second != nullptr) {
            m_input.secondDimension = second->text;
            m_known.secondDimension = second->number;
        } else {
            m_input.secondDimension = section.secondValue;
            m_known.secondDimension = heldSecond;
        }
    };
    switch (section.type) {
    case SectionType::Round:
        return forEach(OptionRow::Diameter, [&](std::uint64_t i, double d) {
            write(valueText(OptionRow::Diameter, i, d), d, nullptr, 0.0);
            return rock();
        });
    case SectionType::Elliptical:
        return forEach(OptionRow::Diameter, [&](std::uint64_t i, double d) {
            return forEach(OptionRow::Segment, [&](std::uint64_t j, double c) {
                write(valueText(OptionRow::Diameter, i, d), d, &valueText(OptionRow::Segment, j, c), c);
                return rock();
            });
        });
    case SectionType::Rectangular:
        return forEach(OptionRow::LongSide, [&](std::uint64_t i, double a) {
            return forEach(OptionRow::ShortSide, [&](std::uint64_t j, double b) {
                write(valueText(OptionRow::LongSide, i, a), a, &valueText(OptionRow::ShortSide, j, b), b);
                return rock();
            });
        });
    case SectionType::Square:
        break;
    }
    return forEach(OptionRow::SquareSide, [&](std::uint64_t i, double s) {
        const ValueText &side = valueText(OptionRow::SquareSide, i, s);
        write(side, s, &side, s);
        return rock();
    });
}

bool Enumeration::rock()
{
    return forEach(OptionRow::Route, [&](std::uint64_t, double route) {
        if (route == 1) {
            m_input.route = StrengthRoute::QpaGiven;
            m_row.route = StrengthRoute::QpaGiven;
            return forEach(OptionRow::Qpa, [&](std::uint64_t i, double qpa) {
                const ValueText &text = valueText(OptionRow::Qpa, i, qpa);
                m_input.qpa = text.text;
                m_known.qpa = text.number;
                m_row.strength = qpa;
                return evaluate();
            });
        }
        m_row.route = StrengthRoute::FrkGiven;
        return forEach(OptionRow::Frk, [&](std::uint64_t i, double frk) {
            m_input.route = StrengthRoute::FrkGiven;
            const ValueText &text = valueText(OptionRow::Frk, i, frk);
            m_input.frk = text.text;
            m_known.frk = text.number;
            m_row.strength = frk;
            return forEach(OptionRow::Basis, [&](std::uint64_t, double basis) {
                m_input.psiMode = PsiMode::Automatic;
                m_row.basis = basis == 1 ? IntegrityBasis::Class : IntegrityBasis::Index;
                if (m_row.basis == IntegrityBasis::Class) {
                    return forEach(OptionRow::IntegrityClass, [&](std::uint64_t j, double cls) {
                        m_row.integrityClass = static_cast<IntegrityClass>(static_cast<int>(cls));
                        const ValueText &name = valueText(OptionRow::IntegrityClass, j, cls);
                        m_input.integrity = name.text;
                        m_known.integrity = name.integrity;
                        return evaluate();
                    });
                }
                return forEach(OptionRow::IntegrityIndex, [&](std::uint64_t j, double index) {
                    const ValueText &indexText = valueText(OptionRow::IntegrityIndex, j, index);
                    m_input.integrity = indexText.text;
                    m_known.integrity = indexText.integrity;
                    m_row.index = index;
                    return evaluate();
                });
            });
        });
    });
}

bool Enumeration::evaluate()
{
    const CalculationFigures figures = calculateFigures(m_input, m_known);
    m_evaluated = true;
    // The command's exchange of the rectangle's sides stays in the screen for the next candidate.
    m_lastExchanged = figures.exchanged;
    if (figures.exchanged) {
        m_firstBefore.swap(m_input.firstDimension);
        m_secondBefore.swap(m_input.secondDimension);
        m_input.firstDimension = formatGeneral(figures.first);
        m_input.secondDimension = formatGeneral(figures.second);
        m_known.firstDimension = lenientNumber(m_input.firstDimension);
        m_known.secondDimension = lenientNumber(m_input.secondDimension);
        std::swap(m_row.first, m_row.second);
    }
    if (figures.end != CalculationEnd::Completed)
        return false;

    CandidateRow row = m_row;
    row.psi = figures.psi;
    row.qpa = figures.qpa;
    row.ra = figures.ra;
    row.precision = static_cast<std::uint8_t>(m_input.precision);
    row.number = static_cast<std::uint32_t>(m_rows.size() + 1);
    row.numberDigits = 0;
    m_rows.append(row);
    if (m_progress && m_rows.size() % progressInterval == 0)
        m_progress(m_rows.size(), m_total);
    return true;
}

std::optional<CalculationOutcome> Enumeration::finalOutcome() const
{
    if (!m_evaluated)
        return std::nullopt;
    if (!m_lastExchanged)
        return calculate(m_input);
    CalculationInput evaluated = m_input;
    evaluated.firstDimension = m_firstBefore;
    evaluated.secondDimension = m_secondBefore;
    return calculate(evaluated);
}

std::string countText(std::string_view prefix, std::size_t count)
{
    return std::string(prefix) + std::to_string(count) + std::string(message::countSuffix);
}

RunResult tooManyResult()
{
    RunResult result;
    result.end = RunEnd::TooMany;
    result.statusText = message::tooManyCandidates;
    result.statusColour = colour::red;
    return result;
}

} // namespace

std::optional<RunResult> sizeRefusal(const OptionTexts &options)
{
    const OptionReading reading = readOptions(options);
    if (reading.failure != SeriesFailure::None || candidateCount(reading.series) <= candidateLimit)
        return std::nullopt;
    return tooManyResult();
}

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
    if (total > candidateLimit)
        return tooManyResult();

    Enumeration enumeration(reading.series, current, total, progress);
    const bool completed = enumeration.run();
    result.rows = enumeration.takeRows();
    result.finalInput = enumeration.input();
    result.finalOutcome = enumeration.finalOutcome();
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
