#include "keys.h"

#include "widget_helpers.h"

#include "texts/keys.h"

#include <QAbstractButton>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace saxolith
{

namespace
{

// The screens' buttons that keys stand for, by the controls' names.
constexpr const char *computeButton = "cbt_compute";
constexpr const char *saveButtons[] = {"cbt_Save", "cbt_YHsave"};
constexpr const char *backButtons[] = {"cbt_Exit", "cbt_YHfanhui"};
constexpr const char *inputScreen = "MainFormLayer";
constexpr const char *screens[] = {"MainFormLayer", "JieGuo_DocLayer", "YouHuaFormLayer"};

// A button answers its key only while the user could click it: on the screen on show, and enabled.
bool clickIfReachable(QAbstractButton *button)
{
    if (button == nullptr || !button->isVisible() || !button->isEnabled()) {
        return false;
    }
    button->click();
    return true;
}

// Sees the keys the focused control leaves unused: a line edit passes Return on, an open cell editor
// keeps its Escape, so the screen's commands never take a key a control needs.
class KeyFilter : public QObject
{
  public:
    explicit KeyFilter(QWidget &window) : QObject(&window), m_window(window) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &m_window || event->type() != QEvent::KeyPress) {
            return QObject::eventFilter(watched, event);
        }
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Save)) {
            return clickFirst(saveButtons);
        }
        if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier) {
            return false;
        }
        if (key->key() == Qt::Key_Escape) {
            return clickFirst(backButtons);
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            return fromInputScreen() &&
                   clickIfReachable(m_window.findChild<QAbstractButton *>(computeButton));
        }
        return false;
    }

  private:
    template <std::size_t N> bool clickFirst(const char *const (&names)[N])
    {
        for (const char *name : names) {
            if (clickIfReachable(m_window.findChild<QAbstractButton *>(name))) {
                return true;
            }
        }
        return false;
    }

    // Return belongs to the input screen's fields; elsewhere it stays with the control that has it.
    bool fromInputScreen() const
    {
        const QWidget *screen = m_window.findChild<QWidget *>(inputScreen);
        const QWidget *focus = m_window.focusWidget();
        return screen != nullptr && screen->isVisible() &&
               (focus == nullptr || focus == &m_window || screen->isAncestorOf(focus) || focus == screen);
    }

    QWidget &m_window;
};

// The key a button stands for shows in the tooltip the button shows: its own hint, or its caption, with the
// key after it. The button's hint itself is left as the screen set it.
class KeyTip : public QObject
{
  public:
    KeyTip(QAbstractButton &button, std::string_view key) : QObject(&button), m_key(qs(key))
    {
        button.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (event->type() != QEvent::ToolTip || button == nullptr) {
            return QObject::eventFilter(watched, event);
        }
        const QString own = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(),
                           own + QStringLiteral(" (%1)").arg(m_key), button);
        return true;
    }

  private:
    QString m_key;
};

void nameKey(QWidget &window, const char *name, std::string_view key)
{
    if (auto *button = window.findChild<QAbstractButton *>(name)) {
        new KeyTip(*button, key);
    }
}

} // namespace

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

void installKeys(QWidget &window)
{
    window.installEventFilter(new KeyFilter(window));
    nameKey(window, computeButton, keyText::calculate);
    for (const char *name : saveButtons) {
        nameKey(window, name, keyText::save);
    }
    for (const char *name : backButtons) {
        nameKey(window, name, keyText::back);
    }
    for (const char *name : screens) {
        if (auto *screen = window.findChild<QWidget *>(name)) {
            orderTabsTopToBottom(*screen);
        }
    }
}

} // namespace saxolith
