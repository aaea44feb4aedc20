// 报告… on the result screen: the dialog, its remembered settings, the report as PDF and Word, print preview.
#include "result_fixture.h"

#include "core/project/project.h"
#include "gui/project_session.h"
#include "gui/report_dialog.h"
#include "gui/saved_notice.h"
#include "gui/window_language.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

namespace saxolith::test
{
namespace
{

class ReportDialogTest : public ResultScreenTest
{
  protected:
    void SetUp() override
    {
        ResultScreenTest::SetUp();
        window->services().setSettingsFile(m_folder.path() + "/settings.ini");
        window->services().setSaveFileFunction([this](QWidget *, const SaveFileRequest &request) {
            requests << request;
            return SaveFileAnswer{answer, request.filters.front()};
        });
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    ReportDialog *dialog() const { return result->findChild<ReportDialog *>("reportDialog"); }
    void openDialog()
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([this] { return dialog() != nullptr && dialog()->isVisible(); }));
    }
    void closeDialog()
    {
        QPointer<ReportDialog> shown = dialog();
        QTest::mouseClick(shown->cbt_close, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&shown] { return shown.isNull(); }));
    }
    void exportWith(QPushButton *button)
    {
        QSignalSpy finished(dialog(), &ReportDialog::exportFinished);
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(!finished.isEmpty() || finished.wait(30000));
        EXPECT_EQ(finished.front().at(1).toString(), QString());
    }

    QString answer;
    QList<SaveFileRequest> requests;
};

TEST_F(ReportDialogTest, TheCommandFollowsTheBookAndTheSettingsAreRemembered)
{
    QAction *report = result->findChild<QAction *>("act_report");
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->text(), "报告…");
    EXPECT_EQ(report->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_TRUE(result->meo_jisuanjieguo_Doc->actions().contains(report));
    EXPECT_TRUE(result->meo_jisuanjieguo_Xls->actions().contains(report));
    EXPECT_FALSE(report->isEnabled());

    calculateAndView();
    EXPECT_TRUE(report->isEnabled());
    ASSERT_NO_FATAL_FAILURE(openDialog());
    EXPECT_EQ(dialog()->cbb_concreteGrade->currentText(), "C30");
    EXPECT_DOUBLE_EQ(dialog()->dsb_psiC->value(), 0.7);
    EXPECT_DOUBLE_EQ(dialog()->dsb_gamma->value(), 1.35);
    EXPECT_EQ(dialog()->cbb_concreteGrade->count(), 8);
    EXPECT_EQ(dialog()->cbb_pileType->currentText(), "灌注桩");
    EXPECT_EQ(dialog()->cbb_stage->currentText(), "");
    dialog()->led_projectName->insert("滨江花园");
    dialog()->led_checker->insert("李四");
    dialog()->led_approver->insert("赵六");
    dialog()->led_lead->insert("钱七");
    dialog()->led_reportNumber->insert("JS-1");
    dialog()->cbb_stage->setCurrentIndex(1);
    dialog()->cbb_pileType->setEditText("灌注桩（后注浆）");
    dialog()->cbb_concreteGrade->setCurrentText("C45");
    dialog()->dsb_psiC->setValue(0.8);
    ASSERT_NO_FATAL_FAILURE(closeDialog());

    ASSERT_NO_FATAL_FAILURE(openDialog());
    EXPECT_EQ(dialog()->led_projectName->text(), "滨江花园");
    EXPECT_EQ(dialog()->led_checker->text(), "李四");
    EXPECT_EQ(dialog()->led_approver->text(), "赵六");
    EXPECT_EQ(dialog()->led_lead->text(), "钱七");
    EXPECT_EQ(dialog()->led_reportNumber->text(), "JS-1");
    EXPECT_EQ(dialog()->cbb_stage->currentText(), "初步设计");
    EXPECT_EQ(dialog()->cbb_pileType->currentText(), "灌注桩（后注浆）");
    EXPECT_EQ(dialog()->cbb_concreteGrade->currentText(), "C45");
    EXPECT_DOUBLE_EQ(dialog()->dsb_psiC->value(), 0.8);
    ASSERT_NO_FATAL_FAILURE(closeDialog());
    EXPECT_EQ(loadReportSettings().titleBlock.projectName, "滨江花园");
}

