#include "gui/save_command.h"

#include "gui/file_dialog.h"
#include "core/save/file_system.h"
#include "gui/window_services.h"
#include "gui/saved_notice.h"
#include "core/text/fill_in.h"
#include "core/texts/export.h"
#include "core/texts/result.h"
#include "core/texts/saving.h"
#include "gui/widget_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <memory>
#include <utility>

namespace saxolith
{

namespace
{

// The files this run has written, as the system identifies them: a file put there or changed by
// anyone else since no longer matches, and is asked about again.
using FileKey = std::pair<std::uint64_t, std::uint64_t>; // volume, file

std::map<FileKey, FileStamp> &writtenFiles()
{
    static std::map<FileKey, FileStamp> files;
    return files;
}

void rememberWritten(const std::string &path)
{
    if (const auto stamp = plainFileStamp(path)) {
        writtenFiles()[{stamp->volume, stamp->file}] = *stamp;
    }
}

// A plain file (through any links) that this run has not written as it stands.
bool foreignFile(const std::string &path)
{
    const auto stamp = plainFileStamp(path);
    if (!stamp) {
        return false;
    }
    const auto found = writtenFiles().find({stamp->volume, stamp->file});
    return found == writtenFiles().end() || found->second != *stamp;
}

using Done = std::function<void(SaveEnd)>;

void finish(const Done &done, SaveEnd end)
{
    if (done) {
        done(end);
    }
}

void writeAt(QWidget *parent, const QString &path, const FileWriter &write, const Done &done)
{
    const std::string encoded = filePathBytes(path);
    if (const std::optional<std::string> error = write(encoded)) {
        showMessage(parent, saveErrorText(*error));
        finish(done, SaveEnd::Failed);
        return;
    }
    rememberWritten(encoded);
    showSavedNotice(parent, path);
    finish(done, SaveEnd::Saved);
}

enum ReplaceAnswer { Replace = 0, SaveAs = 1, Cancel = 2 };

void saveGranted(QWidget *parent, const QString &fileName, const FileWriter &write, const Done &done)
{
    const QString path = documentsFolder() + QLatin1Char('/') + fileName;
    if (!foreignFile(filePathBytes(path))) {
        writeAt(parent, path, write, done);
        return;
    }
    const QString question = qs(fillIn(saveText::replaceQuestion, {fileName.toStdString()}));
    const QStringList answers{qs(saveText::replace), qs(exportText::saveAs), qs(saveText::cancel)};
    askQuestion(parent, question, answers, [parent, path, write, done](int answer) {
        if (answer == Replace) {
            writeAt(parent, path, write, done);
        } else if (answer == SaveAs) {
            // The name as typed: the bytes are the same whatever the file is called.
            const QString chosen = askSavePath(parent, {qs(exportText::saveAs), path, {}});
            if (chosen.isEmpty()) {
                finish(done, SaveEnd::Cancelled);
            } else {
                writeAt(parent, chosen, write, done);
            }
        } else {
            finish(done, SaveEnd::Cancelled);
        }
    });
}

} // namespace

QString saveErrorText(const std::string &error)
{
    return fromFileText(error);
}

QString askCopyPath(QWidget *parent, std::string_view caption, std::string_view fileName, QStringList filters)
{
    const QString base = QFileInfo(qs(fileName)).completeBaseName();
    const QString name = base + QLatin1Char('.') + filterExtension(filters.front());
    const SaveFileRequest request{qs(caption), documentsFolder() + QLatin1Char('/') + name, std::move(filters)};
    return askSavePath(parent, request);
}

void showWriteEnd(QWidget *parent, const std::optional<std::string> &error, const QString &path)
{
    if (error) {
        showMessage(parent, saveErrorText(*error));
    } else {
        showSavedNotice(parent, path);
    }
}

QString writeStoragePermission()
{
    return {};
}

void saveIntoDocuments(QWidget *parent, const QString &fileName, FileWriter write,
                       std::function<void(SaveEnd)> done)
{
    const QString permission = writeStoragePermission();
    permissionService().requestPermissions(
        {permission},
        [parent, fileName, write, done, permission](const QStringList &,
                                                    const QList<PermissionStatus> &granted) {
            if (granted.size() != 1 || granted.front() != PermissionStatus::Granted) {
                showMessage(parent, qs(saveText::noPermission));
                finish(done, SaveEnd::Cancelled);
                return;
            }
            saveGranted(parent, fileName, write, done);
        },
        [parent, permission](const QStringList &asked, const std::function<void()> &proceed) {
            QString text;
            for (const QString &one : asked) {
                if (one == permission) {
                    text += qs(saveText::permissionRationale);
                }
            }
            showMessage(parent, text, proceed);
        });
}

} // namespace saxolith
