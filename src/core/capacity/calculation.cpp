#include "core/capacity/calculation.h"
#include "core/text/fill_in.h"

#include "core/text/number_text.h"

#include <array>
#include <cmath>

namespace saxolith
{

namespace
{

// One run of the command, step by step; every write is kept as the final state it leaves. A step
// that ends the command returns false, and the figures then hold why it stopped. With `Texts`
// the run also writes the outcome's texts, colours and record; without, it only decides and
// computes, and every text it would have written is left unmade.
template <bool Texts> class CalculationRun
{
  public:
    // Writes straight into the caller's outcome (Texts only), which starts as a default outcome.
    CalculationRun(const CalculationInput &input, const KnownReadings &known, CalculationOutcome *out)
        : m_input(input), m_known(known), m_out(out)
    {
    }

    CalculationFigures run();

  private:
    void showStatus(Argb colour, std::string_view text)
    {
        if constexpr (Texts) {
            m_out->statusWritten = true;
            m_out->statusShown = true;
            m_out->statusColour = colour;
            m_out->statusText = text;
        }
    }
    void clearStatus()
    {
        if constexpr (Texts) {
            m_out->statusWritten = true;
            m_out->statusText.clear();
        }
    }
    void colourField(InputField field, Argb colour)
    {
        if constexpr (Texts) {
            m_out->fieldColours[static_cast<std::size_t>(field)] = colour;
        }
    }

    // The error procedure: red status, red field, the notice for the optimisation screen, stop.
    bool fail(std::string_view text, std::optional<InputField> field, bool notice = true)
    {
        showStatus(colour::red, text);
        if (field) {
            colourField(*field, colour::red);
        }
        if constexpr (Texts) {
            m_out->abortNotice = notice;
        }
        m_figures.end = CalculationEnd::Stopped;
        return false;
    }

    // A field's number, from the caller's reading when it gave one. Text that is not wholly a
    // number reads as nothing, and the field's own check then refuses it like a value out of range.
    static std::optional<double> readField(const std::optional<LenientReading> &known, const std::string &text)
    {
        const LenientReading reading = known ? *known : lenientNumber(text);
        if (!reading.wellFormed) {
            return std::nullopt;
        }
        return reading.value;
    }

    bool section();
    bool rock();
    bool automaticPsi(std::string_view hardness);
    bool manualPsi(std::string_view hardness);
    void summariseHints();
    void writeRecord(PileRecord &record) const;

    const CalculationInput &m_input;
    const KnownReadings &m_known;
    CalculationOutcome *m_out; // Texts only
    CalculationFigures m_figures;
    // What the record is made of, once the command completes.
    SectionType m_section = SectionType::Round;
    double m_area = 0.0;
    double m_perimeter = 0.0;
    double m_frk = 0.0;
    std::string_view m_hardness;
    std::string_view m_integrityClass;
    int m_hintFlags = 0;
};

bool isPositive(const std::optional<double> &value)
{
    return value && *value > 0.0;
}

template <bool Texts> bool CalculationRun<Texts>::section()
{
    const SectionTypeRow *checks = sectionRowOfItem(m_input.sectionItem);
    if (checks == nullptr) {
        // No item chosen: Ap and u stay 0.
        return true;
    }
    const auto first = readField(m_known.firstDimension, m_input.firstDimension);
    const auto second = readField(m_known.secondDimension, m_input.secondDimension);
    if (!isPositive(first)) {
        return fail(checks->firstError, InputField::FirstDimension);
    }
    clearStatus();
    colourField(InputField::FirstDimension, colour::black);
    // A round pile's straight segment is held at 0 by the screen and only has to be a number.
    if (!second || (checks->hasSecond && !(*second > 0.0))) {
        return fail(checks->secondError, InputField::SecondDimension);
    }
    clearStatus();
    colourField(InputField::SecondDimension, colour::black);

    const SectionGeometry g = sectionGeometry(static_cast<SectionItem>(m_input.sectionItem), *first, *second);
    m_section = g.type;
    if (g.exchanged) {
        m_figures.exchanged = true;
        m_figures.first = g.first;
        m_figures.second = g.second;
        if constexpr (Texts) {
            m_out->newFirstDimension = formatGeneral(g.first);
            m_out->newSecondDimension = formatGeneral(g.second);
        }
    }
    m_area = g.area;
    m_perimeter = g.perimeter;
    if (!std::isfinite(g.area) || !std::isfinite(g.perimeter)) {
        return fail(message::overflowError, std::nullopt);
    }
    return true;
}

template <bool Texts> bool CalculationRun<Texts>::automaticPsi(std::string_view hardness)
{
    const std::string &text = m_input.integrity;
    const IntegrityReading reading = m_known.integrity ? *m_known.integrity : readIntegrity(text);
    std::optional<IntegrityClass> cls = reading.cls;
    double psi = 0.0;
    if (cls) {
        psi = psiByIntegrityClass(*cls);
    } else {
        const auto &kv = reading.index;
        if (!kv) {
            // Not an input error but the standard conversion error box: no notice, no red field.
            m_figures.end = CalculationEnd::ConversionFailure;
            if constexpr (Texts) {
                m_out->errorBoxText = conversionErrorText(message::notAFloat, text);
            }
            return false;
        }
        const IntegrityFinding finding = integrityByIndex(*kv);
        if (finding.kind == IntegrityFinding::Kind::OutOfRange) {
            std::string msg;
            if constexpr (Texts) {
                msg = hardness;
                msg += message::classJoin;
                msg += message::indexErrorSuffix;
            }
            return fail(msg, InputField::Integrity);
        }
        if (finding.kind == IntegrityFinding::Kind::BrokenRock) {
            return fail(message::brokenRockError, InputField::Integrity);
        }
        cls = finding.cls;
        psi = finding.psi;
    }
    const std::string_view name = integrityClassName(*cls);
    m_integrityClass = name;
    if (*cls == IntegrityClass::Fractured) {
        showStatus(colour::magenta, message::fracturedHint);
        colourField(InputField::Integrity, colour::magenta);
        m_hintFlags |= hint::fractured;
    } else {
        if constexpr (Texts) {
            std::string info;
            info.reserve(hardness.size() + message::rockMassJoin.size() + name.size());
            info += hardness;
            info += message::rockMassJoin;
            info += name;
            showStatus(colour::black, info);
        }
        colourField(InputField::Integrity, colour::black);
    }
    m_figures.psi = psi;
    return true;
}

template <bool Texts> bool CalculationRun<Texts>::manualPsi(std::string_view hardness)
{
    const auto psi = readField(std::nullopt, m_input.manualPsi);
    if (!psi || *psi < 0.0 || *psi > 1.0) {
        // The one input error that leaves the optimisation screen's status alone.
        return fail(message::psiError, InputField::ManualPsi, false);
    }
    m_figures.psi = *psi;
    if (!isHighManualPsi(*psi)) {
        clearStatus();
        colourField(InputField::ManualPsi, colour::black);
        showStatus(colour::black, hardness);
    } else {
        showStatus(colour::magenta, message::manualPsiHint);
        colourField(InputField::ManualPsi, colour::magenta);
        m_hintFlags |= hint::highManualPsi;
    }
    return true;
}

// The result colour and the status line once every hint is known.
template <bool Texts> void CalculationRun<Texts>::summariseHints()
{
    struct Summary {
        Argb colour;
        std::string_view status; // empty: the status stays as the checks left it
    };
    // Indexed by the hint flags. Soft rock together with a high ψr by hand keeps the hand-entered ψr's hint.
    static constexpr std::array<Summary, hint::all + 1> summaries{{
        {colour::green, {}},
        {colour::magenta, message::softRockSummary},
        {colour::magenta, message::fracturedSummary},
        {colour::magenta, message::softFracturedSummary},
        {colour::magenta, {}},
        {colour::magenta, {}},
        {colour::magenta, {}}, // a class and a hand-entered ψr never come together
        {colour::magenta, {}},
    }};
    if constexpr (Texts) {
        const Summary &summary = summaries[static_cast<std::size_t>(m_hintFlags)];
        m_out->resultColour = summary.colour;
        if (!summary.status.empty()) {
            showStatus(colour::magenta, summary.status);
        }
    }
}

template <bool Texts> bool CalculationRun<Texts>::rock()
{
    if (m_input.route == StrengthRoute::QpaGiven) {
        const auto qpa = readField(m_known.qpa, m_input.qpa);
        if (!isPositive(qpa)) {
            return fail(message::qpaError, InputField::Qpa);
        }
        m_figures.qpa = *qpa;
        if constexpr (Texts) {
            m_out->psiEnabled = false;
            m_out->resultColour = colour::green;
            m_out->psiText = "-";
        }
        return true;
    }
    const auto frk = readField(m_known.frk, m_input.frk);
    if (!frk || *frk < 0.0) {
        return fail(message::frkError, InputField::Frk);
    }
    if (isSoftRock(*frk)) {
        showStatus(colour::magenta, message::softRockHint);
        colourField(InputField::Frk, colour::magenta);
        m_hintFlags |= hint::softRock;
    } else {
        clearStatus();
        colourField(InputField::Frk, colour::black);
    }
    const std::string_view hardness = hardnessClass(*frk);
    m_frk = *frk;
    m_hardness = hardness;
    const bool found = m_input.psiMode == PsiMode::Automatic ? automaticPsi(hardness) : manualPsi(hardness);
    if (!found) {
        return false;
    }
    m_figures.qpa = qpaFromFrk(m_figures.psi, *frk);
    if constexpr (Texts) {
        m_out->psiEnabled = true;
        summariseHints();
        m_out->psiText = formatFixed(m_figures.psi, 7, 4);
    }
    return true;
}

template <bool Texts> void CalculationRun<Texts>::writeRecord(PileRecord &record) const
{
    record.input = m_input;
    record.section = m_section;
    record.first = m_figures.exchanged ? *m_out->newFirstDimension : m_input.firstDimension;
    record.second = m_figures.exchanged ? *m_out->newSecondDimension : m_input.secondDimension;
    record.route = m_input.route;
    record.psiMode = m_input.psiMode;
    record.qpaText = m_input.qpa;
    record.frkText = m_input.frk;
    record.integrityText = m_input.integrity;
    record.manualPsiText = m_input.manualPsi;
    record.area = m_area;
    record.perimeter = m_perimeter;
    record.frk = m_frk;
    record.psi = m_figures.psi;
    record.qpa = m_figures.qpa;
    record.ra = m_figures.ra;
    record.hardness = m_hardness;
    record.integrityClass = m_integrityClass;
    record.precision = m_input.precision;
    if (m_hintFlags != 0) {
        record.note = m_out->statusText;
    }
}

template <bool Texts> CalculationFigures CalculationRun<Texts>::run()
{
    if (section() && rock()) {
        m_figures.ra = capacityRa(m_figures.qpa, m_area);
        // Huge but finite inputs can still overflow; such a result is refused, never shown. The
        // book writes qpa and Ra to ten digits and the rest to six, which must read back as numbers.
        const bool textsReadBack = fixedTextReadsBack(m_figures.qpa, 10) && fixedTextReadsBack(m_figures.ra, 10) &&
                                   fixedTextReadsBack(m_frk, 6) && fixedTextReadsBack(m_area / 1'000'000.0, 6) &&
                                   fixedTextReadsBack(m_perimeter / 1'000.0, 6);
        if (!std::isfinite(m_figures.qpa) || !std::isfinite(m_figures.ra) || !textsReadBack) {
            fail(message::overflowError, std::nullopt);
        }
    }
    if constexpr (Texts) {
        m_out->end = m_figures.end;
        m_out->hintFlags = m_hintFlags;
        if (m_figures.end != CalculationEnd::Completed) {
            // Step 0 emptied the result fields and a stopped command fills none of them.
            m_out->psiText.clear();
            return m_figures;
        }
        m_out->qpaText = displayRounded(m_figures.qpa, m_input.precision);
        m_out->raText = displayRounded(m_figures.ra, m_input.precision);
        writeRecord(m_out->record.emplace());
    }
    return m_figures;
}

} // namespace

CalculationInput defaultCalculationInput()
{
    CalculationInput input;
    input.sectionItem = 0;
    input.firstDimension = "1000";
    input.secondDimension = "0";
    input.route = StrengthRoute::FrkGiven;
    input.qpa = "3500";
    input.frk = "35";
    input.psiMode = PsiMode::Automatic;
    input.integrity = "较完整";
    input.manualPsi = "0.20";
    input.precision = 2;
    return input;
}

CalculationOutcome calculate(const CalculationInput &input)
{
    CalculationOutcome out;
    CalculationRun<true>(input, KnownReadings{}, &out).run();
    return out;
}

CalculationFigures calculateFigures(const CalculationInput &input, const KnownReadings &known)
{
    return CalculationRun<false>(input, known, nullptr).run();
}

IntegrityReading readIntegrity(std::string_view text)
{
    IntegrityReading reading;
    reading.cls = integrityClassByName(text);
    if (!reading.cls) {
        reading.index = strictNumber(text);
    }
    return reading;
}

std::string conversionErrorText(std::string_view pattern, std::string_view text)
{
    return fillIn(pattern, {text});
}

} // namespace saxolith
