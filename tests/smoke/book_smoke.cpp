// A user's short session in the window, run as a program of its own: two piles typed in and
// calculated, both book forms saved into the folder named on the command line, in the system's code
// page or the one named after it. tools/windows/smoke runs it in this build and in the Windows build
// under wine and compares the saved bytes.
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/window_services.h"
#include "gui/result_screen.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

namespace
{

using namespace saxolith;

void click(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces a field's text key by key, as typing does.
void type(QComboBox *field, const QString &text)
{
    QLineEdit *edit = field->lineEdit();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2 && arguments.size() != 3) {
        std::fputs("usage: saxolith-book-smoke FOLDER [CODE-PAGE]\n", stderr);
        return 2;
    }
    if (arguments.size() == 3) {
        setSystemCodePageForTesting(arguments.at(2).toStdString());
    }
    // One moment and the locale's own formats on both systems, so the time lines agree too.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    setCurrentTimeForTesting(QDateTime(QDate(2026, 12, 10), QTime(9, 30, 15)));
    setDocumentsFolderForTesting(arguments.at(1));
    int failures = 0;
    auto services = std::make_unique<WindowServices>();
    services->setMessageFunction([&failures](QWidget *, const QString &text) {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
        ++failures;
    });

    MainWindow window(std::move(services));
    window.show();
    InputScreen *input = window.findChild<InputScreen *>();
    ResultScreen *result = window.findChild<ResultScreen *>();
    for (const char *diameter : {"1200", "800"}) {
        type(input->cbe_dd, QString::fromLatin1(diameter));
        click(input->cbt_compute);
    }
    click(input->cbt_View);
    click(result->cbt_Save);
    click(result->cbt_PageBook);
    click(result->cbt_Save);
    std::printf("code page %s\n", systemCodePage().c_str());
    return failures == 0 ? 0 : 1;
}
