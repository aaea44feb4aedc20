#include "gui/project_session.h"

#include "gui/report_dialog.h"

#include "gui/commands.h"
#include "gui/file_dialog.h"
#include "gui/input_screen.h"
#include "gui/optimisation_screen.h"
#include "gui/window_services.h"
#include "gui/result_screen.h"
#include "gui/save_command.h"
#include "gui/saved_notice.h"
#include "gui/widget_helpers.h"

#include "core/save/file_system.h"
#include "core/save/safe_file.h"
#include "core/schedule/schedule_file.h"
#include "core/text/fill_in.h"
#include "core/texts/project.h"
#include "core/texts/saving.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QWidget>

namespace saxolith
{

namespace
{

constexpr const char *recentKey = "projects/recent";
constexpr int pollMs = 400;
const QString journalPrefix = QStringLiteral("recovery-");
const QString lockSuffix = QStringLiteral(".lock");

enum SaveAnswer { Save = 0, DontSave = 1, Cancel = 2 };
enum RecoverAnswer { Recover = 0, Discard = 1 };

// The project's text streamed into a file through the one safe save.
std::optional<std::string> saveProjectFile(const QString &path, const std::function<void(std::ostream &)> &write)
{
    return saveFile(filePathBytes(path), [&write](const ByteSink &sink) {
        SinkStream out(sink);
        write(out);
        return completeWhen(out.finish());
    });
}

// Why a journal could not be read, for the message that sets it aside.
std::string_view journalProblem(OwnFile found)
{
    switch (found) {
    case OwnFile::NotPlain:
        return projectText::journalNotPlain;
    case OwnFile::NotOwn:
        return projectText::journalNotOwn;
    case OwnFile::TooLarge:
        return projectText::tooLarge;
    case OwnFile::Read:
    case OwnFile::Unreadable:
        break;
    }
    return projectText::journalUnreadable;
}

// A journal's lock: whoever holds it is the program writing that journal. Only a death makes it stale,
// never its age, since a session may run for days.
std::unique_ptr<QLockFile> journalLock(const QString &journal)
{
    auto lock = std::make_unique<QLockFile>(journal + lockSuffix);
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

ProjectSession::ProjectSession(QWidget &window, InputScreen *input, ResultScreen *result,
                               OptimisationScreen *options)
    : QObject(&window), m_window(window), m_input(input), m_result(result), m_options(options),
      m_baseTitle(window.windowTitle())
{
    m_journalPath = recoveryFolder() + QLatin1Char('/') + journalPrefix +
                    QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
                    QString::number(QDateTime::currentMSecsSinceEpoch()) + qs(projectExtension);
    m_savedTexts = m_seenTexts = texts();

    m_recentMenu = new QMenu(&window);
    m_recentMenu->setObjectName("recentProjectsMenu");
    connect(m_recentMenu, &QMenu::aboutToShow, this, &ProjectSession::fillRecentMenu);
    fillRecentMenu();
    // Every screen's table has the project's commands, each screen its own actions of them.
    const std::pair<CommandId, void (ProjectSession::*)()> commands[] = {
        {CommandId::NewProject, &ProjectSession::newProject},
        {CommandId::OpenProject, &ProjectSession::openProject},
        {CommandId::SaveProject, &ProjectSession::saveCommand},
        {CommandId::SaveProjectAs, &ProjectSession::saveAsCommand},
    };
    for (const CommandTable *table : {&input->commands(), &result->commands(), &options->commands()}) {
        for (const auto &[id, run] : commands) {
            connect(table->action(id), &QAction::triggered, this, run);
        }
        table->action(CommandId::RecentProjects)->setMenu(m_recentMenu);
    }

    connect(result, &ResultScreen::bookChanged, this, [this] {
        ++m_bookRevision;
        changed();
    });
    m_poll = new QTimer(this);
    m_poll->setInterval(pollMs);
    connect(m_poll, &QTimer::timeout, this, &ProjectSession::pollTexts);
    m_poll->start();
    m_journalTimer = new QTimer(this);
    m_journalTimer->setSingleShot(true);
    m_journalTimer->setInterval(journalDelayMs);
    connect(m_journalTimer, &QTimer::timeout, this, &ProjectSession::writeJournal);
}

ProjectSession::~ProjectSession()
{
    finish();
}

void ProjectSession::saveCommand()
{
    saveProject();
}

void ProjectSession::saveAsCommand()
{
    saveProjectAs();
}

QString ProjectSession::recoveryFolder()
{
    return stateFolder();
}

bool ProjectSession::recoveryFolderPrivate()
{
    // Journals hold the user's work: only in a folder no one else may write are they written or taken back.
    return makePrivateFolder(filePathBytes(recoveryFolder()));
}

ProjectSession::Texts ProjectSession::texts() const
{
    return {m_input->gatherInput(), m_options->optionTexts(), m_report};
}

Project ProjectSession::current() const
{
    Project project = projectOf(m_result->book());
    project.inputScreen = m_input->gatherInput();
    project.optionGrid = m_options->optionTexts();
    project.report = m_report;
    return project;
}

bool ProjectSession::unsaved() const
{
    return m_recovered || m_bookRevision != m_savedRevision || texts() != m_savedTexts;
}

void ProjectSession::setReportSettings(const ReportSettings &settings)
{
    m_report = settings;
    pollTexts();
}

void ProjectSession::changed()
{
    updateTitle();
    if (!m_journalTimer->isActive()) {
        m_journalTimer->start();
    }
}

void ProjectSession::pollTexts()
{
    Texts now = texts();
    if (now != m_seenTexts) {
        m_seenTexts = std::move(now);
        changed();
    }
}

void ProjectSession::updateTitle()
{
    if (!m_hasProject) {
        m_window.setWindowTitle(m_baseTitle);
        return;
    }
    const QString name = m_path.isEmpty() ? qs(projectText::untitled) : QFileInfo(m_path).completeBaseName();
    const QString mark = unsaved() ? qs(projectText::unsavedMark) : QString();
    m_window.setWindowTitle(name + mark + QStringLiteral(" - ") + m_baseTitle);
}

void ProjectSession::markSaved()
{
    m_savedTexts = m_seenTexts = texts();
    m_savedRevision = m_bookRevision;
    m_recovered = false;
    m_journalTimer->stop();
    removeJournal();
    updateTitle();
}

void ProjectSession::apply(Project project, CalculationBook book)
{
    const bool anyEntry = !book.empty();
    m_result->replaceBook(std::move(book));
    m_input->showInput(project.inputScreen);
    // The inputs' results as after 计算, recorded nowhere: the book has the entries already.
    if (anyEntry && calculate(project.inputScreen).end == CalculationEnd::Completed) {
        m_input->calculateQuietly();
    }
    if (anyEntry) {
        m_input->offerBook();
    }
    m_options->setOptionTexts(project.optionGrid);
    m_report = project.report;
}

bool ProjectSession::anythingToLose() const
{
    return m_hasProject ? unsaved() : m_recovered || m_result->book().unsavedForms() != 0;
}

void ProjectSession::askToSave(std::function<void(bool goOn)> then)
{
    if (!anythingToLose()) {
        then(true);
        return;
    }
    const QStringList answers{qs(saveText::save), qs(saveText::dontSave), qs(saveText::cancel)};
    askQuestion(&m_window, qs(projectText::leaveQuestion), answers, [this, then](int answer) {
        if (answer == Save) {
            saveProject([then](bool saved) { then(saved); });
        } else {
            then(answer == DontSave);
        }
    });
}

void ProjectSession::askBeforeLeaving(std::function<void(bool leave)> done)
{
    if (!m_hasProject || !unsaved()) {
        done(true);
        return;
    }
    askToSave(std::move(done));
}

void ProjectSession::newProject()
{
    askToSave([this](bool goOn) {
        if (!goOn) {
            return;
        }
        Project project;
        apply(std::move(project), CalculationBook{});
        m_hasProject = true;
        m_path.clear();
        markSaved();
    });
}

void ProjectSession::openProject()
{
    const QString path = askOpenFileName(&m_window, qs(projectText::openProject), qs(projectText::fileFilter));
    if (!path.isEmpty()) {
        openFile(path);
    }
}

void ProjectSession::openFile(const QString &path, std::function<void(bool opened)> done)
{
    askToSave([this, path, done](bool goOn) {
        bool opened = false;
        if (goOn) {
            if (const std::optional<QString> error = load(path)) {
                showMessage(&m_window,
                            qs(fillIn(projectText::cannotOpen,
                                      {QFileInfo(path).fileName().toStdString(), error->toStdString()})),
                            MessageKind::Error);
            } else {
                opened = true;
            }
        }
        if (done) {
            done(opened);
        }
    });
}

std::optional<QString> ProjectSession::load(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        return qs(readProblem(filePathBytes(path)));
    }
    if (static_cast<std::size_t>(file.size()) > largestProjectFile) {
        return qs(projectText::tooLarge);
    }
    const QByteArray bytes = file.readAll();
    CalculationBook book;
    ProjectReading reading =
        readProject(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &book);
    if (!reading.project) {
        return qs(reading.error);
    }
    apply(std::move(*reading.project), std::move(book));
    m_hasProject = true;
    m_path = QFileInfo(path).absoluteFilePath();
    markSaved();
    rememberRecent(m_path);
    return std::nullopt;
}

void ProjectSession::saveProject(std::function<void(bool saved)> done)
{
    if (m_path.isEmpty()) {
        saveProjectAs(std::move(done));
        return;
    }
    const bool saved = writeTo(m_path);
    if (done) {
        done(saved);
    }
}

void ProjectSession::saveProjectAs(std::function<void(bool saved)> done)
{
    QString name = m_path.isEmpty() ? qs(projectText::untitled) : QFileInfo(m_path).completeBaseName();
    if (m_path.isEmpty()) {
        // A first save is named after the project, as its report's title block gives it.
        const std::string typed = (m_hasProject ? m_report : loadReportSettings()).titleBlock.projectName;
        if (const std::string stem = projectFileStem(typed); !stem.empty()) {
            name = qs(stem);
        }
    }
    const SaveFileRequest request{qs(projectText::saveProjectAs),
                                  documentsFolder() + QLatin1Char('/') + name + qs(projectExtension),
                                  {qs(projectText::fileFilter)}};
    const QString path = askSavePath(&m_window, request);
    const bool saved = !path.isEmpty() && writeTo(path);
    if (done) {
        done(saved);
    }
}

bool ProjectSession::writeTo(const QString &path)
{
    if (!m_hasProject) {
        // Work done without a project: the report's settings the user gave go into it.
        m_report = loadReportSettings();
    }
    const Project project = current();
    const std::optional<std::string> error =
        saveProjectFile(path, [&project](std::ostream &out) { writeProject(out, project); });
    if (error) {
        showMessage(&m_window, qs(fillIn(projectText::cannotSave, {saveErrorText(*error).toStdString()})),
                    MessageKind::Error);
        return false;
    }
    m_hasProject = true;
    m_path = QFileInfo(path).absoluteFilePath();
    markSaved();
    rememberRecent(m_path);
    for (QWidget *screen : {static_cast<QWidget *>(m_input), static_cast<QWidget *>(m_result),
                            static_cast<QWidget *>(m_options)}) {
        if (screen->isVisible()) {
            showSavedNotice(screen, m_path);
        }
    }
    return true;
}

QStringList ProjectSession::recentProjects()
{
    return programSettings()->value(recentKey).toStringList();
}

void ProjectSession::rememberRecent(const QString &path)
{
    QStringList recent = recentProjects();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > recentCount) {
        recent.removeLast();
    }
    programSettings()->setValue(recentKey, recent);
}

void ProjectSession::fillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList recent = recentProjects();
    if (recent.isEmpty()) {
        m_recentMenu->addAction(qs(projectText::noRecentProjects))->setEnabled(false);
        return;
    }
    for (const QString &path : recent) {
        QAction *open = m_recentMenu->addAction(QDir::toNativeSeparators(path));
        connect(open, &QAction::triggered, this, [this, path] { openFile(path); });
    }
}

