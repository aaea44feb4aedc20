// The project the window works on: its file, its unsaved changes, the commands that open and save it,
// the window's title, and the recovery journal that outlives a crash.
#pragma once

#include "core/project/project.h"
#include "core/report/report_settings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLockFile;
class QMenu;
class QTimer;
class QWidget;

namespace saxolith
{

class InputScreen;
class OptimisationScreen;
class ResultScreen;

class ProjectSession : public QObject
{
    Q_OBJECT
  public:
    // Changes reach the journal within this time.
    static constexpr int journalDelayMs = 300;
    static constexpr int recentCount = 8;

    ProjectSession(QWidget &window, InputScreen *input, ResultScreen *result, OptimisationScreen *options);
    // The journal goes with the window: only a program that did not end leaves one behind.
    ~ProjectSession() override;

    [[nodiscard]] bool hasProject() const { return m_hasProject; }
    [[nodiscard]] const QString &path() const { return m_path; }
    // The project differs from its file (or, without a file, from the start).
    [[nodiscard]] bool unsaved() const;
    // Everything the project holds as the window has it now.
    [[nodiscard]] Project current() const;

    [[nodiscard]] const ReportSettings &reportSettings() const { return m_report; }
    void setReportSettings(const ReportSettings &settings);

    void newProject();
    void openProject();
    // Opens `path` after asking to save unsaved changes; `done(true)` once it is open.
    void openFile(const QString &path, std::function<void(bool opened)> done = {});
    // Opens `path` at once; the reason it was refused, with nothing changed, otherwise nothing.
    std::optional<QString> load(const QString &path);
    void saveProject(std::function<void(bool saved)> done = {});
    void saveProjectAs(std::function<void(bool saved)> done = {});

    // Before the window closes: asks to save a project with unsaved changes; `done(true)` to go on.
    void askBeforeLeaving(std::function<void(bool leave)> done);
    // The window closes as it should: nothing is left to recover.
    void finish();

    // The program starts: work a crashed run left behind is offered first, then the project file the
    // command line names (its first argument) opens.
    void start(const QStringList &arguments);
    // At start: offers each journal a program left behind when it ended without closing; `done`
    // runs once every one is answered.
    void offerRecovery(std::function<void()> done = {});
    // Writes the journal now (the timer does it within journalDelayMs of a change).
    void writeJournal();
    [[nodiscard]] QString journalPath() const { return m_journalPath; }
    // The folder of the journals.
    static QString recoveryFolder();
    // Whether it is the user's alone (made so when it can be): journals are written and offered only then.
    static bool recoveryFolderPrivate();

    // The recent projects, newest first.
    static QStringList recentProjects();

  private:
    // What the poll compares: the screens' texts and the report settings.
    struct Texts {
        CalculationInput input;
        std::vector<std::vector<std::string>> grid;
        ReportSettings report;
        bool operator==(const Texts &) const = default;
    };
    [[nodiscard]] Texts texts() const;

    // The commands of the screens' tables.
    void saveCommand();
    void saveAsCommand();
    void fillRecentMenu();
    void rememberRecent(const QString &path);
    // Asks to save when there is something to lose; `then(true)` to go on.
    void askToSave(std::function<void(bool goOn)> then);
    [[nodiscard]] bool anythingToLose() const;
    void apply(Project project, CalculationBook book);
    // The state now is the state saved (or opened): nothing unsaved.
    void markSaved();
    void changed();
    void pollTexts();
    void updateTitle();
    bool writeTo(const QString &path);
    void removeJournal();
    void offerJournal(QStringList journals, std::function<void()> done);
    // Whether the project file a journal stands for holds all it holds.
    static bool alreadySaved(const ProjectReading &journal);

    QWidget &m_window;
    InputScreen *m_input;
    ResultScreen *m_result;
    OptimisationScreen *m_options;
    QString m_baseTitle;

    bool m_hasProject = false;
    QString m_path;
    ReportSettings m_report;
    Texts m_savedTexts;
    Texts m_seenTexts;
    long long m_bookRevision = 0;
    long long m_savedRevision = 0;
    bool m_recovered = false; // taken from a journal: unsaved until saved

    QTimer *m_poll = nullptr;
    QTimer *m_journalTimer = nullptr;
    QString m_journalPath;
    std::unique_ptr<QLockFile> m_journalLock;
    bool m_journalWritten = false;

    QMenu *m_recentMenu = nullptr; // the recent projects, shared by every screen's command
};

} // namespace saxolith
