#include "core/capacity/shaft_check.h"

#include <algorithm>
#include <cctype>

namespace saxolith
{

const ConcreteGrade *concreteGradeByName(std::string_view name)
{
    for (const ConcreteGrade &grade : concreteGrades) {
        if (name.size() == grade.name.size() &&
            std::equal(name.begin(), name.end(), grade.name.begin(),
                       [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; })) {
            return &grade;
        }
    }
    return nullptr;
}

ShaftCheck checkShaft(double ra, double area, double fc, double psiC, double gamma)
{
    ShaftCheck check;
    check.fc = fc;
    // N/mm² × mm² is N.
    check.rp = psiC * fc * area / 1000.0;
    check.load = gamma * ra;
    check.satisfied = check.load <= check.rp;
    check.shaftLimit = check.rp / gamma;
    check.governing = check.satisfied ? ra : check.shaftLimit;
    check.verdict = check.satisfied ? shaftText::satisfied : shaftText::notSatisfied;
    return check;
}

} // namespace saxolith
