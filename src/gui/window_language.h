// The window's language: the locale's, or the one the 语言 / Language entry of the context menus chose,
// remembered in the program's settings. In English every text reaches the screen through translate(): a
// window as it is shown, a text set later as it is painted (a status line, a header, a title), a tooltip as
// it is asked for; each control keeps its Chinese original, which the program itself goes on reading.
#pragma once

#include "core/texts/language.h"

#include <QString>

#include <string_view>

class QAbstractButton;
class QComboBox;
class QLocale;
class QSettings;
class QTableWidgetItem;
class QWidget;

namespace saxolith
{

Language windowLanguage();
// Every window (those open and those to come) and Qt's own dialogs in `language`.
void setWindowLanguage(Language language);

// The language the program starts in: the one the settings remember, else the locale's: Chinese under a
// Chinese or the plain C locale, English under any other.
Language startLanguage(const QSettings &settings, const QLocale &locale);
void rememberLanguage(QSettings &settings, Language language);

// A text of core's in the window's language, for what no control holds (a model's cells).
QString shownText(std::string_view text);

// The Chinese a control shows in the window's language: what the program reads and compares.
QString originalText(const QAbstractButton *button);
QString originalText(const QTableWidgetItem *item);
QString originalText(const QComboBox *combo); // of its current text
// The item of `combo` whose text, or whose Chinese original, is `text`; -1 when none.
int findOriginal(const QComboBox *combo, const QString &text);

// Adds 语言 / Language, with 中文 and English under it, to every context menu of `window`'s screens; the
// choice takes effect at once and is remembered.
void installLanguageMenu(QWidget &window);

} // namespace saxolith
