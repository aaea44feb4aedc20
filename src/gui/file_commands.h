// What the book's and the lists' file commands share: the screen's commands they answer, enabled
// together while the screen shows something to write.
#pragma once

#include "gui/commands.h"

#include <QAction>
#include <QObject>

#include <functional>
#include <vector>

namespace saxolith
{

class FileCommands : public QObject
{
  public:
    FileCommands(QObject *screen, const CommandTable &commands) : QObject(screen), m_commands(commands) {}

  protected:
    // `run` answers the command `id`, which is enabled and disabled with the others answered here.
    void answer(CommandId id, const std::function<void()> &run)
    {
        QAction *action = m_commands.action(id);
        connect(action, &QAction::triggered, this, run);
        m_actions.push_back(action);
    }

    void enableAll(bool enabled)
    {
        for (QAction *action : m_actions) {
            action->setEnabled(enabled);
        }
    }

  private:
    const CommandTable &m_commands;
    std::vector<QAction *> m_actions;
};

} // namespace saxolith
