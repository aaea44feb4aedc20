// What the program asks of the platform: folders, the character set, time texts, permissions, message boxes.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace saxolith {

// The folder saved files go into; created when missing. The documents location, or the home
// folder when the platform names none; never the root of the file system.
QString documentsFolder();
// Replaces the documents folder for tests; an empty text restores the platform's folder.
void setDocumentsFolderForTesting(const QString &folder);

// The iconv name of the locale's character set ("GBK" under zh_CN.GBK, "UTF-8" under a UTF-8 locale).
std::string systemCodePage();
// Replaces the character set for tests; an empty text restores the locale's.
void setSystemCodePageForTesting(const std::string &codePage);

// The locale's short date, a blank and its long time without a time-zone part; the date alone at midnight.
QString timeText(const QDateTime &moment, const QLocale &locale);
QString currentTimeText();

// Asks the user (or the platform) for permissions before something is done.
class PermissionService {
public:
    using ResultHandler = std::function<void(const QStringList &permissions, const QList<bool> &granted)>;
    using RationaleHandler = std::function<void(const QStringList &permissions, std::function<void()> proceed)>;

    virtual ~PermissionService() = default;
    virtual void requestPermissions(const QStringList &permissions, ResultHandler onResult,
                                    RationaleHandler onRationale) = 0;
};

// The desktop grants every permission at once, before the request returns.
class DesktopPermissionService : public PermissionService {
public:
    void requestPermissions(const QStringList &permissions, ResultHandler onResult,
                            RationaleHandler onRationale) override;
};

PermissionService &permissionService();
// Replaces the service (tests deny or ask); nullptr restores the desktop service.
void setPermissionService(std::unique_ptr<PermissionService> service);

// The permission a saved file needs; empty on the desktop.
extern const QString FPermissionWriteExternalStorage;

// Shows a message to the user; replaceable so tests see the text without a blocking box.
using MessageFunction = std::function<void(QWidget *parent, const QString &text)>;
void showMessage(QWidget *parent, const QString &text);
// nullptr (an empty function) restores the modal message box.
void setMessageFunctionForTesting(MessageFunction function);

} // namespace saxolith
