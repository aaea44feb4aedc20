// Saving onto a file this run has not written asks first: replace it, save elsewhere, or leave it.
#include "result_fixture.h"

#include "core/book/book_file.h"

namespace saxolith::test
{
namespace
{

class ReplaceTest : public ResultScreenTest
{
  protected:
    void writeForeign(const QByteArray &bytes)
    {
        QFile file(filePath(bookFileName(BookForm::Text)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray bookBytes() const { return ResultScreenTest::bookBytes(textBook()); }
};

TEST_F(ReplaceTest, YesterdaysFileIsReplacedOnlyWhenTheUserSaysSo)
{
    struct Case {
        const char *answer; // empty: Escape
        QString chosen;     // what the Save As dialog gives back
        bool replaced;
        bool savedElsewhere;
    };
    const Case cases[] = {
        {"替换", {}, true, false},     {"取消", {}, false, false},
        {"", {}, false, false},        {"另存为…", "elsewhere.txt", false, true},
        {"另存为…", "", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.answer) + " " + c.chosen.toStdString());
        window = newWindow();
        window->show();
        result = window->resultScreen();
        writeForeign("yesterday");
        QFile::remove(filePath("elsewhere.txt"));
        QString suggested;
        window->services().setSaveFileFunction([&](QWidget *, const SaveFileRequest &request) {
            suggested = request.suggestedPath;
            return SaveFileAnswer{c.chosen.isEmpty() ? QString() : filePath(c.chosen.toStdString()), {}};
        });
        calculateAndView();
        click("cbt_Save");
        ASSERT_NE(questionOnShow(), nullptr);
        EXPECT_EQ(answersOnShow(QStringList{"替换", "另存为…", "取消"}),
                  (QStringList{"替换", "另存为…", "取消"}));
        EXPECT_TRUE(
            questionOnShow()->text().contains(QString::fromUtf8(bookFileName(BookForm::Text).data())));
        ASSERT_TRUE(answerQuestion(c.answer));
        EXPECT_EQ(questionOnShow(), nullptr);

        const bool saved = c.replaced || c.savedElsewhere;
        EXPECT_EQ(fileBytes(bookFileName(BookForm::Text)), c.replaced ? bookBytes() : "yesterday");
        EXPECT_EQ(fileBytes("elsewhere.txt"), c.savedElsewhere ? bookBytes() : QByteArray());
        if (QString(c.answer) == "另存为…") {
            EXPECT_EQ(suggested, filePath(bookFileName(BookForm::Text)));
        }
        EXPECT_EQ(unsaved(), saved ? 2 : 3);
        EXPECT_EQ(saveEnabled(), !saved);
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    }
}

TEST_F(ReplaceTest, AFileThisRunWroteIsReplacedWithoutAskingUntilSomeoneElseChangesIt)
{
    calculateAndView();
    click("cbt_Save");
    EXPECT_EQ(questionOnShow(), nullptr);
    calculateAgain();
    click("cbt_Save");
    EXPECT_EQ(questionOnShow(), nullptr);
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Text)), bookBytes());

    writeForeign("changed by another program");
    calculateAgain();
    click("cbt_Save");
    EXPECT_NE(questionOnShow(), nullptr);
    ASSERT_TRUE(answerQuestion("替换"));
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Text)), bookBytes());

    // A new window is the same run: what it wrote is still known.
    window = newWindow();
    window->show();
    result = window->resultScreen();
    calculateAndView();
    click("cbt_Save");
    EXPECT_EQ(questionOnShow(), nullptr);
}

// The error of a refused file reads the same on every screen: file and reason.
TEST_F(ReplaceTest, AReadOnlyFileIsRefusedWithFileAndReason)
{
    writeForeign("yesterday");
    QFile(filePath(bookFileName(BookForm::Text)))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadOther);
    calculateAndView();
    click("cbt_Save");
    ASSERT_TRUE(answerQuestion("替换"));
    EXPECT_EQ(messages,
              QStringList{"无法写入文件“" + filePath(bookFileName(BookForm::Text)) + "”：文件只读"});
    EXPECT_EQ(fileBytes(bookFileName(BookForm::Text)), "yesterday");
    EXPECT_EQ(unsaved(), 3);
}

} // namespace
} // namespace saxolith::test
