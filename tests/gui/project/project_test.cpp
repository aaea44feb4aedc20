// Projects on the real window: saved and opened again with the very book files, the title and its mark,
// bad files refused, the question before leaving, the command line, and recovery after a crash.
#include "../../core/project/project_cases.h"
#include "../question_box.h"

#include "gui/file_dialog.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/optimisation_screen.h"
#include "gui/window_services.h"
#include "gui/project_session.h"
#include "gui/result_screen.h"

#include "core/book/book_file.h"
#include "core/texts/project.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace saxolith::test
{
namespace
{

const QString baseTitle = QStringLiteral("Saxolith (GB50007-2011)");

class ProjectTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        setDocumentsFolderForTesting(documents());
        setSystemCodePageForTesting("GBK");
        window = freshWindow();
    }

    void TearDown() override
    {
        window.reset();
        setSystemCodePageForTesting({});
        setDocumentsFolderForTesting({});
    }

    // A freshly started program whose messages and file dialogs answer as the test has them answer.
    std::unique_ptr<MainWindow> freshWindow()
    {
        auto services = std::make_unique<WindowServices>();
        services->setMessageFunction([this](QWidget *, const QString &text) { messages << text; });
        services->setOpenFileFunction(
            [this](QWidget *, const QString &, const QString &) { return openAnswer; });
        services->setSaveFileFunction([this](QWidget *, const SaveFileRequest &) {
            return SaveFileAnswer{saveAnswer, {}};
        });
        auto made = std::make_unique<MainWindow>(std::move(services));
        made->show();
        return made;
    }

    QString documents() const { return m_folder.path(); }
    QString file(const QString &name) const { return m_folder.path() + QLatin1Char('/') + name; }

    void trigger(const char *name)
    {
        auto *action = window->findChild<QAction *>(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }

    // Typed in and calculated on the input screen, as a user does.
    void record(const CalculationInput &input)
    {
        window->showLayer(window->inputScreen());
        window->inputScreen()->showInput(input);
        window->inputScreen()->cbt_computeClick();
    }
    void recordCases()
    {
        for (const projectCases::Case &one : projectCases::cases()) {
            record(one.input);
        }
    }

    const CalculationBook &book() const { return window->resultScreen()->book(); }
    ProjectSession &project() { return window->project(); }

    // 保存 of both forms into `folder`, and the bytes of the two files.
    std::pair<QByteArray, QByteArray> savedBooks(const QString &folder)
    {
        QDir().mkpath(folder);
        setDocumentsFolderForTesting(folder);
        std::pair<QByteArray, QByteArray> bytes;
        for (const BookForm form : {BookForm::Text, BookForm::Table}) {
            window->resultScreen()->saveBook(form);
            QFile saved(folder + QLatin1Char('/') + QString::fromUtf8(bookFileName(form).data()));
            EXPECT_TRUE(saved.open(QIODevice::ReadOnly)) << saved.fileName().toStdString();
            (form == BookForm::Text ? bytes.first : bytes.second) = saved.readAll();
        }
        setDocumentsFolderForTesting(documents());
        return bytes;
    }

    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> window;
    QStringList messages;
    QString openAnswer;
    QString saveAnswer;
};

TEST_F(ProjectTest, SavedAndOpenedInAFreshWindowTheBookFilesAreByteIdentical)
{
    for (const char *codePage : {"GBK", "UTF-8"}) {
        SCOPED_TRACE(codePage);
        setSystemCodePageForTesting(codePage);
        window = freshWindow();
        recordCases();
        // A deletion keeps the removed entry's time in the books' time line.
        window->resultScreen()->cbt_sanchuClick();
        ASSERT_EQ(book().entryCount(), static_cast<int>(projectCases::cases().size()) - 1);
        record(projectCases::cases()[2].input);
        window->resultScreen()->cbt_sanchuClick();
        CalculationInput halfTyped = projectCases::cases()[3].input;
        halfTyped.firstDimension = "12";
        window->inputScreen()->showInput(halfTyped);
        auto *grid = window->optimisationScreen()->Grid1_Youhuaxuanxiang;
        grid->item(2, 2)->setText("1800");
        const auto before = savedBooks(file(QString("before-") + codePage));

        saveAnswer = file(QString("滨江 ") + codePage + ".saxolith");
        trigger("act_saveProjectAs");
        ASSERT_TRUE(QFile::exists(saveAnswer));
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();

        window = freshWindow();
        openAnswer = saveAnswer;
        trigger("act_openProject");
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
        EXPECT_EQ(window->inputScreen()->gatherInput(), halfTyped);
        EXPECT_EQ(window->optimisationScreen()->Grid1_Youhuaxuanxiang->item(2, 2)->text(), "1800");
        EXPECT_EQ(window->windowTitle(), QString("滨江 ") + codePage + " - " + baseTitle);
        EXPECT_TRUE(window->resultScreen()->cbt_Save->isEnabled());

        const auto after = savedBooks(file(QString("after-") + codePage));
        EXPECT_FALSE(before.first.isEmpty());
        EXPECT_EQ(after.first, before.first);
        EXPECT_EQ(after.second, before.second);
        // The next calculation is numbered on as it would have been.
        record(defaultCalculationInput());
        EXPECT_EQ(book().entries().back().pileName, "");
        EXPECT_EQ(book().entryCount(), static_cast<int>(projectCases::cases().size()));
    }
}

TEST_F(ProjectTest, TheTitleNamesTheProjectAndMarksUnsavedChanges)
{
    EXPECT_EQ(window->windowTitle(), baseTitle);
    record(defaultCalculationInput());
    EXPECT_EQ(window->windowTitle(), baseTitle) << "no project: the title stays";

    saveAnswer = file("工程甲");
    trigger("act_saveProjectAs");
    EXPECT_TRUE(QFile::exists(file("工程甲.saxolith"))) << "the kind's extension is added";
    EXPECT_EQ(window->windowTitle(), "工程甲 - " + baseTitle);
    EXPECT_FALSE(project().unsaved());

    record(projectCases::cases()[1].input);
    EXPECT_EQ(window->windowTitle(), "工程甲* - " + baseTitle);
    trigger("act_saveProject");
    EXPECT_EQ(window->windowTitle(), "工程甲 - " + baseTitle);

    // A text typed is a change too, found within the poll.
    window->inputScreen()->cbe_dd->setEditText("1300");
    QTest::qWait(600);
    EXPECT_EQ(window->windowTitle(), "工程甲* - " + baseTitle);

    // 新建工程 asks first; after 不保存 the project is new and empty.
    trigger("act_newProject");
    ASSERT_NE(questionOnShow(), nullptr);
    EXPECT_EQ(questionOnShow()->text(), "工程有改动尚未保存。是否保存？");
    ASSERT_TRUE(answerQuestion("不保存"));
    EXPECT_TRUE(book().empty());
    EXPECT_EQ(window->windowTitle(), "未命名工程 - " + baseTitle);
    EXPECT_EQ(window->inputScreen()->gatherInput(), defaultCalculationInput());
    EXPECT_EQ(ProjectSession::recentProjects().value(0), file("工程甲.saxolith"));
    EXPECT_EQ(startFolder("saxolith"), documents());
}

TEST_F(ProjectTest, ABadFileIsRefusedWithWhatIsWrongAndNothingOpenChanges)
{
    saveAnswer = file("good.saxolith");
    record(defaultCalculationInput());
    trigger("act_saveProjectAs");
    QFile good(saveAnswer);
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    record(projectCases::cases()[1].input);
    const std::vector<std::string> bookBefore = book().textLines();
    const QString titleBefore = window->windowTitle();

    struct Bad {
        const char *name;
        QByteArray bytes;
        QString reason;
    };
    const Bad files[] = {
        {"empty.saxolith", "", "文件是空的"},
        {"truncated.saxolith", goodBytes.left(200), "文件不完整，在第 200 字节处中断（可能没有写完）"},
        {"other.saxolith", R"({"type": "FeatureCollection", "features": []})", "是 JSON 文件，但不是 Saxolith 工程文件"},
        {"missing.saxolith", {}, "文件不存在"},
    };
    for (const Bad &bad : files) {
        SCOPED_TRACE(bad.name);
        messages.clear();
        if (QString(bad.name) != "missing.saxolith") {
            QFile out(file(bad.name));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bad.bytes);
        }
        openAnswer = file(bad.name);
        trigger("act_openProject");
        // The work open has changes: the question comes first.
        ASSERT_TRUE(answerQuestion("不保存"));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0], QString("不能打开工程“%1”：%2").arg(bad.name, bad.reason));
        EXPECT_EQ(book().textLines(), bookBefore);
        EXPECT_EQ(window->windowTitle(), titleBefore);
        EXPECT_EQ(project().path(), file("good.saxolith"));
    }
}

