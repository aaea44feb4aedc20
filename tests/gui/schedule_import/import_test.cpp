// Importing a pile schedule on the input screen, and the same piles typed in by hand.
#include "../input_screen/input_fixture.h"

#include "core/book/book_file.h"
#include "support/code_page.h"
#include "gui/window_services.h"
#include "core/schedule/schedule_run.h"
#include "gui/schedule_import.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

namespace saxolith::test
{
namespace
{

// Covers every section (a square and an exchanged rectangle too), both routes, both ψr modes,
// every precision, hints and a refused row; no row repeats the one before.
const std::string piles = "截面类型,d(mm),c(mm),qpa(kPa),frk(MPa),完整程度,ψr,精度\n"
                          "圆桩,1000,,,35,较完整,,个位取整\n"
                          "椭圆桩,1200,600,,40,0.62,,两位小数\n"
                          "矩形桩,1500,800,4000,,,,十位取整\n"
                          "方桩,1000,1000,,20,,0.6,一位小数\n"
                          "圆桩,1100,,,abc,较完整,,一位小数\n"
                          "矩形桩,800,1200,,60,完整,,百位取整\n"
                          "圆桩,2000,,,50,较破碎,,两位小数\n";

class ScheduleImportTest : public InputScreenTest
{
  protected:
    ScheduleImportTest() : InputScreenTest(Messages::Kept) {}

    void prepare(WindowServices &services) override
    {
        services.setOpenFileFunction([this](QWidget *, const QString &caption, const QString &) {
            dialogCaptions << caption;
            return answer;
        });
    }

    void freshWindow()
    {
        openWindow();
        screen = window->inputScreen();
    }

    // A schedule file in the scratch folder, which the file dialog will answer with.
    QString schedule(const std::string &bytes, const QString &name = QStringLiteral("桩表.csv"))
    {
        answer = m_folder.path() + QLatin1Char('/') + name;
        QFile file(answer);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return answer;
    }

    void pressCtrlI()
    {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window.get(), Qt::Key_I,
                        Qt::ControlModifier);
    }

    // Types one pile into the controls as a user would and calculates it: with "计算", or by
    // picking another precision, which calculates at once.
    void typeAndCalculate(const CalculationInput &input)
    {
        if (screen->cbe_jmlx->currentIndex() != input.sectionItem) {
            pick(screen->cbe_jmlx, input.sectionItem);
        }
        const auto typeIfDifferent = [](QWidget *field, const std::string &text) {
            if (textOf(field) != QString::fromStdString(text)) {
                type(field, QString::fromStdString(text));
            }
        };
        typeIfDifferent(screen->cbe_dd, input.firstDimension);
        if (screen->cbe_tyzd->isEnabled()) {
            typeIfDifferent(screen->cbe_tyzd, input.secondDimension);
        }
        if (input.route == StrengthRoute::QpaGiven) {
            click(screen->rdb_qpa);
            typeIfDifferent(screen->edt_qpaSR, input.qpa);
        } else {
            click(screen->rdb_frk);
            typeIfDifferent(screen->edt_frk, input.frk);
            if (input.psiMode == PsiMode::Manual) {
                click(screen->rdb_rengongxishu);
                typeIfDifferent(screen->cbe_rengongxishu, input.manualPsi);
            } else {
                click(screen->rdb_zhidongzhishu);
                typeIfDifferent(screen->cbe_zhishu, input.integrity);
            }
        }
        if (screen->popbox_jingdu->currentIndex() != input.precision) {
            click(screen->cbt_JingDu);
            pick(screen->popbox_jingdu, input.precision);
        } else {
            ASSERT_TRUE(screen->cbt_compute->isVisible());
            compute();
        }
        if (screen->popbox_jingdu->isVisible()) {
            click(screen->cbt_JingDu);
        }
    }

