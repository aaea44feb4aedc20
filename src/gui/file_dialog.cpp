#include "gui/file_dialog.h"

#include "gui/window_language.h"
#include "gui/window_services.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

namespace saxolith
{

namespace
{

// Asks the user, modally; tests answer instead of a dialog.
SaveFileAnswer askSaveFile(QWidget *parent, const SaveFileRequest &request)
{
    if (const SaveFileFunction &answer = windowServices().saveFileFunction()) {
        return answer(parent, request);
    }
    // Guarded: closing the parent while the dialog is up takes the dialog with it.
    const QPointer<QFileDialog> dialog = createSaveDialog(parent, request);
    SaveFileAnswer answer;
    if (dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty()) {
        answer.path = dialog->selectedFiles().front();
        // The filter as asked for: the dialog shows it in the window's language.
        const qsizetype chosen = dialog->nameFilters().indexOf(dialog->selectedNameFilter());
        answer.filter = request.filters.value(chosen, dialog->selectedNameFilter());
    }
    delete dialog;
    return answer;
}

} // namespace

QFileDialog *createSaveDialog(QWidget *parent, const SaveFileRequest &request)
{
    auto *dialog = new QFileDialog(parent, shownText(request.caption.toStdString()));
    dialog->setObjectName(QStringLiteral("saveFileDialog"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (!request.filters.isEmpty()) {
        QStringList shown;
        for (const QString &filter : request.filters) {
            shown << shownText(filter.toStdString());
        }
        dialog->setNameFilters(shown);
    }
    const QFileInfo suggested(request.suggestedPath);
    dialog->setDirectory(suggested.absolutePath());
    dialog->selectFile(suggested.fileName());
    // The dialog gives its name field the text on showing; select it once the dialog is up.
    QTimer::singleShot(0, dialog, [dialog] {
        if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
            name->setFocus(Qt::OtherFocusReason);
            name->selectAll();
        }
    });
    return dialog;
}

QString askSavePath(QWidget *parent, const SaveFileRequest &request)
{
    // The folder last used for this kind of file, when the caller proposed the documents folder.
    const QString kind = request.filters.isEmpty() ? QString() : filterExtension(request.filters.front());
    SaveFileRequest asked = request;
    const QFileInfo suggested(request.suggestedPath);
    if (QDir(suggested.absolutePath()) == QDir(documentsFolder())) {
        asked.suggestedPath = startFolder(kind) + QLatin1Char('/') + suggested.fileName();
    }
    const QString path = savePathOf(askSaveFile(parent, asked), asked);
    if (!path.isEmpty()) {
        rememberFolder(kind, path);
    }
    return path;
}

QString filterExtension(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString savePathOf(const SaveFileAnswer &answer, const SaveFileRequest &request)
{
    if (answer.path.isEmpty()) {
        return {};
    }
    const QString typed = QFileInfo(answer.path).suffix();
    for (const QString &filter : request.filters) {
        if (!typed.isEmpty() && typed.compare(filterExtension(filter), Qt::CaseInsensitive) == 0) {
            return answer.path;
        }
    }
    const QString chosen = request.filters.contains(answer.filter) ? answer.filter
                           : request.filters.isEmpty()             ? QString()
                                                                   : request.filters.front();
    const QString extension = filterExtension(chosen);
    return extension.isEmpty() ? answer.path : answer.path + QLatin1Char('.') + extension;
}

} // namespace saxolith
