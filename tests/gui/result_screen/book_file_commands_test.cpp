// Save As, PDF and print of the book on display, through the context menus and shortcuts of the real window.
#include "result_fixture.h"

#include "gui/file_dialog.h"
#include "gui/saved_notice.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

namespace saxolith::test
{
namespace
{

class BookExportTest : public ResultScreenTest
{
  protected:
    void SetUp() override
    {
        ResultScreenTest::SetUp();
        window->services().setSaveFileFunction([this](QWidget *, const SaveFileRequest &request) {
            requests << request;
            return SaveFileAnswer{answer, answerFilter.isEmpty() ? request.filters.front() : answerFilter};
        });
        window->services().setOpenFolderFunction([this](const QString &folder) { openedFolders << folder; });
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QAction *action(const char *name) const { return result->findChild<QAction *>(name); }
    void press(QKeyCombination keys) { QTest::keyClick(window.get(), keys.key(), keys.keyboardModifiers()); }

    SavedNotice *notice() const { return result->findChild<SavedNotice *>("savedNotice"); }
    QString noticeText() const { return notice()->label->text().remove(QChar(0x200B)); }

    QString answer;
    QString answerFilter;
    QList<SaveFileRequest> requests;
    QStringList openedFolders;
};

TEST_F(BookExportTest, BothBookAreasOfferTheCommandsWhichFollowTheBook)
{
    const QStringList texts{"另存为…", "导出 PDF…", "打印…"};
    const QList<QKeySequence> keys{QKeySequence("Ctrl+Shift+S"), QKeySequence("Ctrl+E"),
                                   QKeySequence("Ctrl+P")};
    for (QPlainTextEdit *memo : {result->meo_jisuanjieguo_Doc, result->meo_jisuanjieguo_Xls}) {
        EXPECT_EQ(memo->contextMenuPolicy(), Qt::ActionsContextMenu);
        const QList<QAction *> actions = memo->actions();
        ASSERT_GE(actions.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(actions[i]->text(), texts[i]);
            EXPECT_EQ(actions[i]->shortcut(), keys[i]);
            EXPECT_TRUE(actions[i]->toolTip().contains(keys[i].toString()))
                << actions[i]->toolTip().toStdString();
            EXPECT_FALSE(actions[i]->isEnabled()) << "enabled for an empty book";
        }
    }
    calculateAndView();
    for (const char *name : {"act_bookSaveAs", "act_bookExportPdf", "act_bookPrint"}) {
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    }
    click("cbt_sanchu");
    EXPECT_FALSE(action("act_bookExportPdf")->isEnabled());
    // With nothing to export, the keys ask nothing.
    press(Qt::CTRL | Qt::Key_E);
    EXPECT_TRUE(requests.isEmpty());
}

TEST_F(BookExportTest, SaveAsWritesTheBytesOfSaveWhereTheUserSaysAndSaysWhere)
{
    calculateAndView();
    calculateAgain(1);
    click("cbt_PageBook");                           // the table book
    answer = m_folder.path() + "/elsewhere/../copy"; // no extension typed: the filter's is added
    QDir(m_folder.path()).mkdir("elsewhere");
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].suggestedPath, filePath(bookFileName(BookForm::Table)));
    EXPECT_EQ(requests[0].filters, QStringList{"文本文件 (*.txt)"});
    EXPECT_EQ(unsaved(), 3) << "Save As leaves the unsaved state to 保存";
    EXPECT_TRUE(saveEnabled());

    click("cbt_Save");
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const QByteArray saved = fileBytes(bookFileName(BookForm::Table));
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_EQ(fileBytes("copy.txt"), saved);

    // 保存 too says where its file went, and the folder opens from the notice.
    ASSERT_NE(notice(), nullptr);
    EXPECT_TRUE(notice()->isVisible());
    EXPECT_TRUE(noticeText().endsWith(filePath(bookFileName(BookForm::Table)))) << noticeText().toStdString();
    QTest::mouseClick(notice()->openFolderButton, Qt::LeftButton);
    EXPECT_EQ(openedFolders, QStringList{QFileInfo(m_folder.path()).absoluteFilePath()});
    QTest::mouseClick(notice()->closeButton, Qt::LeftButton);
    EXPECT_FALSE(notice()->isVisible());
}

TEST_F(BookExportTest, ExportPdfWritesTheFormOnDisplay)
{
    calculateAndView();
    answer = m_folder.path() + "/book"; // the dialog's filter decides: PDF
    press(Qt::CTRL | Qt::Key_E);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].suggestedPath.endsWith("_文本.pdf")) << requests[0].suggestedPath.toStdString();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", m_folder.path() + "/book.pdf", "-"});
    ASSERT_TRUE(text.waitForFinished());
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(extracted.contains("1.基桩编号: ZH1"));
    EXPECT_TRUE(extracted.contains("桩身截面面积Ap:"));
    EXPECT_TRUE(noticeText().endsWith(m_folder.path() + "/book.pdf"));

    // A place that cannot take the file: the message names it, no notice, nothing half-written.
    notice()->hide();
    answer = m_folder.path() + "/missing/book.pdf";
    press(Qt::CTRL | Qt::Key_E);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(answer)) << messages[0].toStdString();
    EXPECT_FALSE(notice()->isVisible());
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), QStringList{"book.pdf"});
}

