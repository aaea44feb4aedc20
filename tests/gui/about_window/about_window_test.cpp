#include "gui/about_window.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <vector>

namespace saxolith::test
{
namespace
{

const QColor red(0xFF, 0x00, 0x00);
const QColor blue(0x00, 0x00, 0xFF);
const QColor black(0x00, 0x00, 0x00);

QColor textColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

class AboutWindowTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_savedOpener = AboutWindow::openUrl;
        AboutWindow::openUrl = [this](const QUrl &url) { opened.push_back(url); };
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { AboutWindow::openUrl = m_savedOpener; }

    // The user's way in: the "©" button of the input screen.
    AboutWindow *clickCopyRight()
    {
        auto *button = window.findChild<QPushButton *>("cbt_CopyRight");
        if (button == nullptr) {
            ADD_FAILURE() << "no cbt_CopyRight";
            return nullptr;
        }
        QTest::mouseClick(button, Qt::LeftButton);
        return window.aboutWindow.get();
    }

    static void hover(QWidget *label)
    {
        const QPoint centre = label->rect().center();
        QMouseEvent move(QEvent::MouseMove, centre, label->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(label, &move);
    }
    static void leave(QWidget *label)
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(label, &event);
    }

    MainWindow window;
    std::vector<QUrl> opened;

  private:
    std::function<void(const QUrl &)> m_savedOpener;
};

int aboutWindowCount()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        count += qobject_cast<AboutWindow *>(widget) != nullptr ? 1 : 0;
    }
    return count;
}

TEST_F(AboutWindowTest, EveryClickShowsTheSameWindowWithoutWaiting)
{
    EXPECT_EQ(window.aboutWindow, nullptr);
    AboutWindow *first = clickCopyRight();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    AboutWindow *second = clickCopyRight();
    EXPECT_EQ(second, first);
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(aboutWindowCount(), 1);
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->parentWidget(), nullptr);
}

TEST_F(AboutWindowTest, ShowsTheProgramAndTheMakerOnItsGradient)
{
    AboutWindow *about = clickCopyRight();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->objectName(), "TKLD_PNW_FRM_CopyRight");
    EXPECT_EQ(about->windowTitle(), "关于");
    EXPECT_EQ(about->windowType(), Qt::Popup);
    EXPECT_EQ(about->size(), QSize(260, 330));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());

    EXPECT_EQ(about->lb_mokuaiming->text(), "Saxolith");
    EXPECT_TRUE(about->lb_mokuaiming->font().bold());
    EXPECT_EQ(about->lb_mokuaiming->font().pointSize(), 18);
    EXPECT_EQ(about->lb_wangzhilb->text(), "网址：");
    EXPECT_EQ(about->lb_lianxi->text(), "邮箱：");
    EXPECT_EQ(about->lb_wangzhi->text(), "saxolith.example.org");
    EXPECT_EQ(about->lb_lianxiUr->text(), "saxolith@example.org");
    EXPECT_EQ(about->cbt_update->text(), "更新");
    EXPECT_TRUE(about->lb_danwei->text().startsWith("（"));
    EXPECT_TRUE(about->lb_danwei->text().endsWith("）"));
    EXPECT_EQ(about->lb_sheji->text(), "设计： 开发组");
    // It ends before the title lines begin.
    EXPECT_LE(about->lb_sheji->fontMetrics().horizontalAdvance(about->lb_sheji->text()),
              about->lb_zhucheshi1->x() - about->lb_sheji->x());
    for (QLabel *label : {about->lb_ombrel, about->lB_copyright, about->lb_zhucheshi1, about->lb_zhuceshi2,
                          about->lb_wangzhi, about->lb_lianxiUr}) {
        EXPECT_FALSE(label->text().isEmpty()) << label->objectName().toStdString();
    }
    for (QLabel *label : {about->lb_mokuaiming, about->lb_wangzhi, about->lb_lianxiUr}) {
        EXPECT_EQ(textColour(label), blue) << label->objectName().toStdString();
    }
    EXPECT_EQ(about->ImageQQ->pixmap().size(), QSize(168, 168));
    EXPECT_EQ(about->ImageQQ->size(), QSize(100, 100));
    EXPECT_EQ(about->ImageQQ->pos(), QPoint(72, 212));

    // Left edge, clear of every control: the top colour, and the flat colour below the stop.
    const QImage image = about->grab().toImage();
    EXPECT_EQ(image.pixelColor(2, 0).rgb(), QColor(0xF4, 0x8D, 0x72).rgb());
    EXPECT_EQ(image.pixelColor(2, 200).rgb(), QColor(0xFE, 0xE9, 0xE9).rgb());
    EXPECT_EQ(image.pixelColor(2, 329).rgb(), QColor(0xFE, 0xE9, 0xE9).rgb());
    const QColor between = image.pixelColor(2, 85);
    EXPECT_GT(between.green(), 0x8D);
    EXPECT_LT(between.green(), 0xE9);
}

