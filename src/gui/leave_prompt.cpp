// Leaving the program with unsaved books: save them, leave them, or stay.
#include "main_window.h"

#include "result_screen.h"
#include "texts/saving.h"
#include "widget_helpers.h"

namespace saxolith
{

namespace
{
enum LeaveAnswer { Save = 0, DontSave = 1, Stay = 2 };
} // namespace

bool MainWindow::mayClose()
{
    if (m_leaving || JieGuo_DocLayer->book().unsavedForms() == 0) {
        return true;
    }
    if (m_asking) {
        return false;
    }
    m_asking = true;
    // Closed later, once the question's box is gone, so nothing of it outlives the window.
    const auto leave = [this] {
        m_leaving = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    };
    const QStringList answers{qs(saveText::save), qs(saveText::dontSave), qs(saveText::cancel)};
    askQuestion(this, qs(saveText::leaveQuestion), answers, [this, leave](int answer) {
        if (answer == Save) {
            JieGuo_DocLayer->saveUnsavedBooks([this, leave](bool allSaved) {
                m_asking = false;
                if (allSaved) {
                    leave();
                }
            });
            return;
        }
        m_asking = false;
        if (answer == DontSave) {
            leave();
        }
    });
    return false;
}

} // namespace saxolith
