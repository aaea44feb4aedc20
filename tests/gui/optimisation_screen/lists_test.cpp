// Working on the candidate lists: header clicks, the Ra filter, and taking a candidate back.
#include "optimisation_fixture.h"

#include <QAbstractItemModelTester>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace saxolith::test
{
namespace
{

QStringList column(QTableView *list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        texts << list->model()->index(row, column).data().toString();
    }
    return texts;
}

bool ascending(const QStringList &numbers)
{
    for (qsizetype i = 1; i < numbers.size(); ++i) {
        if (numbers[i].toDouble() < numbers[i - 1].toDouble()) {
            return false;
        }
    }
    return true;
}

QStringList reversed(QStringList texts)
{
    std::reverse(texts.begin(), texts.end());
    return texts;
}

TEST_F(OptimisationTest, ListsOfFewerThanTwoRowsNeedNoSort)
{
    open();
    clickHeader(screen->Grid2_Youhuajieguo, 2);
    EXPECT_EQ(status(), "无需排序");

    editOption(0, 2, "1");
    editOption(1, 2, "1000");
    editOption(6, 2, "1");
    editOption(7, 2, "3500");
    run();
    ASSERT_EQ(rows(screen->Grid2_Youhuajieguo), 1);
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    EXPECT_EQ(status(), "无需排序");
    EXPECT_EQ(statusColour(), black);
    EXPECT_EQ(state().sortStateRa, 0);
    EXPECT_EQ(header(screen->Grid2_Youhuajieguo, 4), "  Ra(kN)");
    EXPECT_EQ(selectedRow(screen->Grid2_Youhuajieguo), -1);
}

TEST_F(OptimisationTest, HeaderClicksSortReverseAndMark)
{
    openAndRun();
    QTableView *list = screen->Grid2_Youhuajieguo;
    QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);

    clickHeader(list, 2);
    EXPECT_EQ(status(), "d升序排列完成");
    EXPECT_EQ(header(list, 2), "d|a(mm)▲");
    EXPECT_EQ(state().sortStateD, 1);
    EXPECT_TRUE(ascending(column(list, 2)));
    EXPECT_EQ(selectedRow(list), 0);
    const QStringList ascendingOrder = column(list, 0);

    clickHeader(list, 2);
    EXPECT_EQ(status(), "d降序排列完成");
    EXPECT_EQ(header(list, 2), "d|a(mm)▼");
    EXPECT_EQ(state().sortStateD, 2);
    EXPECT_EQ(column(list, 0), reversed(ascendingOrder));

    clickHeader(list, 2);
    EXPECT_EQ(status(), "d升序排列完成");
    EXPECT_EQ(column(list, 0), ascendingOrder);

    clickHeader(list, 4);
    EXPECT_EQ(status(), "Ra升序排列完成");
    EXPECT_EQ(header(list, 4), "Ra(kN)▲");
    EXPECT_EQ(header(list, 2), " d|a(mm)");
    EXPECT_EQ(state().sortStateD, 0);
    EXPECT_EQ(state().sortStateRa, 1);
    EXPECT_TRUE(ascending(column(list, 4)));

    // Dragged to the front, the Ra column still sorts by Ra.
    QHeaderView *headerView = list->horizontalHeader();
    headerView->moveSection(headerView->visualIndex(4), 0);
    ASSERT_EQ(headerView->logicalIndexAt(1), 4);
    clickHeader(list, 4);
    EXPECT_EQ(status(), "Ra降序排列完成");
    EXPECT_EQ(header(list, 4), "Ra(kN)▼");
    EXPECT_TRUE(ascending(reversed(column(list, 4))));
}

