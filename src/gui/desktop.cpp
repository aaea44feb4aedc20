#include "gui/desktop.h"

#include "gui/widget_helpers.h"

#include <QApplication>
#include <QIcon>

#include <array>

#ifndef SAXOLITH_VERSION
#define SAXOLITH_VERSION "0"
#endif

namespace saxolith
{

QIcon programIcon()
{
    registerResources();
    // Pictures rendered from the drawing for each size, so that no image plugin is needed to show them.
    constexpr std::array sizes = {16, 22, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (const int size : sizes) {
        icon.addFile(QStringLiteral(":/icons/saxolith-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

const char *programVersion()
{
    return SAXOLITH_VERSION;
}

void setUpDesktop(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("saxolith"));
    QApplication::setApplicationVersion(QString::fromLatin1(programVersion()));
    // Wayland matches the window to its desktop entry (and so its icon) by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(applicationId));
    app.setWindowIcon(programIcon());
}

} // namespace saxolith
