#include "gui/result_screen.h"

#include "gui/widget_helpers.h"

#include "gui/window_services.h"
#include "core/texts/result.h"

#include <QFile>
#include <QFont>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

namespace saxolith
{

namespace
{

// A memo of the book: fixed-width lines in a font whose ideographs are two Latin letters wide.
QPlainTextEdit *bookMemo(QWidget *parent, const char *name)
{
    auto *memo = place(new QPlainTextEdit(parent), name, 4, 56, 355, 537);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font;
    font.setFamilies({QStringLiteral("SimHei"), QStringLiteral("WenQuanYi Zen Hei Mono")});
    font.setPointSizeF(ResultScreen::initialFontSize);
    memo->setFont(font);
    return memo;
}

void setFontSize(QPlainTextEdit *memo, double size)
{
    QFont font = memo->font();
    font.setPointSizeF(size);
    memo->setFont(font);
}

void showLines(QPlainTextEdit *memo, const std::vector<std::string> &lines)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string &line : lines) {
        texts << qs(line);
    }
    memo->setPlainText(texts.join(QLatin1Char('\n')));
    // The caret at the start: the book is read from the top.
    memo->moveCursor(QTextCursor::Start);
}

} // namespace

ResultScreen::ResultScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName("JieGuo_DocLayer");

    lb_jisuanjieguo = place(new QLabel(qs(resultText::title), this), "lb_jisuanjieguo", 84, 12, 192, 33);
    QFont titleFont = lb_jisuanjieguo->font();
    titleFont.setPointSize(24);
    titleFont.setBold(true);
    lb_jisuanjieguo->setFont(titleFont);
    lb_jisuanjieguo->setStyleSheet(QStringLiteral("color: #0000FF;"));
    lb_jisuanjieguo->setAlignment(Qt::AlignCenter);

    cbt_PageBook = place(roundedButton(this, resultText::textBookCaption, 3), "cbt_PageBook", 330, 6, 21, 21);
    cbt_PageBook->setToolTip(qs(resultText::pageHint));

    meo_jisuanjieguo_Doc = bookMemo(this, "meo_jisuanjieguo_Doc");
    meo_jisuanjieguo_Xls = bookMemo(this, "meo_jisuanjieguo_Xls");
    meo_jisuanjieguo_Xls->hide();

    cbt_Exit = place(roundedButton(this, resultText::back, 10), "cbt_Exit", 56, 598, 89, 33);
    cbt_Save = place(roundedButton(this, resultText::save, 10), "cbt_Save", 208, 598, 89, 33);
    cbt_sanchu = place(roundedButton(this, resultText::deleteCaption, 3), "cbt_sanchu", 340, 598, 16, 16);
    cbt_sanchu->setToolTip(qs(resultText::deleteHint));
    cbt_sanchu->setEnabled(false);

    tcb_meoFontSize = place(new QSlider(Qt::Horizontal, this), "tcb_meoFontSize", 55, 635, 241, 32);
    tcb_meoFontSize->setRange(4 * fontSizeScale, 24 * fontSizeScale);
    tcb_meoFontSize->setSingleStep(fontSizeScale / 10);
    tcb_meoFontSize->setPageStep(fontSizeScale);
    tcb_meoFontSize->setValue(static_cast<int>(initialFontSize * fontSizeScale));
    tcb_meoFontSize->setTracking(true);
    tcb_meoFontSize->setToolTip(qs(resultText::fontSizeHint));

    connect(cbt_Exit, &QPushButton::clicked, this, &ResultScreen::cbt_ExitClick);
    connect(cbt_PageBook, &QPushButton::clicked, this, &ResultScreen::cbt_PageBookClick);
    connect(cbt_sanchu, &QPushButton::clicked, this, &ResultScreen::cbt_sanchuClick);
    connect(cbt_Save, &QPushButton::clicked, this, &ResultScreen::cbt_SaveClick);
    connect(tcb_meoFontSize, &QSlider::valueChanged, this, &ResultScreen::tcb_meoFontSizeChange);

    m_commands = new CommandTable(*this, resultScreenCommands());
    m_commands->bindButton(CommandId::SaveBook, cbt_Save);
    m_commands->bindButton(CommandId::LeaveBook, cbt_Exit);
    for (QPlainTextEdit *memo : {meo_jisuanjieguo_Doc, meo_jisuanjieguo_Xls}) {
        m_commands->addContextMenu(memo);
    }
}