    // Both book files saved through "结果" and "保存" on each form.
    std::pair<QByteArray, QByteArray> savedBooks()
    {
        click(screen->cbt_View);
        ResultScreen *result = window->resultScreen();
        click(result->cbt_Save);
        click(result->cbt_PageBook);
        click(result->cbt_Save);
        click(result->cbt_PageBook);
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
        EXPECT_EQ(window->resultScreen()->book().unsavedForms(), 0);
        const auto bytes = [this](BookForm form) {
            QFile file(m_folder.path() + QLatin1Char('/') + QString::fromUtf8(bookFileName(form).data()));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        return {bytes(BookForm::Text), bytes(BookForm::Table)};
    }

    // The time the window wrote under its book.
    std::string bookTime() const
    {
        const QString last = window->resultScreen()->meo_jisuanjieguo_Doc->toPlainText().section('\n', -1);
        return last.mid(QStringLiteral("计算时间：").size()).toStdString();
    }

    // What the schedule gives in core alone, with the time the window wrote.
    static std::pair<QByteArray, QByteArray> coreBooks(const std::string &csv, const std::string &time)
    {
        CalculationBook book;
        calculateSchedule(readSchedule(csv).rows, book, time);
        const auto bytes = [](const std::vector<std::string> &lines) {
            const std::string text = bookFileBytes(lines, "GBK");
            return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
        };
        return {bytes(book.textLines()), bytes(book.tableLines())};
    }

    QString answer;
    QStringList dialogCaptions;
};

TEST_F(ScheduleImportTest, ImportAndTypingByHandSaveTheSameBooksAsTheScheduleInCore)
{
    const std::vector<ScheduleRow> rows = readSchedule(piles).rows;
    ASSERT_EQ(rows.size(), 7u);

    // By hand, in a freshly started program.
    for (const ScheduleRow &row : rows) {
        SCOPED_TRACE(row.line);
        typeAndCalculate(rowInput(row).input);
    }
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 6);
    const auto byHand = savedBooks();
    ASSERT_FALSE(byHand.first.isEmpty());
    EXPECT_EQ(byHand, coreBooks(piles, bookTime()));

    // Imported with Ctrl+I, in another freshly started program, from a GBK file.
    freshWindow();
    messages.clear();
    schedule(toGbk(piles));
    pressCtrlI();
    ASSERT_EQ(dialogCaptions, QStringList{"导入桩表"});
    EXPECT_EQ(messages,
              QStringList{"已计算 6 根（其中提示 2 根），未计算 1 根\n第 6 行：岩石单轴抗压强度值有错"});
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 6);

    // The input screen shows the last row as after calculating it.
    const CalculationInput last = rowInput(rows.back()).input;
    const CalculationOutcome outcome = calculate(last);
    const CalculationInput shown = screen->gatherInput();
    EXPECT_EQ(shown.sectionItem, last.sectionItem);
    EXPECT_EQ(shown.firstDimension, last.firstDimension);
    EXPECT_EQ(shown.frk, last.frk);
    EXPECT_EQ(shown.integrity, last.integrity);
    EXPECT_EQ(shown.psiMode, last.psiMode);
    EXPECT_EQ(shown.precision, last.precision);
    expectResults(QString::fromStdString(outcome.psiText), QString::fromStdString(outcome.qpaText),
                  QString::fromStdString(outcome.raText));
    EXPECT_EQ(status().toStdString(), outcome.statusText);
    EXPECT_TRUE(screen->cbt_View->isVisible());
    EXPECT_FALSE(screen->cbt_compute->isVisible());
    EXPECT_EQ(window->resultScreen()->book().unsavedForms(), 3);

    messages.clear();
    const auto imported = savedBooks();
    EXPECT_EQ(imported, coreBooks(piles, bookTime()));
}

TEST_F(ScheduleImportTest, RowsJoinTheBookAfterItsEntriesUnderTheirIds)
{
    compute(); // ZH1 by hand
    schedule("id,section,d,integrity,frk\nA-1,圆桩,1000,较完整,36\n,圆桩,1000,较完整,37\n");
    screen->findChild<QAction *>("act_importSchedule")->trigger();
    EXPECT_EQ(messages, QStringList{"已计算 2 根，未计算 0 根"});
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 3);
    const QString book = window->resultScreen()->meo_jisuanjieguo_Doc->toPlainText();
    for (const QString name : {"ZH1", "A-1", "ZH3"}) {
        EXPECT_TRUE(book.contains("1.基桩编号: " + name)) << name.toStdString();
    }
    EXPECT_FALSE(book.contains("ZH2"));
    EXPECT_TRUE(window->resultScreen()->cbt_sanchu->isEnabled());
}

TEST_F(ScheduleImportTest, OnTheInputScreensContextMenuAndCtrlIWhileItIsShown)
{
    EXPECT_EQ(screen->contextMenuPolicy(), Qt::ActionsContextMenu);
    auto *action = screen->findChild<QAction *>("act_importSchedule");
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(screen->actions().contains(action));
    EXPECT_EQ(action->text(), "导入桩表…");
    EXPECT_EQ(action->shortcut(), QKeySequence("Ctrl+I"));

    // Cancelled: nothing happens.
    answer.clear();
    pressCtrlI();
    EXPECT_EQ(dialogCaptions.size(), 1);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 0);

    // Not while another screen is shown.
    compute();
    click(screen->cbt_View);
    pressCtrlI();
    EXPECT_EQ(dialogCaptions.size(), 1);
}

