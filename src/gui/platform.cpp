#include "platform.h"

#include <QDir>

namespace saxolith {

const QString FPermissionWriteExternalStorage;

QString documentsFolder() { return QDir::homePath(); }
void setDocumentsFolderForTesting(const QString &) {}
std::string systemCodePage() { return "UTF-8"; }
void setSystemCodePageForTesting(const std::string &) {}
QString timeText(const QDateTime &moment, const QLocale &locale) { return locale.toString(moment); }
QString currentTimeText() { return timeText(QDateTime::currentDateTime(), QLocale()); }

void DesktopPermissionService::requestPermissions(const QStringList &permissions, ResultHandler onResult,
                                                  RationaleHandler)
{
    onResult(permissions, QList<bool>(permissions.size(), true));
}

PermissionService &permissionService()
{
    static DesktopPermissionService service;
    return service;
}
void setPermissionService(std::unique_ptr<PermissionService>) {}
void showMessage(QWidget *, const QString &) {}
void setMessageFunctionForTesting(MessageFunction) {}

} // namespace saxolith