void ResultScreen::recordCalculation(const PileRecord &record, const QString &timeText)
{
    m_book.record(record, timeText.toStdString());
    showBook();
    cbt_Save->setEnabled(true);
    cbt_sanchu->setEnabled(true);
    emit bookChanged();
}

void ResultScreen::replaceBook(CalculationBook book)
{
    m_book = std::move(book);
    showBook();
    cbt_Save->setEnabled(m_book.unsaved(m_form));
    cbt_sanchu->setEnabled(!m_book.empty());
    emit bookChanged();
}

void ResultScreen::recordCalculations(const std::function<void(CalculationBook &)> &recordAll)
{
    const int before = m_book.entryCount();
    recordAll(m_book);
    showBook();
    if (m_book.entryCount() > before) {
        cbt_Save->setEnabled(true);
        cbt_sanchu->setEnabled(true);
        emit bookChanged();
    }
}

void ResultScreen::showBook()
{
    showLines(meo_jisuanjieguo_Xls, m_book.tableLines());
    showLines(meo_jisuanjieguo_Doc, m_book.textLines());
}

void ResultScreen::relayOut()
{
    // A memo filled while hidden keeps a stale layout; a change of font size makes it lay out again.
    for (QPlainTextEdit *memo : {meo_jisuanjieguo_Xls, meo_jisuanjieguo_Doc}) {
        const double size = memo->font().pointSizeF();
        setFontSize(memo, size + 2);
        setFontSize(memo, size);
    }
}

void ResultScreen::cbt_ExitClick()
{
    emit backRequested();
}

void ResultScreen::cbt_PageBookClick()
{
    const bool toTable = m_form == BookForm::Text;
    m_form = toTable ? BookForm::Table : BookForm::Text;
    meo_jisuanjieguo_Xls->setVisible(toTable);
    meo_jisuanjieguo_Doc->setVisible(!toTable);
    cbt_PageBook->setText(qs(toTable ? resultText::tableBookCaption : resultText::textBookCaption));
    cbt_Save->setEnabled(m_book.unsaved(m_form));
}

void ResultScreen::tcb_meoFontSizeChange(int value)
{
    const double size = static_cast<double>(value) / fontSizeScale;
    setFontSize(meo_jisuanjieguo_Xls, size);
    setFontSize(meo_jisuanjieguo_Doc, size);
}

void ResultScreen::cbt_sanchuClick()
{
    const bool onlyEntry = m_book.entryCount() <= 1;
    m_book.deleteLast();
    showBook();
    // Both forms now differ from any saved file: saving is on while the book holds an entry.
    cbt_Save->setEnabled(!onlyEntry);
    if (onlyEntry) {
        cbt_sanchu->setEnabled(false);
    }
    emit bookChanged();
}

void ResultScreen::cbt_SaveClick()
{
    saveBook(m_form);
}

void ResultScreen::saveBook(BookForm form, std::function<void(SaveEnd)> done)
{
    const auto write = [this, form](const std::string &path) {
        const auto &lines = form == BookForm::Text ? m_book.textLines() : m_book.tableLines();
        return saveBookFile(path, lines, systemCodePage());
    };
    saveIntoDocuments(this, qs(bookFileName(form)), write, [this, form, done](SaveEnd end) {
        if (end == SaveEnd::Saved) {
            m_book.markSaved(form);
            if (m_form == form) {
                cbt_Save->setEnabled(false);
            }
        }
        if (done) {
            done(end);
        }
    });
}

void ResultScreen::saveUnsavedBooks(std::function<void(bool allSaved)> done)
{
    for (const BookForm form : {BookForm::Text, BookForm::Table}) {
        if (m_book.unsaved(form)) {
            saveBook(form, [this, done](SaveEnd end) {
                if (end == SaveEnd::Saved) {
                    saveUnsavedBooks(done);
                } else {
                    done(false);
                }
            });
            return;
        }
    }
    done(true);
}

} // namespace saxolith
