#include "gui/commands.h"

#include "gui/widget_helpers.h"

#include "core/texts/chart.h"
#include "core/texts/export.h"
#include "core/texts/optimisation.h"
#include "core/texts/project.h"
#include "core/texts/report.h"
#include "core/texts/result.h"
#include "core/texts/schedule.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

namespace saxolith
{

namespace
{

// Made when a table is first asked for: a standard key needs the application's platform.
constexpr QKeyCombination enter(Qt::Key_Enter);
constexpr QKeyCombination returnKey(Qt::Key_Return);
constexpr QKeyCombination escape(Qt::Key_Escape);
constexpr QKeyCombination saveAs(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
constexpr QKeyCombination exportKey(Qt::CTRL | Qt::Key_E);

// The project's commands close every screen's table: the same keys and menu entries on each.
// Ctrl+S and Ctrl+Shift+S save the book and the list on their screens, so the project's saves take Alt too.
std::vector<Command> withProjectCommands(std::vector<Command> table)
{
    const std::vector<Command> project{
        {.id = CommandId::NewProject, .name = "act_newProject", .text = projectText::newProject,
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_N)}, .inContextMenu = true, .separatorBefore = true},
        {.id = CommandId::OpenProject, .name = "act_openProject", .text = projectText::openProject,
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_O)}, .inContextMenu = true},
        {.id = CommandId::SaveProject, .name = "act_saveProject", .text = projectText::saveProject,
         .keys = {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S)}, .inContextMenu = true},
        {.id = CommandId::SaveProjectAs, .name = "act_saveProjectAs", .text = projectText::saveProjectAs,
         .keys = {QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_S)}, .inContextMenu = true},
        {.id = CommandId::RecentProjects, .name = "act_recentProjects", .text = projectText::recentProjects,
         .inContextMenu = true},
    };
    table.insert(table.end(), project.begin(), project.end());
    return table;
}

} // namespace

const std::vector<Command> &inputScreenCommands()
{
    static const std::vector<Command> table = withProjectCommands({
        {.id = CommandId::Calculate, .name = "act_calculate", .text = inputText::compute,
         .keys = {enter, returnKey}, .reach = KeyReach::LeftOver},
        // Ctrl+O opens a project, as on every desktop.
        {.id = CommandId::ImportSchedule, .name = "act_importSchedule", .text = scheduleText::importAction,
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_I)}, .inContextMenu = true},
    });
    return table;
}

const std::vector<Command> &resultScreenCommands()
{
    static const std::vector<Command> table = withProjectCommands({
        {.id = CommandId::SaveBook, .name = "act_saveBook", .text = resultText::save, .keys = {QKeySequence(QKeySequence::Save)},
         .reach = KeyReach::LeftOver},
        {.id = CommandId::LeaveBook, .name = "act_leaveBook", .text = resultText::back, .keys = {escape},
         .reach = KeyReach::LeftOver},
        {.id = CommandId::BookSaveAs, .name = "act_bookSaveAs", .text = exportText::saveAs,
         .hint = exportText::saveAsHint, .keys = {saveAs}, .inContextMenu = true},
        {.id = CommandId::BookExportPdf, .name = "act_bookExportPdf", .text = exportText::exportPdf,
         .hint = exportText::exportPdfHint, .keys = {exportKey}, .inContextMenu = true},
        {.id = CommandId::BookPrint, .name = "act_bookPrint", .text = exportText::print,
         .hint = exportText::printHint, .keys = {QKeySequence(Qt::CTRL | Qt::Key_P)}, .inContextMenu = true},
        {.id = CommandId::Report, .name = "act_report", .text = reportText::command, .hint = reportText::commandHint,
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_R)}, .inContextMenu = true},
    });
    return table;
}

const std::vector<Command> &optimisationScreenCommands()
{
    static const std::vector<Command> table = withProjectCommands({
        {.id = CommandId::SaveList, .name = "act_saveList", .text = optimisationText::save, .keys = {QKeySequence(QKeySequence::Save)},
         .reach = KeyReach::LeftOver},
        {.id = CommandId::LeaveList, .name = "act_leaveList", .text = optimisationText::back, .keys = {escape},
         .reach = KeyReach::LeftOver},
        {.id = CommandId::ListSaveAs, .name = "act_listSaveAs", .text = exportText::saveAs,
         .hint = exportText::saveAsHint, .keys = {saveAs}, .inContextMenu = true},
        {.id = CommandId::ListExportExcel, .name = "act_listExportExcel", .text = exportText::exportExcel,
         .hint = exportText::exportExcelHint, .keys = {exportKey}, .inContextMenu = true},
        {.id = CommandId::ListExportCsv, .name = "act_listExportCsv", .text = exportText::exportCsv,
         .hint = exportText::exportCsvHint, .inContextMenu = true, .tipKey = exportKey,
         .tipNote = exportText::exportCsvKeyNote},
        // Also from the chart window, a window of the screen's own.
        {.id = CommandId::Chart, .name = "actionChart", .text = chartText::menuEntry,
         .keys = {QKeySequence(Qt::CTRL | Qt::Key_G)}, .inContextMenu = true,
         .context = Qt::WidgetWithChildrenShortcut},
    });
    return table;
}

