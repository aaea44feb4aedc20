#include "gui/window_services.h"

#include "gui/file_dialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>


namespace saxolith
{

namespace
{

// The replaceable services of this program: set by tests, empty in normal use.
struct Overrides {
    std::unique_ptr<PermissionService> permissions;
    MessageFunction message;
};

Overrides &overrides()
{
    static Overrides instance;
    return instance;
}

} // namespace

void DesktopPermissionService::requestPermissions(const QStringList &permissions, ResultHandler onResult,
                                                  RationaleHandler)
{
    onResult(permissions, QList<PermissionStatus>(permissions.size(), PermissionStatus::Granted));
}

PermissionService &permissionService()
{
    static DesktopPermissionService desktop;
    if (overrides().permissions) {
        return *overrides().permissions;
    }
    return desktop;
}

void setPermissionService(std::unique_ptr<PermissionService> service)
{
    overrides().permissions = std::move(service);
}

void showMessage(QWidget *parent, const QString &text, std::function<void()> onClosed)
{
    showMessage(parent, text, MessageKind::Notice, std::move(onClosed));
}

void showMessage(QWidget *parent, const QString &text, MessageKind kind, std::function<void()> onClosed)
{
    if (overrides().message) {
        overrides().message(parent, text);
        if (onClosed) {
            onClosed();
        }
        return;
    }
    const bool error = kind == MessageKind::Error;
    const QString title = error && parent != nullptr ? parent->window()->windowTitle() : QString();
    auto *box = new QMessageBox(error ? QMessageBox::Critical : QMessageBox::NoIcon, title, text,
                                QMessageBox::Ok, parent);
    box->setObjectName(error ? "errorBox" : "messageBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (onClosed) {
        QObject::connect(box, &QMessageBox::finished, box, [onClosed] { onClosed(); });
    }
    box->open();
}

void setMessageFunctionForTesting(MessageFunction function)
{
    overrides().message = std::move(function);
}

OpenFileFunction &openFileOverride()
{
    static OpenFileFunction function;
    return function;
}

QString askOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    const QString kind = filterExtension(filter);
    const QString path = openFileOverride() ? openFileOverride()(parent, caption, filter)
                                            : QFileDialog::getOpenFileName(parent, caption, startFolder(kind), filter);
    if (!path.isEmpty()) {
        rememberFolder(kind, path);
    }
    return path;
}

std::unique_ptr<QSettings> programSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("saxolith"), QStringLiteral("saxolith"));
}

QString stateFolder()
{
#if defined(Q_OS_LINUX)
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.local/state");
    }
    const QString folder = base + QStringLiteral("/saxolith");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
#endif
    QDir().mkpath(folder);
    return folder;
}

namespace
{
QString folderKey(const QString &kind)
{
    return QStringLiteral("folders/") + (kind.isEmpty() ? QStringLiteral("any") : kind.toLower());
}
} // namespace

QString startFolder(const QString &kind)
{
    const QString folder = programSettings()->value(folderKey(kind)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : documentsFolder();
}

void rememberFolder(const QString &kind, const QString &filePath)
{
    programSettings()->setValue(folderKey(kind), QFileInfo(filePath).absolutePath());
}

void setOpenFileFunctionForTesting(OpenFileFunction function)
{
    openFileOverride() = std::move(function);
}

void askQuestion(QWidget *parent, const QString &text, const QStringList &answers,
                 std::function<void(int answer)> onAnswer)
{
    auto *box = new QMessageBox(QMessageBox::Question, QString(), text, QMessageBox::NoButton, parent);
    box->setObjectName("questionBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    QList<QAbstractButton *> buttons;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const bool last = i == answers.size() - 1;
        const auto role = i == 0 ? QMessageBox::AcceptRole
                          : last ? QMessageBox::RejectRole
                                 : QMessageBox::ActionRole;
        QPushButton *button = box->addButton(answers[i], role);
        buttons << button;
        if (i == 0) {
            box->setDefaultButton(button);
        }
    }
    if (!buttons.isEmpty()) {
        box->setEscapeButton(buttons.back());
    }
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, onAnswer] {
        const qsizetype pressed = buttons.indexOf(box->clickedButton());
        onAnswer(static_cast<int>(pressed >= 0 ? pressed : buttons.size() - 1));
    });
    box->open();
}

DesktopOpenFunction &desktopOpenOverride()
{
    static DesktopOpenFunction function;
    return function;
}

bool openWithDesktop(const QUrl &address)
{
    if (desktopOpenOverride()) {
        return desktopOpenOverride()(address);
    }
    return QDesktopServices::openUrl(address);
}

void setDesktopOpenFunctionForTesting(DesktopOpenFunction function)
{
    desktopOpenOverride() = std::move(function);
}

} // namespace saxolith
