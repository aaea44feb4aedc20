// Entries that cover every section, strength route, way to ψr and precision, with own names and numbers.
#pragma once

#include "core/capacity/calculation.h"

#include <string>
#include <vector>

namespace saxolith::projectCases
{

struct Case {
    CalculationInput input;
    std::string pileName; // empty: numbered by the book
};

inline CalculationInput inputOf(int section, std::string first, std::string second, StrengthRoute route,
                                std::string strength, PsiMode mode, std::string integrityOrPsi, int precision)
{
    CalculationInput input = defaultCalculationInput();
    input.sectionItem = section;
    input.firstDimension = std::move(first);
    input.secondDimension = std::move(second);
    input.route = route;
    (route == StrengthRoute::QpaGiven ? input.qpa : input.frk) = std::move(strength);
    input.psiMode = mode;
    (mode == PsiMode::Manual ? input.manualPsi : input.integrity) = std::move(integrityOrPsi);
    input.precision = precision;
    return input;
}

// Section items: 0 round, 1 elliptical, 2 rectangular (a square when both sides are equal).
inline std::vector<Case> cases()
{
    using enum StrengthRoute;
    using enum PsiMode;
    return {
        {inputOf(0, "1000", "0", QpaGiven, "3500", Automatic, "较完整", 0), ""},
        {inputOf(0, "800", "0", FrkGiven, "35", Automatic, "完整", 1), "A-1"},
        {inputOf(1, "1200", "600", FrkGiven, "12.5", Automatic, "较破碎", 2), ""},
        {inputOf(1, "1000", "400", FrkGiven, "30", Automatic, "0.40", 3), "桩 17"},
        // Sides typed the wrong way round: the calculation exchanges them, and so must a rebuild.
        {inputOf(2, "600", "900", FrkGiven, "60", Manual, "0.35", 4), ""},
        {inputOf(2, "1000", "1000", QpaGiven, "4200.5", Automatic, "较完整", 2), "SQ"},
        {inputOf(2, "1500", "800", FrkGiven, "5", Manual, "0.6", 0), ""},
        {inputOf(0, "1.5e3", "0", FrkGiven, "  20 ", Automatic, "0.9", 1), ""},
    };
}

} // namespace saxolith::projectCases