TEST_F(ReportDialogTest, WithAProjectOpenTheDialogShowsAndEditsTheProjectsSettings)
{
    ReportSettings remembered;
    remembered.titleBlock.designUnit = "某设计院";
    saveReportSettings(remembered);

    ProjectSession &project = window->project();
    window->findChild<QAction *>("act_newProject")->trigger();
    ASSERT_TRUE(project.hasProject());
    calculateAndView();
    ReportSettings own;
    own.titleBlock.projectName = "滨江花园";
    own.concreteGrade = "C50";
    own.psiC = 0.75;
    project.setReportSettings(own);
    EXPECT_TRUE(project.unsaved());
    answer = m_folder.path() + "/site.saxolith";
    project.saveProjectAs();
    ASSERT_FALSE(project.unsaved());
    ASSERT_NO_FATAL_FAILURE(openDialog());
    EXPECT_EQ(dialog()->led_projectName->text(), "滨江花园");
    EXPECT_EQ(dialog()->led_designUnit->text(), "");
    EXPECT_EQ(dialog()->cbb_concreteGrade->currentText(), "C50");
    EXPECT_DOUBLE_EQ(dialog()->dsb_psiC->value(), 0.75);
    dialog()->led_checker->insert("李四");
    dialog()->cbb_concreteGrade->setCurrentText("C35");
    ASSERT_NO_FATAL_FAILURE(closeDialog());

    EXPECT_EQ(project.reportSettings().titleBlock.checker, "李四");
    EXPECT_EQ(project.reportSettings().concreteGrade, "C35");
    EXPECT_EQ(project.current().report, project.reportSettings());
    EXPECT_TRUE(project.unsaved());
    EXPECT_TRUE(window->windowTitle().contains("*")) << window->windowTitle().toStdString();
    // The user's remembered settings are left as they were.
    EXPECT_EQ(loadReportSettings(), remembered);
}

// Filled in before there is a project, the title block goes into the project the first 保存工程 makes,
// which is named after it, and the dialog shows it again.
TEST_F(ReportDialogTest, TheFirstSaveOfAProjectKeepsTheTitleBlock)
{
    calculateAndView();
    ASSERT_NO_FATAL_FAILURE(openDialog());
    dialog()->led_projectName->insert("滨江/花园");
    dialog()->led_approver->insert("赵六");
    dialog()->cbb_stage->setCurrentText("施工图");
    answer = m_folder.path() + "/report.pdf";
    exportWith(dialog()->cbt_exportPdf);
    ASSERT_NO_FATAL_FAILURE(closeDialog());

    ProjectSession &project = window->project();
    ASSERT_FALSE(project.hasProject());
    answer = m_folder.path() + "/site.saxolith";
    requests.clear();
    result->findChild<QAction *>("act_saveProject")->trigger();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].suggestedPath.endsWith("/滨江_花园.saxolith"))
        << requests[0].suggestedPath.toStdString();
    ASSERT_TRUE(project.hasProject());
    QFile file(answer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const ProjectReading reading =
        readProject(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    ASSERT_TRUE(reading.project) << reading.error;
    EXPECT_EQ(reading.project->report.titleBlock.projectName, "滨江/花园");
    EXPECT_EQ(reading.project->report.titleBlock.approver, "赵六");
    EXPECT_EQ(reading.project->report.titleBlock.stage, "施工图");
    EXPECT_FALSE(project.unsaved());

    ASSERT_NO_FATAL_FAILURE(openDialog());
    EXPECT_EQ(dialog()->led_projectName->text(), "滨江/花园");
    EXPECT_EQ(dialog()->led_approver->text(), "赵六");
    ASSERT_NO_FATAL_FAILURE(closeDialog());
}

TEST_F(ReportDialogTest, ExportsTheReportAsPdfAndWord)
{
    calculateAndView();
    calculateAgain(2);
    ASSERT_NO_FATAL_FAILURE(openDialog());
    dialog()->led_projectName->insert("滨江花园");

    answer = m_folder.path() + "/report.pdf";
    exportWith(dialog()->cbt_exportPdf);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].filters, QStringList{"PDF 文件 (*.pdf)"});
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    QProcess text;
    text.start("pdftotext", {answer, "-"});
    ASSERT_TRUE(text.waitForFinished());
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(extracted.contains("滨江花园"));
    EXPECT_TRUE(extracted.contains("基桩 ZH2"));

    answer = m_folder.path() + "/report.docx";
    exportWith(dialog()->cbt_exportWord);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests[1].filters, QStringList{"Word 文档 (*.docx)"});
    QProcess unzip;
    unzip.start("unzip", {"-p", answer, "word/document.xml"});
    ASSERT_TRUE(unzip.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(unzip.readAllStandardOutput()).contains(">ZH2<"));
    ASSERT_NO_FATAL_FAILURE(closeDialog());
}

