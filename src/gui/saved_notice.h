// A short-lived notice over a screen saying where a file went, with a way to open its folder.
#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace saxolith
{

class SavedNotice : public QFrame
{
    Q_OBJECT
  public:
    static constexpr int showMilliseconds = 8000;

    explicit SavedNotice(QWidget *screen);

    // Shows `path` (the full path of the file written) until the time runs out or the user closes it.
    void showPath(const QString &path);
    [[nodiscard]] QString path() const { return m_path; }

    QLabel *label = nullptr;
    QPushButton *openFolderButton = nullptr;
    QPushButton *closeButton = nullptr;

  private:
    void placeOverScreen();

    QString m_path;
    QTimer *m_timer = nullptr;
};

// Shows the notice over `screen` (one per screen, made on first use).
void showSavedNotice(QWidget *screen, const QString &path);

// Opens a folder in the desktop's file manager; tests see the folder instead. False when no file
// manager could be started. Replaceable (WindowServices).
using OpenFolderFunction = std::function<void(const QString &folder)>;
bool openFolder(const QString &folder);

} // namespace saxolith
