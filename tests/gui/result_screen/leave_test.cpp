// Leaving the program: unsaved books are offered for saving first, whichever way the window is closed.
#include "result_fixture.h"

#include "core/book/book_file.h"

namespace saxolith::test
{
namespace
{

class LeaveTest : public ResultScreenTest
{
  protected:
    // The window closes once the question's box is gone: one turn of the event loop.
    bool closed() const
    {
        QCoreApplication::processEvents();
        return !window->isVisible();
    }
    bool exists(BookForm form) const { return QFile::exists(filePath(bookFileName(form))); }

    // "退出" and a close by the system (Alt+F4, the window manager) go the same way.
    static constexpr std::array<const char *, 2> waysToClose{"退出", "closed by the system"};
    void close(const char *way)
    {
        if (way == waysToClose[0]) {
            click("cbt_tuichu");
        } else {
            window->close();
        }
    }
};

TEST_F(LeaveTest, WithNothingUnsavedTheProgramEndsAtOnce)
{
    for (const char *way : waysToClose) {
        SCOPED_TRACE(way);
        window = newWindow();
        window->show();
        close(way);
        EXPECT_EQ(questionOnShow(), nullptr);
        EXPECT_TRUE(closed());
    }
    // Both forms saved: nothing left to ask about.
    window = newWindow();
    window->show();
    result = window->resultScreen();
    calculateAndView();
    click("cbt_Save");
    click("cbt_PageBook");
    click("cbt_Save");
    click("cbt_Exit");
    click("cbt_tuichu");
    EXPECT_EQ(questionOnShow(), nullptr);
    EXPECT_TRUE(closed());
}

TEST_F(LeaveTest, AnUnsavedBookIsAskedAboutAndCancelOrEscapeStays)
{
    for (const char *way : waysToClose) {
        for (const QString answer : {"取消", ""}) {
            SCOPED_TRACE(way + std::string(" / ") + (answer.isEmpty() ? "Escape" : answer.toStdString()));
            window = newWindow();
            window->show();
            result = window->resultScreen();
            calculateAndView();
            close(way);
            ASSERT_NE(questionOnShow(), nullptr);
            EXPECT_EQ(answersOnShow(QStringList{"保存", "不保存", "取消"}),
                      (QStringList{"保存", "不保存", "取消"}));
            EXPECT_EQ(questionOnShow()->text(), "计算书有改动尚未保存。退出前是否保存？");
            close(way); // a second close while asked shows no second question
            ASSERT_TRUE(answerQuestion(answer));
            EXPECT_EQ(questionOnShow(), nullptr);
            EXPECT_FALSE(closed());
            EXPECT_EQ(unsaved(), 3);
            EXPECT_FALSE(exists(BookForm::Text));
            close(way); // asked again
            EXPECT_TRUE(answerQuestion("不保存"));
            EXPECT_TRUE(closed());
            EXPECT_FALSE(exists(BookForm::Text));
            EXPECT_FALSE(exists(BookForm::Table));
        }
    }
}

TEST_F(LeaveTest, SaveWritesEveryUnsavedFormToItsFileThenEnds)
{
    calculateAndView();
    click("cbt_Save"); // the text form already saved; the table form still unsaved
    const QByteArray textFile = fileBytes(bookFileName(BookForm::Text));
    calculateAgain();
    click("cbt_Save");
    click("cbt_PageBook"); // the table form on display: still unsaved
    ASSERT_EQ(unsaved(), 2);
    click("cbt_tuichu");
    ASSERT_TRUE(answerQuestion("保存"));
    EXPECT_TRUE(closed());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_EQ(unsaved(), 0);
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Table)), bookBytes(tableBook()));
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Text)), bookBytes(textBook()));
    EXPECT_NE(fileBytes(bookFileName(BookForm::Text)), textFile);
}

TEST_F(LeaveTest, AFailedSaveKeepsTheProgramOpenWithTheErrorShown)
{
    // A folder in the table file's place cannot be replaced by the file.
    QDir(m_folder.path()).mkpath(QString::fromUtf8(bookFileName(BookForm::Table).data()) + "/kept");
    calculateAndView();
    window->close();
    ASSERT_TRUE(answerQuestion("保存"));
    EXPECT_FALSE(closed());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(filePath(bookFileName(BookForm::Table))))
        << messages.front().toStdString();
    EXPECT_EQ(unsaved(), 2); // the text form was saved
    EXPECT_TRUE(exists(BookForm::Text));

    // Taking back the question about yesterday's file keeps the program open too.
    QDir(m_folder.path()).rmpath(QString::fromUtf8(bookFileName(BookForm::Table).data()) + "/kept");
    {
        QFile yesterday(filePath(bookFileName(BookForm::Table)));
        ASSERT_TRUE(yesterday.open(QIODevice::WriteOnly));
        yesterday.write("yesterday");
    }
    window->close();
    ASSERT_TRUE(answerQuestion("保存"));
    ASSERT_TRUE(answerQuestion("取消"));
    EXPECT_FALSE(closed());
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Table)), "yesterday");
    EXPECT_EQ(unsaved(), 2);
}

} // namespace
} // namespace saxolith::test
