#include "result_fixture.h"

#include "core/book/book_file.h"

#include <QLabel>

namespace saxolith::test
{
namespace
{

struct ControlCase {
    const char *name;
    QRect place;
    const char *text;
    const char *hint;
    bool enabled;
    bool visible;
};

TEST_F(ResultScreenTest, ControlsStartInTheirPlaces)
{
    const ControlCase cases[] = {
        {"lb_jisuanjieguo", {84, 12, 192, 33}, "计算结果", "", true, true},
        {"cbt_PageBook", {330, 6, 21, 21}, "1", "切换计算书", true, true},
        {"meo_jisuanjieguo_Doc", {4, 56, 355, 537}, "", "", true, true},
        {"meo_jisuanjieguo_Xls", {4, 56, 355, 537}, "", "", true, false},
        {"cbt_Exit", {56, 598, 89, 33}, "返回", "", true, true},
        {"cbt_Save", {208, 598, 89, 33}, "保存", "", true, true},
        {"cbt_sanchu", {340, 598, 16, 16}, "x", "删除最末数据", false, true},
        {"tcb_meoFontSize", {55, 635, 241, 32}, "", "调整字体大小", true, true},
    };
    for (const ControlCase &c : cases) {
        QWidget *widget = control(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), c.place) << c.name;
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.hint)) << c.name;
        EXPECT_EQ(widget->isEnabled(), c.enabled) << c.name;
        EXPECT_EQ(widget->isVisibleTo(result), c.visible) << c.name;
        QString text;
        if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            text = button->text();
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            text = label->text();
        } else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget)) {
            text = memo->toPlainText();
        }
        EXPECT_EQ(text, QString::fromUtf8(c.text)) << c.name;
    }
    EXPECT_FALSE(result->isVisible());

    const QFont title = result->lb_jisuanjieguo->font();
    EXPECT_EQ(title.pointSize(), 24);
    EXPECT_TRUE(title.bold());
    EXPECT_EQ(result->lb_jisuanjieguo->alignment(), Qt::AlignCenter);
    EXPECT_EQ(result->lb_jisuanjieguo->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0xFF));

    for (QPlainTextEdit *memo : {result->meo_jisuanjieguo_Doc, result->meo_jisuanjieguo_Xls}) {
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        EXPECT_EQ(memo->font().families(), (QStringList{"SimHei", "WenQuanYi Zen Hei Mono"}));
        EXPECT_DOUBLE_EQ(memo->font().pointSizeF(), 14.0);
    }
}

TEST_F(ResultScreenTest, ViewShowsTheTextBookAndThePageButtonSwitchesForms)
{
    calculateAndView();
    EXPECT_TRUE(result->isVisible());
    EXPECT_FALSE(window->inputScreen()->isVisible());
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);
    EXPECT_TRUE(result->meo_jisuanjieguo_Doc->isVisible());
    EXPECT_FALSE(result->meo_jisuanjieguo_Xls->isVisible());
    EXPECT_EQ(textBook().size(), 41);
    EXPECT_EQ(tableBook().size(), 10);
    EXPECT_EQ(textBook()[1], "1.基桩编号: ZH1");
    EXPECT_TRUE(textBook().back().startsWith("计算时间："));
    EXPECT_EQ(textBook().back(), tableBook().back());
    EXPECT_DOUBLE_EQ(result->meo_jisuanjieguo_Doc->font().pointSizeF(),
                     14.0); // the nudge ends where it began

    click("cbt_PageBook");
    EXPECT_EQ(result->cbt_PageBook->text(), "2");
    EXPECT_TRUE(result->meo_jisuanjieguo_Xls->isVisible());
    EXPECT_FALSE(result->meo_jisuanjieguo_Doc->isVisible());

    // Leaving on the table book, the next opening shows it again.
    calculateAgain();
    EXPECT_EQ(result->cbt_PageBook->text(), "2");
    EXPECT_TRUE(result->meo_jisuanjieguo_Xls->isVisible());
    EXPECT_EQ(tableBook().size(), 11);
    EXPECT_TRUE(tableBook()[6].startsWith("   ZH2 "));

    click("cbt_PageBook");
    EXPECT_EQ(result->cbt_PageBook->text(), "1");
    EXPECT_TRUE(result->meo_jisuanjieguo_Doc->isVisible());

    click("cbt_Exit");
    EXPECT_TRUE(window->inputScreen()->isVisible());
    EXPECT_FALSE(result->isVisible());
}

