#include "core/capacity/field_check.h"

#include "core/capacity/formulas.h"
#include "core/text/number_text.h"

namespace saxolith
{

namespace
{

// The range rules of one numeric field: error outside, hint inside the hint band, else accepted.
struct NumericRule {
    InputField field;
    std::string_view error;
    bool (*isError)(double);
    std::string_view hint;
    bool (*isHint)(double);
};

// The texts stay with the field, whatever the section type: a rectangle's long side is
// reported as the diameter, its short side as the straight segment.
constexpr std::array<NumericRule, 5> numericRules = {{
    {InputField::FirstDimension, message::diameterError, [](double x) { return x <= 0.0; }, {}, nullptr},
    {InputField::SecondDimension, message::segmentError, [](double x) { return x < 0.0; }, {}, nullptr},
    {InputField::Qpa, message::qpaError, [](double x) { return x < 0.0; }, {}, nullptr},
    {InputField::Frk, message::frkError, [](double x) { return x < 0.0; }, message::softRockHint, isSoftRock},
    {InputField::ManualPsi, message::psiError, [](double x) { return x < 0.0 || x > 1.0; },
     message::manualPsiHint, isHighManualPsi},
}};

FieldCheck integrityNote(std::string_view text)
{
    const auto cls = integrityClassByName(text);
    if (!cls) {
        return {};
    }
    std::string_view note;
    switch (*cls) {
    case IntegrityClass::Intact:
        note = inputText::intactNote;
        break;
    case IntegrityClass::FairlyIntact:
        note = inputText::fairlyIntactNote;
        break;
    case IntegrityClass::Fractured:
        note = inputText::fracturedNote;
        break;
    }
    return {CheckKind::Note, note, colour::black, std::nullopt};
}

} // namespace

FieldCheck checkField(InputField field, std::string_view text)
{
    if (field == InputField::Integrity) {
        return integrityNote(text);
    }
    for (const NumericRule &rule : numericRules) {
        if (rule.field != field) {
            continue;
        }
        const auto x = strictNumber(text);
        if (!x || rule.isError(*x)) {
            return {CheckKind::Error, rule.error, colour::red, colour::red};
        }
        if (rule.isHint != nullptr && rule.isHint(*x)) {
            return {CheckKind::Hint, rule.hint, colour::magenta, colour::magenta};
        }
        return {CheckKind::Accepted, {}, std::nullopt, colour::black};
    }
    return {};
}

std::optional<SectionLayout> sectionLayout(int item)
{
    const SectionTypeRow *row = sectionRowOfItem(item);
    if (row == nullptr) {
        return std::nullopt;
    }
    return SectionLayout{row->firstLabel, row->secondLabel, row->hasSecond, row->secondItems,
                         row->secondValue};
}

} // namespace saxolith
