// The main window as it grows, is remembered, and speaks when the desktop cannot open something.
#include "gui/about_window.h"
#include "gui/main_window.h"
#include "gui/window_services.h"
#include "gui/qt_translations.h"
#include "gui/saved_notice.h"
#include "core/texts/about.h"
#include "core/texts/export.h"
#include "gui/window_size.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace saxolith::test
{
namespace
{

constexpr QSize design(363, 676);
constexpr QSize large(1203, 900); // 840 wider, 224 taller

class WindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window = std::make_unique<MainWindow>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QWidget *layer(const char *name) const { return window->findChild<QWidget *>(name); }

    // Shows a layer as its button does, so that it takes the window's present size.
    void open(const char *name) const
    {
        window->showLayer(layer(name));
        QCoreApplication::processEvents();
    }

    void resizeTo(QSize size) const
    {
        window->resize(size);
        QCoreApplication::processEvents();
    }

    // Every control of a screen with its place, keyed by name.
    static std::map<QString, QRect> places(QWidget *screen)
    {
        std::map<QString, QRect> found;
        for (QWidget *control : screen->findChildren<QWidget *>()) {
            if (!control->objectName().isEmpty() && !control->objectName().startsWith("qt_")) {
                found[control->objectName()] = control->geometry();
            }
        }
        return found;
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, GrowsFromItsDesignSizeAndMayBeMaximised)
{
    EXPECT_EQ(window->size(), design);
    EXPECT_EQ(window->minimumSize(), design);
    EXPECT_EQ(window->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
}

TEST_F(WindowTest, ResultScreenGivesTheRoomToTheBookAndKeepsItsButtonsBelow)
{
    open("JieGuo_DocLayer");
    QWidget *result = layer("JieGuo_DocLayer");
    const std::map<QString, QRect> atDesign = places(result);
    resizeTo(large);
    EXPECT_EQ(result->size(), large);
    for (const char *memo : {"meo_jisuanjieguo_Doc", "meo_jisuanjieguo_Xls"}) {
        EXPECT_EQ(result->findChild<QWidget *>(memo)->geometry(), QRect(4, 56, 355 + 840, 537 + 224)) << memo;
    }
    EXPECT_EQ(result->findChild<QWidget *>("cbt_Save")->geometry(), QRect(208 + 420, 598 + 224, 89, 33));
    EXPECT_EQ(result->findChild<QWidget *>("cbt_sanchu")->geometry(), QRect(340 + 840, 598 + 224, 16, 16));
    EXPECT_EQ(result->findChild<QWidget *>("cbt_PageBook")->geometry(), QRect(330 + 840, 6, 21, 21));

    // Back at the design size every control stands where it stood.
    resizeTo(design);
    EXPECT_EQ(places(result), atDesign);
}

TEST_F(WindowTest, OptimisationScreenGivesTheRoomToItsListsAndExplanations)
{
    open("YouHuaFormLayer");
    QWidget *screen = layer("YouHuaFormLayer");
    auto *grid = screen->findChild<QTableWidget *>("Grid1_Youhuaxuanxiang");
    const int explanationAtDesign = grid->columnWidth(4);
    const std::map<QString, QRect> atDesign = places(screen);
    resizeTo(large);
    EXPECT_EQ(grid->geometry(), QRect(4, 46, 355 + 840, 364));
    for (const char *list : {"Grid2_Youhuajieguo", "Grid3_Youhuasaixuan"}) {
        EXPECT_EQ(screen->findChild<QWidget *>(list)->geometry(), QRect(4, 414, 355 + 840, 148 + 224))
            << list;
    }
    EXPECT_EQ(screen->findChild<QWidget *>("cbt_YHfanhui")->geometry().topLeft(),
              QPoint(264 + 420, 598 + 224));
    // The explanations fill the grid's width: the columns end at its right edge, without a scroll bar.
    int columns = 0;
    for (int column = 0; column < grid->columnCount(); ++column) {
        columns += grid->columnWidth(column);
    }
    EXPECT_GT(grid->columnWidth(4), explanationAtDesign + 400);
    EXPECT_LE(columns, grid->contentsRect().width());
    EXPECT_GE(columns, grid->contentsRect().width() - 20);

    resizeTo(design);
    EXPECT_EQ(places(screen), atDesign);
    EXPECT_EQ(grid->columnWidth(4), explanationAtDesign);
}

TEST_F(WindowTest, InputScreenStaysTogetherInTheMiddle)
{
    QWidget *input = layer("MainFormLayer");
    const std::map<QString, QRect> atDesign = places(input);
    resizeTo(large);
    EXPECT_EQ(input->findChild<QWidget *>("cbt_compute")->geometry(), QRect(56 + 420, 598 + 112, 89, 33));
    // Inside the group boxes nothing moves.
    EXPECT_EQ(input->findChild<QWidget *>("cbe_dd")->geometry(), atDesign.at("cbe_dd"));
    resizeTo(design);
    EXPECT_EQ(places(input), atDesign);
}

TEST_F(WindowTest, SizeAndMaximisedStateAreRemembered)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QSettings settings(folder.filePath("saxolith.conf"), QSettings::IniFormat);
    rememberWindowSize(*window, settings); // nothing remembered yet: the design size
    EXPECT_EQ(window->size(), design);
    resizeTo(QSize(700, 690));

    MainWindow again;
    rememberWindowSize(again, settings);
    EXPECT_EQ(again.size(), QSize(700, 690));
    EXPECT_FALSE(again.windowState() & Qt::WindowMaximized);

    settings.setValue("window/maximised", true);
    settings.setValue("window/size", QSize(100, 100)); // below the minimum: the design size
    MainWindow maximised;
    rememberWindowSize(maximised, settings);
    EXPECT_TRUE(maximised.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(maximised.size(), design);
}

TEST(QtTranslations, DialogButtonsSpeakTheLocalesLanguage)
{
    QObject owner;
    ASSERT_TRUE(installQtTranslations(QLocale(QLocale::Chinese, QLocale::China), &owner));
    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), "保存");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "取消");
}

class DesktopOpenTest : public WindowTest
{
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->services().setDesktopOpenFunction([this](const QUrl &address) {
            asked << address;
            return false; // no file manager, no browser
        });
        window->services().setMessageFunction([this](QWidget *, const QString &text) { messages << text; });
    }

    QList<QUrl> asked;
    QStringList messages;
};

TEST_F(DesktopOpenTest, OpenFolderSaysSoWhenNoFileManagerStarts)
{
    QTemporaryDir folder;
    QWidget *result = layer("JieGuo_DocLayer");
    showSavedNotice(result, folder.filePath("book.txt"));
    auto *notice = result->findChild<SavedNotice *>("savedNotice");
    ASSERT_NE(notice, nullptr);
    QTest::mouseClick(notice->openFolderButton, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QUrl::fromLocalFile(folder.path()));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], QString::fromUtf8(exportText::cannotOpenFolder.data(),
                                             static_cast<qsizetype>(exportText::cannotOpenFolder.size())) +
                               QDir::toNativeSeparators(folder.path()));
}

TEST_F(DesktopOpenTest, AboutLinksSayWhenNoBrowserStarts)
{
    AboutWindow about;
    about.show();
    QTest::mouseClick(about.cbt_update, Qt::LeftButton);
    ASSERT_EQ(asked.size(), 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8(
        aboutText::cannotOpen.data(), static_cast<qsizetype>(aboutText::cannotOpen.size()))));
    EXPECT_TRUE(messages[0].endsWith(asked[0].toDisplayString()));
}

} // namespace
} // namespace saxolith::test