// The report speaks the window's language; asked, it is Chinese with the English beneath each heading.
TEST_F(ReportDialogTest, TheReportFollowsTheWindowsLanguageOrGivesBoth)
{
    calculateAndView();
    setWindowLanguage(Language::English);
    ASSERT_NO_FATAL_FAILURE(openDialog());
    EXPECT_EQ(dialog()->cbt_exportWord->text(), "Export Word");
    answer = m_folder.path() + "/english.pdf";
    exportWith(dialog()->cbt_exportPdf);
    QProcess text;
    text.start("pdftotext", {answer, "-"});
    ASSERT_TRUE(text.waitForFinished());
    const QString english = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(english.contains("Pile ZH1 (round)")) << english.toStdString();
    // The footer in English (the cover runs to two pages, the pile and the summary after it).
    EXPECT_TRUE(english.contains(QRegularExpression("Page 1 of [0-9]+"))) << english.toStdString();
    EXPECT_FALSE(hasChinese(english.toStdString())) << english.toStdString();
    ASSERT_NO_FATAL_FAILURE(closeDialog());

    setWindowLanguage(Language::Chinese);
    ASSERT_NO_FATAL_FAILURE(openDialog());
    dialog()->findChild<QCheckBox *>("chk_bilingual")->setChecked(true);
    answer = m_folder.path() + "/both.docx";
    exportWith(dialog()->cbt_exportWord);
    QProcess unzip;
    unzip.start("unzip", {"-p", answer, "word/document.xml"});
    ASSERT_TRUE(unzip.waitForFinished());
    const QString both = QString::fromUtf8(unzip.readAllStandardOutput());
    EXPECT_LT(both.indexOf("1  输入数据"), both.indexOf("1  Input"));
    EXPECT_GE(both.indexOf("1  输入数据"), 0);
    EXPECT_TRUE(both.contains(">项目<")) << "tables stay in Chinese";
    ASSERT_NO_FATAL_FAILURE(closeDialog());
}

TEST_F(ReportDialogTest, ACancelledExportLeavesNoFileAndTheEarlierOneAsItWas)
{
    calculateAndView();
    for (int i = 0; i < 30; ++i) {
        calculateAgain(i % 3);
    }
    ASSERT_NO_FATAL_FAILURE(openDialog());
    dialog()->progressDisplay().setDelay(0);
    const QStringList before = QDir(m_folder.path()).entryList(QDir::Files);
    for (const auto &[button, name] : {std::pair{dialog()->cbt_exportPdf, QString("old.pdf")},
                                       std::pair{dialog()->cbt_exportWord, QString("old.docx")}}) {
        SCOPED_TRACE(name.toStdString());
        answer = m_folder.path() + "/" + name;
        QFile earlier(answer);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("the report of last week");
        earlier.close();

        bool cancelled = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            auto *progress = dialog()->findChild<QDialog *>("workProgress");
            if (cancelled || progress == nullptr || !progress->isVisible()) {
                return;
            }
            cancelled = true;
            // Meanwhile the report dialog takes no input; the progress dialog's cancel button does.
            QTest::keyClicks(dialog()->led_projectName, "x");
            QTest::mouseClick(progress->findChild<QPushButton *>("cbt_cancelWork"), Qt::LeftButton);
        });
        probe.start(0);
        QSignalSpy finished(dialog(), &ReportDialog::exportFinished);
        QTest::mouseClick(button, Qt::LeftButton);
        probe.stop();
        ASSERT_TRUE(cancelled) << "no progress shown";
        EXPECT_TRUE(finished.isEmpty());
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(dialog()->led_projectName->text(), "");
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), "the report of last week");
        earlier.close();
        EXPECT_TRUE(button->isEnabled());
        EXPECT_FALSE(dialog()->findChild<QDialog *>("workProgress")->isVisible());
    }
    // Nothing else left behind: no temporary file of either.
    QStringList after = QDir(m_folder.path()).entryList(QDir::Files);
    QStringList expected = before + QStringList{"old.docx", "old.pdf"};
    after.removeAll("settings.ini");
    expected.removeAll("settings.ini");
    after.sort();
    expected.sort();
    EXPECT_EQ(after, expected);
    // Not cancelled, the same export writes the file.
    answer = m_folder.path() + "/old.pdf";
    exportWith(dialog()->cbt_exportPdf);
    QFile written(answer);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF"));
    ASSERT_NO_FATAL_FAILURE(closeDialog());
}

TEST_F(ReportDialogTest, PrintShowsThePreview)
{
    calculateAndView();
    ASSERT_NO_FATAL_FAILURE(openDialog());
    QTest::mouseClick(dialog()->cbt_print, Qt::LeftButton);
    QPrintPreviewDialog *preview = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return (preview = dialog()->findChild<QPrintPreviewDialog *>("reportPrintPreview")) != nullptr;
    }));
    preview->reject();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_NO_FATAL_FAILURE(closeDialog());
}

} // namespace
} // namespace saxolith::test
