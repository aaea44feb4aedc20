// Names of the keys that stand for the screens' commands, as their tooltips show them.
#pragma once

#include <string_view>

namespace saxolith::keyText
{
inline constexpr std::string_view calculate = "Enter";
inline constexpr std::string_view save = "Ctrl+S";
inline constexpr std::string_view back = "Esc";
} // namespace saxolith::keyText
