#include "input_fixture.h"

#include <QSignalSpy>

namespace saxolith::test
{
namespace
{

struct LiveCase {
    const char *field;
    QString text;
    QString message; // empty: accepted
    QColor colour;   // of the status and the field; black for an accepted value's field
};

TEST_F(InputScreenTest, EachFieldReportsItsValueAsItIsTyped)
{
    const LiveCase cases[] = {
        {"cbe_dd", "0", "桩身直径数据有错", red},
        {"cbe_dd", "1200", "", black},
        {"cbe_dd", "", "桩身直径数据有错", red},
        {"cbe_dd", "abc", "桩身直径数据有错", red},
        {"cbe_dd", "1000abc", "桩身直径数据有错", red},
        {"cbe_tyzd", "0", "", black},
        {"cbe_tyzd", "-1", "椭圆直段长度数据有错", red},
        {"edt_frk", "0", "提示：不适用于软质岩", magenta},
        {"edt_frk", "30", "提示：不适用于软质岩", magenta},
        {"edt_frk", "30.01", "", black},
        {"edt_frk", "-2", "岩石单轴抗压强度值有错", red},
        {"edt_frk", "x", "岩石单轴抗压强度值有错", red},
        {"edt_qpaSR", "0", "", black},
        {"edt_qpaSR", "-1", "桩端岩石承载力特征值有错", red},
        {"edt_qpaSR", "", "桩端岩石承载力特征值有错", red},
        {"cbe_rengongxishu", "0", "", black},
        {"cbe_rengongxishu", "0.5", "", black},
        {"cbe_rengongxishu", "0.51", "提示：请注意折减系数的合理性", magenta},
        {"cbe_rengongxishu", "1", "提示：请注意折减系数的合理性", magenta},
        {"cbe_rengongxishu", "1.01", "折减系数有错", red},
        {"cbe_rengongxishu", "-0.1", "折减系数有错", red},
    };
    for (const LiveCase &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " '" + c.text.toStdString() + "'");
        SetUp();
        // Bring every field within reach: an ellipse, the manual coefficient, then the qpa route.
        pick(screen->cbe_jmlx, 1);
        click(screen->rdb_rengongxishu);
        if (QString(c.field) == "edt_qpaSR") {
            click(screen->rdb_qpa);
        }
        QWidget *field = control(c.field);
        ASSERT_TRUE(field->isEnabled());
        type(field, c.text);
        EXPECT_EQ(textOf(field), c.text);
        EXPECT_EQ(status(), c.message);
        EXPECT_EQ(textColour(field), c.colour);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(textColour(screen->lb_shuoming), c.colour);
        }
        EXPECT_TRUE(screen->lb_shuoming->isVisible());
        EXPECT_FALSE(screen->img_Logo->isVisible());
        EXPECT_EQ(aborted(), ""); // the live checks leave the optimisation screen alone
    }
}

TEST_F(InputScreenTest, AnAcceptedValueEmptiesAnotherFieldsError)
{
    type(screen->cbe_dd, "0");
    ASSERT_EQ(status(), "桩身直径数据有错");
    type(screen->edt_frk, "40");
    EXPECT_EQ(status(), "");
    EXPECT_EQ(textColour(screen->cbe_dd), red); // the field keeps its mark until it passes
}

TEST_F(InputScreenTest, TheLogoNeverComesBack)
{
    EXPECT_TRUE(screen->img_Logo->isVisible());
    pick(screen->cbe_zhishu, 0);
    EXPECT_EQ(status(), "完整岩体，折减系数可取0.5");
    EXPECT_FALSE(screen->img_Logo->isVisible());
    type(screen->edt_frk, "45");
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(screen->lb_shuoming->isVisible());
    EXPECT_FALSE(screen->img_Logo->isVisible());
    compute();
    pick(screen->cbe_jmlx, 1);
    EXPECT_EQ(status(), "");
    EXPECT_FALSE(screen->img_Logo->isVisible());
}

TEST_F(InputScreenTest, AcceptedValueBeforeAnyMessageKeepsTheLogo)
{
    type(screen->edt_frk, "45");
    // Clearing the field on the way was an error, so the logo went with it.
    EXPECT_FALSE(screen->img_Logo->isVisible());
    SetUp();
    screen->writeCandidate([] {
        CalculationInput input = defaultCalculationInput();
        input.frk = "45";
        return input;
    }());
    EXPECT_TRUE(screen->img_Logo->isVisible());
    EXPECT_FALSE(screen->lb_shuoming->isVisible());
}

