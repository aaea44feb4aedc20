// Column layout of report lines: an ideograph takes two columns, everything else one.
#pragma once

#include <string>
#include <string_view>

namespace saxolith
{

// Columns of a UTF-8 text, counted per UTF-16 code unit: U+1000..U+9FA5 count two,
// every other code unit one (so a character outside the BMP counts two).
int displayWidth(std::string_view text);

std::string padLeft(std::string_view text, std::string_view fill, int width);
std::string padRight(std::string_view text, std::string_view fill, int width);
// The odd column goes to the left.
std::string padCentre(std::string_view text, std::string_view fill, int width);
std::string spaces(int count);
// A rule of `count` times `c`.
std::string rule(char c, int count);

} // namespace saxolith
