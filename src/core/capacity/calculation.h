// The calculate command of the input screen: from the texts of its controls to the whole outcome.
#pragma once

#include "core/capacity/formulas.h"
#include "core/text/number_text.h"
#include "core/texts/input.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace saxolith
{

// The input controls the command reads and colours.
enum class InputField { FirstDimension, SecondDimension, Qpa, Frk, Integrity, ManualPsi };
inline constexpr std::size_t inputFieldCount = 6;

enum class StrengthRoute : std::uint8_t { QpaGiven = 1, FrkGiven = 2 };
enum class PsiMode { Automatic = 1, Manual = 2 };

// What the input screen holds when the command runs.
struct CalculationInput {
    int sectionItem = 0;         // item of the section list; -1 for none
    std::string firstDimension;  // d or a
    std::string secondDimension; // c or b
    StrengthRoute route = StrengthRoute::FrkGiven;
    std::string qpa; // kPa, qpa route
    std::string frk; // MPa, frk route
    PsiMode psiMode = PsiMode::Automatic;
    std::string integrity; // class name or index
    std::string manualPsi;
    int precision = 2; // item of the precision list

    bool operator==(const CalculationInput &) const = default;
};

// The start-up state of the input screen.
CalculationInput defaultCalculationInput();

struct GroundPile;

// Everything the calculation book needs of one completed calculation.
struct PileRecord {
    CalculationInput input; // what the screen held, as typed: the calculation is made again from it
    SectionType section = SectionType::Round;
    std::string first; // texts of the dimension fields after the command
    std::string second;
    StrengthRoute route = StrengthRoute::FrkGiven;
    PsiMode psiMode = PsiMode::Automatic;
    std::string qpaText;
    std::string frkText;
    std::string integrityText;
    std::string manualPsiText;
    double area = 0.0;      // mm²
    double perimeter = 0.0; // mm
    double frk = 0.0;
    double psi = 0.0;
    double qpa = 0.0;
    double ra = 0.0;
    std::string hardness;
    std::string integrityClass; // empty on the manual route
    int precision = 2;
    // A pile of another method than 8.5.6-2: its ground, method and parts (`ra` is then the method's).
    std::shared_ptr<const GroundPile> ground = nullptr;
    // What the pile's user must be told of it: the status line's hint; a schedule adds its own (a
    // repeated id, …). Empty when there is nothing.
    std::string note;
};

// The hints a completed calculation gave, as bits of CalculationOutcome::hintFlags.
namespace hint
{
enum Flag : int {
    softRock = 1,      // frk in the soft-rock range
    fractured = 2,     // integrity class 较破碎
    highManualPsi = 4, // ψr entered by hand above the usual value
    all = softRock | fractured | highManualPsi,
};
} // namespace hint

enum class CalculationEnd {
    Completed,
    Stopped,           // an input error: silent stop
    ConversionFailure, // the integrity text is neither a class nor a number: the error box
};

// The final state the command leaves, applied by the screen in this order: the exchanged sides
// (written like a user's edit), the field colours, the status line, then the result fields.
struct CalculationOutcome {
    CalculationEnd end = CalculationEnd::Completed;

    // Exchanged rectangle sides, when the exchange took place.
    std::optional<std::string> newFirstDimension;
    std::optional<std::string> newSecondDimension;

    // The last colour each field was given; empty where the command left it alone.
    std::array<std::optional<Argb>, inputFieldCount> fieldColours{};

    // Status line: `statusShown` when a message was shown (logo hidden, label shown);
    // `statusWritten` when the text was set at all (a clear keeps the colour).
    bool statusWritten = false;
    bool statusShown = false;
    std::string statusText;
    std::optional<Argb> statusColour;

    // Result fields. Texts are empty after a stop.
    std::string psiText;
    std::string qpaText;
    std::string raText;
    std::optional<Argb> resultColour;
    std::optional<bool> psiEnabled;

    // An input error writes the run-aborted notice (red) into the optimisation screen's status.
    bool abortNotice = false;
    // ConversionFailure: the text of the error box.
    std::string errorBoxText;

    int hintFlags = 0; // hint::Flag bits
    // Completed calculations only.
    std::optional<PileRecord> record;
};

// The one place where ψr, qpa and Ra are computed from what the input screen holds.
CalculationOutcome calculate(const CalculationInput &input);

// What the command reads from the integrity field's text: the class it names, else its number.
struct IntegrityReading {
    std::optional<IntegrityClass> cls;
    std::optional<double> index; // strictNumber of the text; only read when it names no class
};
IntegrityReading readIntegrity(std::string_view text);

// Readings of the input's texts that a caller already holds, because it wrote those very texts
// (the optimisation run reads the text of each value of a series once, not for every candidate).
// Each must be exactly what the command makes of its text: lenientNumber of a numeric field's
// text, readIntegrity of the integrity text. Fields without a reading are read from their text.
struct KnownReadings {
    std::optional<LenientReading> firstDimension;
    std::optional<LenientReading> secondDimension;
    std::optional<LenientReading> qpa;
    std::optional<LenientReading> frk;
    std::optional<IntegrityReading> integrity;
};

// The command's decisions and numbers without its texts, colours and record: the same command,
// for a caller that keeps nothing else of a candidate but its numbers.
struct CalculationFigures {
    CalculationEnd end = CalculationEnd::Completed;
    // The rectangle's sides were exchanged: the outcome's new texts are formatGeneral of `first`
    // and `second`, written even when the command then stops.
    bool exchanged = false;
    double first = 0.0;
    double second = 0.0;
    // Completed calculations only: the record's ψr, qpa and Ra.
    double psi = 0.0;
    double qpa = 0.0;
    double ra = 0.0;
};
CalculationFigures calculateFigures(const CalculationInput &input, const KnownReadings &known = {});

// "'{}' is not a valid floating point value" with the text in place of {}.
std::string conversionErrorText(std::string_view pattern, std::string_view text);

} // namespace saxolith
