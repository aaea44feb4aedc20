// The keys on the real main window: Return calculates, Ctrl+S saves, Escape goes back, Tab follows the
// screen.
#include "../window_fixture.h"
#include "gui/commands.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/optimisation_screen.h"
#include "gui/window_services.h"
#include "gui/result_screen.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

namespace saxolith::test
{
namespace
{

class KeysTest : public ScratchWindowTest
{
  protected:
    void SetUp() override
    {
        ScratchWindowTest::SetUp();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        input = window->inputScreen();
    }

    // A key typed where the focus is, as the user types it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window.get(), key, modifiers);
    }

    void focus(QWidget *widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget()))
            << widget->objectName().toStdString();
    }

    QWidget *shownLayer() const
    {
        for (QWidget *layer :
             {static_cast<QWidget *>(window->inputScreen()), static_cast<QWidget *>(window->resultScreen()),
              static_cast<QWidget *>(window->optimisationScreen())}) {
            if (layer->isVisible()) {
                return layer;
            }
        }
        return nullptr;
    }

    // Return in a field records a calculation, then "结果" leads to the result screen.
    void calculateByKeyAndView()
    {
        focus(input->cbe_dd);
        press(Qt::Key_Return);
        ASSERT_TRUE(input->cbt_View->isVisible());
        QTest::mouseClick(input->cbt_View, Qt::LeftButton);
        ASSERT_EQ(shownLayer(), window->resultScreen());
    }

    InputScreen *input = nullptr;
};

TEST_F(KeysTest, ReturnOrEnterInAnyInputFieldCalculates)
{
    struct Case {
        const char *field;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    for (const Case c :
         {Case{"cbe_dd", Qt::Key_Return, Qt::NoModifier}, Case{"edt_frk", Qt::Key_Return, Qt::NoModifier},
          Case{"cbe_zhishu", Qt::Key_Return, Qt::NoModifier},
          Case{"cbe_dd", Qt::Key_Enter, Qt::KeypadModifier},
          Case{"cbe_jmlx", Qt::Key_Return, Qt::NoModifier}}) {
        SCOPED_TRACE(c.field);
        SetUp();
        focus(window->findChild<QWidget *>(c.field));
        press(c.key, c.modifiers);
        EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);
        EXPECT_FALSE(input->edt_ra->text().isEmpty());
        EXPECT_TRUE(input->cbt_View->isVisible());
        EXPECT_FALSE(input->cbt_compute->isVisible());
        // "计算" has given way to "结果": Return records nothing more.
        press(Qt::Key_Return);
        EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);
        EXPECT_EQ(shownLayer(), input);
        TearDown();
    }
}

TEST_F(KeysTest, CtrlSSavesTheBookOnDisplayOnlyWhileSaveIsEnabled)
{
    ASSERT_NO_FATAL_FAILURE(calculateByKeyAndView());
    ResultScreen *result = window->resultScreen();
    ASSERT_TRUE(result->cbt_Save->isEnabled());
    focus(result->meo_jisuanjieguo_Doc);
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(result->cbt_Save->isEnabled());

    // Disabled: the key does nothing, not even a message.
    for (const QString &name : QDir(m_folder.path()).entryList(QDir::Files)) {
        QFile::remove(m_folder.path() + "/" + name);
    }
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(KeysTest, CtrlSOnTheInputScreenSavesNothing)
{
    focus(input->cbe_dd);
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(shownLayer(), input);
}

TEST_F(KeysTest, EscapeReturnsFromTheResultScreen)
{
    ASSERT_NO_FATAL_FAILURE(calculateByKeyAndView());
    focus(window->resultScreen()->meo_jisuanjieguo_Doc);
    press(Qt::Key_Escape);
    EXPECT_EQ(shownLayer(), input);
    // On the input screen Escape has no command.
    press(Qt::Key_Escape);
    EXPECT_EQ(shownLayer(), input);
}

TEST_F(KeysTest, OnTheOptimisationScreenCtrlSSavesTheListAndEscapeReturns)
{
    OptimisationScreen *screen = window->optimisationScreen();
    QTest::mouseClick(input->cbt_YouHua, Qt::LeftButton);
    ASSERT_EQ(shownLayer(), screen);
    focus(screen->Grid2_Youhuajieguo);
    press(Qt::Key_S, Qt::ControlModifier); // nothing listed yet: 存盘 is disabled
    EXPECT_TRUE(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());

    QTest::mouseClick(screen->cbt_YHcompute, Qt::LeftButton);
    ASSERT_TRUE(screen->cbt_YHsave->isEnabled());
    focus(screen->Grid2_Youhuajieguo);
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files).size(), 1);

    press(Qt::Key_Escape);
    EXPECT_EQ(shownLayer(), input);
}

