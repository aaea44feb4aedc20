// Keeps the fixed-size main window within the screen at high scale factors.
#pragma once

#include <QSize>

#include <optional>

class QScreen;

namespace saxolith
{

// Room kept around the window for the frame the window manager draws (title bar and borders), in the
// same units as the window, since a scaled desktop scales its frames too.
inline constexpr QSize windowFrameAllowance{8, 40};

// How much the scale must shrink (a factor below 1) so that a window of `window` plus its frame fits
// into `available`, both in logical pixels at the present scale; 1 when it fits already.
[[nodiscard]] double shrinkToFit(QSize window, QSize available);

// The scale factor the program should start with on `screen` so that `window` fits its available area,
// given the factor in force (`QT_SCALE_FACTOR`, 1 when unset); nothing when it fits as it is.
[[nodiscard]] std::optional<double> fittingScaleFactor(const QScreen &screen, QSize window, double factorNow);

// The factor in force from the environment (QT_SCALE_FACTOR), 1 when unset or unreadable.
[[nodiscard]] double environmentScaleFactor();

} // namespace saxolith
