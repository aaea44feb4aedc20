// The shaft-strength check of a pile: Q ≤ ψc·fc·Ap, with fc by concrete grade.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace saxolith
{

// The design compressive strength fc (N/mm²) of a concrete grade.
struct ConcreteGrade {
    std::string_view name;
    double fc;
};

inline constexpr std::array<ConcreteGrade, 8> concreteGrades{{
    {"C25", 11.9},
    {"C30", 14.3},
    {"C35", 16.7},
    {"C40", 19.1},
    {"C45", 21.1},
    {"C50", 23.1},
    {"C55", 25.3},
    {"C60", 27.5},
}};

// The grade of that name ("c30" reads as "C30"); nothing for a grade outside the table.
const ConcreteGrade *concreteGradeByName(std::string_view name);

// The working-condition factor ψc a report accepts, and its usual value.
inline constexpr double smallestPsiC = 0.6;
inline constexpr double largestPsiC = 0.8;

namespace shaftText
{
inline constexpr std::string_view satisfied = "满足";
inline constexpr std::string_view notSatisfied = "不满足";
// The header of a column of Rp beside other figures (the results table, the list exports).
inline constexpr std::string_view rpColumn = "Rp(kN)";
} // namespace shaftText

struct ShaftCheck {
    double fc = 0.0;          // N/mm²
    double rp = 0.0;          // ψc·fc·Ap, kN
    double load = 0.0;        // γ·Ra, kN: the basic combination the shaft carries
    bool satisfied = true;    // γ·Ra ≤ Rp
    double shaftLimit = 0.0;  // Rp/γ, kN: the characteristic capacity the shaft allows
    double governing = 0.0;   // Ra, or Rp/γ where the shaft governs
    std::string_view verdict; // 满足 or 不满足
};

// `ra` in kN, `area` in mm², `fc` in N/mm².
ShaftCheck checkShaft(double ra, double area, double fc, double psiC, double gamma);

} // namespace saxolith
