// Drives the program through its four screens as a user would and saves what the display shows of each:
// the input screen after a calculation, the result screen with the table book (at the design size and
// as large as the screen), the optimisation screen after a run, and the About window; then the calculation
// report of the book, its cover and first pile's page as pictures of the PDF (pdftoppm). Runs on a real
// display (tools/screenshots/take starts one).
// Usage: saxolith-screenshots OUTPUT_DIR
#include "gui/about_window.h"
#include "gui/desktop.h"
#include "gui/interface_font.h"
#include "gui/main_window.h"
#include "gui/window_services.h"
#include "pages/report_pages.h"
#include "gui/result_screen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace
{

// Lets the display draw what the program has asked for.
void settle(int milliseconds = 400)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// What the display shows in the window's place, as the X server holds it.
bool shoot(QWidget &window, const QString &path)
{
    settle();
    const QRect place = window.frameGeometry();
    const QPixmap picture =
        window.screen()->grabWindow(0, place.x(), place.y(), place.width(), place.height());
    if (picture.isNull() || !picture.save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Controls are found by their names, as the tests find them.
template <typename W = QAbstractButton> W &control(QWidget &window, const char *name)
{
    auto *widget = window.findChild<W *>(QString::fromLatin1(name));
    if (widget == nullptr) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(1);
    }
    return *widget;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: saxolith-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    // Whatever the run saves goes to a scratch folder, not into the user's documents.
    QTemporaryDir scratch;
    saxolith::setDocumentsFolderForTesting(scratch.path());
    saxolith::setUpDesktop(app);
    // The face the program chooses, fitted as it is when the program runs.
    saxolith::useInterfaceFont(app, saxolith::interfaceFamilies(saxolith::systemFaces()));

    saxolith::MainWindow window;
    window.move(40, 40);
    window.show();
    settle(800);
    const auto click = [&window](const char *name) { control(window, name).click(); };
    const auto type = [&window](const char *name, const char *text) {
        control<QComboBox>(window, name).setEditText(QString::fromUtf8(text));
    };

    // Three piles into the book: a round one, an elliptical one and a rectangular one on the qpa route.
    click("cbt_compute");
    bool ok = shoot(window, out.filePath("input_screen.png"));
    control<QComboBox>(window, "cbe_jmlx").setCurrentIndex(1);
    type("cbe_tyzd", "600");
    click("cbt_compute");
    control<QComboBox>(window, "cbe_jmlx").setCurrentIndex(2);
    type("cbe_dd", "1200");
    type("cbe_tyzd", "1500");
    click("rdb_qpa");
    click("cbt_compute");

    click("cbt_View");
    click("cbt_PageBook"); // the table book
    ok = shoot(window, out.filePath("result_screen.png")) && ok;
    // The same book in a window as large as the screen (the virtual display has no window manager to
    // maximise it: the window takes the screen's room itself), then back to the design size.
    const QRect designPlace = window.geometry();
    window.setGeometry(window.screen()->availableGeometry());
    ok = shoot(window, out.filePath("result_screen_maximised.png")) && ok;
    window.setGeometry(designPlace);

    click("cbt_Exit");
    click("cbt_YouHua");
    click("cbt_YHcompute");
    settle();
    ok = shoot(window, out.filePath("optimisation_screen.png")) && ok;

    // The report of the three piles, with a title block as a project would fill it in.
    saxolith::ReportSettings settings;
    settings.titleBlock = {"滨江花园二期", "2026-017", "3#楼", "华东建筑设计研究院",
                           "张三",         "李四",     "王五", "2026-12-10"};
    saxolith::ReportBuilder builder(settings);
    builder.addBookEntries(window.resultScreen()->book().entries());
    const QString pdf = scratch.filePath(QStringLiteral("report.pdf"));
    ok = !saxolith::writeReportPdf(builder.finish(), QFile::encodeName(pdf).toStdString()) && ok;
    for (const auto &[page, name] : {std::pair{1, "report_cover"}, std::pair{2, "report_pile"}}) {
        const QString number = QString::number(page);
        ok = QProcess::execute(QStringLiteral("pdftoppm"),
                               {"-png", "-r", "60", "-f", number, "-l", number, "-singlefile", pdf,
                                out.filePath(QString::fromLatin1(name))}) == 0 &&
             ok;
    }

    click("cbt_YHfanhui");
    click("cbt_CopyRight");
    if (window.aboutWindow) {
        window.aboutWindow->move(window.frameGeometry().topRight() + QPoint(20, 0));
        ok = shoot(*window.aboutWindow, out.filePath("about_window.png")) && ok;
    } else {
        ok = false;
    }
    return ok ? 0 : 1;
}