void ProjectSession::finish()
{
    if (m_journalTimer != nullptr) {
        m_journalTimer->stop();
    }
    removeJournal();
}

void ProjectSession::writeJournal()
{
    if (!unsaved()) {
        removeJournal();
        return;
    }
    if (!m_journalWritten && !recoveryFolderPrivate()) {
        return;
    }
    if (!m_journalLock) {
        m_journalLock = journalLock(m_journalPath);
        if (!m_journalLock->tryLock(0)) {
            m_journalLock.reset();
            return;
        }
    }
    const Project project = current();
    const QString projectPath = m_path;
    // Made first for the user alone: the save that fills it keeps the permissions of the file it replaces.
    if (!m_journalWritten) {
        createPrivateFile(filePathBytes(m_journalPath));
    }
    // A journal that cannot be written costs nothing but the recovery: the work goes on unhindered.
    m_journalWritten |= !saveProjectFile(m_journalPath, [&](std::ostream &out) {
                             saxolith::writeJournal(out, project, projectPath.toStdString());
                         }).has_value();
}

void ProjectSession::removeJournal()
{
    if (m_journalWritten) {
        QFile::remove(m_journalPath);
        m_journalWritten = false;
    }
    m_journalLock.reset();
}

void ProjectSession::start(const QStringList &arguments)
{
    offerRecovery([this, arguments] {
        if (!arguments.isEmpty()) {
            openFile(arguments.front());
        }
    });
}