TEST_F(ResultScreenTest, SliderSetsBothMemosToItsSizeFractionsIncluded)
{
    calculateAndView();
    QSlider *slider = result->tcb_meoFontSize;
    struct Case {
        Qt::Key key;
        double size;
    };
    for (const Case c : {Case{Qt::Key_Home, 4.0}, Case{Qt::Key_End, 24.0}}) {
        QTest::keyClick(slider, c.key);
        EXPECT_DOUBLE_EQ(result->meo_jisuanjieguo_Doc->font().pointSizeF(), c.size);
        EXPECT_DOUBLE_EQ(result->meo_jisuanjieguo_Xls->font().pointSizeF(), c.size);
    }
    slider->setValue(1350);
    EXPECT_DOUBLE_EQ(result->meo_jisuanjieguo_Doc->font().pointSizeF(), 13.5);
    EXPECT_DOUBLE_EQ(result->meo_jisuanjieguo_Xls->font().pointSizeF(), 13.5);
    click("cbt_Exit");
    click("cbt_View");
    EXPECT_DOUBLE_EQ(result->meo_jisuanjieguo_Xls->font().pointSizeF(), 13.5);
}

TEST_F(ResultScreenTest, DeletingFromThreeEntriesKeepsTwoAndTheButtons)
{
    calculateAndView();
    calculateAgain(1);
    const QStringList textOfTwo = textBook();
    const QStringList tableOfTwo = tableBook();
    calculateAgain(2);
    const QString lastTime = textBook().back();
    ASSERT_EQ(window->resultScreen()->book().entryCount(), 3);

    click("cbt_sanchu");
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 2);
    QStringList expectedText = textOfTwo;
    expectedText.back() = lastTime;
    QStringList expectedTable = tableOfTwo;
    expectedTable.back() = lastTime;
    EXPECT_EQ(textBook(), expectedText);
    EXPECT_EQ(tableBook(), expectedTable);
    EXPECT_TRUE(result->cbt_sanchu->isEnabled());
    EXPECT_TRUE(saveEnabled());
    EXPECT_EQ(unsaved(), 3);

    calculateAgain();
    EXPECT_EQ(textBook()[textOfTwo.size()], "1.基桩编号: ZH3");
}

TEST_F(ResultScreenTest, DeletingTheOnlyEntryEmptiesTheBookAndDisablesBothButtons)
{
    calculateAndView();
    click("cbt_sanchu");
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 0);
    EXPECT_TRUE(textBook().isEmpty());
    EXPECT_TRUE(tableBook().isEmpty());
    EXPECT_EQ(unsaved(), 0);
    EXPECT_FALSE(saveEnabled());
    EXPECT_FALSE(result->cbt_sanchu->isEnabled());

    calculateAgain();
    EXPECT_EQ(tableBook().size(), 10);
    EXPECT_TRUE(tableBook()[5].startsWith("   ZH1 "));
    EXPECT_TRUE(saveEnabled());
    EXPECT_TRUE(result->cbt_sanchu->isEnabled());
}

TEST_F(ResultScreenTest, SaveButtonFollowsTheUnsavedBitOfTheFormOnDisplay)
{
    calculateAndView();
    calculateAgain();
    ASSERT_EQ(unsaved(), 3);

    click("cbt_Save");
    EXPECT_EQ(unsaved(), 2);
    EXPECT_FALSE(saveEnabled());
    click("cbt_PageBook");
    EXPECT_TRUE(saveEnabled());
    click("cbt_PageBook");
    EXPECT_FALSE(saveEnabled());
    click("cbt_PageBook");
    click("cbt_Save");
    EXPECT_EQ(unsaved(), 0);
    EXPECT_FALSE(saveEnabled());
    click("cbt_PageBook");
    EXPECT_FALSE(saveEnabled());

    // A later deletion changes both forms: each can be saved again.
    click("cbt_sanchu");
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);
    EXPECT_EQ(unsaved(), 3);
    for (int page = 0; page < 2; ++page) {
        EXPECT_TRUE(saveEnabled());
        click("cbt_PageBook");
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

// Saved, then the last pile deleted: Ctrl+S writes the book without it, and leaving asks first.
TEST_F(ResultScreenTest, ADeletionAfterASaveIsSavedByCtrlSAndAskedAboutOnLeaving)
{
    calculateAndView();
    calculateAgain(1);
    click("cbt_Save");
    const QByteArray withTwo = fileBytes(bookFileName(BookForm::Text));
    ASSERT_FALSE(saveEnabled());

    click("cbt_sanchu");
    EXPECT_TRUE(saveEnabled());
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    const QByteArray withOne = fileBytes(bookFileName(BookForm::Text));
    EXPECT_EQ(withOne, bookBytes(textBook()));
    EXPECT_NE(withOne, withTwo);
    EXPECT_FALSE(withOne.contains(QByteArray("ZH2")));
    EXPECT_FALSE(saveEnabled());
    EXPECT_EQ(unsaved(), 2); // the table form still holds the deleted pile on disk, if anywhere

    click("cbt_Exit");
    click("cbt_tuichu");
    ASSERT_NE(questionOnShow(), nullptr);
    EXPECT_TRUE(answerQuestion("取消"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

} // namespace
} // namespace saxolith::test
