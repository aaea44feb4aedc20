// The fixed-size main window stays within the screen at high scale factors.
#include "gui/main_window.h"
#include "gui/screen_fit.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace saxolith::test
{
namespace
{

const QSize mainWindow(MainWindow::designWidth, MainWindow::designHeight);

TEST(ScreenFit, ShrinksOnlyWhatDoesNotFitAndKeepsTheProportions)
{
    struct Case {
        const char *what;
        QSize physical; // the screen's pixels
        double scale;   // the desktop's scale factor
        int panel;      // a panel's height, in units at that scale
        bool fits;
    };
    for (const Case c : {Case{"1080 lines at 200 %", {1920, 1080}, 2.0, 0, false},
                         Case{"1080 lines at 150 %, no panel", {1920, 1080}, 1.5, 0, true},
                         Case{"1080 lines at 150 % under a panel", {1920, 1080}, 1.5, 32, false},
                         Case{"1080 lines at 100 %", {1920, 1080}, 1.0, 32, true},
                         Case{"600 lines at 100 %", {1024, 600}, 1.0, 0, false},
                         Case{"2160 lines at 200 %", {3840, 2160}, 2.0, 32, true},
                         Case{"a tall narrow screen at 200 %", {600, 2000}, 2.0, 0, false}}) {
        SCOPED_TRACE(c.what);
        const QSize available(static_cast<int>(c.physical.width() / c.scale),
                              static_cast<int>(c.physical.height() / c.scale) - c.panel);
        const double shrink = shrinkToFit(mainWindow, available);
        EXPECT_EQ(shrink >= 1.0, c.fits) << shrink;
        EXPECT_LE(shrink, 1.0);
        // In the screen's own pixels the window and its frame fit, one scale for both sides.
        const double scale = c.scale * shrink;
        EXPECT_LE((mainWindow.width() + windowFrameAllowance.width()) * scale, c.physical.width() + 0.5);
        const double room = c.physical.height() - c.panel * c.scale; // the panel keeps its pixels
        EXPECT_LE((mainWindow.height() + windowFrameAllowance.height()) * scale, room + 0.5);
        if (!c.fits) {
            // No more than needed: one of the two sides meets the screen's edge.
            const double across = (mainWindow.width() + windowFrameAllowance.width()) * scale;
            const double down = (mainWindow.height() + windowFrameAllowance.height()) * scale;
            EXPECT_TRUE(std::abs(across - c.physical.width()) < 3 || std::abs(down - room) < 3);
        }
    }
    EXPECT_EQ(shrinkToFit(mainWindow, QSize()), 1.0);
}

// Parts of the test below that run in a process of their own, started with a given screen and scale.
bool inChild()
{
    return qEnvironmentVariableIsSet("SAXOLITH_SCREEN_FIT_CHILD");
}

TEST(ScreenFitChild, ReportsTheFactorToStartWith)
{
    if (!inChild()) {
        GTEST_SKIP() << "runs inside TheMainWindowFitsA1080LineScreenAtDoubleScale";
    }
    const auto factor =
        fittingScaleFactor(*QGuiApplication::primaryScreen(), mainWindow, environmentScaleFactor());
    ASSERT_TRUE(factor.has_value());
    std::printf("factor %.6f\n", *factor);
}

TEST(ScreenFitChild, ShowsTheWholeWindow)
{
    if (!inChild()) {
        GTEST_SKIP() << "runs inside TheMainWindowFitsA1080LineScreenAtDoubleScale";
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    EXPECT_FALSE(fittingScaleFactor(*screen, mainWindow, environmentScaleFactor()).has_value());
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(screen->availableGeometry().contains(window.frameGeometry()))
        << window.frameGeometry().height() << " in " << screen->availableGeometry().height();
    // The screen's own pixels: at most its 1080 lines, and the window is still as large as it can be.
    const double ratio = window.devicePixelRatioF();
    EXPECT_LE(window.height() * ratio, 1080.0);
    EXPECT_GT(window.height() * ratio, 900.0);
    EXPECT_NEAR(static_cast<double>(window.width()) / window.height(),
                static_cast<double>(mainWindow.width()) / mainWindow.height(), 1e-9);
}

QByteArray runChild(const QString &configFile, const QString &factor, const char *test)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("SAXOLITH_SCREEN_FIT_CHILD", "1");
    environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + configFile);
    environment.insert("QT_SCALE_FACTOR", factor);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ScreenFitChild.") + test});
    EXPECT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAllStandardOutput();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString() << child.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
    return output;
}

TEST(ScreenFit, TheMainWindowFitsA1080LineScreenAtDoubleScale)
{
    if (inChild()) {
        GTEST_SKIP();
    }
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString config = folder.filePath("screen.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();

    // At 200 % the window is taller than the screen: the program starts at a smaller scale...
    const QByteArray report = runChild(config, "2", "ReportsTheFactorToStartWith");
    const qsizetype at = report.indexOf("factor ");
    ASSERT_GE(at, 0) << report.toStdString();
    const QByteArray factor = report.mid(at + 7, report.indexOf('\n', at) - at - 7);
    EXPECT_LT(factor.toDouble(), 2.0);
    EXPECT_GT(factor.toDouble(), 1.0);
    // ... at which the whole window shows.
    runChild(config, QString::fromLatin1(factor), "ShowsTheWholeWindow");
}

} // namespace
} // namespace saxolith::test
