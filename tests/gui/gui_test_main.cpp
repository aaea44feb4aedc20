// Entry point of every GUI test program: the real widgets on the offscreen platform.
#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Test discovery runs the binary at build time, where no display exists.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Settings and recovery journals of a test run go into a folder of its own, never the user's;
    // a test that starts a child program hands it its folder through SAXOLITH_TEST_STATE.
    QTemporaryDir own;
    const char *given = std::getenv("SAXOLITH_TEST_STATE");
    const QByteArray folder = given != nullptr ? QByteArray(given) : own.path().toLocal8Bit();
    setenv("XDG_STATE_HOME", (folder + "/state").constData(), 1);
    QApplication app(argc, argv);
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QString::fromLocal8Bit(folder + "/config"));
    }
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
