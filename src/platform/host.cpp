#include "platform/host.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <clocale>
#include <langinfo.h>
#endif

namespace saxolith
{

namespace
{

// Set by tests, empty in normal use.
struct Overrides {
    QString documentsFolder;
    std::string codePage;
    QDateTime now;
};

Overrides &overrides()
{
    static Overrides instance;
    return instance;
}

bool usableFolder(const QString &folder)
{
    return !folder.isEmpty() && !QDir(folder).isRoot();
}

// A time format without its time-zone letters ("t" runs outside quotes) and the blanks they leave.
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (!quoted && c == QLatin1Char('t')) {
            continue;
        }
        out += c;
    }
    return out.simplified();
}

} // namespace

std::string systemCodePage()
{
    if (!overrides().codePage.empty()) {
        return overrides().codePage;
    }
#ifdef _WIN32
    const unsigned codePage = GetACP();
    if (codePage == CP_UTF8 || codePage == 20127) {
        return "UTF-8";
    }
    return "CP" + std::to_string(codePage);
#else
    const char *current = std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    std::string codeSet;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        codeSet = nl_langinfo(CODESET);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    if (codeSet.empty() || codeSet == "ANSI_X3.4-1968" || codeSet == "ASCII") {
        return "UTF-8";
    }
    return codeSet;
#endif
}

void setSystemCodePageForTesting(const std::string &codePage)
{
    overrides().codePage = codePage;
}

std::string filePathBytes(const QString &path)
{
#ifdef _WIN32
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString fromFileText(const std::string &text)
{
#ifdef _WIN32
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
#else
    return QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
#endif
}

std::vector<std::string> commandLineArguments(int argc, char **argv)
{
#ifdef _WIN32
    int count = 0;
    if (wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 0; i < count; ++i) {
            arguments.push_back(QString::fromWCharArray(wide[i]).toStdString());
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv, argv + argc);
}

QString timeText(const QDateTime &moment, const QLocale &locale)
{
    const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() == QTime(0, 0)) {
        return date;
    }
    return date + QLatin1Char(' ') +
           locale.toString(moment.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString currentTimeText()
{
    const QDateTime &held = overrides().now;
    return timeText(held.isValid() ? held : QDateTime::currentDateTime(), QLocale());
}

void setCurrentTimeForTesting(const QDateTime &moment)
{
    overrides().now = moment;
}

QString documentsFolder()
{
    QString folder = overrides().documentsFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (!usableFolder(folder)) {
            folder = QDir::homePath();
        }
        if (!usableFolder(folder)) {
            folder = QDir::tempPath();
        }
    }
    QDir().mkpath(folder);
    return QDir::cleanPath(folder);
}

void setDocumentsFolderForTesting(const QString &folder)
{
    overrides().documentsFolder = folder;
}

} // namespace saxolith