TEST_F(InputScreenTest, SectionSwitchRelabelsAndRefillsTheSecondField)
{
    const auto items = [this] {
        QStringList list;
        for (int i = 0; i < screen->cbe_tyzd->count(); ++i) {
            list << screen->cbe_tyzd->itemText(i);
        }
        return list;
    };
    const QStringList segments{"100", "200", "300", "400",  "500",  "600",
                               "700", "800", "900", "1000", "1100", "1200"};
    const QStringList sides{"1000", "1100", "1200", "1300", "1400", "1500",
                            "1600", "1700", "1800", "1900", "2000"};

    type(screen->cbe_dd, "0"); // an error the switch's own check then clears
    pick(screen->cbe_jmlx, 1);
    EXPECT_EQ(items(), segments);
    EXPECT_EQ(screen->cbe_tyzd->currentText(), "500");
    EXPECT_EQ(screen->cbe_tyzd->currentIndex(), 4);
    EXPECT_TRUE(screen->cbe_tyzd->isEnabled());
    EXPECT_TRUE(screen->lb_tyzd->isEnabled());
    EXPECT_EQ(screen->lb_dd->text(), "桩  身   直   径 d (mm)");
    EXPECT_EQ(screen->lb_tyzd->text(), "椭圆直段长度 c (mm)");
    EXPECT_EQ(status(), "");
    EXPECT_EQ(textColour(screen->cbe_tyzd), black);
    EXPECT_EQ(screen->cbe_dd->currentText(), "0");

    pick(screen->cbe_jmlx, 2);
    EXPECT_EQ(items(), sides);
    EXPECT_EQ(screen->cbe_tyzd->currentText(), "1000");
    EXPECT_EQ(screen->lb_dd->text(), "矩形长边尺寸 a (mm)");
    EXPECT_EQ(screen->lb_tyzd->text(), "矩形短边尺寸 b (mm)");

    pick(screen->cbe_jmlx, 0);
    EXPECT_EQ(items(), sides); // the last list is kept
    EXPECT_EQ(screen->cbe_tyzd->currentText(), "0");
    EXPECT_FALSE(screen->cbe_tyzd->isEnabled());
    EXPECT_FALSE(screen->lb_tyzd->isEnabled());
    EXPECT_EQ(screen->lb_dd->text(), "桩  身   直   径 d (mm)");
    EXPECT_EQ(screen->lb_tyzd->text(), "椭圆直段长度 c (mm)");
    EXPECT_EQ(screen->cbe_dd->count(), sides.size());
}

TEST_F(InputScreenTest, SwitchRunsTheSecondFieldsCheckOnlyWhenItsTextChanges)
{
    pick(screen->cbe_jmlx, 2);
    type(screen->cbe_dd, "abc");
    ASSERT_EQ(status(), "桩身直径数据有错");
    type(screen->cbe_tyzd, "1000x");
    QSignalSpy changes(screen->cbe_tyzd, &QComboBox::editTextChanged);
    type(screen->cbe_dd, "0");
    pick(screen->cbe_jmlx, 1); // "1000x" becomes "500": checked and accepted
    EXPECT_EQ(status(), "");
    EXPECT_EQ(textColour(screen->cbe_tyzd), black);
    // The refill passed through no text of its own.
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toString(), "500");
}

TEST_F(InputScreenTest, RouteAndCoefficientModeSwitchTheirControls)
{
    struct Expect {
        bool qpa, frk, column, automatic, manual, integrity, coefficient;
    };
    const auto check = [this](const Expect &e) {
        EXPECT_EQ(screen->edt_qpaSR->isEnabled(), e.qpa);
        EXPECT_EQ(screen->edt_frk->isEnabled(), e.frk);
        EXPECT_EQ(screen->lb_zhejianxishu->isEnabled(), e.column);
        EXPECT_EQ(screen->rdb_zhidongzhishu->isEnabled(), e.automatic);
        EXPECT_EQ(screen->rdb_rengongxishu->isEnabled(), e.manual);
        EXPECT_EQ(screen->cbe_zhishu->isEnabled(), e.integrity);
        EXPECT_EQ(screen->cbe_rengongxishu->isEnabled(), e.coefficient);
    };
    click(screen->rdb_rengongxishu);
    check({false, true, true, true, true, false, true});
    click(screen->rdb_qpa);
    check({true, false, false, false, false, false, false});
    EXPECT_TRUE(screen->rdb_rengongxishu->isChecked()); // the mode is kept
    EXPECT_EQ(screen->edt_frk->text(), "35");
    click(screen->rdb_frk);
    check({false, true, true, true, true, false, true});
    click(screen->rdb_zhidongzhishu);
    check({false, true, true, true, true, true, false});
    click(screen->rdb_qpa);
    click(screen->rdb_frk);
    check({false, true, true, true, true, true, false});
}

