// What the window asks of the platform beyond what both programs ask (host.h): permissions, message boxes,
// file dialogs, the desktop's handlers.
#pragma once

#include "gui/file_dialog.h"
#include "gui/image_size_dialog.h"
#include "gui/saved_notice.h"
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

// Shows a message (below); opens a file dialog for a file to open (below); hands an address to the
// desktop (below); chooses the chart's picture file.
using MessageFunction = std::function<void(QWidget *parent, const QString &text)>;
using OpenFileFunction =
    std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;
using DesktopOpenFunction = std::function<bool(const QUrl &address)>;
using ChartPathChooser = std::function<QString(QWidget *parent, const QString &suggested)>;

// The window's services in one object, owned by the main window: the settings the program keeps, the
// permission service, and the dialogs and desktop handlers, each of which tests replace so that it
// answers at once (an empty function restores the desktop's own). The free functions below ask the main
// window's object; with no main window, the desktop's own services.
class WindowServices
{
  public:
    WindowServices();
    ~WindowServices();
    WindowServices(const WindowServices &) = delete;
    WindowServices &operator=(const WindowServices &) = delete;

    PermissionService &permissions();
    // nullptr restores the desktop service.
    void setPermissionService(std::unique_ptr<PermissionService> service)
    {
        m_permissions = std::move(service);
    }

    // The program's settings kept between sessions: an INI file in the user's configuration folder, or the
    // file given here (a test's own). The one place they are opened.
    std::unique_ptr<QSettings> settings() const;
    void setSettingsFile(const QString &file) { m_settingsFile = file; }

    void setMessageFunction(MessageFunction function) { m_message = std::move(function); }
    void setOpenFileFunction(OpenFileFunction function) { m_openFile = std::move(function); }
    void setSaveFileFunction(SaveFileFunction function) { m_saveFile = std::move(function); }
    void setDesktopOpenFunction(DesktopOpenFunction function) { m_desktopOpen = std::move(function); }
    void setOpenFolderFunction(OpenFolderFunction function) { m_openFolder = std::move(function); }
    void setImageSizeChooser(ImageSizeChooser chooser) { m_imageSize = std::move(chooser); }
    void setChartPathChooser(ChartPathChooser chooser) { m_chartPath = std::move(chooser); }

    const MessageFunction &messageFunction() const { return m_message; }
    const OpenFileFunction &openFileFunction() const { return m_openFile; }
    const SaveFileFunction &saveFileFunction() const { return m_saveFile; }
    const DesktopOpenFunction &desktopOpenFunction() const { return m_desktopOpen; }
    const OpenFolderFunction &openFolderFunction() const { return m_openFolder; }
    const ImageSizeChooser &imageSizeChooser() const { return m_imageSize; }
    const ChartPathChooser &chartPathChooser() const { return m_chartPath; }

  private:
    struct Desktop {
    };
    explicit WindowServices(Desktop);
    friend WindowServices &windowServices();

    std::unique_ptr<PermissionService> m_permissions;
    QString m_settingsFile;
    MessageFunction m_message;
    OpenFileFunction m_openFile;
    SaveFileFunction m_saveFile;
    DesktopOpenFunction m_desktopOpen;
    OpenFolderFunction m_openFolder;
    ImageSizeChooser m_imageSize;
    ChartPathChooser m_chartPath;
    bool m_registered = true;
};

// The services of the main window made last of those alive (the program has one); the desktop's when
// there is none.
WindowServices &windowServices();

PermissionService &permissionService();

// Shows a message to the user in a box with an OK button, without blocking; `onClosed` runs when
// the box is closed. Replaceable so tests see the text at once (the box then counts as closed).
// A notice has no icon and no title (object name "messageBox"); an error has the critical icon and
// the title of the parent's window (object name "errorBox").
enum class MessageKind { Notice, Error };
void showMessage(QWidget *parent, const QString &text, std::function<void()> onClosed = {});
void showMessage(QWidget *parent, const QString &text, MessageKind kind, std::function<void()> onClosed = {});
// The program's settings kept between sessions (WindowServices::settings).
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
QString askOpenFileName(QWidget *parent, const QString &caption, const QString &filter);

// Asks a question in a box with one button per answer, without blocking (object name "questionBox");
// `onAnswer` gets the index of the button pressed. The first answer is the default; the last is
// what Escape or closing the box gives.
void askQuestion(QWidget *parent, const QString &text, const QStringList &answers,
                 std::function<void(int answer)> onAnswer);

// Hands an address (a web or mail address, a local folder) to the desktop's default handler; false
// when no handler could be started. Replaceable so that tests start nothing.
bool openWithDesktop(const QUrl &address);

} // namespace saxolith