void ProjectSession::offerRecovery(std::function<void()> done)
{
    const QDir folder(recoveryFolder());
    QStringList left;
    if (!recoveryFolderPrivate()) {
        offerJournal(left, std::move(done));
        return;
    }
    // Whatever stands under a journal's name, links and devices included: each is looked at as it is read.
    const QFileInfoList journals =
        folder.entryInfoList({journalPrefix + QLatin1Char('*') + qs(projectExtension)},
                             QDir::Files | QDir::System | QDir::Hidden, QDir::Time);
    for (const QFileInfo &journal : journals) {
        const QString path = journal.absoluteFilePath();
        if (path == m_journalPath) {
            continue;
        }
        // A journal whose program still runs is that program's own.
        const std::unique_ptr<QLockFile> lock = journalLock(path);
        if (lock->tryLock(0)) {
            left << path;
        }
    }
    offerJournal(left, std::move(done));
}

bool ProjectSession::alreadySaved(const ProjectReading &journal)
{
    if (journal.projectPath.empty()) {
        return false;
    }
    std::string bytes;
    if (readOwnFile(filePathBytes(QString::fromStdString(journal.projectPath)), largestProjectFile, bytes) !=
        OwnFile::Read) {
        return false;
    }
    const ProjectReading saved = readProject(bytes);
    return saved.project && *saved.project == *journal.project;
}