TEST_F(OptimisationTest, OtherHeadersLeaveTheOrderAndSelectTheFirstRow)
{
    openAndRun();
    click(screen->cbt_zhangkai);
    QTableView *list = screen->Grid2_Youhuajieguo;
    const QStringList order = column(list, 0);
    for (const int refused : {0, 1, 3, 7, 10}) {
        list->selectRow(5);
        clickHeader(list, refused);
        EXPECT_EQ(status(), "仅支持d、Ra排序") << refused;
        EXPECT_EQ(selectedRow(list), 0) << refused;
    }
    EXPECT_EQ(column(list, 0), order);

    clickHeader(list, 2);
    list->selectRow(5);
    const QStringList sorted = column(list, 0);
    clickHeader(list, 11);
    EXPECT_EQ(status(), "d升序排列完成");
    EXPECT_EQ(selectedRow(list), 0);
    EXPECT_EQ(column(list, 0), sorted);
    EXPECT_EQ(state().sortStateD, 1);
}

TEST_F(OptimisationTest, FilterKeepsTheRowsInTheRaRange)
{
    struct Case {
        const char *minimum;
        const char *maximum;
        double low;
        double high;
    };
    const Case cases[] = {
        {"10000", "11000", 10000, 11000},
        {"0", "0", 0, 1e15},
        {"-5", "-1", 0, 1e15},
        {"0", "8000", 0, 8000},
        {"11000", "10000", 11000, 11000},
        {"3436", "3436", 3436, 3436},
    };
    openAndRun();
    QTableView *full = screen->Grid2_Youhuajieguo;
    QTableView *filtered = screen->Grid3_Youhuasaixuan;
    const QStringList numbers = column(full, 0);
    const QStringList ra = column(full, 4);
    for (const Case &c : cases) {
        editOption(13, 1, c.minimum);
        editOption(13, 2, c.maximum);
        ASSERT_TRUE(screen->cbt_YHsaixuan->isEnabled());
        click(screen->cbt_YHsaixuan);

        QStringList expected;
        for (qsizetype row = 0; row < ra.size(); ++row) {
            if (ra[row].toDouble() >= c.low && ra[row].toDouble() <= c.high) {
                expected << numbers[row];
            }
        }
        const QString range = QString("%1..%2").arg(c.minimum, c.maximum);
        EXPECT_EQ(column(filtered, 0), expected) << range.toStdString();
        EXPECT_TRUE(filtered->isVisible());
        EXPECT_FALSE(full->isVisible());
        EXPECT_FALSE(screen->cbt_YHsaixuan->isEnabled());
        EXPECT_EQ(screen->cbt_YHsave->isEnabled(), !expected.isEmpty());
        EXPECT_EQ(status(), expected.isEmpty() ? QString("无满足条件桩，调整区间再筛选")
                                               : QString("筛选完成，桩数：%1 根").arg(expected.size()));
        EXPECT_EQ(statusColour(), black);
    }
    EXPECT_EQ(rows(full), 456);
}

TEST_F(OptimisationTest, FilterWithoutAMatchShowsTheEmptyList)
{
    open();
    // Before any run the filter can be enabled and finds nothing.
    editOption(13, 1, "10000");
    click(screen->cbt_YHsaixuan);
    EXPECT_EQ(status(), "无满足条件桩，调整区间再筛选");
    EXPECT_TRUE(screen->Grid3_Youhuasaixuan->isVisible());

    run();
    editOption(13, 1, "1");
    editOption(13, 2, "2");
    click(screen->cbt_YHsaixuan);
    EXPECT_EQ(status(), "无满足条件桩，调整区间再筛选");
    EXPECT_EQ(rows(screen->Grid3_Youhuasaixuan), 0);
    EXPECT_TRUE(screen->Grid3_Youhuasaixuan->isVisible());
    EXPECT_FALSE(screen->Grid2_Youhuajieguo->isVisible());
    EXPECT_FALSE(screen->cbt_YHsaixuan->isEnabled());
    EXPECT_FALSE(screen->cbt_YHsave->isEnabled());
}

