// Opening and leaving the screen, the option grid's start-up texts and editing rules, expand and fold.
#include "optimisation_fixture.h"

namespace saxolith::test
{
namespace
{

TEST_F(OptimisationTest, StarAndBackSwitchOnlyTheLayerAndTheActiveFlag)
{
    EXPECT_FALSE(screen->isVisible());
    const QString inputStatus = input->lb_shuoming->text();
    const QString diameter = input->cbe_dd->currentText();

    open();
    EXPECT_TRUE(screen->isVisible());
    EXPECT_FALSE(input->isVisible());
    EXPECT_FALSE(inputRecords());
    EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
    EXPECT_FALSE(screen->cbt_YHsaixuan->isEnabled());
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
    EXPECT_FALSE(screen->pb_YH_jingdu->isVisible());
    EXPECT_TRUE(screen->Grid2_Youhuajieguo->isVisible());
    EXPECT_FALSE(screen->Grid3_Youhuasaixuan->isVisible());
    EXPECT_EQ(status(), "");

    click(screen->cbt_YHfanhui);
    EXPECT_TRUE(input->isVisible());
    EXPECT_FALSE(screen->isVisible());
    EXPECT_TRUE(inputRecords());
    EXPECT_EQ(input->lb_shuoming->text(), inputStatus);
    EXPECT_EQ(input->cbe_dd->currentText(), diameter);
    EXPECT_EQ(bookEntries(), 0);
}

TEST_F(OptimisationTest, StartUpTextsAndHeaders)
{
    open();
    QTableWidget *grid = options();
    ASSERT_EQ(grid->rowCount(), 14);
    ASSERT_EQ(grid->columnCount(), 5);
    const QStringList gridHeaders{"优化项", "最小值", "最大值", "步进值", "说  明"};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(grid->horizontalHeaderItem(column)->text(), gridHeaders[column]);
    }
    EXPECT_EQ(grid->item(0, 0)->text(), "桩身截面类型");
    EXPECT_EQ(grid->item(8, 1)->text(), "35.00");
    EXPECT_EQ(grid->item(11, 3)->text(), "0.10");
    EXPECT_EQ(grid->item(11, 4)->text(), "取值范围[0.35,1.00)");
    EXPECT_EQ(grid->item(13, 1)->text(), "10000");
    EXPECT_EQ(grid->item(13, 2)->text(), "11000");
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(grid->item(12, column)->text(), "") << column;
    }
    EXPECT_EQ(grid->item(13, 3)->text(), "");

    const QStringList listHeaders{"  桩编号", "截面类型", " d|a(mm)", " c|b(mm)", "  Ra(kN)", " qpa|frk",
                                  "插值依据", "完整程度", "      ψr", "qpa(kPa)", "强度类别", "    备注"};
    for (QTableView *list : {screen->Grid2_Youhuajieguo, screen->Grid3_Youhuasaixuan}) {
        EXPECT_EQ(rows(list), 0);
        for (int column = 0; column < 12; ++column) {
            EXPECT_EQ(header(list, column), listHeaders[column]) << column;
            EXPECT_EQ(list->isColumnHidden(column), column >= 5) << column;
        }
    }
    EXPECT_EQ(screen->Grid2_Youhuajieguo->model()->headerData(10, Qt::Horizontal, Qt::UserRole).toString(),
              "Grid2_12_Str_YHysqdlx");
    EXPECT_EQ(screen->Grid2_Youhuajieguo->columnWidth(2), 80);
    click(screen->cbt_zhangkai);
    EXPECT_EQ(screen->Grid3_Youhuasaixuan->columnWidth(11), 120);
    EXPECT_EQ(screen->Grid2_Youhuajieguo->columnWidth(11), 70);
}

