// Qt's own texts (dialog buttons, the file and print dialogs) in the language of the locale.
#pragma once

class QLocale;
class QObject;

namespace saxolith
{

// Loads Qt's translations for `locale` from where Qt keeps them and installs them into the
// application; they live as long as `owner`. False when none is found for the locale (Qt then
// speaks English, as without them).
bool installQtTranslations(const QLocale &locale, QObject *owner);

} // namespace saxolith
