// What both programs ask of the system they run on: the code page, the time text, the documents folder.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace saxolith
{

// The iconv name of the locale's character set ("GBK" under zh_CN.GBK, "UTF-8" under a UTF-8
// locale; "CP936" where Windows' ANSI code page is 936). The plain C locale names ASCII, which would
// turn every Chinese text into "?": UTF-8 then.
std::string systemCodePage();
// Replaces the character set for tests; an empty text restores the locale's.
void setSystemCodePageForTesting(const std::string &codePage);

// A text of core's (UTF-8) as Qt holds it.
inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The name core opens a file by: the file system's encoding of `path` (UTF-8 on Windows, where core
// turns it into the wide name the system takes).
std::string filePathBytes(const QString &path);
// A text core made that may hold such a name (an error message), for the screen.
QString fromFileText(const std::string &text);

// The program's arguments in the encoding core takes file names in: `argv` as given on POSIX; on
// Windows the wide command line in UTF-8, as `argv` there holds only what the ANSI code page can.
std::vector<std::string> commandLineArguments(int argc, char **argv);

// The locale's short date, a blank and its long time without a time-zone part; the date alone at midnight.
QString timeText(const QDateTime &moment, const QLocale &locale);
// The same for now, in the default locale.
QString currentTimeText();
// Holds the clock at `moment` for tests; an invalid moment lets it run again.
void setCurrentTimeForTesting(const QDateTime &moment);

// The folder saved files go into; created when missing. The documents location, or the home
// folder when the platform names none; never the root of the file system.
QString documentsFolder();
// Replaces the documents folder for tests; an empty text restores the platform's folder.
void setDocumentsFolderForTesting(const QString &folder);

} // namespace saxolith
