// The enumeration run from the optimisation screen: its outcomes, its failures and the input screen it
// leaves.
#include "optimisation_fixture.h"

#include "core/optimise/option_grid.h"

#include <QAbstractItemModelTester>
#include <QTimer>

namespace saxolith::test
{
namespace
{

// An option cell's text, and the message a run with it shows.
struct OptionCase {
    int row;
    int column;
    const char *text;
    const char *message;
};

TEST_F(OptimisationTest, RunListsEveryCandidateAndLeavesTheInputScreenOnTheLast)
{
    open();
    QAbstractItemModelTester tester(screen->fullList(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    run();

    QTableView *list = screen->Grid2_Youhuajieguo;
    EXPECT_EQ(status(), "计算完成，桩数：456 根");
    EXPECT_EQ(statusColour(), black);
    EXPECT_FALSE(screen->cbt_YHcompute->isEnabled());
    EXPECT_TRUE(screen->cbt_YHsaixuan->isEnabled());
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled());
    EXPECT_FALSE(screen->pb_YH_jingdu->isVisible());
    ASSERT_EQ(rows(list), 456);
    const QStringList first{"ZH-001", "圆  桩", "1000", "-", "2749", "3500", "-", "-", "-", "3500", "1", ""};
    const QStringList seventh{"ZH-007", "圆  桩", "1000",   "-",    "3436", "35.00",
                              "2",      "0.40",   "0.1250", "4375", "2",    ""};
    for (int column = 0; column < 12; ++column) {
        EXPECT_EQ(cell(list, 0, column), first[column]) << column;
        EXPECT_EQ(cell(list, 6, column), seventh[column]) << column;
    }
    EXPECT_EQ(cell(list, 455, 0), "ZH-456");
    EXPECT_EQ(cell(list, 455, 1), "方  桩");

    // Nothing reached the book; the input screen holds the last candidate, calculated.
    EXPECT_EQ(bookEntries(), 0);
    EXPECT_FALSE(inputRecords());
    EXPECT_EQ(input->cbe_jmlx->currentText(), "矩形桩");
    EXPECT_EQ(input->cbe_dd->currentText(), "2000");
    EXPECT_EQ(input->cbe_tyzd->currentText(), "2000");
    EXPECT_TRUE(input->rdb_frk->isChecked());
    EXPECT_TRUE(input->rdb_zhidongzhishu->isChecked());
    EXPECT_EQ(input->edt_frk->text(), "40.00");
    EXPECT_EQ(input->cbe_zhishu->currentText(), "0.80");
    EXPECT_EQ(input->edt_ra->text(), cell(list, 455, 4));
    EXPECT_EQ(input->edt_Psair->text(), cell(list, 455, 8));
    EXPECT_FALSE(input->cbt_View->isVisible());
    EXPECT_FALSE(input->img_Logo->isVisibleTo(input));
}

TEST_F(OptimisationTest, NextRunEmptiesBothListsAndShowsTheFullOne)
{
    openAndRun();
    clickHeader(screen->Grid2_Youhuajieguo, 2);
    click(screen->cbt_YHsaixuan);
    ASSERT_TRUE(screen->Grid3_Youhuasaixuan->isVisible());
    click(screen->cbt_YHfanhui);
    open();

    editOption(0, 2, "1");
    editOption(1, 2, "1000");
    editOption(6, 2, "1");
    editOption(7, 2, "3500");
    run();
    EXPECT_EQ(status(), "计算完成，桩数：1 根");
    EXPECT_TRUE(screen->Grid2_Youhuajieguo->isVisible());
    EXPECT_FALSE(screen->Grid3_Youhuasaixuan->isVisible());
    EXPECT_EQ(rows(screen->Grid3_Youhuasaixuan), 0);
    ASSERT_EQ(rows(screen->Grid2_Youhuajieguo), 1);
    EXPECT_EQ(cell(screen->Grid2_Youhuajieguo, 0, 0), "ZH-1");
    EXPECT_EQ(state().sortStateD, 0);
    EXPECT_EQ(header(screen->Grid2_Youhuajieguo, 2), " d|a(mm)");
}

TEST_F(OptimisationTest, OptionChecksStopTheRunWithARedMessage)
{
    const OptionCase cases[] = {
        {5, 2, "-1", "方形边长不能为负值"},
        {11, 2, "1.01", "岩体完整性指数不能大于1"},
        {11, 1, "0.34", "程序不支持完整性指数小于0.35的岩体"},
    };
    openAndRun();
    for (const OptionCase &c : cases) {
        withOptionText(c.row, c.column, c.text, [&] {
            run();
            EXPECT_EQ(status(), c.message);
            EXPECT_EQ(statusColour(), red);
            EXPECT_EQ(rows(screen->Grid2_Youhuajieguo), 0) << c.message;
            EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
            // A failed check leaves the buttons of the last complete run.
            EXPECT_TRUE(screen->cbt_YHsave->isEnabled());
            EXPECT_TRUE(messages.isEmpty());
        });
    }
    EXPECT_EQ(input->cbe_jmlx->currentText(), "矩形桩");
}

TEST_F(OptimisationTest, UnreadableOptionTextsShowTheConversionError)
{
    const OptionCase cases[] = {
        {0, 1, "", "'' is not a valid integer value"},
        {9, 2, "1.0", "'1.0' is not a valid integer value"},
        {8, 3, "abc", "'abc' is not a valid floating point value"},
    };
    open();
    for (const OptionCase &c : cases) {
        withOptionText(c.row, c.column, c.text, [&] {
            messages.clear();
            run();
            EXPECT_EQ(messages, QStringList{c.message});
            EXPECT_EQ(status(), "");
            EXPECT_EQ(rows(screen->Grid2_Youhuajieguo), 0);
            EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
            EXPECT_FALSE(screen->cbt_YHsaixuan->isEnabled());
        });
    }
    EXPECT_EQ(input->cbe_jmlx->currentText(), "圆桩");
    EXPECT_EQ(input->edt_ra->text(), "");
}

TEST_F(OptimisationTest, RefusedCandidateKeepsEarlierRowsAndTheInputScreenShowsWhy)
{
    open();
    editOption(0, 2, "2");
    editOption(2, 1, "0");
    run();
    EXPECT_EQ(status(), "运行中止，主界面可查看中止位置、原因");
    EXPECT_EQ(statusColour(), red);
    QTableView *list = screen->Grid2_Youhuajieguo;
    ASSERT_EQ(rows(list), 3 * 19);
    EXPECT_EQ(cell(list, 0, 0), "1");
    EXPECT_EQ(cell(list, 56, 0), "57");
    EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
    EXPECT_FALSE(screen->cbt_YHsaixuan->isEnabled());
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
    EXPECT_EQ(input->cbe_jmlx->currentText(), "椭圆桩");
    EXPECT_EQ(input->cbe_tyzd->currentText(), "0");
    EXPECT_EQ(input->lb_shuoming->palette().color(QPalette::Active, QPalette::WindowText), red);
    EXPECT_EQ(bookEntries(), 0);
}

TEST_F(OptimisationTest, TooManyCandidatesAreRefusedBeforeAnyIsEvaluated)
{
    open();
    editOption(1, 3, "0.001");
    run();
    EXPECT_TRUE(status().contains("2000000")) << status().toStdString();
    EXPECT_EQ(statusColour(), red);
    EXPECT_EQ(rows(screen->Grid2_Youhuajieguo), 0);
    EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
    EXPECT_EQ(input->edt_ra->text(), "");
    EXPECT_EQ(input->cbe_dd->currentText(), "1000");
}

// The refusal is decided before anything is thrown away: the filtered, sorted list stays usable.
TEST_F(OptimisationTest, ARunTooLargeKeepsTheLastListItsOrderAndButtons)
{
    openAndRun();
    editOption(raRangeRow, 1, "5000");
    editOption(raRangeRow, 2, "0");
    click(screen->cbt_YHsaixuan);
    clickHeader(screen->Grid3_Youhuasaixuan, 4);
    QTableView *filtered = screen->Grid3_Youhuasaixuan;
    ASSERT_TRUE(filtered->isVisible());
    const int fullRows = rows(screen->Grid2_Youhuajieguo);
    const int filteredRows = rows(filtered);
    ASSERT_GT(filteredRows, 1);
    const QString first = cell(filtered, 0, 0);
    const QString raHeader = header(filtered, 4);
    const SortState raOrder = state().sortStateRa;
    const bool saveOn = screen->cbt_YHsave->isEnabled();
    const bool filterOn = screen->cbt_YHsaixuan->isEnabled();

    editOption(1, 3, "0.001");
    run();
    EXPECT_TRUE(status().contains("2000000")) << status().toStdString();
    EXPECT_EQ(statusColour(), red);
    EXPECT_TRUE(filtered->isVisible());
    EXPECT_EQ(rows(screen->Grid2_Youhuajieguo), fullRows);
    EXPECT_EQ(rows(filtered), filteredRows);
    EXPECT_EQ(cell(filtered, 0, 0), first);
    EXPECT_EQ(header(filtered, 4), raHeader);
    EXPECT_EQ(state().sortStateRa, raOrder);
    EXPECT_EQ(screen->cbt_YHsave->isEnabled(), saveOn);
    EXPECT_EQ(screen->cbt_YHsaixuan->isEnabled(), filterOn);
    EXPECT_TRUE(screen->cbt_YHcompute->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

TEST_F(OptimisationTest, LongRunShowsItsProgressAndKeepsPainting)
{
    open();
    screen->setProgressDelay(0);
    editOption(0, 2, "1");
    editOption(1, 3, "0.1"); // 10,001 diameters, 19 rock cases each

    QList<int> progressSeen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (screen->pb_YH_jingdu->isVisible()) {
            progressSeen << screen->pb_YH_jingdu->value();
        }
    });
    watcher.start(0);
    run();
    watcher.stop();

    EXPECT_EQ(status(), "计算完成，桩数：190019 根");
    EXPECT_GE(progressSeen.size(), 2);
    EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
    EXPECT_FALSE(screen->pb_YH_jingdu->isVisible());
}

// 938,676 candidates: sort, filter and scrolling stay usable.
TEST_F(OptimisationTest, BigListStaysUsable)
{
    open();
    editOption(1, 1, "800");
    editOption(1, 2, "3000");
    editOption(1, 3, "5");
    editOption(2, 1, "100");
    editOption(2, 2, "1200");
    editOption(2, 3, "10");
    run();
    EXPECT_EQ(status(), "计算完成，桩数：938676 根");

    QTableView *list = screen->Grid2_Youhuajieguo;
    ASSERT_EQ(rows(list), 938676);
    EXPECT_EQ(cell(list, 938675, 0), "ZH-938676");
    clickHeader(list, 4);
    EXPECT_EQ(status(), "Ra升序排列完成");
    list->scrollToBottom();
    EXPECT_LE(cell(list, 0, 4).toDouble(), cell(list, 938675, 4).toDouble());
    // The window answers at the far end of the list: the last row is in view and takes a click.
    const QRect last = list->visualRect(list->model()->index(938675, 0));
    ASSERT_TRUE(list->viewport()->rect().contains(last.center()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, last.center());
    EXPECT_EQ(selectedRow(list), 938675);
    clickHeader(list, 4);
    EXPECT_EQ(status(), "Ra降序排列完成");
    EXPECT_EQ(selectedRow(list), 0);
    click(screen->cbt_YHsaixuan);
    EXPECT_TRUE(status().startsWith("筛选完成，桩数："));
    EXPECT_GT(rows(screen->Grid3_Youhuasaixuan), 0);
}

} // namespace
} // namespace saxolith::test
