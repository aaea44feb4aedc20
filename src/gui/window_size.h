// The main window's size and maximised state, remembered from one run to the next.
#pragma once

class QSettings;
class QWidget;

namespace saxolith
{

// Gives `window` the size (or the maximised state) it had when the program last ended, within the
// screen and never below its minimum, centred; from then on every change of size is written to
// `settings`, which must outlive the window.
void rememberWindowSize(QWidget &window, QSettings &settings);

} // namespace saxolith
