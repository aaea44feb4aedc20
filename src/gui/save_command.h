// The one save command of every screen: the right to write storage, the documents folder, the
// question before replacing a file this run has not written, Save As, and the error message.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace saxolith
{

// Writes the whole file at `path` (the file name as the system takes it): nothing on success,
// otherwise an error text in UTF-8 naming the file and the reason.
using FileWriter = std::function<std::optional<std::string>(const std::string &path)>;

enum class SaveEnd {
    Saved,     // into the documents folder or where Save As pointed
    Failed,    // the error is shown
    Cancelled, // no permission, or the user took it back
};

// Saves `fileName` into the documents folder through `write`; `done` runs once the user has
// answered every question. A file already there that this run has not written itself is replaced
// only when the user says so (or saved elsewhere through Save As).
void saveIntoDocuments(QWidget *parent, const QString &fileName, FileWriter write,
                       std::function<void(SaveEnd)> done = {});

// The save's error text as the screens show it (the path in the system's file-name encoding, the
// reason in plain text).
QString saveErrorText(const std::string &error);

// Save As and the exports: asks where a copy of `fileName` goes, named as it with the first filter's
// extension, in the folder last used for that kind; empty when the user took it back.
QString askCopyPath(QWidget *parent, std::string_view caption, std::string_view fileName, QStringList filters);
// How writing a copy ended: the error in a message, or the notice that names where it went.
void showWriteEnd(QWidget *parent, const std::optional<std::string> &error, const QString &path);

// The platform's name of the right to write shared storage; the desktop names none.
QString writeStoragePermission();

} // namespace saxolith
