#include "capacity/calculation.h"

#include "text/number_text.h"

#include <array>
#include <cmath>

namespace saxolith
{

namespace
{

// One run of the command, step by step; every write is kept as the final state it leaves. A step
// that ends the command returns false, and the outcome then holds where and why it stopped.
class CalculationRun
{
  public:
    // Writes straight into the caller's outcome: a calculation per candidate leaves no room for copies.
    CalculationRun(const CalculationInput &input, CalculationOutcome &out)
        : m_input(input), m_out(out), m_record(out.record.emplace())
    {
    }

    void run();

  private:
    void showStatus(Argb colour, std::string_view text)
    {
        m_out.statusWritten = true;
        m_out.statusShown = true;
        m_out.statusColour = colour;
        m_out.statusText = text;
    }
    void clearStatus()
    {
        m_out.statusWritten = true;
        m_out.statusText.clear();
    }
    void colourField(InputField field, Argb colour)
    {
        m_out.fieldColours[static_cast<std::size_t>(field)] = colour;
    }

    // The error procedure: red status, red field, the notice for the optimisation screen, stop.
    bool fail(std::string_view text, std::optional<InputField> field, bool notice = true)
    {
        showStatus(colour::red, text);
        if (field) {
            colourField(*field, colour::red);
        }
        m_out.abortNotice = notice;
        m_out.end = CalculationEnd::Stopped;
        return false;
    }

    bool section();
    bool rock();
    bool automaticPsi(std::string_view hardness);
    bool manualPsi(std::string_view hardness);
    void summariseHints();

