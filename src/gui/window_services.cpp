#include "gui/window_services.h"

#include "gui/file_dialog.h"
#include "gui/window_language.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <vector>

namespace saxolith
{

namespace
{

// The services alive, in the order they were made: a test's window is made before the one it replaces goes.
std::vector<WindowServices *> &liveServices()
{
    static std::vector<WindowServices *> live;
    return live;
}

} // namespace

WindowServices::WindowServices()
{
    liveServices().push_back(this);
}

WindowServices::WindowServices(Desktop) : m_registered(false) {}

WindowServices::~WindowServices()
{
    if (m_registered) {
        std::erase(liveServices(), this);
    }
}

PermissionService &WindowServices::permissions()
{
    static DesktopPermissionService desktop;
    return m_permissions ? *m_permissions : desktop;
}

std::unique_ptr<QSettings> WindowServices::settings() const
{
    if (!m_settingsFile.isEmpty()) {
        return std::make_unique<QSettings>(m_settingsFile, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QStringLiteral("saxolith"), QStringLiteral("saxolith"));
}

WindowServices &windowServices()
{
    static WindowServices desktop{WindowServices::Desktop{}};
    return liveServices().empty() ? desktop : *liveServices().back();
}

void DesktopPermissionService::requestPermissions(const QStringList &permissions, ResultHandler onResult,
                                                  RationaleHandler)
{
    onResult(permissions, QList<PermissionStatus>(permissions.size(), PermissionStatus::Granted));
}

PermissionService &permissionService()
{
    return windowServices().permissions();
}

void showMessage(QWidget *parent, const QString &text, std::function<void()> onClosed)
{
    showMessage(parent, text, MessageKind::Notice, std::move(onClosed));
}

void showMessage(QWidget *parent, const QString &text, MessageKind kind, std::function<void()> onClosed)
{
    if (const MessageFunction &message = windowServices().messageFunction()) {
        message(parent, text);
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

QString askOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    const QString kind = filterExtension(filter);
    const OpenFileFunction &answer = windowServices().openFileFunction();
    const QString path =
        answer ? answer(parent, caption, filter)
               : QFileDialog::getOpenFileName(parent, shownText(caption.toStdString()), startFolder(kind),
                                              shownText(filter.toStdString()));
    if (!path.isEmpty()) {
        rememberFolder(kind, path);
    }
    return path;
}

std::unique_ptr<QSettings> programSettings()
{
    return windowServices().settings();
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

bool openWithDesktop(const QUrl &address)
{
    if (const DesktopOpenFunction &open = windowServices().desktopOpenFunction()) {
        return open(address);
    }
    return QDesktopServices::openUrl(address);
}

} // namespace saxolith
