// Tab order of the screens: Tab follows a screen from top to bottom.
#pragma once

#include <QWidget>

namespace saxolith
{

// Tab order of one screen: its focusable controls by rows from top to bottom, within a row left to right,
// passing over read-only fields.
void orderTabsTopToBottom(QWidget &screen);

} // namespace saxolith
