#include "pages/bundled_fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

namespace saxolith
{

void loadBundledFonts()
{
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    const QStringList files =
        folder.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.ttc"), QStringLiteral("*.otf")}, QDir::Files);
    for (const QString &file : files) {
        QFontDatabase::addApplicationFont(folder.filePath(file));
    }
}

} // namespace saxolith
