#include "result_fixture.h"

#include "core/book/book_file.h"
#include "support/code_page.h"

#include <QDirIterator>

#include <csignal>
#include <sys/resource.h>

namespace saxolith::test
{
namespace
{

std::vector<std::string> dataLines(const std::string &name)
{
    std::ifstream in(std::string(SAXOLITH_TEST_DATA) + "/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The expected file: the worked example's lines with the time line the book was given.
std::string expectedFile(const std::string &dataName, const QString &timeLine)
{
    std::vector<std::string> lines = dataLines(dataName);
    lines.back() = timeLine.toStdString();
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i > 0 ? "\r\n" : "") + lines[i];
    }
    return text;
}

TEST_F(ResultScreenTest, SavesBothFormsInTheCodePageWithCrLfAndNoFinalLineEnd)
{
    struct Case {
        std::string codePage;
        bool gbk;
    };
    for (const Case &c : {Case{"GBK", true}, Case{"UTF-8", false}}) {
        SCOPED_TRACE(c.codePage);
        setSystemCodePageForTesting(c.codePage);
        window = newWindow();
        window->show();
        result = window->resultScreen();

        calculateAndView();
        const QString timeLine = textBook().back();
        click("cbt_Save");
        click("cbt_PageBook");
        click("cbt_Save");
        EXPECT_EQ(unsaved(), 0);
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();

        const QByteArray text = fileBytes(bookFileName(BookForm::Text));
        const QByteArray table = fileBytes(bookFileName(BookForm::Table));
        for (const QByteArray &bytes : {text, table}) {
            EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
            EXPECT_FALSE(bytes.endsWith("\n"));
            EXPECT_FALSE(bytes.contains("\n") && bytes.count("\n") != bytes.count("\r\n"));
        }
        const std::string textFile = c.gbk ? fromGbk(text.toStdString()) : text.toStdString();
        const std::string tableFile = c.gbk ? fromGbk(table.toStdString()) : table.toStdString();
        EXPECT_EQ(textFile, expectedFile("book_default_text.txt", timeLine));
        EXPECT_EQ(tableFile, expectedFile("book_default_table.txt", timeLine));
        if (c.gbk) {
            EXPECT_TRUE(table.endsWith(QByteArray("\xBC\xC6\xCB\xE3\xCA\xB1\xBC\xE4\xA3\xBA") +
                                       timeLine.mid(5).toUtf8()));
        }
    }
}

// Under the size limit the write fails halfway, as on a full disk.
TEST_F(ResultScreenTest, AFailedSaveShowsWhyAndChangesNothing)
{
    calculateAndView();
    const QString path = filePath(bookFileName(BookForm::Text));
    {
        QFile previous(path);
        ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
        previous.write("previous book");
    }
    const QStringList bookBefore = textBook();

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    click("cbt_Save");
    EXPECT_TRUE(answerQuestion("替换")); // a file this run has not written
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(path)) << messages.front().toStdString();
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Text)), "previous book");
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{path.section('/', -1)});
    EXPECT_EQ(unsaved(), 3);
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(textBook(), bookBefore);

    messages.clear();
    click("cbt_Save"); // the cause gone, the same button saves
    EXPECT_TRUE(answerQuestion("替换"));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(unsaved(), 2);
}

TEST_F(ResultScreenTest, AMissingDocumentsFolderIsCreated)
{
    const QString folder = m_folder.path() + "/not/yet";
    setDocumentsFolderForTesting(folder);
    calculateAndView();
    click("cbt_Save");
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_TRUE(QFile::exists(folder + "/" + QString::fromUtf8(bookFileName(BookForm::Text).data())));
}

// A service that answers as a platform with run-time permissions would.
class ScriptedPermissions : public PermissionService
{
  public:
    ScriptedPermissions(QList<PermissionStatus> answer, bool rationaleFirst, QStringList *asked)
        : m_answer(std::move(answer)), m_rationaleFirst(rationaleFirst), m_asked(asked)
    {
    }
    void requestPermissions(const QStringList &permissions, ResultHandler onResult,
                            RationaleHandler onRationale) override
    {
        *m_asked = permissions;
        auto answer = [permissions, onResult, this] { onResult(permissions, m_answer); };
        if (m_rationaleFirst) {
            onRationale(permissions, answer);
        } else {
            answer();
        }
    }

  private:
    QList<PermissionStatus> m_answer;
    bool m_rationaleFirst;
    QStringList *m_asked;
};

TEST_F(ResultScreenTest, WithoutPermissionNothingIsWritten)
{
    using enum PermissionStatus;
    const QList<PermissionStatus> refusals[] = {{Denied}, {PermanentlyDenied}, {}, {Granted, Granted}};
    calculateAndView();
    for (const QList<PermissionStatus> &answer : refusals) {
        QStringList asked;
        window->services().setPermissionService(std::make_unique<ScriptedPermissions>(answer, false, &asked));
        messages.clear();
        click("cbt_Save");
        EXPECT_EQ(asked, QStringList{QString()}); // the one permission, unnamed on the desktop
        EXPECT_EQ(messages, QStringList{"无权存盘"});
        EXPECT_EQ(unsaved(), 3);
        EXPECT_TRUE(saveEnabled());
        EXPECT_TRUE(QDir(m_folder.path()).isEmpty());
    }
}

TEST_F(ResultScreenTest, RationaleIsShownBeforeTheRequestGoesOn)
{
    QStringList asked;
    window->services().setPermissionService(
        std::make_unique<ScriptedPermissions>(QList{PermissionStatus::Granted}, true, &asked));
    calculateAndView();
    click("cbt_Save");
    EXPECT_EQ(messages, QStringList{"需要存贮权限，否则计算结果不能存盘"});
    EXPECT_EQ(unsaved(), 2);
    EXPECT_FALSE(fileBytes(bookFileName(BookForm::Text)).isEmpty());
}

} // namespace
} // namespace saxolith::test
