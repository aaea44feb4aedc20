#include "capacity/calculation.h"

#include "capacity/number_text.h"

#include <cmath>

namespace saxolith {

namespace {

// One run of the command, step by step; every write is kept as the final state it leaves.
class CalculationRun {
public:
    explicit CalculationRun(const CalculationInput &input) : m_input(input) {}

    CalculationOutcome run();

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
    void colourField(InputField field, Argb colour) { m_out.fieldColours[static_cast<std::size_t>(field)] = colour; }

    // The error procedure: red status, red field, the notice for the optimisation screen, stop.
    CalculationOutcome error(std::string_view text, std::optional<InputField> field, bool notice = true)
    {
        showStatus(colour::red, text);
        if (field) {
            colourField(*field, colour::red);
        }
        m_out.abortNotice = notice;
        return stopped();
    }
    CalculationOutcome stopped()
    {
        m_out.end = CalculationEnd::Stopped;
        m_out.psiText.clear();
        m_out.qpaText.clear();
        m_out.raText.clear();
        m_out.record.reset();
        return m_out;
    }

    bool section();
    bool rock();
    bool automaticPsi(double frk, std::string_view hardness);

    const CalculationInput &m_input;
    CalculationOutcome m_out;
    PileRecord m_record;
    std::optional<CalculationOutcome> m_early; // set when a step ends the command
};

bool finite(double x) { return std::isfinite(x); }

// A field's number: a text that is not wholly a number is treated as out of range.
std::optional<double> readField(const std::string &text)
{
    const LenientReading reading = lenientNumber(text);
    if (!reading.wellFormed) {
        return std::nullopt;
    }
    return reading.value;
}

bool CalculationRun::section()
{
    const auto first = readField(m_input.firstDimension);
    const auto second = readField(m_input.secondDimension);
    const double a = first.value_or(0.0);
    const double b = second.value_or(0.0);
    SectionItem item{};
    if (m_input.sectionItem == 0 || m_input.sectionItem == 1) {
        item = static_cast<SectionItem>(m_input.sectionItem);
        if (!first || !(a > 0.0)) {
            m_early = error(message::diameterError, InputField::FirstDimension);
            return false;
        }
        clearStatus();
        colourField(InputField::FirstDimension, colour::black);
        if (!second || (item == SectionItem::Elliptical && !(b > 0.0))) {
            m_early = error(message::segmentError, InputField::SecondDimension);
            return false;
        }
        clearStatus();
        colourField(InputField::SecondDimension, colour::black);
    } else if (m_input.sectionItem == 2) {
        item = SectionItem::Rectangular;
        if (!first || !(a > 0.0)) {
            m_early = error(message::longSideError, InputField::FirstDimension);
            return false;
        }
        clearStatus();
        colourField(InputField::FirstDimension, colour::black);
        if (!second || !(b > 0.0)) {
            m_early = error(message::shortSideError, InputField::SecondDimension);
            return false;
        }
        clearStatus();
        colourField(InputField::SecondDimension, colour::black);
    } else {
        // No item chosen: Ap and u stay 0.
        m_record.first = m_input.firstDimension;
        m_record.second = m_input.secondDimension;
        return true;
    }
    const SectionGeometry g = sectionGeometry(item, a, b);
    m_record.section = g.type;
    m_record.first = m_input.firstDimension;
    m_record.second = m_input.secondDimension;
    if (g.exchanged) {
        m_out.newFirstDimension = formatGeneral(g.first);
        m_out.newSecondDimension = formatGeneral(g.second);
        m_record.first = *m_out.newFirstDimension;
        m_record.second = *m_out.newSecondDimension;
    }
    m_record.area = g.area;
    m_record.perimeter = g.perimeter;
    if (!finite(g.area)) {
        m_early = error(message::overflowError, std::nullopt);
        return false;
    }
    return true;
}

bool CalculationRun::automaticPsi(double frk, std::string_view hardness)
{
    const std::string &text = m_input.integrity;
    std::optional<IntegrityClass> cls = integrityClassByName(text);
    double psi = 0.0;
    if (cls) {
        psi = psiByIntegrityClass(*cls);
    } else {
        const auto kv = strictNumber(text);
        if (!kv) {
            m_out.end = CalculationEnd::ConversionFailure;
            m_out.errorBoxText = conversionErrorText(message::notAFloat, text);
            m_out.psiText.clear();
            m_out.qpaText.clear();
            m_out.raText.clear();
            m_early = m_out;
            return false;
        }
        const IntegrityFinding finding = integrityByIndex(*kv);
        if (finding.kind == IntegrityFinding::Kind::OutOfRange) {
            std::string msg(hardness);
            msg += message::classJoin;
            msg += message::indexErrorSuffix;
            m_early = error(msg, InputField::Integrity);
            return false;
        }
        if (finding.kind == IntegrityFinding::Kind::BrokenRock) {
            m_early = error(message::brokenRockError, InputField::Integrity);
            return false;
        }
        cls = finding.cls;
        psi = finding.psi;
    }
    const std::string_view name = integrityClassName(*cls);
    m_record.integrityClass = name;
    if (*cls == IntegrityClass::Fractured) {
        showStatus(colour::magenta, message::fracturedHint);
        colourField(InputField::Integrity, colour::magenta);
        m_out.hintFlags |= 2;
    } else {
        std::string info(hardness);
        info += message::rockMassJoin;
        info += name;
        showStatus(colour::black, info);
        colourField(InputField::Integrity, colour::black);
    }
    m_record.psi = psi;
    (void)frk;
    return true;
}

bool CalculationRun::rock()
{
    if (m_input.route == StrengthRoute::QpaGiven) {
        const auto qpa = readField(m_input.qpa);
        if (!qpa || !(*qpa > 0.0)) {
            m_early = error(message::qpaError, InputField::Qpa);
            return false;
        }
        m_record.qpa = *qpa;
        m_out.psiEnabled = false;
        m_out.resultColour = colour::green;
        m_out.psiText = "-";
        return true;
    }
    const auto frkReading = readField(m_input.frk);
    const double frk = frkReading.value_or(0.0);
    if (!frkReading || frk < 0.0) {
        m_early = error(message::frkError, InputField::Frk);
        return false;
    }
    if (isSoftRock(frk)) {
        showStatus(colour::magenta, message::softRockHint);
        colourField(InputField::Frk, colour::magenta);
        m_out.hintFlags |= 1;
    } else {
        clearStatus();
        colourField(InputField::Frk, colour::black);
    }
    const std::string_view hardness = hardnessClass(frk);
    m_record.frk = frk;
    m_record.hardness = hardness;
    if (m_input.psiMode == PsiMode::Automatic) {
        if (!automaticPsi(frk, hardness)) {
            return false;
        }
    } else {
        const auto psi = readField(m_input.manualPsi);
        if (!psi || *psi < 0.0 || *psi > 1.0) {
            // The one input error that leaves the optimisation screen's status alone.
            m_early = error(message::psiError, InputField::ManualPsi, false);
            return false;
        }
        m_record.psi = *psi;
        if (*psi <= 0.5) {
            clearStatus();
            colourField(InputField::ManualPsi, colour::black);
            showStatus(colour::black, hardness);
        } else {
            showStatus(colour::magenta, message::manualPsiHint);
            colourField(InputField::ManualPsi, colour::magenta);
            m_out.hintFlags |= 4;
        }
    }
    m_record.qpa = qpaFromFrk(m_record.psi, frk);
    m_out.psiEnabled = true;
    switch (m_out.hintFlags) {
    case 0:
        m_out.resultColour = colour::green;
        break;
    case 1:
        m_out.resultColour = colour::magenta;
        showStatus(colour::magenta, message::softRockSummary);
        break;
    case 2:
        m_out.resultColour = colour::magenta;
        showStatus(colour::magenta, message::fracturedSummary);
        break;
    case 3:
        m_out.resultColour = colour::magenta;
        showStatus(colour::magenta, message::softFracturedSummary);
        break;
    default: // 4, and 5: soft rock with a ψr above 0.5 by hand keeps its hint
        m_out.resultColour = colour::magenta;
        break;
    }
    m_out.psiText = formatFixed(m_record.psi, 7, 4);
    return true;
}

CalculationOutcome CalculationRun::run()
{
    m_record.route = m_input.route;
    m_record.psiMode = m_input.psiMode;
    m_record.qpaText = m_input.qpa;
    m_record.frkText = m_input.frk;
    m_record.integrityText = m_input.integrity;
    m_record.manualPsiText = m_input.manualPsi;
    m_record.precision = m_input.precision;
    if (!section() || !rock()) {
        return *m_early;
    }
    m_record.ra = capacityRa(m_record.qpa, m_record.area);
    if (!finite(m_record.qpa) || !finite(m_record.ra)) {
        return error(message::overflowError, std::nullopt);
    }
    m_out.qpaText = displayRounded(m_record.qpa, m_input.precision);
    m_out.raText = displayRounded(m_record.ra, m_input.precision);
    m_out.end = CalculationEnd::Completed;
    m_out.record = m_record;
    return m_out;
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

CalculationOutcome calculate(const CalculationInput &input) { return CalculationRun(input).run(); }

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
