// The calculate command with any texts in every field and every section, route, ψr mode and
// precision: it ends in an outcome, and a completed one gives texts that read back and book
// lines without control characters.
#include "core/book/calculation_book.h"
#include "core/capacity/calculation.h"
#include "core/capacity/field_check.h"
#include "core/capacity/formulas.h"
#include "fuzz_check.h"
#include "core/text/number_text.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace saxolith;
using fuzz::require;

namespace
{

std::string field(FuzzedDataProvider &in)
{
    // Mostly near-numbers, so the later checks are reached.
    static const char *const samples[] = {
        "1000",   "0",    "35",     "0.5", "1e308", "1.7976931348623157e308",
        "较完整", "完整", "较破碎", "0.2", "-1",    "1e-320"};
    if (in.ConsumeBool()) {
        return samples[in.ConsumeIntegralInRange<std::size_t>(0, std::size(samples) - 1)];
    }
    return in.ConsumeRandomLengthString(64);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    CalculationInput input = defaultCalculationInput();
    // The section list's items; the command also takes "none chosen" (-1) and beyond, but the
    // screen never holds them, and without a section the dimension texts are not read at all.
    input.sectionItem = in.ConsumeIntegralInRange(-1, 3);
    const bool sectionListed = input.sectionItem >= 0 && input.sectionItem <= 2;
    input.route = in.ConsumeBool() ? StrengthRoute::QpaGiven : StrengthRoute::FrkGiven;
    input.psiMode = in.ConsumeBool() ? PsiMode::Manual : PsiMode::Automatic;
    input.precision = in.ConsumeIntegralInRange(-1, 6);
    input.firstDimension = field(in);
    input.secondDimension = field(in);
    input.qpa = field(in);
    input.frk = field(in);
    input.integrity = field(in);
    input.manualPsi = field(in);

    // The live check of each field on its own.
    const std::string *texts[] = {&input.firstDimension, &input.secondDimension, &input.qpa, &input.frk,
                                  &input.integrity,      &input.manualPsi};
    for (std::size_t i = 0; i < inputFieldCount; ++i) {
        checkField(static_cast<InputField>(i), *texts[i]);
    }

    const CalculationOutcome out = calculate(input);
    if (out.end != CalculationEnd::Completed) {
        require(!out.record.has_value(), "a stopped command records nothing");
        return 0;
    }
    require(out.record.has_value(), "a completed command has a record");
    // A precision outside the list shows no result texts.
    const bool listed = input.precision >= 0 && input.precision < precisionChoiceCount;
    for (const std::string *text : {&out.qpaText, &out.raText}) {
        require(listed ? strictNumber(*text).has_value() : text->empty(), "result text reads back", *text);
    }
    CalculationBook book;
    book.record(*out.record, "2026-01-01 08:00:00");
    for (const auto *lines : {&book.textLines(), &book.tableLines()}) {
        for (const std::string &line : *lines) {
            require(!sectionListed || fuzz::printable(line), "book line without control characters",
                    line + " (section item " + std::to_string(input.sectionItem) + ")");
        }
    }
    return 0;
}
