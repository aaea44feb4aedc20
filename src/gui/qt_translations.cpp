#include "gui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace saxolith
{

bool installQtTranslations(const QLocale &locale, QObject *owner)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // qtbase holds every dialog and button the program uses (message, file and print dialogs).
    auto *translator = new QTranslator(owner);
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator)) {
        return true;
    }
    delete translator;
    return false;
}

void followLanguage(Language language, const QLocale &locale)
{
    static QPointer<QObject> installed;
    delete installed;
    if (language == Language::Chinese && QCoreApplication::instance() != nullptr) {
        installed = new QObject(QCoreApplication::instance());
        installQtTranslations(
            locale.language() == QLocale::Chinese ? locale : QLocale(QLocale::Chinese, QLocale::China),
            installed);
    }
}

} // namespace saxolith
