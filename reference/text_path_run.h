// The optimisation run done the plain way: every candidate's texts formatted and written into the
// input screen's state, then the calculate command's whole outcome made from those texts. The
// run itself must give exactly what this gives; the benchmark also times it as the baseline.
// Options refused before the first candidate go to the run itself.
#pragma once

#include "core/capacity/formulas.h"
#include "core/optimise/enumeration.h"
#include "core/text/number_text.h"
#include "core/texts/optimisation.h"

#include <functional>

namespace saxolith::text_path
{

inline RunResult run(const OptionTexts &options, const CalculationInput &current)
{
    const OptionReading reading = readOptions(options);
    // Options refused before any candidate is made are the run's own business, not the candidates'.
    if (reading.failure != SeriesFailure::None || candidateCount(reading.series) > candidateLimit)
        return runEnumeration(options, current);
    const std::uint64_t total = candidateCount(reading.series);

    RunResult result;
    CalculationInput input = current;
    CandidateRow row;
    CandidateList &rows = result.rows;
    rows.reserve(static_cast<std::size_t>(total));
    const auto forEach = [&](OptionRow r, const std::function<bool(double)> &body) {
        const ValueSeries &s = reading.series[static_cast<std::size_t>(r)];
        double value = s.first;
        for (std::uint64_t i = 0; i < s.count; ++i, value = s.next(value))
            if (!body(value))
                return false;
        return true;
    };
    const auto evaluate = [&] {
        result.finalOutcome = calculate(input);
        const CalculationOutcome &outcome = *result.finalOutcome;
        if (outcome.newFirstDimension && outcome.newSecondDimension) {
            input.firstDimension = *outcome.newFirstDimension;
            input.secondDimension = *outcome.newSecondDimension;
            std::swap(row.first, row.second);
        }
        if (outcome.end != CalculationEnd::Completed || !outcome.record)
            return false;
        CandidateRow r = row;
        r.psi = outcome.record->psi;
        r.qpa = outcome.record->qpa;
        r.ra = outcome.record->ra;
        r.precision = static_cast<std::uint8_t>(input.precision);
        r.number = static_cast<std::uint32_t>(rows.size() + 1);
        r.numberDigits = 0;
        rows.append(r);
        return true;
    };
    const auto rock = [&] {
        return forEach(OptionRow::Route, [&](double route) {
            if (route == 1) {
                input.route = StrengthRoute::QpaGiven;
                row.route = StrengthRoute::QpaGiven;
                return forEach(OptionRow::Qpa, [&](double qpa) {
                    input.qpa = formatFixed(qpa, 10, 0);
                    row.strength = qpa;
                    return evaluate();
                });
            }
            row.route = StrengthRoute::FrkGiven;
            return forEach(OptionRow::Frk, [&](double frk) {
                input.route = StrengthRoute::FrkGiven;
                input.frk = formatFixed(frk, 10, 2);
                row.strength = frk;
                return forEach(OptionRow::Basis, [&](double basis) {
                    input.psiMode = PsiMode::Automatic;
                    row.basis = basis == 1 ? IntegrityBasis::Class : IntegrityBasis::Index;
                    if (row.basis == IntegrityBasis::Class) {
                        return forEach(OptionRow::IntegrityClass, [&](double cls) {
                            row.integrityClass = static_cast<IntegrityClass>(static_cast<int>(cls));
                            input.integrity = integrityClassName(row.integrityClass);
                            return evaluate();
                        });
                    }
                    return forEach(OptionRow::IntegrityIndex, [&](double index) {
                        input.integrity = formatFixed(index, 10, 2);
                        row.index = index;
                        return evaluate();
                    });
                });
            });
        });
    };
    const bool completed = forEach(OptionRow::SectionType, [&](double value) {
        const SectionTypeRow &section = sectionRow(sectionTypeOfOption(static_cast<int>(value)));
        input.sectionItem = static_cast<int>(section.item);
        row.section = section.type;
        const auto write = [&](double first, double second) {
            row.first = first;
            row.second = second;
            input.firstDimension = formatGeneral(first);
            input.secondDimension = section.hasSecond ? formatGeneral(second) : std::string(section.secondValue);
            return rock();
        };
        switch (section.type) {
        case SectionType::Round:
            return forEach(OptionRow::Diameter, [&](double d) { return write(d, 0.0); });
        case SectionType::Elliptical:
            return forEach(OptionRow::Diameter, [&](double d) {
                return forEach(OptionRow::Segment, [&](double c) { return write(d, c); });
            });
        case SectionType::Rectangular:
            return forEach(OptionRow::LongSide, [&](double a) {
                return forEach(OptionRow::ShortSide, [&](double b) { return write(a, b); });
            });
        case SectionType::Square:
            break;
        }
        return forEach(OptionRow::SquareSide, [&](double s) { return write(s, s); });
    });

    if (result.finalOutcome)
        result.finalInput = input;
    if (!completed) {
        result.end = RunEnd::Refused;
        result.statusText = message::runAborted;
        result.statusColour = colour::red;
        if (result.finalOutcome->end == CalculationEnd::ConversionFailure)
            result.errorBoxText = result.finalOutcome->errorBoxText;
        return result;
    }
    if (rows.empty()) {
        result.end = RunEnd::NoCandidate;
        result.statusText = message::noCandidate;
        result.finalInput.reset();
        return result;
    }
    rows.renumber();
    result.statusText = std::string(message::runCompletePrefix) + std::to_string(rows.size()) +
                        std::string(message::countSuffix);
    return result;
}

} // namespace saxolith::text_path
