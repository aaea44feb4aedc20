// Qt's own texts (dialog buttons, the file and print dialogs) in the language of the locale, or in the
// window's language.
#pragma once

#include "core/texts/language.h"

class QLocale;
class QObject;

namespace saxolith
{

// Loads Qt's translations for `locale` from where Qt keeps them and installs them into the
// application; they live as long as `owner`. False when none is found for the locale (Qt then
// speaks English, as without them).
bool installQtTranslations(const QLocale &locale, QObject *owner);

// Qt's own texts in `language`: Chinese as Qt translates it for `locale` (for zh_CN when the locale is not
// Chinese), English as Qt speaks it. Replaces what an earlier call installed.
void followLanguage(Language language, const QLocale &locale);

} // namespace saxolith
