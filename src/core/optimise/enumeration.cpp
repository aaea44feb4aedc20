#include "optimise/enumeration.h"

namespace saxolith {

RunResult runEnumeration(const OptionTexts &, const CalculationInput &, const RunProgress &)
{
    return {};
}

} // namespace saxolith
