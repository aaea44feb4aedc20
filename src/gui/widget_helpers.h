// Small helpers every screen builds its controls with.
#pragma once

#include <QString>
#include <QWidget>

#include <string_view>

namespace saxolith
{

// Core texts are UTF-8.
inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Names a control and puts it at its place in design units.
template <typename W> W *place(W *widget, const char *name, int x, int y, int w, int h)
{
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace saxolith
