// The window in English: the setting, every screen's texts, the texts set later, the dialogs, and the files,
// which keep their bytes.
#include "../optimisation_screen/optimisation_fixture.h"

#include "core/book/book_form.h"
#include "core/optimise/list_file.h"
#include "core/texts/saving.h"
#include "gui/file_dialog.h"
#include "gui/project_session.h"
#include "gui/window_language.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace saxolith::test
{
namespace
{

class LanguageTest : public OptimisationTest
{
  protected:
    void TearDown() override
    {
        setWindowLanguage(Language::Chinese);
        programSettings()->remove(QStringLiteral("language"));
        setCurrentTimeForTesting({});
        OptimisationTest::TearDown();
    }

    void choose(const char *choice) const
    {
        auto *action = window->findChild<QAction *>(choice);
        ASSERT_NE(action, nullptr);
        action->trigger();
    }

    // Every screen laid out and painted, as a user looking at each sees it.
    void lookAtEveryScreen() const
    {
        for (QWidget *screen : {static_cast<QWidget *>(window->resultScreen()),
                                static_cast<QWidget *>(window->optimisationScreen()),
                                static_cast<QWidget *>(window->inputScreen())}) {
            window->showLayer(screen);
            window->grab();
        }
    }

    // Every text the window's controls and commands show, by where it stands; the book's own text aside.
    [[nodiscard]] std::map<QString, QString> texts() const
    {
        std::map<QString, QString> all;
        const auto keep = [&all](const QObject *object, const QString &what, const QString &text) {
            if (!text.isEmpty()) {
                all[object->objectName() + QLatin1Char('.') + what] = text;
            }
        };
        for (const QWidget *widget : window->findChildren<QWidget *>()) {
            keep(widget, "tip", widget->toolTip());
            if (const auto *label = qobject_cast<const QLabel *>(widget)) {
                keep(widget, "text", label->text());
            } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
                keep(widget, "text", button->text());
            } else if (const auto *group = qobject_cast<const QGroupBox *>(widget)) {
                keep(widget, "text", group->title());
            } else if (const auto *combo = qobject_cast<const QComboBox *>(widget)) {
                for (int i = 0; i < combo->count(); ++i) {
                    keep(widget, QString::number(i), combo->itemText(i));
                }
            }
            for (const QAction *action : widget->actions()) {
                keep(action, "text", action->text());
                keep(action, "tip", action->toolTip());
            }
        }
        const QTableWidget *grid = screen->Grid1_Youhuaxuanxiang;
        for (int column = 0; column < grid->columnCount(); ++column) {
            keep(grid, "header" + QString::number(column), grid->horizontalHeaderItem(column)->text());
            for (int row = 0; row < grid->rowCount(); ++row) {
                keep(grid, QString::number(row) + "," + QString::number(column),
                     grid->item(row, column)->text());
            }
        }
        for (const QTableView *list : {screen->Grid2_Youhuajieguo, screen->Grid3_Youhuasaixuan}) {
            for (int column = 0; column < list->model()->columnCount(); ++column) {
                keep(list, "header" + QString::number(column),
                     header(const_cast<QTableView *>(list), column));
            }
        }
        return all;
    }

    [[nodiscard]] QByteArray saved(std::string_view name) const
    {
        QFile file(QDir(m_folder.path()).filePath(qs(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST(WindowLanguage, StartsInTheRememberedLanguageElseTheLocales)
{
    struct Case {
        const char *remembered; // nullptr: none
        QLocale locale;
        Language language;
    };
    const Case cases[] = {
        {nullptr, QLocale(QLocale::Chinese, QLocale::China), Language::Chinese},
        {nullptr, QLocale(QLocale::Chinese, QLocale::Taiwan), Language::Chinese},
        {nullptr, QLocale::c(), Language::Chinese},
        {nullptr, QLocale(QLocale::English, QLocale::UnitedKingdom), Language::English},
        {nullptr, QLocale(QLocale::German, QLocale::Germany), Language::English},
        {"en", QLocale(QLocale::Chinese, QLocale::China), Language::English},
        {"zh", QLocale(QLocale::English, QLocale::UnitedStates), Language::Chinese},
        {"klingon", QLocale(QLocale::English, QLocale::UnitedStates), Language::English},
    };
    QTemporaryDir folder;
    for (const Case &c : cases) {
        QSettings settings(folder.filePath("settings.ini"), QSettings::IniFormat);
        settings.clear();
        if (c.remembered != nullptr) {
            settings.setValue("language", c.remembered);
        }
        EXPECT_EQ(startLanguage(settings, c.locale), c.language) << c.locale.name().toStdString();
    }
}

// Where a fault shows: a control left in Chinese, a text set later untranslated, the program reading the
// English back as if it were its own text, the way back to Chinese losing a text.
TEST_F(LanguageTest, TheSettingTurnsEveryScreenToEnglishAndBack)
{
    click(input->cbt_compute);
    openAndRun();
    lookAtEveryScreen();
    const std::map<QString, QString> chinese = texts();
    const CalculationInput typed = input->gatherInput();
    const bool unsaved = window->project().unsaved();

    choose("act_languageEnglish");
    EXPECT_EQ(windowLanguage(), Language::English);
    EXPECT_EQ(programSettings()->value("language").toString(), "en");
    lookAtEveryScreen();
    const std::map<QString, QString> english = texts();
    for (const auto &[where, text] : english) {
        // The choices of the language setting keep their own names.
        EXPECT_TRUE(!hasChinese(text.toStdString()) || text == qs(languageText::chinese) ||
                    text == qs(languageText::setting))
            << where.toStdString() << ": " << text.toStdString();
    }
    EXPECT_EQ(input->cbt_compute->text(), "Calculate");
    EXPECT_EQ(input->findChild<QGroupBox *>("gpb_srcs")->title(), "Pile");
    EXPECT_EQ(input->cbe_zhishu->itemText(1), "fair");
    EXPECT_EQ(input->cbe_zhishu->itemData(1, Qt::ToolTipRole).toString(), "fairly intact");
    EXPECT_EQ(screen->Grid1_Youhuaxuanxiang->horizontalHeaderItem(0)->text(), "Option");
    EXPECT_EQ(header(screen->Grid2_Youhuajieguo, 0).trimmed(), "Pile");
    EXPECT_EQ(window->findChild<QAction *>("act_bookSaveAs")->text(), "Save As…");
    EXPECT_EQ(window->findChild<QAction *>("act_language")->text(), qs(languageText::setting));

    // What the screens read is what they read in Chinese; nothing counts as changed.
    EXPECT_EQ(input->gatherInput().integrity, typed.integrity);
    EXPECT_EQ(screen->optionTexts()[0][0], "桩身截面类型");
    EXPECT_EQ(window->project().unsaved(), unsaved);

    // Texts set later, in the status lines and on the fold button, reach the screen in English.
    window->showLayer(screen);
    click(screen->cbt_zhangkai);
    window->grab();
    EXPECT_EQ(screen->cbt_zhangkai->text(), "Less");
    click(screen->cbt_zhangkai);
    window->grab();
    EXPECT_EQ(screen->cbt_zhangkai->text(), "More");
    run();
    window->grab();
    EXPECT_EQ(status(), "Calculated, piles: 456");
    window->showLayer(input);
    QTest::keyClicks(input->edt_frk, "x");
    window->grab();
    EXPECT_EQ(input->lb_shuoming->text(), "Error in the uniaxial compressive strength");
    QTest::keyClick(input->edt_frk, Qt::Key_Backspace);

    choose("act_languageChinese");
    EXPECT_EQ(programSettings()->value("language").toString(), "zh");
    lookAtEveryScreen();
    // The status lines say what was done since, in Chinese.
    std::map<QString, QString> back = texts();
    back.erase("lb_shuoming.text");
    back.erase("lb_YHxingxi.text");
    std::map<QString, QString> before = chinese;
    before.erase("lb_shuoming.text");
    before.erase("lb_YHxingxi.text");
    EXPECT_EQ(back, before);
    EXPECT_EQ(status(), "计算完成，桩数：456 根");
}

// The two books and the list file are the program's specified files: the same bytes in either language.
TEST_F(LanguageTest, TheBooksAndTheListFileKeepTheirBytes)
{
    setCurrentTimeForTesting(QDateTime(QDate(2026, 3, 1), QTime(9, 30)));
    std::map<std::string, QByteArray> files[2];
    for (const Language language : {Language::Chinese, Language::English}) {
        openWindow();
        input = window->inputScreen();
        screen = window->optimisationScreen();
        setWindowLanguage(language);
        window->grab();
        click(input->cbt_compute);
        click(input->cbt_View);
        click(window->resultScreen()->cbt_Save);
        click(window->resultScreen()->cbt_PageBook);
        click(window->resultScreen()->cbt_Save);
        click(window->resultScreen()->cbt_Exit);
        openAndRun();
        click(screen->cbt_YHsave);
        auto &kept = files[language == Language::English ? 1 : 0];
        for (const std::string_view name :
             {bookFileName(BookForm::Text), bookFileName(BookForm::Table), listFileName(ListFileKind::Raw)}) {
            kept[std::string(name)] = saved(name);
            EXPECT_GT(kept[std::string(name)].size(), 100) << name;
            QFile::remove(QDir(m_folder.path()).filePath(qs(name)));
        }
    }
    EXPECT_TRUE(files[0] == files[1]);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
}

// The list exports, unlike the list files, name their columns in the window's language.
TEST_F(LanguageTest, TheListExportsNameTheirColumnsInEnglish)
{
    const QString path = QDir(m_folder.path()).filePath("list.csv");
    window->services().setSaveFileFunction([path](QWidget *, const SaveFileRequest &request) {
        return SaveFileAnswer{path, request.filters.front()};
    });
    setWindowLanguage(Language::English);
    openAndRun();
    window->findChild<QAction *>("act_listExportCsv")->trigger();
    QTRY_VERIFY(QFile::exists(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.readLine();
    EXPECT_EQ(header, "\xEF\xBB\xBFPile,Section,d|a(mm),c|b(mm),Ra(kN),qpa|frk,Basis,Integrity,ψr,qpa(kPa),"
                      "Hardness,Note,Rp(kN)\r\n");
}

// The boxes and questions are made in Chinese and shown in English.
TEST_F(LanguageTest, MessagesAndQuestionsAreShownInEnglish)
{
    setWindowLanguage(Language::English);
    askQuestion(window.get(), qs(saveText::leaveQuestion),
                {qs(saveText::save), qs(saveText::dontSave), qs(saveText::cancel)}, [](int) {});
    auto *box = window->findChild<QMessageBox *>("questionBox");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "The calculation book has changes not yet saved. Save them before leaving?");
    QStringList buttons;
    for (QAbstractButton *button : box->buttons()) {
        buttons << button->text();
    }
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Cancel", "Don't save", "Save"}));
    box->reject();
}

// English is longer than Chinese: at the screens' fixed sizes every caption still fits its control.
TEST_F(LanguageTest, EveryEnglishCaptionFitsItsControl)
{
    setWindowLanguage(Language::English);
    for (QWidget *layer : {static_cast<QWidget *>(window->resultScreen()),
                           static_cast<QWidget *>(window->optimisationScreen()),
                           static_cast<QWidget *>(window->inputScreen())}) {
        window->showLayer(layer);
        window->grab();
        for (const QWidget *widget : layer->findChildren<QWidget *>()) {
            QString text;
            int room = widget->width();
            const QStyle *style = widget->style();
            if (const auto *label = qobject_cast<const QLabel *>(widget);
                label != nullptr && !label->wordWrap()) {
                text = label->text();
                room = label->contentsRect().width() - 2 * label->margin();
            } else if (const auto *radio = qobject_cast<const QRadioButton *>(widget)) {
                text = radio->text();
                room -= style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                        style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
            } else if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
                text = button->text();
                room -= 4;
            } else if (const auto *group = qobject_cast<const QGroupBox *>(widget)) {
                text = group->title();
                room -= 16;
            } else if (const auto *combo = qobject_cast<const QComboBox *>(widget)) {
                QStyleOptionComboBox option;
                option.initFrom(combo);
                option.editable = combo->isEditable();
                room =
                    style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                        .width();
                for (int i = 0; i < combo->count(); ++i) {
                    EXPECT_LE(combo->fontMetrics().horizontalAdvance(combo->itemText(i)), room)
                        << combo->objectName().toStdString() << ": " << combo->itemText(i).toStdString();
                }
            }
            if (text.isEmpty() || text.contains('<') || !widget->isVisibleTo(window.get())) {
                continue;
            }
            EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), room)
                << widget->objectName().toStdString() << ": " << text.toStdString();
        }
    }
}

} // namespace
} // namespace saxolith::test
