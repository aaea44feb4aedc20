#include "gui/interface_font.h"

#include "pages/report_pages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

#ifdef SAXOLITH_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

#include <algorithm>
#include <cmath>
#include <optional>

namespace saxolith
{

namespace
{

// A Chinese character, and Latin letters and digits: what the interface face must draw by itself.
const QString chineseProbe = QStringLiteral("国");
const QString wholeProbe = QStringLiteral("国Ag0");
// A Chinese character and a digit: a control's room holds them besides its own text, whatever text it
// shows later (a status line, a result, a label that follows the section).
const QString tallest = QStringLiteral("国0");

// Never smaller than this, whatever the room: a text that small would not be read anyway.
constexpr int smallestPixels = 8;
// Clear rows kept above and below the ink, for the rounding of the places Qt works out.
constexpr qreal clearance = 1.0;

QString fontconfigChineseSans()
{
#ifdef SAXOLITH_FONTCONFIG
    QString family;
    FcPattern *pattern = FcNameParse(reinterpret_cast<const FcChar8 *>("sans-serif:lang=zh-cn"));
    if (pattern == nullptr) {
        return family;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern *match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8 *name = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name != nullptr) {
            family = QString::fromUtf8(reinterpret_cast<const char *>(name));
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return family;
#else
    return {};
#endif
}

bool faceDraws(const QString &family, const QString &text)
{
    if (family.isEmpty() || !QFontDatabase::hasFamily(family)) {
        return false;
    }
    QFont font(family);
    // The face alone, without the glyphs the system would lend it, and itself, not a face standing in
    // for a name (fontconfig answers "Sans Serif" with a face of its choice).
    font.setStyleStrategy(QFont::NoFontMerging);
    if (QFontInfo(font).family().compare(family, Qt::CaseInsensitive) != 0) {
        return false;
    }
    const QFontMetrics metrics(font);
    const QList<uint> characters = text.toUcs4();
    return std::all_of(characters.begin(), characters.end(),
                       [&metrics](uint character) { return metrics.inFontUcs4(character); });
}

// Where a control draws its text and cuts it, and how it places the text there.
struct TextPlace {
    QRect room;
    int flags = 0;       // alignment and wrapping, as QPainter::drawText takes them
    bool asLine = false; // a line edit: its line centred in the room without leading, scrolled across
    QString text;
    bool movable = false; // a label: its text may be moved up or down (by its contents margins)
};

// How far down a label's text has been moved to centre its ink (by its contents margins).
const char *const shiftProperty = "saxolithTextShift";

QMargins ownMargins(const QLabel *label)
{
    const int shift = label->property(shiftProperty).toInt();
    return label->contentsMargins() - QMargins(0, shift, 0, -shift);
}

QRect buttonRoom(QAbstractButton *button, QStyle::SubElement element)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = button->rect();
    option.text = button->text();
    return button->style()->subElementRect(element, &option, button);
}

// A caption wider than its button is wrapped (the buttons that may have such a caption draw it so).
int buttonFlags(QAbstractButton *button, const QRect &room, Qt::Alignment align)
{
    const bool wide = button->fontMetrics().horizontalAdvance(button->text()) > room.width();
    return static_cast<int>(align) | (wide ? Qt::TextWordWrap : 0);
}

std::optional<TextPlace> textPlace(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.rect = edit->rect();
        option.lineWidth =
            edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        option.midLineWidth = 0;
        option.state |= QStyle::State_Sunken;
        const QRect room = edit->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, edit)
                               .marginsRemoved(edit->textMargins());
        return TextPlace{room, static_cast<int>(edit->alignment()), true, edit->text()};
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (combo->isEditable()) {
            return std::nullopt; // its line edit holds the text
        }
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.rect = combo->rect();
        option.frame = combo->hasFrame();
        const QRect room =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        return TextPlace{room, Qt::AlignLeft | Qt::AlignVCenter, false, combo->currentText()};
    }
    if (auto *label = qobject_cast<QLabel *>(control)) {
        if (!label->pixmap().isNull()) {
            return std::nullopt;
        }
        const int margin = label->margin();
        const QRect room =
            label->rect().marginsRemoved(ownMargins(label)).adjusted(margin, margin, -margin, -margin);
        return TextPlace{room,
                         static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                         false, label->text(), true};
    }
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        const QRect room = buttonRoom(button, QStyle::SE_PushButtonContents);
        return TextPlace{room, buttonFlags(button, room, Qt::AlignCenter), false, button->text()};
    }
    if (auto *button = qobject_cast<QRadioButton *>(control)) {
        const QRect room = buttonRoom(button, QStyle::SE_RadioButtonContents);
        return TextPlace{room, buttonFlags(button, room, Qt::AlignLeft | Qt::AlignVCenter), false,
                         button->text()};
    }
    if (auto *button = qobject_cast<QCheckBox *>(control)) {
        const QRect room = buttonRoom(button, QStyle::SE_CheckBoxContents);
        return TextPlace{room, buttonFlags(button, room, Qt::AlignLeft | Qt::AlignVCenter), false,
                         button->text()};
    }
    return std::nullopt;
}

