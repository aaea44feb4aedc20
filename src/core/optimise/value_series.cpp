#include "optimise/value_series.h"

namespace saxolith {

OptionTexts startOptionTexts()
{
    OptionTexts texts;
    for (int row = 0; row < optionRowCount; ++row)
        for (int column = 1; column <= 3; ++column)
            texts[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)] =
                std::string(optionGridStartText(row, column));
    return texts;
}

double ValueSeries::next(double previous) const
{
    const double value = previous + step;
    return value > maximum ? maximum : value;
}

bool ValueSeries::holdsWhole(int) const { return false; }

OptionReading readOptions(const OptionTexts &) { return {}; }
OptionReading readOptionRow(OptionRow, const OptionRowTexts &) { return {}; }
std::uint64_t candidateCount(const std::array<ValueSeries, optionRowCount> &) { return 0; }

} // namespace saxolith
