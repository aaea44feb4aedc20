// The face the screens are drawn in, chosen on purpose, and every fixed-size control's text fitted to it.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QApplication;
class QWidget;

namespace saxolith
{

// What the choice of the interface face knows of the system's faces.
struct SystemFaces {
    QStringList uiFaces; // the system's interface faces, first choice first (on Windows its Chinese ones)
    QString chineseSans; // the face the system draws Chinese sans-serif text in; empty where it has none
    QString bundled;     // the face the program carries
    // Whether `family` is there and draws every character of `text` itself.
    std::function<bool(const QString &family, const QString &text)> draws;
};

// This system's faces.
SystemFaces systemFaces();

// The interface font's families: the first face that draws Chinese and Latin letters and digits alike,
// taken from the system's interface faces, its Chinese sans-serif face and the bundled face in that
// order; where none draws both, the first that draws Chinese (the rest comes from the system's
// fallback); none where no face draws Chinese (the platform's font stays).
QStringList interfaceFamilies(const SystemFaces &faces);

// Makes `families` the application's font at the platform's size, and fits the texts of every window
// as it shows (fitTexts).
void useInterfaceFont(QApplication &app, const QStringList &families);

// Makes each label's, field's, list's and button's text under `window` that its control would cut
// (placed by hand at a fixed size, so its font can be taller than its box) a pixel size smaller until
// it stands whole inside, whatever the face's ascent and descent; controls a layout sizes are left alone.
void fitTexts(QWidget &window);

} // namespace saxolith
