#include "gui/window_services.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace saxolith::test
{
namespace
{

TEST(TimeText, ShortDateBlankLongTimeWithoutZone)
{
    const QDate date(2024, 1, 2);
    struct Case {
        QLocale locale;
        QTime time;
        QString expected;
    };
    const Case cases[] = {
        {QLocale(QLocale::Chinese, QLocale::China), QTime(10, 20, 30), "2024/1/2 10:20:30"},
        {QLocale(QLocale::English, QLocale::UnitedStates), QTime(15, 4, 5), "1/2/24 3:04:05 PM"},
        {QLocale(QLocale::German, QLocale::Germany), QTime(0, 0, 1), "02.01.24 00:00:01"},
        {QLocale(QLocale::Chinese, QLocale::China), QTime(0, 0), "2024/1/2"}, // midnight: the date alone
    };
    for (const Case &c : cases) {
        EXPECT_EQ(timeText(QDateTime(date, c.time), c.locale), c.expected) << c.expected.toStdString();
    }
}

TEST(DocumentsFolder, IsCreatedUnderTheHomeFolderAndNeverTheRoot)
{
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const QString folder = documentsFolder();
    qputenv("HOME", savedHome);

    EXPECT_TRUE(folder.startsWith(home.path())) << folder.toStdString();
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_FALSE(QDir(folder).isRoot());
}

TEST(SystemCodePage, NamesTheLocaleCharacterSetOrUtf8)
{
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "C.UTF-8");
    EXPECT_EQ(systemCodePage(), "UTF-8");
    // The bare C locale names ASCII, which cannot hold the book's texts.
    qputenv("LC_ALL", "C");
    EXPECT_EQ(systemCodePage(), "UTF-8");
    if (saved.isNull()) {
        qunsetenv("LC_ALL");
    } else {
        qputenv("LC_ALL", saved);
    }
}

} // namespace
} // namespace saxolith::test
