#include "pages/pdf_pages.h"

#include "platform/freed_memory.h"
#include "platform/host.h"
#include "platform/save_device.h"
#include "core/texts/export.h"

#include <QPdfWriter>

namespace saxolith
{

QFont printFont(const char *family, double points)
{
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QString programLine()
{
    return qs(exportText::programName) + QLatin1Char(' ') + QString::fromLatin1(SAXOLITH_VERSION);
}

std::optional<std::string> writePdf(const std::string &path, const QString &title,
                                    const std::function<bool(QPdfWriter &)> &paint)
{
    const FreedMemoryKept kept;
    return saveThroughDevice(path, [&](QIODevice &device) {
        QPdfWriter writer(&device);
        writer.setCreator(programLine());
        writer.setTitle(title);
        return paint(writer);
    });
}

} // namespace saxolith
