// The result screen (JieGuo_DocLayer): the calculation book in its two forms.
#pragma once

#include "core/book/calculation_book.h"
#include "core/book/book_file.h"
#include "gui/save_command.h"

#include "gui/commands.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace saxolith
{

class ResultScreen : public QWidget
{
    Q_OBJECT
  public:
    // The slider moves in hundredths of a point, so the font size is continuous.
    static constexpr int fontSizeScale = 100;
    static constexpr double initialFontSize = 14.0;

    explicit ResultScreen(QWidget *parent = nullptr);

    // The screen's commands (its QActions, keys and context menus), from its table in commands.cpp.
    [[nodiscard]] CommandTable &commands() const { return *m_commands; }

    [[nodiscard]] const CalculationBook &book() const { return m_book; }

    QLabel *lb_jisuanjieguo = nullptr;
    QPushButton *cbt_PageBook = nullptr;            // "1" text book on display, "2" table book
    QPlainTextEdit *meo_jisuanjieguo_Doc = nullptr; // the text book
    QPlainTextEdit *meo_jisuanjieguo_Xls = nullptr; // the table book
    QPushButton *cbt_Exit = nullptr;
    QPushButton *cbt_Save = nullptr;   // "保存", enabled at start
    QPushButton *cbt_sanchu = nullptr; // "x", disabled at start
    QSlider *tcb_meoFontSize = nullptr;

    // Adds a calculation to both forms as the next entry: both forms are unsaved, and saving and
    // deleting become possible. The book keeps its entry count and its unsaved forms; this screen
    // holds the only book.
    void recordCalculation(const PileRecord &record, const QString &timeText);
    // Many calculations at once (an imported schedule): `recordAll` appends them to the book and
    // the memos are filled once, afterwards.
    void recordCalculations(const std::function<void(CalculationBook &)> &recordAll);

    // The book of a project opened (or a new, empty one) in place of the one shown: saving and
    // deleting are possible as its entries allow.
    void replaceBook(CalculationBook book);

    // Opening the screen: both memos lay their text out afresh at the size they have.
    void relayOut();

    // The form on display (the page button names it).
    BookForm formOnDisplay() const { return m_form; }

    // "保存": writes the form on display into its file in the documents folder through the one save
    // command. On success the book counts that form as saved and cbt_Save is disabled; on failure
    // a message names the file and the reason and nothing changes.
    void cbt_SaveClick();
    // One form; `done` learns how it ended.
    void saveBook(BookForm form, std::function<void(SaveEnd)> done = {});
    // Every form with unsaved changes, one after the other; `done(true)` once all are saved, `done(false)`
    // as soon as one is not (its error shown, or the user took it back).
    void saveUnsavedBooks(std::function<void(bool allSaved)> done);

    void cbt_ExitClick();
    void cbt_PageBookClick();
    void tcb_meoFontSizeChange(int value);
    void cbt_sanchuClick();

  signals:
    void backRequested(); // "返回"
    // An entry was recorded or deleted, or the book was replaced.
    void bookChanged();

  private:
    void showBook();

    CalculationBook m_book;
    BookForm m_form = BookForm::Text;
    CommandTable *m_commands = nullptr;
};

} // namespace saxolith
