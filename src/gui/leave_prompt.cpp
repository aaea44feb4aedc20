// Leaving the program with unsaved books: save them, leave them, or stay.
#include "gui/main_window.h"

#include "gui/project_session.h"
#include "gui/result_screen.h"
#include "core/texts/saving.h"
#include "gui/widget_helpers.h"

namespace saxolith
{

namespace
{
enum LeaveAnswer { Save = 0, DontSave = 1, Stay = 2 };
} // namespace

bool MainWindow::mayClose()
{
    if (m_leaving) {
        return true;
    }
    if (m_asking) {
        return false;
    }
    // The project first: saving it keeps the whole work; the books' own question follows.
    if (!m_projectAnswered && m_project->hasProject() && m_project->unsaved()) {
        m_asking = true;
        m_project->askBeforeLeaving([this](bool leave) {
            m_asking = false;
            if (leave) {
                m_projectAnswered = true;
                QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            }
        });
        return false;
    }
    m_projectAnswered = false;
    if (JieGuo_DocLayer->book().unsavedForms() == 0) {
        return true;
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
