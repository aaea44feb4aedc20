// The colours the screens write their texts in, as 0xAARRGGBB.
#pragma once

#include <cstdint>

namespace saxolith
{

using Argb = std::uint32_t;

namespace colour
{
inline constexpr Argb red = 0xFFFF0000;
inline constexpr Argb magenta = 0xFFFF00FF;
inline constexpr Argb black = 0xFF000000;
inline constexpr Argb green = 0xFF008000;
} // namespace colour

} // namespace saxolith