QString commandToolTip(const Command &command)
{
    const QString hint = qs(command.hint.empty() ? command.text : command.hint);
    const QKeySequence key = command.tipKey.isEmpty() && !command.keys.isEmpty() ? command.keys.front()
                                                                                   : command.tipKey;
    if (key.isEmpty()) {
        return hint;
    }
    return hint + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + qs(command.tipNote) +
           QLatin1Char(')');
}

namespace
{

// A button shows its command's tooltip, key and all; the button's own hint, if the screen set one, is
// left as it is and comes first.
class KeyTip : public QObject
{
  public:
    KeyTip(QAbstractButton &button, QString key) : QObject(&button), m_key(std::move(key))
    {
        button.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (event->type() != QEvent::ToolTip || button == nullptr) {
            return QObject::eventFilter(watched, event);
        }
        const QString own = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                           own + QStringLiteral(" (%1)").arg(m_key), button);
        return true;
    }

  private:
    QString m_key;
};

} // namespace

CommandTable::CommandTable(QWidget &screen, const std::vector<Command> &table) : QObject(&screen), m_screen(screen)
{
    for (const Command &command : table) {
        auto *action = new QAction(qs(command.text), &screen);
        action->setObjectName(command.name);
        action->setToolTip(commandToolTip(command));
        if (command.reach == KeyReach::Screen && !command.keys.isEmpty()) {
            // Owned by the screen, so the keys work only while the screen is on show.
            action->setShortcuts(command.keys);
            action->setShortcutContext(command.context);
            screen.addAction(action);
        }
        m_entries.push_back({&command, action});
    }
}

QAction *CommandTable::action(CommandId id) const
{
    for (const Entry &entry : m_entries) {
        if (entry.command->id == id) {
            return entry.action;
        }
    }
    return nullptr;
}

void CommandTable::bindButton(CommandId id, QAbstractButton *button)
{
    QAction *command = action(id);
    connect(command, &QAction::triggered, button, [button] {
        // The key answers only while the user could click the button.
        if (button->isVisible() && button->isEnabled()) {
            button->click();
        }
    });
    for (const Entry &entry : m_entries) {
        if (entry.action == command && !entry.command->keys.isEmpty()) {
            new KeyTip(*button, entry.command->keys.front().toString(QKeySequence::NativeText));
        }
    }
}

void CommandTable::addContextMenu(QWidget *widget) const
{
    widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const Entry &entry : m_entries) {
        if (entry.command->inContextMenu) {
            if (entry.command->separatorBefore) {
                auto *separator = new QAction(widget);
                separator->setSeparator(true);
                widget->addAction(separator);
            }
            widget->addAction(entry.action);
        }
    }
}

bool CommandTable::takeLeftOverKey(const QKeyEvent &key) const
{
    const QKeySequence typed(key.keyCombination());
    // The keypad's Enter is Enter whichever modifier the keypad adds.
    const QKeySequence plain(QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    for (const Entry &entry : m_entries) {
        if (entry.command->reach != KeyReach::LeftOver || !entry.action->isEnabled()) {
            continue;
        }
        for (const QKeySequence &keys : entry.command->keys) {
            if (keys == typed || keys == plain) {
                entry.action->trigger();
                return true;
            }
        }
    }
    return false;
}

namespace
{

class LeftOverKeys : public QObject
{
  public:
    explicit LeftOverKeys(QWidget &window) : QObject(&window), m_window(window) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_window || event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        // The screen on show, whose controls (or none) had the key first.
        for (const CommandTable *table : m_window.findChildren<CommandTable *>()) {
            const auto *screen = qobject_cast<const QWidget *>(table->parent());
            const QWidget *focus = m_window.focusWidget();
            if (screen->isVisible() &&
                (focus == nullptr || focus == &m_window || focus == screen || screen->isAncestorOf(focus))) {
                return table->takeLeftOverKey(*static_cast<QKeyEvent *>(event));
            }
        }
        return false;
    }

  private:
    QWidget &m_window;
};

} // namespace

void installLeftOverKeys(QWidget &window)
{
    window.installEventFilter(new LeftOverKeys(window));
}

} // namespace saxolith