TEST_F(BookExportTest, PrintOpensThePreviewOfTheBookOnItsPages)
{
    calculateAndView();
    click("cbt_PageBook"); // the table book: landscape
    press(Qt::CTRL | Qt::Key_P);
    auto *preview = result->findChild<QPrintPreviewDialog *>("bookPrintPreview");
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->printer()->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(preview->printer()->pageLayout().pageSize().id(), QPageSize::A4);
    EXPECT_TRUE(messages.isEmpty());
    preview->reject();
}

TEST_F(BookExportTest, PrintingIntoAPdfFileSaysWhereTheFileWent)
{
    calculateAndView();
    press(Qt::CTRL | Qt::Key_P);
    auto *preview = result->findChild<QPrintPreviewDialog *>("bookPrintPreview");
    ASSERT_NE(preview, nullptr);
    // The preview's own Print button.
    QAction *printAction = nullptr;
    QStringList seen;
    for (QAction *candidate : preview->findChildren<QAction *>()) {
        seen << candidate->text();
        if (candidate->text() == "Print") {
            printAction = candidate;
        }
    }
    ASSERT_NE(printAction, nullptr) << seen.join(" | ").toStdString();

    // The print dialog: printing into a file (the last printer), named into the test's folder, and OK.
    const QString path = m_folder.path() + "/printed.pdf";
    bool answered = false;
    QTimer::singleShot(0, preview, [&] {
        auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
        auto *printers = dialog != nullptr ? dialog->findChild<QComboBox *>("printers") : nullptr;
        auto *name = dialog != nullptr ? dialog->findChild<QLineEdit *>("filename") : nullptr;
        if (printers == nullptr || name == nullptr) {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                modal->close(); // a dialog this test does not know: leave it unanswered
            }
            return;
        }
        printers->setCurrentIndex(printers->count() - 1);
        name->setText(path);
        dialog->accept();
        answered = true;
    });
    printAction->trigger();
    ASSERT_TRUE(answered);
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_NE(notice(), nullptr);
    EXPECT_TRUE(notice()->isVisible());
    EXPECT_TRUE(noticeText().endsWith(path)) << noticeText().toStdString();
    QProcess text;
    text.start("pdftotext", {"-layout", path, "-"});
    ASSERT_TRUE(text.waitForFinished());
    EXPECT_TRUE(QString::fromUtf8(text.readAllStandardOutput()).contains("1.基桩编号: ZH1"));
}

TEST_F(BookExportTest, TheKeysBelongToTheResultScreen)
{
    calculateAndView();
    click("cbt_Exit"); // back on the input screen
    answer = m_folder.path() + "/book.pdf";
    press(Qt::CTRL | Qt::Key_E);
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    EXPECT_TRUE(requests.isEmpty());
}

TEST(SaveDialog, ProposesTheNameReadyToTypeOverAndFollowsTheExtensionTyped)
{
    QTemporaryDir folder;
    const SaveFileRequest request{"导出", folder.path() + "/book.pdf", {"PDF 文件 (*.pdf)"}};
    std::unique_ptr<QFileDialog> dialog(createSaveDialog(nullptr, request));
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QCoreApplication::processEvents();
    auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "book.pdf");
    EXPECT_EQ(name->selectedText(), "book.pdf");
    EXPECT_TRUE(name->hasFocus());

    const SaveFileRequest lists{"导出", "", {"Excel 工作簿 (*.xlsx)", "CSV 文件 (*.csv)"}};
    const struct {
        QString typed, filter, path;
    } cases[] = {
        {"/a/list", "Excel 工作簿 (*.xlsx)", "/a/list.xlsx"},
        {"/a/list", "CSV 文件 (*.csv)", "/a/list.csv"},
        {"/a/list.CSV", "Excel 工作簿 (*.xlsx)", "/a/list.CSV"},
        {"/a/list.xlsx", "CSV 文件 (*.csv)", "/a/list.xlsx"},
        {"/a/list.v2", "CSV 文件 (*.csv)", "/a/list.v2.csv"},
        {"", "CSV 文件 (*.csv)", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(savePathOf({c.typed, c.filter}, lists), c.path) << c.typed.toStdString();
    }
}

} // namespace
} // namespace saxolith::test