TEST_F(OptimisationTest, UnreadableRangeStopsTheFilterWithNothingChanged)
{
    openAndRun();
    editOption(13, 2, "");
    click(screen->cbt_YHsaixuan);
    EXPECT_EQ(messages, QStringList{"'' is not a valid floating point value"});
    EXPECT_EQ(status(), "计算完成，桩数：456 根");
    EXPECT_TRUE(screen->Grid2_Youhuajieguo->isVisible());
    EXPECT_TRUE(screen->cbt_YHsaixuan->isEnabled());
}

TEST_F(OptimisationTest, FilteredSortedListIsUnmarkedAndSortsWithoutMoving)
{
    openAndRun();
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    editOption(13, 1, "0");
    click(screen->cbt_YHsaixuan);
    QTableView *filtered = screen->Grid3_Youhuasaixuan;
    QAbstractItemModelTester tester(filtered->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(state().sortStateRa, 0);
    EXPECT_EQ(header(filtered, 4), "  Ra(kN)");
    EXPECT_EQ(header(screen->Grid2_Youhuajieguo, 4), "Ra(kN)▲");
    const QStringList order = column(filtered, 0);
    EXPECT_TRUE(ascending(column(filtered, 4)));

    clickHeader(filtered, 4);
    EXPECT_EQ(status(), "Ra升序排列完成");
    EXPECT_EQ(header(filtered, 4), "Ra(kN)▲");
    EXPECT_EQ(column(filtered, 0), order);
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled());
}

// What the input screen must hold after taking back row `row` of `list`.
void expectTakenBack(InputScreen *input, QTableView *list, int row, const QString &frkBefore)
{
    const auto at = [&](int column) { return list->model()->index(row, column).data().toString(); };
    const QString section = at(1);
    const QString item = section == "圆  桩" ? "圆桩" : section == "椭圆桩" ? "椭圆桩" : "矩形桩";
    EXPECT_EQ(input->cbe_jmlx->currentText(), item) << section.toStdString();
    EXPECT_EQ(input->cbe_dd->currentText(), at(2));
    EXPECT_EQ(input->cbe_tyzd->currentText(), section == "圆  桩" ? QString("0") : at(3));
    if (at(10) == "1") {
        EXPECT_TRUE(input->rdb_qpa->isChecked());
        EXPECT_EQ(input->edt_qpaSR->text(), at(5));
        EXPECT_EQ(input->edt_frk->text(), frkBefore);
    } else {
        EXPECT_TRUE(input->rdb_frk->isChecked());
        EXPECT_TRUE(input->rdb_zhidongzhishu->isChecked());
        EXPECT_EQ(input->edt_frk->text(), at(5));
        EXPECT_EQ(input->cbe_zhishu->currentText(), at(7));
    }
}

TEST_F(OptimisationTest, DoubleClickTakesEachKindOfCandidateBack)
{
    struct Kind {
        const char *name;
        std::function<bool(const QStringList &)> matches; // a row's twelve texts
    };
    const Kind kinds[] = {
        {"round, qpa route", [](const QStringList &r) { return r[1] == "圆  桩" && r[10] == "1"; }},
        {"ellipse, by class", [](const QStringList &r) { return r[1] == "椭圆桩" && r[6] == "1"; }},
        {"square, qpa route", [](const QStringList &r) { return r[1] == "方  桩" && r[10] == "1"; }},
        {"rectangle, by index", [](const QStringList &r) { return r[1] == "矩形桩" && r[6] == "2"; }},
        {"round, by index", [](const QStringList &r) { return r[1] == "圆  桩" && r[6] == "2"; }},
    };
    openAndRun();
    click(screen->cbt_zhangkai);
    QTableView *list = screen->Grid2_Youhuajieguo;
    int detailColumn = 0;
    for (const Kind &kind : kinds) {
        int row = 0;
        for (; row < rows(list); ++row) {
            QStringList texts;
            for (int c = 0; c < 12; ++c) {
                texts << cell(list, row, c);
            }
            if (kind.matches(texts)) {
                break;
            }
        }
        ASSERT_LT(row, rows(list)) << kind.name;
        const QString frkBefore = input->edt_frk->text();
        if (!screen->isVisible()) {
            open();
        }
        // Any cell of the row, detail columns included.
        doubleClickRow(list, row, detailColumn);
        detailColumn = (detailColumn + 3) % 12;
        SCOPED_TRACE(kind.name);
        EXPECT_TRUE(input->isVisible());
        EXPECT_FALSE(screen->isVisible());
        EXPECT_TRUE(inputRecords());
        expectTakenBack(input, list, row, frkBefore);
    }
    EXPECT_EQ(bookEntries(), 0);

    // Back on the input screen the candidate is calculated into the book with the list's Ra.
    const QString ra = cell(
        list,
        [&] {
            for (int row = 0; row < rows(list); ++row) {
                if (cell(list, row, 1) == "圆  桩" && cell(list, row, 6) == "2") {
                    return row;
                }
            }
            return 0;
        }(),
        4);
    click(input->cbt_compute);
    EXPECT_EQ(bookEntries(), 1);
    EXPECT_EQ(input->edt_ra->text(), ra);
}

