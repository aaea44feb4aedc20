#include "gui/widget_helpers.h"

#include <QPushButton>

// The resources live in a static library, so their registration has to be asked for by name, outside
// any namespace.
static void initSaxolithResources()
{
    Q_INIT_RESOURCE(saxolith);
}

namespace saxolith
{

void registerResources()
{
    initSaxolithResources();
}

void setTextColour(QWidget *widget, Argb argb, std::initializer_list<QPalette::ColorGroup> groups)
{
    QPalette palette = widget->palette();
    const QColor colour = QColor::fromRgba(argb);
    for (const QPalette::ColorGroup group : groups) {
        palette.setColor(group, QPalette::Text, colour);
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(palette);
}

QPushButton *roundedButton(QWidget *parent, std::string_view text, int radius, bool greyWhenDisabled)
{
    auto *button = new QPushButton(qs(text), parent);
    QString style = QStringLiteral("QPushButton { border: 1px solid #8f8f91; border-radius: %1px;"
                                   " background: #f6f7fa; }"
                                   " QPushButton:pressed { background: #dadbde; }")
                        .arg(radius);
    if (greyWhenDisabled) {
        style += QStringLiteral(" QPushButton:disabled { color: #a0a0a0; }");
    }
    button->setStyleSheet(style);
    return button;
}

} // namespace saxolith