TEST_F(AboutWindowTest, OrganisationShowsItsSiteUnderTheMouseAndAsciiNameAfterwards)
{
    AboutWindow *about = clickCopyRight();
    ASSERT_NE(about, nullptr);
    const AboutParticulars particulars = AboutParticulars::load();
    QLabel *label = about->lb_danwei;

    hover(label);
    hover(label); // every movement sets the same values again
    EXPECT_EQ(label->text(), particulars.organisationSite);
    EXPECT_TRUE(label->font().bold());
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(textColour(label), red);

    leave(label);
    EXPECT_EQ(label->text(), "(Saxolith 开源项目)");
    EXPECT_FALSE(label->font().bold());
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(textColour(label), black);

    about->hide();
    EXPECT_EQ(clickCopyRight(), about);
    EXPECT_EQ(label->text(), "(Saxolith 开源项目)");
}

TEST_F(AboutWindowTest, LinkLabelsTurnRedBoldUnderlinedAndBackKeepingOtherFlags)
{
    AboutWindow *about = clickCopyRight();
    ASSERT_NE(about, nullptr);
    for (QLabel *label : {about->lb_wangzhi, about->lb_lianxiUr}) {
        SCOPED_TRACE(label->objectName().toStdString());
        const QString text = label->text();
        QFont font = label->font();
        font.setItalic(true);
        font.setStrikeOut(true);
        label->setFont(font);

        hover(label);
        EXPECT_EQ(textColour(label), red);
        EXPECT_TRUE(label->font().bold());
        EXPECT_TRUE(label->font().underline());
        EXPECT_TRUE(label->font().italic());
        EXPECT_TRUE(label->font().strikeOut());

        leave(label);
        EXPECT_EQ(textColour(label), blue);
        EXPECT_FALSE(label->font().bold());
        EXPECT_FALSE(label->font().underline());
        EXPECT_TRUE(label->font().italic());
        EXPECT_TRUE(label->font().strikeOut());
        EXPECT_EQ(label->text(), text);
    }
}

TEST_F(AboutWindowTest, AClickInTheMainWindowHidesItAndAClickInsideDoesNot)
{
    AboutWindow *about = clickCopyRight();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(about));

    QTest::mouseClick(about->windowHandle(), Qt::LeftButton, {}, about->ImageQQ->geometry().center());
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(opened.empty());

    // Far from both the About window in the middle and the "©" button.
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(10, 660));
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(aboutWindowCount(), 1);

    EXPECT_EQ(clickCopyRight(), about);
    EXPECT_TRUE(about->isVisible());
}

TEST_F(AboutWindowTest, EachLinkHandsItsAddressToTheSystem)
{
    AboutWindow *about = clickCopyRight();
    ASSERT_NE(about, nullptr);
    const struct {
        QWidget *control;
        const char *address;
    } cases[] = {
        {about->lb_danwei, "https://example.org"},
        {about->lb_wangzhi, "https://saxolith.example.org"}, // shown without its scheme
        {about->lb_lianxiUr, "mailto:saxolith@example.org"},
        {about->cbt_update, "https://saxolith.example.org/download/saxolith.zip"},
    };
    for (const auto &[control, address] : cases) {
        SCOPED_TRACE(control->objectName().toStdString());
        opened.clear();
        QTest::mouseClick(control, Qt::LeftButton);
        ASSERT_EQ(opened.size(), 1U);
        EXPECT_EQ(opened.front(), QUrl(address));
        EXPECT_TRUE(about->isVisible());
    }

    // Pressed on the link but released elsewhere: no click.
    opened.clear();
    QTest::mousePress(about->lb_wangzhi, Qt::LeftButton);
    QTest::mouseRelease(about->lb_wangzhi, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_TRUE(opened.empty());
}

} // namespace
} // namespace saxolith::test
