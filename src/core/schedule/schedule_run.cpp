#include "schedule/schedule_run.h"

#include "capacity/field_check.h"
#include "capacity/section_types.h"
#include "texts/schedule.h"

#include <algorithm>

namespace saxolith
{

namespace
{

constexpr std::size_t progressStep = 4096;

bool hasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// A square is entered as a rectangle, so its name picks the rectangle's item.
std::optional<int> sectionItemByName(std::string_view name)
{
    for (const SectionTypeRow &row : sectionTypes) {
        if (name == row.bookName) {
            return static_cast<int>(row.item);
        }
    }
    return std::nullopt;
}

std::optional<int> precisionByName(std::string_view name)
{
    const auto &items = inputText::precisionItems;
    const auto found = std::find(items.begin(), items.end(), name);
    if (found == items.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - items.begin());
}

} // namespace

RowInput rowInput(const ScheduleRow &row)
{
    using enum ScheduleColumn;
    RowInput out;
    out.input = defaultCalculationInput();
    CalculationInput &input = out.input;
    const auto refuse = [&out](std::string text) {
        if (out.refusal.empty()) {
            out.refusal = std::move(text);
        }
    };

    out.pileName = row.cell(Id);
    if (hasControlCharacter(out.pileName)) {
        refuse(std::string(scheduleText::idControl));
    }
    if (const std::string &section = row.cell(Section); !section.empty()) {
        if (const auto item = sectionItemByName(section)) {
            input.sectionItem = *item;
        } else {
            refuse(fillIn(scheduleText::unknownSection, {section}));
        }
    }
    if (const std::string &d = row.cell(FirstDimension); !d.empty()) {
        input.firstDimension = d;
    }
    // The section switch writes its own value into the second field; a round pile's stays there.
    if (const auto layout = sectionLayout(input.sectionItem)) {
        input.secondDimension = layout->secondValue;
        if (const std::string &c = row.cell(SecondDimension); !c.empty() && layout->secondEnabled) {
            input.secondDimension = c;
        }
    }
    const std::string &qpa = row.cell(Qpa);
    const std::string &frk = row.cell(Frk);
    if (!qpa.empty() && !frk.empty()) {
        refuse(std::string(scheduleText::bothStrengths));
    } else if (!qpa.empty()) {
        input.route = StrengthRoute::QpaGiven;
        input.qpa = qpa;
    } else if (!frk.empty()) {
        input.frk = frk;
    }
    if (const std::string &integrity = row.cell(Integrity); !integrity.empty()) {
        input.integrity = integrity;
    }
    if (const std::string &psi = row.cell(Psi); !psi.empty()) {
        input.psiMode = PsiMode::Manual;
        input.manualPsi = psi;
    }
    if (const std::string &precision = row.cell(Precision); !precision.empty()) {
        if (const auto choice = precisionByName(precision)) {
            input.precision = *choice;
        } else {
            refuse(fillIn(scheduleText::unknownPrecision, {precision}));
        }
    }
    return out;
}

ScheduleResult calculateSchedule(const std::vector<ScheduleRow> &rows, CalculationBook &book,
                                 std::string_view timeText, const ScheduleProgress &progress)
{
    ScheduleResult result;
    result.rows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (progress && i % progressStep == 0) {
            progress(i, rows.size());
        }
        RowResult &row = result.rows.emplace_back();
        row.line = rows[i].line;
        RowInput typed = rowInput(rows[i]);
        row.pileName = std::move(typed.pileName);
        if (!typed.refusal.empty()) {
            row.note = std::move(typed.refusal);
            ++result.refused;
            continue;
        }
        result.lastTyped = i;
        CalculationOutcome outcome = calculate(typed.input);
        if (outcome.end != CalculationEnd::Completed || !outcome.record) {
            row.note = outcome.end == CalculationEnd::ConversionFailure ? std::move(outcome.errorBoxText)
                                                                        : std::move(outcome.statusText);
            ++result.refused;
            continue;
        }
        const int number = book.record(*outcome.record, timeText, row.pileName);
        if (row.pileName.empty()) {
            row.pileName = std::string(book::pileNumberPrefix) + std::to_string(number);
        }
        row.end = outcome.hintFlags != 0 ? RowEnd::CompletedWithHint : RowEnd::Completed;
        row.psiText = std::move(outcome.psiText);
        row.qpaText = std::move(outcome.qpaText);
        row.raText = std::move(outcome.raText);
        row.note = std::move(outcome.statusText);
        ++result.completed;
    }
    if (progress) {
        progress(rows.size(), rows.size());
    }
    return result;
}

std::string refusedRowText(const RowResult &row)
{
    return scheduleErrorText(ScheduleError{row.line, row.note});
}

} // namespace saxolith
