// 导入桩表… on the input screen: a pile schedule's rows calculated into the main window's book.
#pragma once

#include <QString>

namespace saxolith
{

class MainWindow;

// Adds the entry to the input screen's context menu, with Ctrl+I while that screen is shown.
void installScheduleImport(MainWindow &window);

// Asks for the schedule and imports it; nothing when the user cancels.
void importSchedule(MainWindow &window);

// Calculates every row of the file at `path` into the book (the count continues from the entries
// it holds), leaves the input screen showing the last row as after a calculation, and tells the
// user how many rows were calculated and which were refused, or why the file cannot be read.
void importScheduleFile(MainWindow &window, const QString &path);

} // namespace saxolith
