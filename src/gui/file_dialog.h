// Asking the user where to save a file, for every command that saves elsewhere (Save As, exports, the
// replace prompt's 另存为…): the dialog, the one seam tests answer, and the file kind the answer means.
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

// The dialog of a save command (object name "saveFileDialog"): not the platform's own, so that the
// name field has the focus with the proposed name selected, ready to type over. A request without
// filters lists every file. The caller shows it.
QFileDialog *createSaveDialog(QWidget *parent, const SaveFileRequest &request);

// Asks the user, modally, and gives the file the answer names (see savePathOf); empty when cancelled.
QString askSavePath(QWidget *parent, const SaveFileRequest &request);
// Tests answer instead of a dialog (WindowServices).
using SaveFileFunction = std::function<SaveFileAnswer(QWidget *parent, const SaveFileRequest &request)>;

// The file an answer names, with its kind's extension: an extension of one of the request's filters
// typed by the user decides; otherwise the chosen filter's extension is added to the name. A request
// without filters takes the name as typed.
QString savePathOf(const SaveFileAnswer &answer, const SaveFileRequest &request);

// Extension of a filter "名称 (*.ext)", without the dot; empty if it names none.
QString filterExtension(const QString &filter);

} // namespace saxolith
