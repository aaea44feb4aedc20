#include "gui/tab_order.h"

#include <QLineEdit>

#include <algorithm>
#include <vector>

namespace saxolith
{

void orderTabsTopToBottom(QWidget &screen)
{
    struct Stop {
        QWidget *widget;
        QRect place; // in the screen's coordinates
    };
    std::vector<Stop> stops;
    for (QWidget *widget : screen.findChildren<QWidget *>()) {
        if (const auto *edit = qobject_cast<QLineEdit *>(widget); edit != nullptr && edit->isReadOnly()) {
            // Still selectable with the mouse for copying, but no stop on the way through the inputs.
            widget->setFocusPolicy(Qt::ClickFocus);
            continue;
        }
        // A control's own parts (a combo box's line edit, a view's scroll bars) follow their control.
        if ((widget->focusPolicy() & Qt::TabFocus) == 0 || widget->focusProxy() != nullptr ||
            widget->isWindow()) {
            continue;
        }
        bool inControl = false;
        for (QWidget *up = widget->parentWidget(); up != nullptr && up != &screen; up = up->parentWidget()) {
            inControl = inControl || (up->focusPolicy() & Qt::TabFocus) != 0;
        }
        if (inControl) {
            continue;
        }
        stops.push_back({widget, QRect(widget->mapTo(&screen, QPoint(0, 0)), widget->size())});
    }
    // Controls whose middles lie within a few units of each other share a row.
    constexpr int rowTolerance = 8;
    std::stable_sort(stops.begin(), stops.end(), [](const Stop &a, const Stop &b) {
        return a.place.center().y() < b.place.center().y();
    });
    for (auto rowStart = stops.begin(); rowStart != stops.end();) {
        const int top = rowStart->place.center().y();
        auto rowEnd = std::find_if(rowStart, stops.end(), [top](const Stop &stop) {
            return stop.place.center().y() - top > rowTolerance;
        });
        std::stable_sort(rowStart, rowEnd,
                         [](const Stop &a, const Stop &b) { return a.place.left() < b.place.left(); });
        rowStart = rowEnd;
    }
    for (std::size_t i = 1; i < stops.size(); ++i) {
        QWidget::setTabOrder(stops[i - 1].widget, stops[i].widget);
    }
}

} // namespace saxolith
