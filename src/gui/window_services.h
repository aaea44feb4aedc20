// What the window asks of the platform beyond what both programs ask (host.h): permissions, message boxes,
// file dialogs, the desktop's handlers.
#pragma once

#include "platform/host.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>

class QUrl;
class QSettings;
class QWidget;

namespace saxolith
{

enum class PermissionStatus { Granted, Denied, PermanentlyDenied };

// Asks the user (or the platform) for permissions before something is done.
class PermissionService
{
  public:
    // One status per permission asked.
    using ResultHandler =
        std::function<void(const QStringList &permissions, const QList<PermissionStatus> &)>;
    // Tell the user why; `proceed` lets the request go on.
    using RationaleHandler =
        std::function<void(const QStringList &permissions, std::function<void()> proceed)>;

    virtual ~PermissionService() = default;
    virtual void requestPermissions(const QStringList &permissions, ResultHandler onResult,
                                    RationaleHandler onRationale) = 0;
};

// The desktop grants every permission at once, before the request returns.
class DesktopPermissionService : public PermissionService
{
  public:
    void requestPermissions(const QStringList &permissions, ResultHandler onResult,
                            RationaleHandler onRationale) override;
};

PermissionService &permissionService();
// Replaces the service (tests deny or ask); nullptr restores the desktop service.
void setPermissionService(std::unique_ptr<PermissionService> service);

// Shows a message to the user in a box with an OK button, without blocking; `onClosed` runs when
// the box is closed. Replaceable so tests see the text at once (the box then counts as closed).
// A notice has no icon and no title (object name "messageBox"); an error has the critical icon and
// the title of the parent's window (object name "errorBox").
enum class MessageKind { Notice, Error };
using MessageFunction = std::function<void(QWidget *parent, const QString &text)>;
void showMessage(QWidget *parent, const QString &text, std::function<void()> onClosed = {});
void showMessage(QWidget *parent, const QString &text, MessageKind kind, std::function<void()> onClosed = {});
// An empty function restores the message box.
void setMessageFunctionForTesting(MessageFunction function);

// The program's settings kept between sessions (an INI file in the user's configuration folder).
std::unique_ptr<QSettings> programSettings();

// The folder for files the program keeps for itself between runs (the recovery journal): the
// state folder ($XDG_STATE_HOME, else ~/.local/state) on Linux, the application's local data
// folder elsewhere; created when missing.
QString stateFolder();

// The folder a file dialog starts in for one kind of file (its extension): the folder last used
// for that kind, while it exists, else the documents folder. Remembered with each answer.
QString startFolder(const QString &kind);
void rememberFolder(const QString &kind, const QString &filePath);

// Asks the user for a file to open, starting in the folder last used for the filter's first kind
// of file; empty when cancelled. Replaceable so tests answer at once.
using OpenFileFunction =
    std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;
QString askOpenFileName(QWidget *parent, const QString &caption, const QString &filter);
// An empty function restores the file dialog.
void setOpenFileFunctionForTesting(OpenFileFunction function);

// Asks a question in a box with one button per answer, without blocking (object name "questionBox");
// `onAnswer` gets the index of the button pressed. The first answer is the default; the last is
// what Escape or closing the box gives.
void askQuestion(QWidget *parent, const QString &text, const QStringList &answers,
                 std::function<void(int answer)> onAnswer);

// Hands an address (a web or mail address, a local folder) to the desktop's default handler; false
// when no handler could be started. Replaceable so that tests start nothing.
using DesktopOpenFunction = std::function<bool(const QUrl &address)>;
bool openWithDesktop(const QUrl &address);
// An empty function restores the desktop's handler.
void setDesktopOpenFunctionForTesting(DesktopOpenFunction function);

} // namespace saxolith
