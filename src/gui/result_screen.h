// The result screen (JieGuo_DocLayer): the calculation book in its two forms.
#pragma once

#include "book/calculation_book.h"
#include "output/book_file.h"
#include "program_state.h"

#include <QWidget>

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

    ResultScreen(ProgramState &state, QWidget *parent = nullptr);

    QLabel *lb_jisuanjieguo = nullptr;
    QPushButton *cbt_PageBook = nullptr;            // "1" text book on display, "2" table book
    QPlainTextEdit *meo_jisuanjieguo_Doc = nullptr; // the text book
    QPlainTextEdit *meo_jisuanjieguo_Xls = nullptr; // the table book
    QPushButton *cbt_Exit = nullptr;
    QPushButton *cbt_Save = nullptr;   // "保存", enabled at start
    QPushButton *cbt_sanchu = nullptr; // "x", disabled at start
    QSlider *tcb_meoFontSize = nullptr;

    // Adds a calculation to both forms as the next entry; pileCounter follows the book.
    void recordCalculation(const PileRecord &record, const QString &timeText);

    // Opening the screen: both memos lay their text out afresh at the size they have.
    void relayOut();

    // The form on display (the page button names it).
    std::optional<BookForm> formOnDisplay() const;

    // Writes the form on display into its file in the documents folder. On success that form's bit
    // leaves unsavedBooks and cbt_Save is disabled; on failure a message names the file and the
    // reason and nothing changes.
    void saveShownBook();

    void cbt_ExitClick();
    void cbt_PageBookClick();
    void tcb_meoFontSizeChange(int value);
    void cbt_sanchuClick();

  signals:
    void backRequested(); // "返回"
    void saveRequested(); // "保存": the one save command of the main window

  private:
    void showBook();

    ProgramState &m_state;
    CalculationBook m_book;
    BookForm m_form = BookForm::Text;
};

} // namespace saxolith
