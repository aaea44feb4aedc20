// What the desktop knows the program by: its name, version, icon and desktop entry.
#pragma once

class QApplication;
class QIcon;

namespace saxolith
{

// The name the desktop entry, the AppStream data and the installed icons share.
inline constexpr const char *applicationId = "org.example.saxolith";

// The program's icon in every size drawn for it.
[[nodiscard]] QIcon programIcon();

// Name, version, window icon and desktop entry for the running program.
void setUpDesktop(QApplication &app);

// The program's version, from the project's version.
[[nodiscard]] const char *programVersion();

} // namespace saxolith
