// Every command of the three screens, one table per screen: its text, its keys, its tooltip (built from
// the key) and where it shows. A screen makes its QActions from its table; what a command does is
// connected by whoever owns that work.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

#include <string_view>
#include <vector>

class QAbstractButton;
class QAction;
class QKeyEvent;
class QWidget;

namespace saxolith
{

enum class CommandId {
    // input screen
    Calculate,
    ImportSchedule,
    // result screen
    SaveBook,
    LeaveBook,
    BookSaveAs,
    BookExportPdf,
    BookPrint,
    Report,
    // optimisation screen
    SaveList,
    LeaveList,
    ListSaveAs,
    ListExportExcel,
    ListExportCsv,
    Chart,
    // every screen: the project
    NewProject,
    OpenProject,
    SaveProject,
    SaveProjectAs,
    RecentProjects,
};

// Where a command's keys are taken.
enum class KeyReach {
    Screen,   // while the screen is on show, wherever the focus is in it (Qt's own shortcuts)
    LeftOver, // only when the focused control leaves the key unused: Return past a field, Escape past an
              // open cell editor, so a command never takes a key a control needs
};

struct Command {
    CommandId id;
    const char *name;           // the QAction's objectName
    std::string_view text;      // in menus, and on the command's button
    std::string_view hint = {}; // the tooltip before its key; the text when empty
    QList<QKeySequence> keys = {};
    KeyReach reach = KeyReach::Screen;
    bool inContextMenu = false;            // in the context menus the screen names
    Qt::ShortcutContext context = Qt::WindowShortcut;
    QKeySequence tipKey = {};      // the key the tooltip names when it is not the command's own
    std::string_view tipNote = {}; // said after the key in the tooltip
    bool separatorBefore = false;  // the context menu starts a group here
};

const std::vector<Command> &inputScreenCommands();
const std::vector<Command> &resultScreenCommands();
const std::vector<Command> &optimisationScreenCommands();

// The tooltip of a command: its hint, and its key in brackets.
QString commandToolTip(const Command &command);

// A screen's commands as QActions owned by the screen (so their keys work only while it is on show).
class CommandTable : public QObject
{
    Q_OBJECT
  public:
    CommandTable(QWidget &screen, const std::vector<Command> &table);

    QAction *action(CommandId id) const;

    // The command clicks `button` when the user could: on show and enabled; the button's tooltip names
    // the command's key.
    void bindButton(CommandId id, QAbstractButton *button);

    // The context-menu commands, in table order, as the context menu of `widget`.
    void addContextMenu(QWidget *widget) const;

    // Runs the left-over-key command that `key` stands for; true when one ran.
    bool takeLeftOverKey(const QKeyEvent &key) const;

  private:
    struct Entry {
        const Command *command;
        QAction *action;
    };
    QWidget &m_screen;
    std::vector<Entry> m_entries;
};

// The screens' left-over keys, taken where the window sees them (a key the focused control left
// unused reaches the window).
void installLeftOverKeys(QWidget &window);

} // namespace saxolith