// Where the ink of the text (and of the tallest characters) falls when drawn in `font` where its
// control places it: the line box placed as Qt places it, the ink around the first and last baselines.
// None when the text is wider than its room.
std::optional<QRectF> inkPlace(const QFont &font, const TextPlace &place)
{
    const QFontMetricsF metrics(font);
    const QString text = place.text.isEmpty() ? tallest : place.text;
    const QRectF ink = metrics.tightBoundingRect(text).united(metrics.tightBoundingRect(tallest));
    const QRectF room(place.room);
    if (place.asLine) {
        const qreal line = std::max(metrics.height(), metrics.boundingRect(place.text).height());
        const qreal baseline = room.top() + std::floor((room.height() - line + 1) / 2) + metrics.ascent();
        return QRectF(room.left(), baseline + ink.top(), room.width(), ink.height());
    }
    const QRectF block = metrics.boundingRect(room, place.flags, text);
    if (block.width() > room.width()) {
        return std::nullopt;
    }
    const qreal firstBaseline = block.top() + metrics.ascent();
    const qreal lastBaseline = block.bottom() - metrics.descent();
    return QRectF(block.left(), firstBaseline + ink.top(), block.width(),
                  lastBaseline + ink.bottom() - (firstBaseline + ink.top()));
}

bool inside(const QRectF &ink, const QRect &room)
{
    return ink.top() >= room.top() + clearance && ink.bottom() <= room.top() + room.height() - clearance;
}

// The move down (or up) that keeps the text whole in `font`: none where Qt's own place does, its ink
// centred where the text can be moved and that does; nothing where the font is too tall for its room.
std::optional<int> wholeAt(const QFont &font, const TextPlace &place)
{
    const std::optional<QRectF> ink = inkPlace(font, place);
    if (!ink) {
        return std::nullopt;
    }
    if (inside(*ink, place.room)) {
        return 0;
    }
    if (place.movable) {
        // Moves by whole pixels: the one nearer the centre first, then the other side of it.
        const qreal centring = QRectF(place.room).center().y() - ink->center().y();
        for (const qreal shift : {std::round(centring), std::floor(centring), std::ceil(centring)}) {
            if (inside(ink->translated(0, shift), place.room)) {
                return static_cast<int>(shift);
            }
        }
    }
    return std::nullopt;
}

// Fits the texts of each window as it shows: by then every control has its place, font and style.
class TextFitter : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow()) {
                fitTexts(*widget);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

const QString fitterName = QStringLiteral("saxolithTextFitter");

} // namespace

SystemFaces systemFaces()
{
    SystemFaces faces;
    // The face the platform's interface font stands for ("Sans Serif" is a name, not a face).
    faces.uiFaces << QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
#ifdef Q_OS_WIN
    // The Chinese interface faces of Windows (8 and later, and Vista and 7).
    faces.uiFaces << QStringLiteral("Microsoft YaHei UI") << QStringLiteral("Microsoft YaHei");
#endif
    faces.chineseSans = fontconfigChineseSans();
    faces.bundled = QString::fromLatin1(reportFontFamily);
    faces.draws = faceDraws;
    return faces;
}

QStringList interfaceFamilies(const SystemFaces &faces)
{
    QStringList candidates = faces.uiFaces;
    candidates << faces.chineseSans << faces.bundled;
    for (const QString &probe : {wholeProbe, chineseProbe}) {
        for (const QString &family : candidates) {
            if (!family.isEmpty() && faces.draws(family, probe)) {
                return {family};
            }
        }
    }
    return {};
}

void useInterfaceFont(QApplication &app, const QStringList &families)
{
    if (!families.isEmpty()) {
        QFont font = QApplication::font();
        font.setFamilies(families);
        QApplication::setFont(font);
    }
    if (app.findChild<QObject *>(fitterName, Qt::FindDirectChildrenOnly) == nullptr) {
        auto *fitter = new TextFitter(&app);
        fitter->setObjectName(fitterName);
        app.installEventFilter(fitter);
    }
}

void fitTexts(QWidget &window)
{
    window.ensurePolished();
    for (QWidget *control : window.findChildren<QWidget *>()) {
        const QWidget *parent = control->parentWidget();
        // A layout gives its controls the room their fonts ask for.
        if (parent == nullptr || parent->layout() != nullptr) {
            continue;
        }
        const std::optional<TextPlace> place = textPlace(control);
        if (!place) {
            continue;
        }
        QFont font = control->font();
        const int wanted = QFontInfo(font).pixelSize();
        int size = wanted;
        std::optional<int> shift = wholeAt(font, *place);
        while (!shift && size > smallestPixels) {
            font.setPixelSize(--size);
            shift = wholeAt(font, *place);
        }
        if (size != wanted) {
            control->setFont(font);
        }
        if (auto *label = qobject_cast<QLabel *>(control)) {
            const int moved = shift.value_or(0);
            label->setContentsMargins(ownMargins(label) + QMargins(0, moved, 0, -moved));
            label->setProperty(shiftProperty, moved);
        }
    }
}

} // namespace saxolith