TEST_F(InputScreenTest, IntegrityClassesShowTheirNotesAndIndexEntriesKeepThem)
{
    const QString notes[] = {"完整岩体，折减系数可取0.5", "较完整岩体，折减系数可取0.2～0.5",
                             "较破碎岩体，折减系数可取0.1～0.2"};
    for (int entry : {0, 2, 1}) {
        pick(screen->cbe_zhishu, entry);
        EXPECT_EQ(status(), notes[entry]);
        EXPECT_EQ(textColour(screen->lb_shuoming), black);
    }
    compute();
    ASSERT_EQ(screen->edt_ra->text(), "5498");
    pick(screen->cbe_zhishu, 3); // "0.80"
    EXPECT_EQ(status(), "较硬岩,岩体较完整");
    expectResults("", "", "");
    EXPECT_TRUE(screen->cbt_compute->isVisible());
}

TEST_F(InputScreenTest, AnyChangeAfterACalculationBringsBackTheCalculateButton)
{
    const std::function<void()> changes[] = {
        [this] { type(screen->cbe_dd, "1100"); },    [this] { pick(screen->cbe_jmlx, 1); },
        [this] { type(screen->edt_frk, "45"); },     [this] { pick(screen->cbe_zhishu, 0); },
        [this] { pick(screen->cbe_zhishu, 4); },     [this] { click(screen->rdb_qpa); },
        [this] { click(screen->rdb_rengongxishu); },
    };
    for (const auto &change : changes) {
        SetUp();
        compute();
        ASSERT_TRUE(screen->cbt_View->isVisible());
        change();
        EXPECT_TRUE(screen->cbt_compute->isVisible());
        EXPECT_TRUE(screen->cbt_compute->isEnabled());
        EXPECT_FALSE(screen->cbt_View->isVisible());
        expectResults("", "", "");
    }
}

TEST_F(InputScreenTest, WritingACandidateEditsOnlyWhatDiffers)
{
    compute();
    QSignalSpy first(screen->cbe_dd, &QComboBox::editTextChanged);
    screen->writeCandidate(screen->gatherInput());
    EXPECT_EQ(first.count(), 0);
    EXPECT_TRUE(screen->cbt_View->isVisible()); // no change, no reset

    CalculationInput candidate = defaultCalculationInput();
    candidate.sectionItem = 1;
    candidate.firstDimension = "1200";
    candidate.secondDimension = "300";
    candidate.route = StrengthRoute::QpaGiven;
    candidate.qpa = "4000";
    candidate.frk = "50.00";
    candidate.manualPsi = "0.45";
    candidate.precision = 0;
    screen->writeCandidate(candidate);
    EXPECT_EQ(screen->cbe_jmlx->currentIndex(), 1);
    EXPECT_EQ(screen->cbe_dd->currentText(), "1200");
    EXPECT_EQ(screen->cbe_tyzd->currentText(), "300");
    EXPECT_TRUE(screen->rdb_qpa->isChecked());
    EXPECT_TRUE(screen->edt_qpaSR->isEnabled());
    EXPECT_EQ(screen->edt_qpaSR->text(), "4000");
    EXPECT_EQ(screen->edt_frk->text(), "50.00");
    EXPECT_EQ(screen->cbe_rengongxishu->currentText(), "0.20");
    EXPECT_EQ(screen->popbox_jingdu->currentIndex(), 2);
    EXPECT_TRUE(screen->cbt_compute->isVisible());

    candidate.route = StrengthRoute::FrkGiven;
    candidate.integrity = "0.55";
    click(screen->rdb_frk);
    click(screen->rdb_rengongxishu);
    screen->writeCandidate(candidate);
    EXPECT_TRUE(screen->rdb_zhidongzhishu->isChecked());
    EXPECT_TRUE(screen->cbe_zhishu->isEnabled());
    EXPECT_EQ(screen->cbe_zhishu->currentText(), "0.55");
    EXPECT_EQ(screen->cbe_zhishu->currentIndex(), 8);
    screen->cbt_computeClick();
    expectResults("0.2000", "10000", "14910");
}

} // namespace
} // namespace saxolith::test