TEST_F(ProjectTest, LeavingWithUnsavedChangesAsksAndCancelStays)
{
    saveAnswer = file("leave.saxolith");
    trigger("act_saveProjectAs");
    record(defaultCalculationInput());
    window->close();
    ASSERT_NE(questionOnShow(), nullptr);
    EXPECT_EQ(questionOnShow()->text(), "工程有改动尚未保存。是否保存？");
    ASSERT_TRUE(answerQuestion("取消"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());

    window->close();
    ASSERT_TRUE(answerQuestion("保存"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(project().unsaved());
    // The books' own question follows, as before.
    ASSERT_NE(questionOnShow(), nullptr);
    EXPECT_EQ(questionOnShow()->text(), "计算书有改动尚未保存。退出前是否保存？");
    ASSERT_TRUE(answerQuestion("不保存"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(window->isVisible());
    CalculationBook reopened;
    QFile saved(saveAnswer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    ASSERT_TRUE(readProject(std::string_view(bytes.constData(), std::size_t(bytes.size())), &reopened).project);
    EXPECT_EQ(reopened.entryCount(), 1);
}

TEST_F(ProjectTest, AProjectOnTheCommandLineOpensAtStart)
{
    saveAnswer = file("命令行.saxolith");
    recordCases();
    trigger("act_saveProjectAs");
    const std::vector<std::string> lines = book().tableLines();

    window = freshWindow();
    project().start({saveAnswer});
    EXPECT_EQ(book().tableLines(), lines);
    EXPECT_EQ(window->windowTitle(), "命令行 - " + baseTitle);
    EXPECT_TRUE(window->inputScreen()->cbt_View->isVisible()) << "the book can be looked at";

    window = freshWindow();
    project().start({file("nowhere.saxolith")});
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("不能打开工程“nowhere.saxolith”：")) << messages[0].toStdString();
    EXPECT_EQ(window->windowTitle(), baseTitle);
}

// --- Recovery --------------------------------------------------------------------------------------

QStringList journals(const QString &stateHome)
{
    return QDir(stateHome + "/saxolith").entryList({"recovery-*.saxolith"}, QDir::Files);
}

// Run only as the child of the test below: records three calculations, says so, and waits to be killed.
TEST(ProjectChild, DISABLED_RecordsAndWaitsToBeKilled)
{
    MainWindow window;
    window.show();
    for (std::size_t i = 0; i < 3; ++i) {
        window.inputScreen()->showInput(projectCases::cases()[i].input);
        window.inputScreen()->cbt_computeClick();
    }
    std::cout << "recorded " << window.resultScreen()->book().entryCount() << std::endl;
    QTest::qWait(60'000);
}

TEST_F(ProjectTest, AfterAKillTheNextStartOffersTheWorkBack)
{
    QTemporaryDir shared;
    const QString stateHome = shared.path() + "/state";
    for (const char *answer : {"恢复", "放弃"}) {
        SCOPED_TRACE(answer);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("SAXOLITH_TEST_STATE", shared.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_also_run_disabled_tests", "--gtest_filter=ProjectChild.DISABLED_RecordsAndWaitsToBeKilled"});
        ASSERT_TRUE(child.waitForStarted());
        QByteArray said;
        while (!said.contains("recorded 3") && child.waitForReadyRead(20'000)) {
            said += child.readAllStandardOutput();
        }
        ASSERT_TRUE(said.contains("recorded 3")) << said.toStdString();
        // Within a second of the last calculation the journal holds it.
        QTest::qWait(1000);
        child.kill();
        ASSERT_TRUE(child.waitForFinished());
        ASSERT_EQ(journals(stateHome).size(), 1);

        const QByteArray ownState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", QFile::encodeName(stateHome));
        window = freshWindow();
        project().start({});
        ASSERT_NE(questionOnShow(), nullptr);
        EXPECT_EQ(questionOnShow()->text(), "上次运行没有正常结束，留下了未保存的工作（3 条计算）。是否恢复？");
        ASSERT_TRUE(answerQuestion(answer));
        if (QString(answer) == "恢复") {
            ASSERT_EQ(book().entryCount(), 3);
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_EQ(book().entries()[i].input, projectCases::cases()[i].input);
            }
            EXPECT_TRUE(project().unsaved());
            EXPECT_EQ(window->windowTitle(), baseTitle) << "the run had no project";
            // This window's own journal stands in for the child's.
            EXPECT_EQ(journals(stateHome), QStringList{QFileInfo(project().journalPath()).fileName()});
        } else {
            EXPECT_TRUE(book().empty());
            EXPECT_TRUE(journals(stateHome).isEmpty());
        }
        // A clean end leaves nothing behind.
        window.reset();
        EXPECT_TRUE(journals(stateHome).isEmpty());
        qputenv("XDG_STATE_HOME", ownState);
    }
}

TEST_F(ProjectTest, TheJournalFollowsTheWorkAndGoesWithASave)
{
    const QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    EXPECT_TRUE(journals(stateHome).isEmpty());
    record(defaultCalculationInput());
    QTest::qWait(ProjectSession::journalDelayMs + 200);
    ASSERT_EQ(journals(stateHome).size(), 1);
    // The user's alone, in a folder that is the user's alone.
    const QString journal = ProjectSession::recoveryFolder() + QLatin1Char('/') + journals(stateHome).front();
    EXPECT_EQ(QFile::permissions(journal) & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(QFile::permissions(ProjectSession::recoveryFolder()) &
                  (QFile::WriteGroup | QFile::WriteOther | QFile::ReadGroup | QFile::ReadOther),
              QFileDevice::Permissions{});
    saveAnswer = file("journal.saxolith");
    trigger("act_saveProjectAs");
    EXPECT_TRUE(journals(stateHome).isEmpty()) << "saved: nothing to recover";
    window->resultScreen()->cbt_sanchuClick();
    QTest::qWait(ProjectSession::journalDelayMs + 200);
    ASSERT_EQ(journals(stateHome).size(), 1) << "a deletion reaches the journal";
}

#ifndef Q_OS_WIN // links, devices and pipes as POSIX has them
// Whatever stands under a journal's name, the window starts: what is no journal of the user's is set aside
// once, with a message, and never read again.
TEST_F(ProjectTest, TheWindowStartsWhateverTheJournalFolderHolds)
{
    const QString folder = ProjectSession::recoveryFolder();
    ASSERT_TRUE(QFile::link("/dev/zero", folder + "/recovery-1-1.saxolith"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + "/recovery-2-2.saxolith").constData(), 0600), 0);
    window = freshWindow();
    project().start({});
    EXPECT_EQ(questionOnShow(), nullptr);
    ASSERT_EQ(messages.size(), 2);
    for (const QString &message : messages) {
        EXPECT_TRUE(message.contains("不是普通文件")) << message.toStdString();
        EXPECT_TRUE(message.contains(".saxolith.unreadable")) << message.toStdString();
    }
    EXPECT_TRUE(QFileInfo(folder + "/recovery-1-1.saxolith.unreadable").isSymLink());
    EXPECT_TRUE(QFileInfo::exists(folder + "/recovery-2-2.saxolith.unreadable"));

    messages.clear();
    window = freshWindow();
    project().start({});
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(questionOnShow(), nullptr);
    QFile::remove(folder + "/recovery-1-1.saxolith.unreadable");
    QFile::remove(folder + "/recovery-2-2.saxolith.unreadable");
}
#endif

// A program killed after its save was complete, before its journal went: the journal holds nothing the
// project file does not, so it is not offered; one that holds more is.
TEST_F(ProjectTest, AJournalItsSaveOutlivedIsNotOffered)
{
    const QString stateHome = qEnvironmentVariable("XDG_STATE_HOME");
    saveAnswer = file("saved.saxolith");
    trigger("act_saveProjectAs");
    record(defaultCalculationInput());
    project().writeJournal();
    ASSERT_EQ(journals(stateHome).size(), 1);
    QFile journal(ProjectSession::recoveryFolder() + QLatin1Char('/') + journals(stateHome).front());
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    const QByteArray kept = journal.readAll();
    journal.close();
    trigger("act_saveProject");
    EXPECT_TRUE(journals(stateHome).isEmpty());

    const QString left = ProjectSession::recoveryFolder() + "/recovery-3-3.saxolith";
    for (const bool savedSince : {true, false}) {
        SCOPED_TRACE(savedSince);
        QFile copy(left);
        ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
        copy.write(kept);
        copy.close();
        if (!savedSince) {
            trigger("act_saveProjectAs"); // the fresh window's empty project over the saved one
        }
        window = freshWindow();
        project().start({});
        if (savedSince) {
            EXPECT_EQ(questionOnShow(), nullptr);
            EXPECT_FALSE(QFileInfo::exists(left));
        } else {
            ASSERT_NE(questionOnShow(), nullptr);
            ASSERT_TRUE(answerQuestion("放弃"));
        }
    }
}

} // namespace
} // namespace saxolith::test
