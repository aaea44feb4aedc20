// The number readers and formatters: the readers never take a control character or give a value
// beyond the range, every text read back, and formatFixed agrees with the exact decimal expansion.
#include "exact_decimal.h"
#include "fuzz_check.h"
#include "core/text/number_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <limits>

using namespace saxolith;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::string text = in.ConsumeRandomLengthString(512);
    const std::optional<double> strict = strictNumber(text);
    const LenientReading lenient = lenientNumber(text);
    if (strict) {
        require(std::isfinite(*strict), "a reading is finite", text);
        require(lenient.wellFormed && (lenient.value == *strict || std::isnan(*strict)), "lenient agrees",
                text);
        std::string_view body = text;
        while (!body.empty() && body.front() == ' ') {
            body.remove_prefix(1);
        }
        while (!body.empty() && body.back() == ' ') {
            body.remove_suffix(1);
        }
        require(fuzz::printable(body), "only the blank is skipped", text);
        const std::string general = formatGeneral(*strict);
        const std::optional<double> back = strictNumber(general);
        require(back.has_value(), "formatGeneral reads back", general);
    } else {
        require(!lenient.wellFormed || text.find_first_not_of(' ') == std::string::npos, "lenient agrees",
                text);
    }

    const double x = in.ConsumeFloatingPoint<double>();
    const int precision = in.ConsumeIntegralInRange(-2, 25);
    const int decimals = in.ConsumeIntegralInRange(-2, 105);
    const std::string fixed = formatFixed(x, precision, decimals);
    if (!std::isfinite(x)) {
        return 0;
    }
    require(strictNumber(fixed).has_value() == fixedTextReadsBack(x, precision), "fixedTextReadsBack tells",
            fixed);
    const int p = std::clamp(precision, 1, 22);
    const int d = std::clamp(decimals, 0, 100);
    // The reference works digit by digit: keep to magnitudes it expands quickly.
    if (std::fabs(x) < 1e30 && std::fabs(x) > 1e-30) {
        require(fixed == reference::fixedReference(x, p, d), "formatFixed rounds exactly", fixed);
        require(formatGeneral(x) == reference::generalReference(x), "formatGeneral rounds exactly",
                formatGeneral(x));
    }
    return 0;
}
