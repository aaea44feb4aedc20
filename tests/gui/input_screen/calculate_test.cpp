#include "input_fixture.h"

#include <QMessageBox>
#include <QSignalSpy>

#include <functional>

namespace saxolith::test
{
namespace
{

TEST_F(InputScreenTest, DefaultsCalculateAndRecord)
{
    QSignalSpy recorded(screen, &InputScreen::calculationRecorded);
    compute();
    expectResults("0.2000", "7000", "5498");
    for (QLineEdit *result : {screen->edt_Psair, screen->edt_qpaSC, screen->edt_ra}) {
        EXPECT_EQ(textColour(result), green);
    }
    EXPECT_EQ(status(), "较硬岩,岩体较完整");
    EXPECT_EQ(textColour(screen->lb_shuoming), black);
    EXPECT_FALSE(screen->img_Logo->isVisible());
    EXPECT_TRUE(screen->cbt_View->isVisible());
    EXPECT_FALSE(screen->cbt_compute->isVisible());
    ASSERT_EQ(recorded.count(), 1);
    EXPECT_DOUBLE_EQ(recorded.at(0).at(0).value<PileRecord>().qpa, 7000.0);
    EXPECT_EQ(window->resultScreen()->book().unsavedForms(), 3);
    EXPECT_TRUE(window->resultScreen()->cbt_Save->isEnabled());
    EXPECT_TRUE(window->resultScreen()->cbt_sanchu->isEnabled());
    EXPECT_EQ(aborted(), "");

    click(screen->cbt_View);
    EXPECT_TRUE(window->resultScreen()->isVisible());
}

TEST_F(InputScreenTest, NothingIsRecordedWhileTheOptimisationScreenIsOpen)
{
    QSignalSpy recorded(screen, &InputScreen::calculationRecorded);
    // The optimisation screen replays its run on the input screen while it stays on display.
    window->cbt_YouHuaClick();
    screen->cbt_computeClick();
    window->showLayer(screen);
    expectResults("0.2000", "7000", "5498");
    EXPECT_EQ(recorded.count(), 0);
    EXPECT_TRUE(screen->cbt_compute->isVisible());
    EXPECT_FALSE(screen->cbt_View->isVisible());
    EXPECT_EQ(window->resultScreen()->book().unsavedForms(), 0);
    EXPECT_FALSE(window->resultScreen()->cbt_sanchu->isEnabled());
}

struct FailureCase {
    const char *name;
    std::function<void(InputScreen *)> setUp;
    const char *field;
    QString message;
    bool notice; // the optimisation screen is told the run stopped
};

TEST_F(InputScreenTest, EachCheckStopsWithItsMessageOnItsField)
{
    const FailureCase cases[] = {
        {"empty diameter", [](InputScreen *s) { type(s->cbe_dd, ""); }, "cbe_dd", "桩身直径数据有错", true},
        {"malformed diameter", [](InputScreen *s) { type(s->cbe_dd, "1000abc"); }, "cbe_dd",
         "桩身直径数据有错", true},
        {"ellipse without segment",
         [](InputScreen *s) {
             pick(s->cbe_jmlx, 1);
             type(s->cbe_tyzd, "0");
         },
         "cbe_tyzd", "椭圆直段长度数据有错", true},
        {"rectangle without long side",
         [](InputScreen *s) {
             pick(s->cbe_jmlx, 2);
             type(s->cbe_dd, "0");
         },
         "cbe_dd", "矩形长边尺寸数据有错", true},
        {"rectangle without short side",
         [](InputScreen *s) {
             pick(s->cbe_jmlx, 2);
             type(s->cbe_tyzd, "-1");
         },
         "cbe_tyzd", "矩形短边尺寸数据有错", true},
        {"zero qpa",
         [](InputScreen *s) {
             click(s->rdb_qpa);
             type(s->edt_qpaSR, "0");
         },
         "edt_qpaSR", "桩端岩石承载力特征值有错", true},
        {"negative frk", [](InputScreen *s) { type(s->edt_frk, "-1"); }, "edt_frk", "岩石单轴抗压强度值有错",
         true},
        {"index above one", [](InputScreen *s) { type(s->cbe_zhishu, "1.5"); }, "cbe_zhishu",
         "较硬岩,岩体完整性指数有错", true},
        {"broken rock", [](InputScreen *s) { type(s->cbe_zhishu, "0.3"); }, "cbe_zhishu",
         "破碎、极破碎岩体不适用嵌岩桩", true},
        {"manual coefficient above one",
         [](InputScreen *s) {
             click(s->rdb_rengongxishu);
             type(s->cbe_rengongxishu, "1.01");
         },
         "cbe_rengongxishu", "折减系数有错", false},
        {"overflowing diameter", [](InputScreen *s) { type(s->cbe_dd, "1e200"); }, nullptr,
         "计算结果溢出，请检查输入数据", true},
    };
    for (const FailureCase &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        QSignalSpy recorded(screen, &InputScreen::calculationRecorded);
        c.setUp(screen);
        compute();
        EXPECT_EQ(status(), c.message);
        EXPECT_EQ(textColour(screen->lb_shuoming), red);
        if (c.field != nullptr) {
            EXPECT_EQ(textColour(control(c.field)), red);
        }
        EXPECT_EQ(aborted(), c.notice ? "运行中止，主界面可查看中止位置、原因" : "");
        if (c.notice) {
            EXPECT_EQ(textColour(window->optimisationScreen()->lb_YHxingxi), red);
        }
        expectResults("", "", "");
        EXPECT_EQ(recorded.count(), 0);
        EXPECT_TRUE(screen->cbt_compute->isVisible());
        EXPECT_EQ(window->resultScreen()->book().unsavedForms(), 0);
    }
}

struct HintCase {
    const char *frk;
    int integrity; // item of the integrity list; -1 for ψr by hand
    const char *manualPsi;
    QString psi, qpa, ra, message;
};

TEST_F(InputScreenTest, HintsColourTheResultsMagenta)
{
    const HintCase cases[] = {
        {"25", 1, nullptr, "0.2000", "5000", "3927", "提示 ： 不适用于软质岩"},
        {"25", 2, nullptr, "0.1000", "2500", "1963", "提示 ： 不适用于软质岩、较破碎岩体"},
        {"35", 2, nullptr, "0.1000", "3500", "2749", "提示 ： 不适用于较破碎岩体"},
        {"35", -1, "0.6", "0.6000", "21000", "16493", "提示：请注意折减系数的合理性"},
        {"0", 1, nullptr, "0.2000", "0", "0", "提示 ： 不适用于软质岩"},
    };
    for (const HintCase &c : cases) {
        SCOPED_TRACE(c.message.toStdString() + " frk " + c.frk);
        SetUp();
        type(screen->edt_frk, c.frk);
        if (c.integrity >= 0) {
            pick(screen->cbe_zhishu, c.integrity);
        } else {
            click(screen->rdb_rengongxishu);
            type(screen->cbe_rengongxishu, c.manualPsi);
        }
        compute();
        expectResults(c.psi, c.qpa, c.ra);
        EXPECT_EQ(status(), c.message);
        EXPECT_EQ(textColour(screen->lb_shuoming), magenta);
        for (QLineEdit *result : {screen->edt_Psair, screen->edt_qpaSC, screen->edt_ra}) {
            EXPECT_EQ(textColour(result), magenta);
        }
        EXPECT_TRUE(screen->cbt_View->isVisible());
    }
}

TEST_F(InputScreenTest, ManualCoefficientOfZeroIsAccepted)
{
    click(screen->rdb_rengongxishu);
    type(screen->cbe_rengongxishu, "0");
    compute();
    expectResults("0.0000", "0", "0");
    EXPECT_EQ(status(), "较硬岩");
    EXPECT_EQ(textColour(screen->lb_shuoming), black);
}

TEST_F(InputScreenTest, IndexIsInterpolated)
{
    pick(screen->cbe_zhishu, 5); // "0.70"
    compute();
    expectResults("0.4250", "14875", "11683");
    EXPECT_EQ(status(), "较硬岩,岩体较完整");
}

TEST_F(InputScreenTest, QpaRouteShowsNoCoefficient)
{
    click(screen->rdb_qpa);
    compute();
    expectResults("-", "3500", "2749");
    EXPECT_FALSE(screen->edt_Psair->isEnabled());
    EXPECT_EQ(status(), "");
    for (QLineEdit *result : {screen->edt_Psair, screen->edt_qpaSC, screen->edt_ra}) {
        EXPECT_EQ(textColour(result), green);
    }
    click(screen->rdb_frk);
    compute();
    EXPECT_TRUE(screen->edt_Psair->isEnabled());
}

TEST_F(InputScreenTest, RectangleSidesAreExchangedThroughTheirChangeHandlers)
{
    pick(screen->cbe_jmlx, 2);
    type(screen->cbe_tyzd, "1500");
    QSignalSpy first(screen->cbe_dd, &QComboBox::editTextChanged);
    QSignalSpy second(screen->cbe_tyzd, &QComboBox::editTextChanged);
    compute();
    EXPECT_EQ(screen->cbe_dd->currentText(), "1500");
    EXPECT_EQ(screen->cbe_tyzd->currentText(), "1000");
    EXPECT_EQ(first.count(), 1);
    EXPECT_EQ(second.count(), 1);
    expectResults("0.2000", "7000", "10500");
    EXPECT_TRUE(screen->cbt_View->isVisible());

    // The handlers saw the new texts: typing the old ones back is a change again.
    type(screen->cbe_dd, "1000");
    EXPECT_TRUE(screen->cbt_compute->isVisible());
}

TEST_F(InputScreenTest, SquareSidesAreRewrittenInTheirShortForm)
{
    pick(screen->cbe_jmlx, 2);
    type(screen->cbe_dd, "1000.0");
    compute();
    EXPECT_EQ(screen->cbe_dd->currentText(), "1000");
    EXPECT_EQ(screen->cbe_tyzd->currentText(), "1000");
    expectResults("0.2000", "7000", "7000");
}

TEST_F(InputScreenTest, PrecisionChoicesRecalculateWhileTheListIsShown)
{
    QSignalSpy recorded(screen, &InputScreen::calculationRecorded);
    const QString expected[] = {"5497.79", "5497.8", "5498", "5490", "5400"};
    const QString qpa[] = {"7000.00", "7000.0", "7000", "7000", "7000"};
    int records = 0;
    for (int choice : {0, 1, 3, 4, 2}) {
        SCOPED_TRACE(choice);
        click(screen->cbt_JingDu);
        ASSERT_TRUE(screen->popbox_jingdu->isVisible());
        pick(screen->popbox_jingdu, choice);
        EXPECT_EQ(screen->edt_ra->text(), expected[choice]);
        EXPECT_EQ(screen->edt_qpaSC->text(), qpa[choice]);
        EXPECT_EQ(recorded.count(), ++records);
        EXPECT_FALSE(screen->popbox_jingdu->isVisible());
    }
}

TEST_F(InputScreenTest, PrecisionButtonTogglesTheListAndAHiddenListCalculatesNothing)
{
    click(screen->cbt_JingDu);
    EXPECT_TRUE(screen->popbox_jingdu->isVisible());
    click(screen->cbt_JingDu);
    EXPECT_FALSE(screen->popbox_jingdu->isVisible());
    screen->popbox_jingdu->setCurrentIndex(0);
    expectResults("", "", "");
    EXPECT_TRUE(screen->cbt_compute->isVisible());
}

TEST_F(InputScreenTest, UnreadableIndexShowsTheErrorBoxAndRecordsNothing)
{
    QSignalSpy recorded(screen, &InputScreen::calculationRecorded);
    type(screen->cbe_zhishu, "abc");
    compute();
    auto *box = screen->findChild<QMessageBox *>("errorBox");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), "'abc' is not a valid floating point value");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), window->windowTitle());
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(recorded.count(), 0);
    expectResults("", "", "");
    // Written before the failure: frk passed its check.
    EXPECT_EQ(textColour(screen->edt_frk), black);
    EXPECT_TRUE(screen->cbt_compute->isVisible());
    box->close();
}

TEST_F(InputScreenTest, AReplacedMessageBoxSeesTheErrorText)
{
    QStringList messages;
    window->services().setMessageFunction([&messages](QWidget *, const QString &text) { messages << text; });
    type(screen->cbe_zhishu, "abc");
    compute();
    window->services().setMessageFunction({});
    EXPECT_EQ(messages, QStringList{"'abc' is not a valid floating point value"});
    EXPECT_EQ(screen->findChild<QMessageBox *>("errorBox"), nullptr);
}

} // namespace
} // namespace saxolith::test
