// Asking the user where to save a file: the dialog, a seam tests answer, and the file kind the answer means.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;
class QWidget;

namespace saxolith
{

struct SaveFileRequest {
    QString caption;
    QString suggestedPath; // folder and name proposed
    QStringList filters;   // "名称 (*.ext)"; the first is chosen at first
};

struct SaveFileAnswer {
    QString path;   // empty: cancelled
    QString filter; // the filter chosen when the dialog closed
};

// The dialog of a save command: not the platform's own, so that the name field has the focus with
// the proposed name selected, ready to type over. The caller shows it.
QFileDialog *createSaveDialog(QWidget *parent, const SaveFileRequest &request);

// Asks the user, modally; tests answer instead of a dialog.
SaveFileAnswer askSaveFile(QWidget *parent, const SaveFileRequest &request);
using SaveFileFunction = std::function<SaveFileAnswer(QWidget *parent, const SaveFileRequest &request)>;
// An empty function restores the dialog.
void setSaveFileFunctionForTesting(SaveFileFunction function);

// The file an answer names, with its kind's extension: an extension of one of the request's filters
// typed by the user decides; otherwise the chosen filter's extension is added to the name.
QString savePathOf(const SaveFileAnswer &answer, const SaveFileRequest &request);

// Extension of a filter "名称 (*.ext)", without the dot; empty if it names none.
QString filterExtension(const QString &filter);

} // namespace saxolith
