// Save As, Excel and CSV of the list on show, through the context menus and shortcuts of the real window.
#include "optimisation_fixture.h"

#include "gui/file_dialog.h"
#include "core/optimise/list_export.h"
#include "gui/project_session.h"
#include "gui/report_dialog.h"
#include "gui/saved_notice.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

namespace saxolith::test
{
namespace
{

class ListExportTest : public OptimisationTest
{
  protected:
    void SetUp() override
    {
        OptimisationTest::SetUp();
        window->services().setSettingsFile(m_folder.path() + "/settings.ini");
        window->services().setSaveFileFunction([this](QWidget *, const SaveFileRequest &request) {
            requests << request;
            return SaveFileAnswer{answer, answerFilter.isEmpty() ? request.filters.front() : answerFilter};
        });
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    [[nodiscard]] QAction *action(const char *name) const { return screen->findChild<QAction *>(name); }
    void press(QKeyCombination keys) { QTest::keyClick(window.get(), keys.key(), keys.keyboardModifiers()); }
    [[nodiscard]] QString path(const QString &name) const { return QDir(m_folder.path()).filePath(name); }
    [[nodiscard]] QByteArray bytes(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    [[nodiscard]] QString unzip(const QString &name, const QString &member) const
    {
        QProcess process;
        process.start("unzip", {"-p", path(name), member});
        EXPECT_TRUE(process.waitForFinished(60000));
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    [[nodiscard]] QString noticeText() const
    {
        auto *notice = screen->findChild<SavedNotice *>("savedNotice");
        return notice != nullptr && notice->isVisible() ? notice->label->text().remove(QChar(0x200B))
                                                        : QString();
    }

    QString answer;
    QString answerFilter;
    QList<SaveFileRequest> requests;
};

TEST_F(ListExportTest, BothListsOfferTheCommandsWhileTheListOnShowHasRows)
{
    const QStringList texts{"另存为…", "导出 Excel…", "导出 CSV…"};
    for (QTableView *list : {screen->Grid2_Youhuajieguo, screen->Grid3_Youhuasaixuan}) {
        EXPECT_EQ(list->contextMenuPolicy(), Qt::ActionsContextMenu);
        const QList<QAction *> actions = list->actions();
        ASSERT_GE(actions.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(actions[i]->text(), texts[i]);
            EXPECT_FALSE(actions[i]->isEnabled()) << "enabled before a run";
        }
        EXPECT_EQ(actions[0]->shortcut(), QKeySequence("Ctrl+Shift+S"));
        EXPECT_EQ(actions[1]->shortcut(), QKeySequence("Ctrl+E"));
        EXPECT_TRUE(actions[1]->toolTip().contains("Ctrl+E"));
    }
    openAndRun();
    EXPECT_TRUE(action("act_listExportExcel")->isEnabled());
    // A filter that finds nothing shows an empty list: nothing to export.
    editOption(13, 1, "1");
    editOption(13, 2, "2");
    click(screen->cbt_YHsaixuan);
    ASSERT_EQ(rows(screen->Grid3_Youhuasaixuan), 0);
    EXPECT_FALSE(action("act_listExportExcel")->isEnabled());
    EXPECT_FALSE(action("act_listSaveAs")->isEnabled());
    press(Qt::CTRL | Qt::Key_E);
    EXPECT_TRUE(requests.isEmpty());
}

TEST_F(ListExportTest, ExcelHoldsTheListInTheOrderOnShow)
{
    openAndRun();
    clickHeader(screen->Grid2_Youhuajieguo, 4);
    clickHeader(screen->Grid2_Youhuajieguo, 4); // Ra descending
    answer = path("list");
    press(Qt::CTRL | Qt::Key_E);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].filters.front(), "Excel 工作簿 (*.xlsx)");
    EXPECT_TRUE(requests[0].suggestedPath.endsWith("嵌岩桩优化计算原始结果(依据GB50007-2011)_表格.xlsx"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(noticeText(), "已保存到：" + path("list.xlsx"));

    const QString sheet = unzip("list.xlsx", "xl/worksheets/sheet1.xml");
    EXPECT_EQ(sheet.count("<row "), 457);
    EXPECT_TRUE(sheet.contains("<v>" + cell(screen->Grid2_Youhuajieguo, 0, 4) + "</v>"));
    EXPECT_LT(sheet.indexOf(cell(screen->Grid2_Youhuajieguo, 0, 0)),
              sheet.indexOf(cell(screen->Grid2_Youhuajieguo, 1, 0)));
    EXPECT_TRUE(unzip("list.xlsx", "xl/workbook.xml").contains("name=\"原始结果\""));
}

TEST_F(ListExportTest, ANameEndingInCsvGivesCsvOfTheFilteredList)
{
    openAndRun();
    click(screen->cbt_YHsaixuan); // the start-up range 10000..11000
    const int found = rows(screen->Grid3_Youhuasaixuan);
    ASSERT_GT(found, 0);
    answer = path("filtered.csv");
    press(Qt::CTRL | Qt::Key_E); // the Excel filter is chosen, the name says CSV
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const QByteArray text = bytes("filtered.csv");
    ASSERT_TRUE(text.startsWith("\xEF\xBB\xBF"));
    QStringList records = QString::fromUtf8(text.mid(3)).split("\r\n");
    EXPECT_EQ(records.takeLast(), "");
    ASSERT_EQ(records.size(), 1 + found);
    EXPECT_TRUE(records[0].startsWith("桩编号,截面类型,d|a(mm),c|b(mm),Ra(kN),"));
    for (int row = 0; row < found; ++row) {
        const QStringList fields = records[row + 1].split(',');
        ASSERT_EQ(fields.size(), 13);
        EXPECT_EQ(fields[0], cell(screen->Grid3_Youhuasaixuan, row, 0));
        EXPECT_EQ(fields[1], cell(screen->Grid3_Youhuasaixuan, row, 1).remove(' '));
        EXPECT_EQ(fields[4], cell(screen->Grid3_Youhuasaixuan, row, 4));
    }
    // 导出 CSV… from the menu proposes CSV first.
    action("act_listExportCsv")->trigger();
    EXPECT_EQ(requests.back().filters.front(), "CSV 文件 (*.csv)");
}

TEST_F(ListExportTest, TheSpreadsheetsGiveRpAtTheReportsGradeOfTheProjectOrTheUser)
{
    ReportSettings remembered;
    remembered.concreteGrade = "C25";
    remembered.psiC = 0.6;
    saveReportSettings(remembered);
    openAndRun();
    const CandidateList &shown = screen->fullList()->list();
    const auto rpColumn = [this](const QString &name) {
        QStringList records = QString::fromUtf8(bytes(name).mid(3)).split("\r\n");
        records.removeLast();
        QStringList rp;
        for (const QString &record : records) {
            rp << record.split(',').value(12);
        }
        return rp;
    };
    const auto expected = [&shown](double fc, double psiC) {
        QStringList rp{"Rp(kN)"};
        for (std::size_t row = 0; row < shown.size(); ++row) {
            rp << QString::fromStdString(shaftCell(shown.row(row), {fc, psiC}));
        }
        return rp;
    };
    answer = path("user.csv");
    press(Qt::CTRL | Qt::Key_E);
    EXPECT_EQ(rpColumn("user.csv"), expected(11.9, 0.6));

    // With a project open, its settings hold.
    window->findChild<QAction *>("act_newProject")->trigger();
    ASSERT_TRUE(window->project().hasProject());
    ASSERT_EQ(screen->fullList()->list().size(), shown.size());
    ReportSettings own;
    own.concreteGrade = "C50";
    own.psiC = 0.8;
    window->project().setReportSettings(own);
    answer = path("project.csv");
    press(Qt::CTRL | Qt::Key_E);
    EXPECT_EQ(rpColumn("project.csv"), expected(23.1, 0.8));
    // The workbook's last column, a number.
    answer = path("project.xlsx");
    press(Qt::CTRL | Qt::Key_E);
    const QString sheet = unzip("project.xlsx", "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(sheet.contains("<c r=\"M2\" s=\"")) << sheet.left(2000).toStdString();
    EXPECT_TRUE(sheet.contains("<v>" + expected(23.1, 0.8)[1] + "</v>"));
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    // 存盘 keeps its columns.
    click(screen->cbt_YHsave);
    EXPECT_FALSE(bytes("嵌岩桩优化计算原始结果(依据GB50007-2011)_表格.txt").contains("Rp"));
}

TEST_F(ListExportTest, SaveAsWritesTheBytesOfTheSaveCommand)
{
    openAndRun();
    answer = path("copy.txt");
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    click(screen->cbt_YHsave);
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const QByteArray saved = bytes("嵌岩桩优化计算原始结果(依据GB50007-2011)_表格.txt");
    const QByteArray copy = bytes("copy.txt");
    ASSERT_FALSE(saved.isEmpty());
    // Equal up to the time line, written a moment apart.
    EXPECT_EQ(copy.left(copy.lastIndexOf("\r\n", copy.size() - 3)),
              saved.left(saved.lastIndexOf("\r\n", saved.size() - 3)));
    EXPECT_TRUE(screen->cbt_YHsave->isEnabled() == false);
    EXPECT_EQ(noticeText(), "已保存到：" + path("嵌岩桩优化计算原始结果(依据GB50007-2011)_表格.txt"));
}

TEST_F(ListExportTest, ALongExportShowsProgressAndKeepsTheEventLoopRunning)
{
    openAndRun();
    CandidateList many;
    const CandidateList &run = screen->fullList()->list();
    // Long enough that the export outlasts the bar's delay on a quiet, fast machine.
    constexpr std::size_t rows = 400'000;
    for (std::size_t i = 0; i < rows; ++i) {
        many.append(run.row(i % run.size()));
    }
    many.renumber();
    screen->fullList()->setList(std::move(many));

    int ticks = 0;
    bool sawProgress = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        ++ticks;
        sawProgress = sawProgress || screen->pb_YH_jingdu->isVisible();
    });
    probe.start(20);
    answer = path("long.xlsx");
    press(Qt::CTRL | Qt::Key_E);
    probe.stop();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_GT(ticks, 0) << "the window's event loop stood still";
    EXPECT_TRUE(sawProgress);
    EXPECT_FALSE(screen->pb_YH_jingdu->isVisible());
    EXPECT_EQ(unzip("long.xlsx", "xl/worksheets/sheet1.xml").count("<row "), rows + 1);
}

TEST_F(ListExportTest, AFailedExportSaysWhy)
{
    openAndRun();
    answer = path("missing/list.xlsx");
    press(Qt::CTRL | Qt::Key_E);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(answer)) << messages[0].toStdString();
    EXPECT_TRUE(noticeText().isEmpty());
}

} // namespace
} // namespace saxolith::test
