#include "input_fixture.h"

#include <QGroupBox>

namespace saxolith::test
{
namespace
{

struct ControlState {
    const char *name;
    QString text;
    QRect place;
    bool enabled;
};

// The window grows and maximises (tests/gui/main_window); it starts at its design size.
TEST_F(InputScreenTest, WindowStartsAtItsDesignSizeWithoutCloseButtons)
{
    EXPECT_EQ(window->objectName(), "TKLD_FRM_VORA1");
    EXPECT_EQ(window->windowTitle(), "Saxolith (GB50007-2011)");
    EXPECT_EQ(window->minimumSize(), QSize(363, 676));
    EXPECT_EQ(window->size(), QSize(363, 676));
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(screen->isVisible());
}

TEST_F(InputScreenTest, EveryControlStartsWithItsTextPlaceAndState)
{
    const ControlState table[] = {
        {"lb_cxm", "Saxolith", {84, 12, 209, 33}, true},
        {"cbt_CopyRight", "©", {330, 6, 21, 21}, true},
        {"gpb_srcs", "", {4, 56, 355, 144}, true},
        {"lb_jmlx", "桩身截面类型", {8, 33, 240, 32}, true},
        {"cbe_jmlx", "圆桩", {256, 33, 89, 32}, true},
        {"lb_dd", "桩  身   直   径 d (mm)", {8, 68, 240, 32}, true},
        {"cbe_dd", "1000", {256, 69, 89, 32}, true},
        {"lb_tyzd", "椭圆直段长度 c (mm)", {8, 104, 240, 32}, false},
        {"cbe_tyzd", "0", {256, 105, 89, 32}, false},
        {"rdb_qpa", "桩端岩石承载力特征值  qpa (kPa)", {4, 32, 280, 32}, true},
        {"edt_qpaSR", "3500", {286, 31, 58, 32}, false},
        {"rdb_frk", "岩石单轴抗压强度标准值frk(MPa)", {4, 68, 280, 32}, true},
        {"edt_frk", "35", {286, 67, 58, 32}, true},
        {"lb_zhejianxishu", "折减系数", {8, 104, 20, 74}, true},
        {"rdb_zhidongzhishu",
         "自动插值(根据岩体完整程度或完整性指数对经验系数插值)",
         {32, 108, 217, 32},
         true},
        {"cbe_zhishu", "较完整", {264, 107, 80, 32}, true},
        {"rdb_rengongxishu", "人工输入", {32, 148, 217, 32}, true},
        {"cbe_rengongxishu", "0.20", {264, 147, 80, 32}, false},
        {"lb_Psair", "推算承载力特征值折减系数ψr", {8, 36, 240, 32}, true},
        {"edt_Psair", "", {256, 36, 89, 32}, true},
        {"lb_qpa", "岩石承载力特征值   qpa (kPa)", {8, 72, 240, 32}, true},
        {"edt_qpaSC", "", {256, 72, 89, 32}, true},
        {"lb_ra", "单桩竖向承载力特征值Ra(kN)", {8, 108, 240, 32}, true},
        {"edt_ra", "", {256, 108, 89, 32}, true},
        {"lb_guifan", "《建筑地基基础设计规范》(GB50007-2011)", {-2, 146, 351, 25}, true},
        {"lb_tiaowen", "单桩竖向承载力计算依据: 公式 8.5.6-2", {0, 166, 356, 25}, true},
        {"cbt_JingDu", "≈", {324, 14, 21, 21}, true},
        {"popbox_jingdu", "个位取整", {234, 4, 90, 32}, true},
        {"cbt_compute", "计算", {56, 598, 89, 33}, true},
        {"cbt_View", "结果", {56, 598, 89, 33}, true},
        {"cbt_YouHua", "★", {166, 604, 20, 20}, true},
        {"cbt_tuichu", "退出", {208, 598, 89, 33}, true},
        {"img_Logo", "", {0, 640, 361, 32}, true},
        {"lb_shuoming", "", {20, 640, 300, 32}, true},
    };
    for (const ControlState &row : table) {
        SCOPED_TRACE(row.name);
        QWidget *widget = control(row.name);
        ASSERT_NE(widget, nullptr);
        if (!qobject_cast<QGroupBox *>(widget)) {
            EXPECT_EQ(textOf(widget), row.text);
        }
        EXPECT_EQ(widget->geometry(), row.place);
        EXPECT_EQ(widget->isEnabled(), row.enabled);
    }
    EXPECT_EQ(qobject_cast<QGroupBox *>(control("gpb_srcs"))->title(), "基桩参数");
    EXPECT_EQ(qobject_cast<QGroupBox *>(control("gpb_ysqdqz"))->title(), "基岩参数");
    EXPECT_EQ(qobject_cast<QGroupBox *>(control("gpb_scjg"))->title(), "计算结果");
}

TEST_F(InputScreenTest, StartsWithTheLogoAndTheCalculateButton)
{
    EXPECT_TRUE(screen->cbt_compute->isVisible());
    EXPECT_FALSE(screen->cbt_View->isVisible());
    EXPECT_FALSE(screen->popbox_jingdu->isVisible());
    EXPECT_EQ(screen->popbox_jingdu->currentIndex(), 2);
    EXPECT_TRUE(screen->img_Logo->isVisible());
    EXPECT_FALSE(screen->img_Logo->pixmap().isNull());
    EXPECT_FALSE(screen->lb_shuoming->isVisible());
    EXPECT_EQ(textColour(screen->lb_shuoming), red);
    EXPECT_TRUE(screen->rdb_frk->isChecked());
    EXPECT_FALSE(screen->rdb_qpa->isChecked());
    EXPECT_TRUE(screen->rdb_zhidongzhishu->isChecked());
    EXPECT_FALSE(screen->rdb_rengongxishu->isChecked());
    EXPECT_EQ(aborted(), "");
}

TEST_F(InputScreenTest, ListsHoldTheirItems)
{
    const auto items = [](QComboBox *combo) {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i) {
            list << combo->itemText(i);
        }
        return list;
    };
    const QStringList dimensions{"1000", "1100", "1200", "1300", "1400", "1500",
                                 "1600", "1700", "1800", "1900", "2000"};
    EXPECT_EQ(items(screen->cbe_jmlx), (QStringList{"圆桩", "椭圆桩", "矩形桩"}));
    EXPECT_EQ(items(screen->cbe_dd), dimensions);
    EXPECT_EQ(items(screen->cbe_tyzd), QStringList{"0"} + dimensions);
    EXPECT_EQ(items(screen->cbe_zhishu),
              (QStringList{"完整", "较完整", "较破碎", "0.80", "0.75", "0.70", "0.65", "0.60", "0.55"}));
    EXPECT_EQ(items(screen->cbe_rengongxishu),
              (QStringList{"0.20", "0.25", "0.30", "0.35", "0.40", "0.45", "0.50"}));
    EXPECT_EQ(items(screen->popbox_jingdu),
              (QStringList{"两位小数", "一位小数", "个位取整", "十位取整", "百位取整"}));
    EXPECT_FALSE(screen->cbe_jmlx->isEditable());
    for (QComboBox *combo :
         {screen->cbe_dd, screen->cbe_tyzd, screen->cbe_zhishu, screen->cbe_rengongxishu}) {
        EXPECT_TRUE(combo->isEditable());
        EXPECT_EQ(combo->completer(), nullptr);
    }
    EXPECT_TRUE(screen->cbe_dd->inputMethodHints() & Qt::ImhFormattedNumbersOnly);
    EXPECT_FALSE(screen->cbe_zhishu->inputMethodHints() & Qt::ImhFormattedNumbersOnly);
}

TEST_F(InputScreenTest, FontsColoursAndHints)
{
    EXPECT_EQ(screen->lb_cxm->font().pixelSize(), 24);
    EXPECT_TRUE(screen->lb_cxm->font().bold());
    EXPECT_EQ(textColour(screen->lb_cxm), QColor::fromRgba(0xFF8A2BE2));
    for (QLineEdit *result : {screen->edt_Psair, screen->edt_qpaSC, screen->edt_ra}) {
        EXPECT_TRUE(result->isReadOnly());
        EXPECT_EQ(result->font().pixelSize(), 18);
        EXPECT_TRUE(result->font().bold());
        EXPECT_EQ(textColour(result), green);
        EXPECT_TRUE(result->alignment() & Qt::AlignRight);
    }
    EXPECT_TRUE(screen->cbe_dd->font().bold());
    EXPECT_EQ(screen->cbe_zhishu->font().pixelSize(), 14);
    EXPECT_EQ(screen->cbt_CopyRight->toolTip(), "版权信息");
    EXPECT_EQ(screen->cbt_JingDu->toolTip(), "调整精度");
    EXPECT_EQ(screen->cbt_YouHua->toolTip(), "筛选优化");
}

} // namespace
} // namespace saxolith::test