TEST_F(OptimisationTest, TakingBackFromTheFilteredListKeepsItOnShow)
{
    openAndRun();
    click(screen->cbt_YHsaixuan);
    QTableView *filtered = screen->Grid3_Youhuasaixuan;
    ASSERT_GT(rows(filtered), 1);
    const QString frkBefore = input->edt_frk->text();
    doubleClickRow(filtered, 1);
    EXPECT_TRUE(input->isVisible());
    expectTakenBack(input, filtered, 1, frkBefore);

    open();
    EXPECT_TRUE(filtered->isVisible());
    EXPECT_FALSE(screen->Grid2_Youhuajieguo->isVisible());
    EXPECT_EQ(status().left(5), "筛选完成，");
}

TEST_F(OptimisationTest, TakingBackTheCandidateAlreadyShownChangesNothingButTheScreen)
{
    openAndRun();
    const QString ra = input->edt_ra->text();
    ASSERT_FALSE(ra.isEmpty());
    doubleClickRow(screen->Grid2_Youhuajieguo, 455);
    EXPECT_TRUE(input->isVisible());
    // No change reaction ran, so the results of the last candidate still stand.
    EXPECT_EQ(input->edt_ra->text(), ra);
}

} // namespace
} // namespace saxolith::test

namespace saxolith::test
{
namespace
{

// A sort and a filter that take long show their progress while the window keeps painting, and
// leave the same rows as without it.
TEST_F(OptimisationTest, LongListCommandsShowTheirProgress)
{
    open();
    editOption(0, 2, "1");
    editOption(1, 3, "0.1"); // 190,019 rows
    run();
    screen->setProgressDelay(0);

    QList<int> progressSeen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (screen->pb_YH_jingdu->isVisible()) {
            progressSeen << screen->pb_YH_jingdu->value();
        }
    });
    QTableView *list = screen->Grid2_Youhuajieguo;
    const CandidateList before = screen->fullList()->list();
    watcher.start(0);
    clickHeader(list, 4);
    watcher.stop();
    EXPECT_EQ(status(), "Ra升序排列完成");
    EXPECT_GE(progressSeen.size(), 2);
    EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
    EXPECT_FALSE(screen->pb_YH_jingdu->isVisible());
    CandidateList sorted = before;
    sorted.sortAscending(4);
    for (int row : {0, 1000, 190018}) {
        EXPECT_EQ(cell(list, row, 0), QString::fromStdString(sorted.cell(static_cast<std::size_t>(row), 0)));
    }

    progressSeen.clear();
    watcher.start(0);
    click(screen->cbt_YHsaixuan);
    watcher.stop();
    EXPECT_TRUE(status().startsWith("筛选完成，桩数："));
    EXPECT_GE(progressSeen.size(), 2);
    EXPECT_FALSE(screen->pb_YH_jingdu->isVisible());
}

} // namespace
} // namespace saxolith::test
