#include "core/capacity/formulas.h"

#include "core/text/number_text.h"

#include <array>
#include <cmath>
#include <numbers>

namespace saxolith
{

namespace
{

struct HardnessBand {
    double upTo; // upper bound, inclusive
    std::string_view name;
};

constexpr std::array<HardnessBand, 4> hardnessBands{{
    {5.0, "极软岩"},
    {15.0, "软岩"},
    {softRockLimit, "较软岩"},
    {60.0, "较硬岩"},
}};
constexpr std::string_view hardestClass = "坚硬岩";

constexpr std::array<std::string_view, 3> integrityNames{"完整", "较完整", "较破碎"};

// ψr lines through the class nodes.
constexpr PsiLine fairlyIntactLine{0.55, 0.2, 0.75, highestUsualPsi};
constexpr PsiLine fracturedLine{0.35, 0.1, 0.55, 0.2};

double interpolate(const PsiLine &line, double x)
{
    return line.psi1 + (line.psi2 - line.psi1) / (line.kv2 - line.kv1) * (x - line.kv1);
}

} // namespace

std::string_view sectionBookName(SectionType type)
{
    return sectionRow(type).bookName;
}
std::string_view sectionTableName(SectionType type)
{
    return sectionRow(type).tableName;
}

double sectionArea(SectionType type, double first, double second)
{
    if (sectionRow(type).sides)
        return first * second;
    return std::numbers::pi * first * first / 4.0 + first * second;
}

SectionGeometry sectionGeometry(SectionItem item, double first, double second)
{
    SectionGeometry g;
    g.first = first;
    g.second = second;
    if (item == SectionItem::Rectangular) {
        if (second >= first) {
            g.first = second;
            g.second = first;
            g.exchanged = true;
        }
        g.type = g.first == g.second ? SectionType::Square : SectionType::Rectangular;
        g.area = sectionArea(g.type, g.first, g.second);
        g.perimeter = (g.first + g.second) * 2.0;
        return g;
    }
    g.type = item == SectionItem::Round ? SectionType::Round : SectionType::Elliptical;
    g.area = sectionArea(g.type, first, second);
    g.perimeter = std::numbers::pi * first + 2.0 * second;
    return g;
}

std::string_view hardnessClass(double frk)
{
    if (!(frk > 0.0)) {
        return {};
    }
    for (const auto &band : hardnessBands) {
        if (frk <= band.upTo) {
            return band.name;
        }
    }
    return hardestClass;
}

bool isSoftRock(double frk)
{
    return frk >= 0.0 && frk <= softRockLimit;
}

bool isHighManualPsi(double psi)
{
    return psi > highestUsualPsi;
}

std::string_view integrityClassName(IntegrityClass cls)
{
    return integrityNames[static_cast<std::size_t>(cls) - 1];
}

std::optional<IntegrityClass> integrityClassByName(std::string_view name)
{
    for (std::size_t i = 0; i < integrityNames.size(); ++i) {
        if (integrityNames[i] == name) {
            return static_cast<IntegrityClass>(i + 1);
        }
    }
    return std::nullopt;
}

double psiByIntegrityClass(IntegrityClass cls)
{
    switch (cls) {
    case IntegrityClass::Intact:
        return highestUsualPsi;
    case IntegrityClass::FairlyIntact:
        return 0.2;
    case IntegrityClass::Fractured:
        return 0.1;
    }
    return 0.0;
}

std::optional<PsiLine> psiLineOfClass(IntegrityClass cls)
{
    switch (cls) {
    case IntegrityClass::FairlyIntact:
        return fairlyIntactLine;
    case IntegrityClass::Fractured:
        return fracturedLine;
    case IntegrityClass::Intact:
        break;
    }
    return std::nullopt;
}

IntegrityFinding integrityByIndex(double kv)
{
    using Kind = IntegrityFinding::Kind;
    // The bounds sit just beside the nodes 0.75, 0.55 and 0.35 on purpose.
    if (kv <= 0.0 || kv > 1.0 || std::isnan(kv)) {
        return {Kind::OutOfRange, IntegrityClass::Intact, 0.0};
    }
    if (kv > 0.750001) {
        return {Kind::Class, IntegrityClass::Intact, highestUsualPsi};
    }
    if (kv > 0.550001) {
        return {Kind::Class, IntegrityClass::FairlyIntact, interpolate(fairlyIntactLine, kv)};
    }
    if (kv >= smallestIntegrityIndex) {
        return {Kind::Class, IntegrityClass::Fractured, interpolate(fracturedLine, kv)};
    }
    return {Kind::BrokenRock, IntegrityClass::Fractured, 0.0};
}

double qpaFromFrk(double psi, double frk)
{
    return 1000.0 * psi * frk;
}

double capacityRa(double qpa, double area)
{
    return qpa * area / 1000000.0;
}

double cutByChoice(double value, int choice)
{
    if (choice == 3) {
        return cutToPowerOfTen(value, 1);
    }
    if (choice == 4) {
        return cutToPowerOfTen(value, 2);
    }
    return value;
}

std::string displayRounded(double value, int choice)
{
    char text[numberTextRoom];
    return {text, writeDisplayRounded(text, value, choice)};
}

std::size_t writeDisplayRounded(char *out, double value, int choice)
{
    if (choice < 0 || choice >= precisionChoiceCount) {
        return 0;
    }
    return writeFixed(out, cutByChoice(value, choice), 7, decimalsByChoice(choice));
}

} // namespace saxolith
