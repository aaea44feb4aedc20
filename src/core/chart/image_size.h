// The size of an exported chart picture: its width and height on paper and its resolution.
#pragma once

#include <cmath>

namespace saxolith
{

struct ImageSize {
    double widthMm = 0.0;
    double heightMm = 0.0;
    int dpi = 96;
    friend bool operator==(const ImageSize &, const ImageSize &) = default;
};

inline constexpr int screenDpi = 96; // the resolution a chart on the screen is laid out at
inline constexpr int lowestDpi = 72;
inline constexpr int highestDpi = 300;
inline constexpr double a4WidthMm = 210.0;
inline constexpr double a4HeightMm = 297.0;
inline constexpr double smallestSideMm = 40.0;
inline constexpr double largestSideMm = 600.0;
// The longest side a picture may have in pixels: the A4 page's long side at the highest resolution.
inline constexpr int largestSidePixels = 3508;
inline constexpr double millimetresPerInch = 25.4;

// Pixels along a length of paper at a resolution.
[[nodiscard]] inline int pixelsAlong(double millimetres, int dpi)
{
    return static_cast<int>(std::lround(millimetres / millimetresPerInch * dpi));
}

// The paper a length of screen pixels covers at the screen's resolution.
[[nodiscard]] inline double millimetresOf(int pixels)
{
    return pixels * millimetresPerInch / screenDpi;
}

// Whether a picture of this size can be made: every part within its range, no side too many pixels.
[[nodiscard]] inline bool imageSizeAllowed(const ImageSize &size)
{
    const auto sideAllowed = [&](double millimetres) {
        return millimetres >= smallestSideMm && millimetres <= largestSideMm &&
               pixelsAlong(millimetres, size.dpi) <= largestSidePixels;
    };
    return size.dpi >= lowestDpi && size.dpi <= highestDpi && sideAllowed(size.widthMm) &&
           sideAllowed(size.heightMm);
}

} // namespace saxolith