TEST_F(ScheduleImportTest, AFileThatCannotBeReadChangesNothing)
{
    compute();
    const QString bookBefore = window->resultScreen()->meo_jisuanjieguo_Doc->toPlainText();
    const CalculationInput inputBefore = screen->gatherInput();

    schedule("id,diameter\nA,1000\n", "bad.csv");
    importSchedule(*window);
    answer = m_folder.path() + "/missing.csv";
    importSchedule(*window);
    schedule(std::string("id,d\nA,10\0"
                         "00\n",
                         14),
             "binary.csv");
    importSchedule(*window);

    ASSERT_EQ(messages.size(), 3);
    EXPECT_TRUE(messages[0].startsWith("bad.csv\n第 1 行：未知列名“diameter”")) << messages[0].toStdString();
    EXPECT_TRUE(messages[1].startsWith("无法读取 missing.csv：")) << messages[1].toStdString();
    EXPECT_EQ(messages[2], "binary.csv\n第 2 行：不是文本文件（含二进制字节）");
    EXPECT_EQ(window->resultScreen()->meo_jisuanjieguo_Doc->toPlainText(), bookBefore);
    EXPECT_EQ(screen->gatherInput().frk, inputBefore.frk);
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);
}

TEST_F(ScheduleImportTest, AScheduleTooLongForTheWindowIsSentToTheCommandLine)
{
    std::string csv = "d\n";
    for (int i = 0; i < 5001; ++i) {
        csv += "1000\n";
    }
    schedule(csv, "long.csv");
    importSchedule(*window);
    EXPECT_EQ(messages, QStringList{"long.csv\n桩表有 5001 根桩，窗口中一次最多导入 5000 根；"
                                    "更长的桩表请用命令行程序 saxolith-batch"});
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 0);
}

TEST_F(ScheduleImportTest, ALongScheduleShowsProgressAtOnce)
{
    std::string csv = "section,d,integrity,frk\n";
    for (int i = 0; i < 1000; ++i) {
        csv += "圆桩,1000,较完整," + std::to_string(31 + i % 2) + "\n";
    }
    schedule(csv);
    bool progressShown = false;
    QTimer::singleShot(0, window.get(), [&] {
        const auto *box = window->findChild<QDialog *>("scheduleProgress");
        const auto *label = box != nullptr ? box->findChild<QLabel *>() : nullptr;
        progressShown = label != nullptr && box->isVisible() && label->text() == "正在计算桩表…";
    });
    importSchedule(*window);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 1000);
    EXPECT_EQ(window->findChild<QDialog *>("scheduleProgress"), nullptr);
}

TEST_F(ScheduleImportTest, ARefusedLastRowShowsItsErrorAndTheBookStaysWithinReach)
{
    schedule("section,d,integrity,frk\n圆桩,1000,较完整,36\n圆桩,1000,较完整,abc\n");
    importSchedule(*window);
    EXPECT_EQ(status(), "岩石单轴抗压强度值有错");
    EXPECT_EQ(textColour(screen->edt_frk), red);
    expectResults("", "", "");
    EXPECT_EQ(aborted(), "运行中止，主界面可查看中止位置、原因");
    EXPECT_TRUE(screen->cbt_View->isVisible());
    EXPECT_EQ(window->resultScreen()->book().unsavedForms(), 3);
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);

    // A text that is not a number: the summary says so, no error box stays open over it.
    messages.clear();
    schedule("截面类型,d(mm),frk(MPa),完整程度\n圆桩,1000,35,很完整\n");
    importSchedule(*window);
    EXPECT_EQ(messages,
              QStringList{"已计算 0 根，未计算 1 根\n第 2 行：'很完整' is not a valid floating point value"});
    for (const QMessageBox *box : window->findChildren<QMessageBox *>()) {
        EXPECT_FALSE(box->isVisible());
    }
    EXPECT_EQ(window->resultScreen()->book().entryCount(), 1);
}

TEST_F(ScheduleImportTest, TheSummaryListsTheFirstTenRefusedRows)
{
    std::string csv = "section,d,integrity,frk\n";
    for (int i = 0; i < 12; ++i) {
        csv += "圆桩,1000,较完整,x\n";
    }
    csv += "圆桩,1000,较完整,35\n";
    schedule(csv);
    importSchedule(*window);
    ASSERT_EQ(messages.size(), 1);
    const QStringList lines = messages.front().split('\n');
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.front(), "已计算 1 根，未计算 12 根");
    EXPECT_EQ(lines[1], "第 2 行：岩石单轴抗压强度值有错");
    EXPECT_EQ(lines[10], "第 11 行：岩石单轴抗压强度值有错");
    EXPECT_EQ(lines.back(), "…… 另有 2 行未计算");
}

} // namespace
} // namespace saxolith::test