void ProjectSession::offerJournal(QStringList journals, std::function<void()> done)
{
    if (journals.isEmpty()) {
        if (done) {
            done();
        }
        return;
    }
    const QString path = journals.takeFirst();
    std::string bytes;
    // Read only when it is the user's own plain file of a project's size: anything else (a link to a
    // device, another user's file) would be read again at every start, so it is set aside, once.
    if (const OwnFile found = readOwnFile(filePathBytes(path), largestProjectFile, bytes);
        found != OwnFile::Read) {
        const QString aside = path + qs(projectText::setAsideSuffix);
        QFile::remove(aside);
        if (!QFile::rename(path, aside)) {
            QFile::remove(path);
        }
        const QString text =
            qs(fillIn(projectText::journalSetAside,
                      {QFileInfo(path).fileName().toStdString(), std::string(journalProblem(found)),
                       QFileInfo(aside).fileName().toStdString()}));
        showMessage(&m_window, text, MessageKind::Error,
                    [this, journals, done]() mutable { offerJournal(journals, std::move(done)); });
        return;
    }
    auto book = std::make_shared<CalculationBook>();
    auto reading = std::make_shared<ProjectReading>(readProject(bytes, book.get()));
    bytes = std::string();
    if (!reading->project || alreadySaved(*reading)) {
        // Nothing in it can be given back, or its project file holds it all: a save completed, and the
        // program ended before the journal went.
        QFile::remove(path);
        offerJournal(journals, std::move(done));
        return;
    }
    const QString question =
        qs(fillIn(projectText::recoverQuestion, {std::to_string(reading->project->entries.size())}));
    const QStringList answers{qs(projectText::recover), qs(projectText::discard)};
    askQuestion(&m_window, question, answers, [this, path, journals, book, reading, done](int answer) {
        if (answer == Recover) {
            apply(std::move(*reading->project), std::move(*book));
            m_path = QString::fromStdString(reading->projectPath);
            m_hasProject = !m_path.isEmpty();
            m_recovered = true;
            updateTitle();
            writeJournal();
        }
        QFile::remove(path);
        offerJournal(journals, done);
    });
}

} // namespace saxolith
