// Keyboard use of the main window: Return calculates, Ctrl+S saves, Escape goes back, Tab follows the screen.
#pragma once

#include <QWidget>

namespace saxolith
{

// Puts the keys on the window's screens, finding their controls by name: Return or Enter in the input
// screen runs 计算 while it is shown; Ctrl+S runs 保存 or 存盘 while enabled; Escape runs 返回 on the result
// and optimisation screens. Tab goes through each screen from top to bottom, left to right, passing over
// read-only fields. The tooltips the buttons show name their keys (their hints as set stay as they are).
void installKeys(QWidget &window);

// Tab order of one screen: its focusable controls by rows from top to bottom, within a row left to right.
void orderTabsTopToBottom(QWidget &screen);

} // namespace saxolith
