// Small helpers every screen builds its controls with.
#pragma once

#include "platform/host.h"
#include "core/texts/input.h"

#include <QPalette>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <string_view>

class QPushButton;

namespace saxolith
{

// Names a control and puts it at its place in design units.
template <typename W> W *place(W *widget, const char *name, int x, int y, int w, int h)
{
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

// Makes the program's pictures and particulars reachable under ":/"; calling it again does no harm.
void registerResources();

// The palette groups of a control that is never shown disabled in another colour.
inline constexpr std::initializer_list<QPalette::ColorGroup> enabledGroups{QPalette::Active,
                                                                           QPalette::Inactive};

// Colours a control's text (plain, window and button text) in the given palette groups.
void setTextColour(QWidget *widget, Argb argb,
                   std::initializer_list<QPalette::ColorGroup> groups = {QPalette::Active, QPalette::Inactive,
                                                                         QPalette::Disabled});

// A push button with rounded corners in the program's grey; its caption greys when disabled, if asked.
QPushButton *roundedButton(QWidget *parent, std::string_view text, int radius, bool greyWhenDisabled = true);

} // namespace saxolith