TEST_F(OptimisationTest, OnlyOptionCellsTakeAnEditor)
{
    open();
    struct Case {
        int row;
        int column;
        bool editable;
    };
    const Case cases[] = {{0, 0, false},  {0, 1, true},   {5, 2, true},  {11, 3, true}, {3, 4, false},
                          {12, 1, false}, {12, 3, false}, {13, 1, true}, {13, 2, true}, {13, 3, false}};
    for (const Case &c : cases) {
        clickOption(c.row, c.column);
        QLineEdit *editor = openEditor();
        EXPECT_EQ(editor != nullptr, c.editable) << c.row << "," << c.column;
        const QString before = options()->item(c.row, c.column)->text();
        QTest::keyClicks(editor != nullptr ? static_cast<QWidget *>(editor) : options(), "7");
        if (editor != nullptr) {
            QTest::keyClick(editor, Qt::Key_Escape);
        }
        EXPECT_EQ(options()->item(c.row, c.column)->text(), before) << c.row << "," << c.column;
    }
}

TEST_F(OptimisationTest, FinishedEditEnablesTheMatchingCommand)
{
    openAndRun();
    ASSERT_FALSE(screen->cbt_YHcompute->isEnabled());
    click(screen->cbt_YHsaixuan);
    ASSERT_FALSE(screen->cbt_YHsaixuan->isEnabled());

    // A Ra-range edit enables only the filter, even with its text unchanged.
    editOption(13, 2, "11000");
    EXPECT_TRUE(screen->cbt_YHsaixuan->isEnabled());
    EXPECT_FALSE(screen->cbt_YHcompute->isEnabled());

    click(screen->cbt_YHsaixuan);
    editOption(1, 3, "250");
    EXPECT_EQ(options()->item(1, 3)->text(), "250");
    EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
    EXPECT_FALSE(screen->cbt_YHsaixuan->isEnabled());
}

TEST_F(OptimisationTest, TabMovesBetweenCellsAndFinishesTheEdit)
{
    openAndRun();
    ASSERT_FALSE(screen->cbt_YHcompute->isEnabled());
    clickOption(2, 1);
    QLineEdit *editor = openEditor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
    EXPECT_EQ(options()->currentRow(), 2);
    EXPECT_EQ(options()->currentColumn(), 2);
    EXPECT_NE(openEditor(), nullptr);
}

TEST_F(OptimisationTest, ExpandAndFoldAllFifteenDetailColumns)
{
    openAndRun();
    screen->Grid2_Youhuajieguo->selectRow(3);
    const auto detailsShown = [this](bool shown) {
        for (QTableView *list : {screen->Grid2_Youhuajieguo, screen->Grid3_Youhuasaixuan}) {
            for (int column = 5; column < 12; ++column) {
                EXPECT_EQ(list->isColumnHidden(column), !shown) << column;
            }
            EXPECT_FALSE(list->isColumnHidden(4));
        }
    };

    click(screen->cbt_zhangkai);
    EXPECT_EQ(screen->cbt_zhangkai->text(), "折叠");
    detailsShown(true);
    EXPECT_FALSE(options()->isColumnHidden(4));

    click(screen->cbt_zhangkai);
    EXPECT_EQ(screen->cbt_zhangkai->text(), "展开");
    detailsShown(false);
    EXPECT_TRUE(options()->isColumnHidden(4));

    click(screen->cbt_zhangkai);
    detailsShown(true);
    EXPECT_FALSE(options()->isColumnHidden(4));
    EXPECT_EQ(rows(screen->Grid2_Youhuajieguo), 456);
    EXPECT_EQ(selectedRow(screen->Grid2_Youhuajieguo), 3);
}

TEST_F(OptimisationTest, ReopeningKeepsListsStatusAndButtons)
{
    openAndRun();
    click(screen->cbt_zhangkai);
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    const QString firstRa = cell(screen->Grid2_Youhuajieguo, 0, 4);
    click(screen->cbt_YHfanhui);
    open();
    EXPECT_EQ(status(), "Ra升序排列完成");
    EXPECT_EQ(cell(screen->Grid2_Youhuajieguo, 0, 4), firstRa);
    EXPECT_EQ(state().sortStateRa, 1);
    EXPECT_EQ(screen->cbt_zhangkai->text(), "折叠");
    EXPECT_FALSE(screen->cbt_YHcompute->isEnabled());
    EXPECT_TRUE(screen->cbt_YHsaixuan->isEnabled());
}

} // namespace
} // namespace saxolith::test
