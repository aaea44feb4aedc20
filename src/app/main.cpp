// Starts the calculator: one main window on the input screen, with the project named on the command line.
#include "pages/bundled_fonts.h"
#include "gui/desktop.h"
#include "gui/interface_font.h"
#include "gui/main_window.h"
#include "gui/project_session.h"
#include "gui/window_language.h"
#include "gui/screen_fit.h"
#include "gui/window_size.h"

#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <QSettings>

#include <memory>
#include <vector>

int main(int argc, char *argv[])
{
    // The application takes its own options out of the arguments; a second start needs them again.
    const std::vector<char *> arguments(argv, argv + argc + 1);
    int argumentCount = argc;
    auto app = std::make_unique<QApplication>(argumentCount, argv);

    // The window never shrinks below its design size: on a screen too small for it at the desktop's
    // scale (a 1080-line screen at 200 %) its buttons would be out of reach, so the program starts
    // again at a scale that fits, keeping its proportions. The scale is read once, as the application starts.
    const QSize windowSize(saxolith::MainWindow::designWidth, saxolith::MainWindow::designHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        if (const auto factor =
                saxolith::fittingScaleFactor(*screen, windowSize, saxolith::environmentScaleFactor())) {
            app.reset();
            qputenv("QT_SCALE_FACTOR", QByteArray::number(*factor, 'g', 6));
            std::copy(arguments.begin(), arguments.end(), argv);
            argumentCount = argc;
            app = std::make_unique<QApplication>(argumentCount, argv);
        }
    }
    saxolith::setUpDesktop(*app);
    saxolith::loadBundledFonts();
    // Chosen on purpose, not left to whatever face the system falls back to, and fitted to the screens'
    // fixed heights as each window shows.
    saxolith::useInterfaceFont(*app, saxolith::interfaceFamilies(saxolith::systemFaces()));
    auto services = std::make_unique<saxolith::WindowServices>();
    // Kept beyond the window, which writes its size into them as it closes.
    const std::unique_ptr<QSettings> settings = services->settings();
    // Qt's own dialogs follow the language too.
    saxolith::setWindowLanguage(saxolith::startLanguage(*settings, QLocale::system()));
    saxolith::MainWindow window(std::move(services));
    saxolith::rememberWindowSize(window, *settings);
    window.show();
    window.project().start(QApplication::arguments().mid(1));
    return QApplication::exec();
}