    const CalculationInput &m_input;
    CalculationOutcome &m_out;
    PileRecord &m_record; // dropped again when the command stops
};

// A field's number. Text that is not wholly a number reads as nothing, and the field's own
// check then refuses it like a value out of range.
std::optional<double> readField(const std::string &text)
{
    const LenientReading reading = lenientNumber(text);
    if (!reading.wellFormed) {
        return std::nullopt;
    }
    return reading.value;
}

bool isPositive(const std::optional<double> &value)
{
    return value && *value > 0.0;
}

bool CalculationRun::section()
{
    m_record.first = m_input.firstDimension;
    m_record.second = m_input.secondDimension;
    const SectionTypeRow *checks = sectionRowOfItem(m_input.sectionItem);
    if (checks == nullptr) {
        // No item chosen: Ap and u stay 0.
        return true;
    }
    const auto first = readField(m_input.firstDimension);
    const auto second = readField(m_input.secondDimension);
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
    m_record.section = g.type;
    if (g.exchanged) {
        m_out.newFirstDimension = formatGeneral(g.first);
        m_out.newSecondDimension = formatGeneral(g.second);
        m_record.first = *m_out.newFirstDimension;
        m_record.second = *m_out.newSecondDimension;
    }
    m_record.area = g.area;
    m_record.perimeter = g.perimeter;
    if (!std::isfinite(g.area) || !std::isfinite(g.perimeter)) {
        return fail(message::overflowError, std::nullopt);
    }
    return true;
}

bool CalculationRun::automaticPsi(std::string_view hardness)
{
    const std::string &text = m_input.integrity;
    std::optional<IntegrityClass> cls = integrityClassByName(text);
    double psi = 0.0;
    if (cls) {
        psi = psiByIntegrityClass(*cls);
    } else {
        const auto kv = strictNumber(text);
        if (!kv) {
            // Not an input error but the standard conversion error box: no notice, no red field.
            m_out.end = CalculationEnd::ConversionFailure;
            m_out.errorBoxText = conversionErrorText(message::notAFloat, text);
            return false;
        }
        const IntegrityFinding finding = integrityByIndex(*kv);
        if (finding.kind == IntegrityFinding::Kind::OutOfRange) {
            std::string msg(hardness);
            msg += message::classJoin;
            msg += message::indexErrorSuffix;
            return fail(msg, InputField::Integrity);
        }
        if (finding.kind == IntegrityFinding::Kind::BrokenRock) {
            return fail(message::brokenRockError, InputField::Integrity);
        }
        cls = finding.cls;
        psi = finding.psi;
    }
    const std::string_view name = integrityClassName(*cls);
    m_record.integrityClass = name;
    if (*cls == IntegrityClass::Fractured) {
        showStatus(colour::magenta, message::fracturedHint);
        colourField(InputField::Integrity, colour::magenta);
        m_out.hintFlags |= hint::fractured;
    } else {
        std::string info;
        info.reserve(hardness.size() + message::rockMassJoin.size() + name.size());
        info += hardness;
        info += message::rockMassJoin;
        info += name;
        showStatus(colour::black, info);
        colourField(InputField::Integrity, colour::black);
    }
    m_record.psi = psi;
    return true;
}

bool CalculationRun::manualPsi(std::string_view hardness)
{
    const auto psi = readField(m_input.manualPsi);
    if (!psi || *psi < 0.0 || *psi > 1.0) {
        // The one input error that leaves the optimisation screen's status alone.
        return fail(message::psiError, InputField::ManualPsi, false);
    }
    m_record.psi = *psi;
    if (!isHighManualPsi(*psi)) {
        clearStatus();
        colourField(InputField::ManualPsi, colour::black);
        showStatus(colour::black, hardness);
    } else {
        showStatus(colour::magenta, message::manualPsiHint);
        colourField(InputField::ManualPsi, colour::magenta);
        m_out.hintFlags |= hint::highManualPsi;
    }
    return true;
}

// The result colour and the status line once every hint is known.
void CalculationRun::summariseHints()
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
    const Summary &summary = summaries[static_cast<std::size_t>(m_out.hintFlags)];
    m_out.resultColour = summary.colour;
    if (!summary.status.empty()) {
        showStatus(colour::magenta, summary.status);
    }
}

bool CalculationRun::rock()
{
    if (m_input.route == StrengthRoute::QpaGiven) {
        const auto qpa = readField(m_input.qpa);
        if (!isPositive(qpa)) {
            return fail(message::qpaError, InputField::Qpa);
        }
        m_record.qpa = *qpa;
        m_out.psiEnabled = false;
        m_out.resultColour = colour::green;
        m_out.psiText = "-";
        return true;
    }
    const auto frk = readField(m_input.frk);
    if (!frk || *frk < 0.0) {
        return fail(message::frkError, InputField::Frk);
    }
    if (isSoftRock(*frk)) {
        showStatus(colour::magenta, message::softRockHint);
        colourField(InputField::Frk, colour::magenta);
        m_out.hintFlags |= hint::softRock;
    } else {
        clearStatus();
        colourField(InputField::Frk, colour::black);
    }
    const std::string_view hardness = hardnessClass(*frk);
    m_record.frk = *frk;
    m_record.hardness = hardness;
    const bool found = m_input.psiMode == PsiMode::Automatic ? automaticPsi(hardness) : manualPsi(hardness);
    if (!found) {
        return false;
    }
    m_record.qpa = qpaFromFrk(m_record.psi, *frk);
    m_out.psiEnabled = true;
    summariseHints();
    m_out.psiText = formatFixed(m_record.psi, 7, 4);
    return true;
}

void CalculationRun::run()
{
    if (section() && rock()) {
        m_record.ra = capacityRa(m_record.qpa, m_record.area);
        // Huge but finite inputs can still overflow; such a result is refused, never shown.
        if (!std::isfinite(m_record.qpa) || !std::isfinite(m_record.ra)) {
            fail(message::overflowError, std::nullopt);
        }
    }
    if (m_out.end != CalculationEnd::Completed) {
        // Step 0 emptied the result fields and a stopped command fills none of them.
        m_out.psiText.clear();
        m_out.record.reset();
        return;
    }
    m_out.qpaText = displayRounded(m_record.qpa, m_input.precision);
    m_out.raText = displayRounded(m_record.ra, m_input.precision);
    m_record.route = m_input.route;
    m_record.psiMode = m_input.psiMode;
    m_record.qpaText = m_input.qpa;
    m_record.frkText = m_input.frk;
    m_record.integrityText = m_input.integrity;
    m_record.manualPsiText = m_input.manualPsi;
    m_record.precision = m_input.precision;
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
    CalculationRun(input, out).run();
    return out;
}

std::string conversionErrorText(std::string_view pattern, std::string_view text)
{
    std::string out(pattern);
    const auto at = out.find("%s");
    if (at != std::string::npos) {
        out.replace(at, 2, text);
    }
    return out;
}

} // namespace saxolith
