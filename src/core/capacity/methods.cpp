#include "core/capacity/methods.h"

#include "core/capacity/formulas.h"
#include "core/texts/ground.h"

#include <cmath>
#include <numbers>
#include <span>

namespace saxolith
{

namespace
{

struct MethodRow {
    CapacityMethod method;
    std::string_view name;
    std::string_view clause;
};
constexpr std::array<MethodRow, capacityMethodCount> methodRows{{
    {CapacityMethod::EndOnly, groundText::method8562, groundText::clause8562},
    {CapacityMethod::EndAndSide, groundText::method8561, groundText::clause8561},
    {CapacityMethod::SocketJgj94, groundText::method539, groundText::clause539},
}};

struct ProcessRow {
    PileProcess process;
    std::string_view name;
    std::string_view english;
};
constexpr std::array<ProcessRow, pileProcessCount> processRows{{
    {PileProcess::Slurry, groundText::slurry, groundText::slurryEnglish},
    {PileProcess::Dry, groundText::dry, groundText::dryEnglish},
    {PileProcess::Grouted, groundText::grouted, groundText::groutedEnglish},
}};

std::string_view trimmedName(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A row of table 5.3.9 at hr/d: linear between its columns, its first value below them, its last past them.
double rowAt(std::span<const double> row, double ratio)
{
    if (!(ratio > zetaRatios[0])) {
        return row.front();
    }
    for (std::size_t i = 1; i < row.size(); ++i) {
        if (ratio <= zetaRatios[i]) {
            const double x0 = zetaRatios[i - 1];
            const double x1 = zetaRatios[i];
            return row[i - 1] + (row[i] - row[i - 1]) * (ratio - x0) / (x1 - x0);
        }
    }
    return row.back();
}

} // namespace

std::string_view methodName(CapacityMethod method)
{
    return methodRows[static_cast<std::size_t>(method)].name;
}

std::string_view methodClause(CapacityMethod method)
{
    return methodRows[static_cast<std::size_t>(method)].clause;
}

std::optional<CapacityMethod> methodByName(std::string_view name)
{
    name = trimmedName(name);
    if (name.empty()) {
        return CapacityMethod::EndOnly;
    }
    for (const MethodRow &row : methodRows) {
        if (name == row.name) {
            return row.method;
        }
    }
    return std::nullopt;
}

std::string_view processName(PileProcess process)
{
    return processRows[static_cast<std::size_t>(process)].name;
}

std::optional<PileProcess> processByName(std::string_view name)
{
    name = trimmedName(name);
    if (name.empty()) {
        return PileProcess::Slurry;
    }
    for (const ProcessRow &row : processRows) {
        if (name == row.name || sameLetters(name, row.english)) {
            return row.process;
        }
    }
    return std::nullopt;
}

ZetaReading socketZeta(double ratio, double frk, PileProcess process)
{
    ZetaReading z;
    z.ratio = ratio;
    z.soft = rowAt(zetaSoftRow, ratio);
    z.hard = rowAt(zetaHardRow, ratio);
    z.weight = frk <= zetaSoftLimit   ? 0.0
               : frk >= zetaHardLimit ? 1.0
                                      : (frk - zetaSoftLimit) / (zetaHardLimit - zetaSoftLimit);
    z.table = z.soft + (z.hard - z.soft) * z.weight;
    z.factor = process == PileProcess::Slurry ? 1.0 : cleanBaseFactor;
    z.zeta = z.table * z.factor;
    return z;
}

double sectionPerimeterMetres(SectionType type, double first, double second)
{
    // The same perimeter the input screen's calculation records, in m.
    const double mm =
        sectionRow(type).sides ? (first + second) * 2.0 : std::numbers::pi * first + 2.0 * second;
    return mm / 1000.0;
}

double socketDiameter(SectionType type, double first, double second)
{
    if (!sectionRow(type).sides) {
        return first;
    }
    return std::sqrt(4.0 * first * second / std::numbers::pi);
}

CapacityParts socketedCapacity(const GroundSums &ground, const SocketedPile &pile)
{
    CapacityParts parts;
    const double areaMm2 = sectionArea(pile.section, pile.first, pile.second);
    parts.area = areaMm2 / 1'000'000.0;
    parts.perimeter = sectionPerimeterMetres(pile.section, pile.first, pile.second);
    parts.length = ground.lengthAbove + pile.socket;
    switch (pile.method) {
    case CapacityMethod::EndOnly:
        parts.end = capacityRa(pile.qpa, areaMm2);
        parts.ra = parts.end;
        break;
    case CapacityMethod::EndAndSide:
        parts.end = capacityRa(pile.qpa, areaMm2);
        parts.side = parts.perimeter * (ground.sideAbove + ground.bearingQsia * pile.socket);
        parts.ra = parts.end + parts.side;
        break;
    case CapacityMethod::SocketJgj94:
        parts.diameter = socketDiameter(pile.section, pile.first, pile.second);
        parts.zeta = socketZeta(pile.socket * 1000.0 / parts.diameter, pile.frk, pile.process);
        parts.qsk = parts.perimeter * ground.ultimateAbove;
        parts.qrk = parts.zeta.zeta * pile.frk * 1000.0 * parts.area;
        parts.quk = parts.qsk + parts.qrk;
        parts.ra = parts.quk / safetyFactor;
        break;
    }
    return parts;
}

} // namespace saxolith
