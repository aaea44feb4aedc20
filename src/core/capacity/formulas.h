// Section geometry and the capacity formulas of a rock-socketed pile (all pure).
#pragma once

#include "core/capacity/section_types.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace saxolith
{

// Names of a section: in the narrative report, and padded for table columns.
std::string_view sectionBookName(SectionType type);  // "圆桩", "椭圆桩", "矩形桩", "方桩"
std::string_view sectionTableName(SectionType type); // "圆  桩", "椭圆桩", "矩形桩", "方  桩"

struct SectionGeometry {
    SectionType type = SectionType::Round;
    double area = 0.0;      // Ap, mm²
    double perimeter = 0.0; // u, mm
    double first = 0.0;     // d or the longer side a, after the exchange
    double second = 0.0;    // c or the shorter side b, after the exchange
    bool exchanged = false;
};

// Ap in mm²: sides a·b, or a circle of d and the straight part d·c (c is 0 for a round pile). Every
// area the program calculates with or draws is this one.
double sectionArea(SectionType type, double first, double second);

// Round and elliptical share one formula; a rectangle whose second side is not smaller than
// its first has its sides exchanged, and is a square when they are then exactly equal.
SectionGeometry sectionGeometry(SectionItem item, double first, double second);

// frk (MPa) up to this is soft rock: the top of "较软岩" and the bound of the soft-rock hint.
inline constexpr double softRockLimit = 30.0;
// A ψr entered by hand above this gets the hint; it is also ψr of intact rock.
inline constexpr double highestUsualPsi = 0.5;
// The smallest integrity index taken, just below the node 0.35 on purpose.
inline constexpr double smallestIntegrityIndex = 0.349999;

// "极软岩" … "坚硬岩"; empty for frk ≤ 0.
std::string_view hardnessClass(double frk);
bool isSoftRock(double frk);
// A hand-entered ψr that gets the hint.
bool isHighManualPsi(double psi);

enum class IntegrityClass : std::uint8_t { Intact = 1, FairlyIntact = 2, Fractured = 3 };
std::string_view integrityClassName(IntegrityClass cls); // "完整", "较完整", "较破碎"
std::optional<IntegrityClass> integrityClassByName(std::string_view name);

// ψr of an integrity class chosen by name: the lower end of the class's range.
double psiByIntegrityClass(IntegrityClass cls);

struct IntegrityFinding {
    enum class Kind { Class, OutOfRange, BrokenRock };
    Kind kind = Kind::OutOfRange;
    IntegrityClass cls = IntegrityClass::Intact;
    double psi = 0.0;
};
IntegrityFinding integrityByIndex(double kv);

// The straight line ψr follows through two integrity-index nodes inside a class; an intact rock's ψr is
// constant, so its class has none.
struct PsiLine {
    double kv1;
    double psi1;
    double kv2;
    double psi2;
};
std::optional<PsiLine> psiLineOfClass(IntegrityClass cls);

double qpaFromFrk(double psi, double frk);  // kPa from MPa
double capacityRa(double qpa, double area); // kN from kPa and mm²

// Precision choices of the result fields: two decimals, one decimal, units, tens, hundreds.
inline constexpr int precisionChoiceCount = 5;
// Tens and hundreds cut off (toward zero) before the text is made, the value read to 12 significant
// digits first (cutToPowerOfTen); every cut value the program shows or writes comes from here.
double cutByChoice(double value, int choice);
// Decimals of a choice: 2, 1, 0, 0, 0.
inline int decimalsByChoice(int choice)
{
    static constexpr std::array<int, precisionChoiceCount> decimals{2, 1, 0, 0, 0};
    return choice >= 0 && choice < precisionChoiceCount ? decimals[static_cast<std::size_t>(choice)] : 0;
}
// The text of qpa or Ra in a result field; empty for a choice outside 0..4.
std::string displayRounded(double value, int choice);
// The same text written at `out` (numberTextRoom characters of room); returns the characters written.
std::size_t writeDisplayRounded(char *out, double value, int choice);

} // namespace saxolith