TEST_F(KeysTest, EscapeInAnOpenOptionCellEndsTheEditAndStaysOnTheScreen)
{
    OptimisationScreen *screen = window->optimisationScreen();
    QTest::mouseClick(input->cbt_YouHua, Qt::LeftButton);
    QTableWidget *grid = screen->Grid1_Youhuaxuanxiang;
    // The first option cell that opens an editor.
    for (int row = 0; row < grid->rowCount() && grid->findChild<QLineEdit *>() == nullptr; ++row) {
        for (int column = 1; column < grid->columnCount(); ++column) {
            grid->setCurrentCell(row, column);
            grid->editItem(grid->item(row, column));
            if (QApplication::focusWidget() != nullptr && grid->isAncestorOf(QApplication::focusWidget()) &&
                QApplication::focusWidget() != grid->viewport() && QApplication::focusWidget() != grid) {
                break;
            }
        }
    }
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(grid->isAncestorOf(editor) && editor != grid);
    press(Qt::Key_Escape);
    EXPECT_EQ(shownLayer(), screen);
    EXPECT_FALSE(grid->isAncestorOf(QApplication::focusWidget()) && QApplication::focusWidget() != grid &&
                 QApplication::focusWidget() != grid->viewport());
    press(Qt::Key_Escape);
    EXPECT_EQ(shownLayer(), input);
}

TEST_F(KeysTest, TabGoesDownTheInputScreenPassingTheResultFields)
{
    // On the frk route with automatic ψr, for an elliptical pile every input is enabled but the manual ψr.
    input->cbe_jmlx->setCurrentIndex(1);
    focus(input->cbt_CopyRight);
    QStringList visited;
    int lastTop = -1;
    for (int step = 0; step < 40; ++step) {
        QWidget *now = QApplication::focusWidget();
        ASSERT_NE(now, nullptr);
        if (!visited.isEmpty() && now == input->cbt_CopyRight) {
            break;
        }
        visited << now->objectName();
        const int top = now->mapTo(input, QPoint(0, now->height() / 2)).y();
        EXPECT_GE(top + 8, lastTop) << now->objectName().toStdString() << " comes after a control below it";
        lastTop = top;
        press(Qt::Key_Tab);
    }
    for (const char *name : {"edt_Psair", "edt_qpaSC", "edt_ra"}) {
        EXPECT_FALSE(visited.contains(name)) << name;
    }
    const QStringList inOrder = {"cbt_CopyRight", "cbe_jmlx", "cbe_dd", "cbe_tyzd", "edt_frk", "cbe_zhishu"};
    qsizetype at = -1;
    for (const QString &name : inOrder) {
        const qsizetype next = visited.indexOf(name);
        EXPECT_GT(next, at) << name.toStdString() << " in " << visited.join(", ").toStdString();
        at = next;
    }
    EXPECT_TRUE(visited.contains("cbt_compute"));
    EXPECT_TRUE(visited.contains("cbt_tuichu"));
}

TEST_F(KeysTest, TooltipsNameTheKeys)
{
    struct Case {
        const char *button;
        QString shown;
    };
    for (const Case &c : {Case{"cbt_compute", "计算 (Enter)"}, Case{"cbt_Save", "保存 (Ctrl+S)"},
                          Case{"cbt_YHsave", "存盘 (Ctrl+S)"}, Case{"cbt_Exit", "返回 (Esc)"},
                          Case{"cbt_YHfanhui", "返回 (Esc)"}}) {
        auto *button = window->findChild<QPushButton *>(c.button);
        ASSERT_NE(button, nullptr) << c.button;
        // Where the mouse rests on the button, as the user asks for its tooltip.
        const QPoint middle = button->rect().center();
        QHelpEvent help(QEvent::ToolTip, middle, button->mapToGlobal(middle));
        QApplication::sendEvent(button, &help);
        EXPECT_EQ(QToolTip::text(), c.shown) << c.button;
        QToolTip::hideText();
    }
    // The hints the screens set are theirs: the key shows after them.
    EXPECT_EQ(input->cbt_CopyRight->toolTip(), "版权信息");
    EXPECT_EQ(window->resultScreen()->cbt_Save->toolTip(), "");
}

// Every command of every screen is an action of its screen whose tooltip names its key; the input screen's
// context menu holds its context-menu commands alone.
TEST_F(KeysTest, EveryCommandIsAnActionWhoseTooltipNamesItsKey)
{
    for (const auto *table : {&inputScreenCommands(), &resultScreenCommands(), &optimisationScreenCommands()}) {
        for (const Command &command : *table) {
            auto *action = window->findChild<QAction *>(command.name);
            ASSERT_NE(action, nullptr) << command.name;
            EXPECT_EQ(action->text(), QString::fromUtf8(command.text.data(), qsizetype(command.text.size())));
            const QKeySequence key = command.keys.isEmpty() ? command.tipKey : command.keys.front();
            if (!key.isEmpty()) {
                EXPECT_TRUE(action->toolTip().contains(QStringLiteral("(") + key.toString(QKeySequence::NativeText)))
                    << command.name << ": " << action->toolTip().toStdString();
            }
        }
    }
    QStringList menu;
    for (const QAction *action : input->actions()) {
        menu << action->text();
    }
    // The screen's own command, then the project's after a separator, then the language setting.
    EXPECT_EQ(menu, (QStringList{"导入桩表…", "", "新建工程", "打开工程…", "保存工程", "工程另存为…", "最近的工程", "",
                                 "语言 / Language"}));
}

} // namespace
} // namespace saxolith::test
