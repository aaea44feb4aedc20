// The main window on the input screen, and the ways a user drives and reads its controls.
#pragma once

#include "../window_fixture.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/optimisation_screen.h"
#include "gui/result_screen.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <QAbstractItemView>

#include <memory>
#include <ostream>

namespace saxolith::test
{

inline QColor textColour(QWidget *widget)
{
    const auto role = qobject_cast<QLabel *>(widget) != nullptr ? QPalette::WindowText : QPalette::Text;
    return widget->palette().color(QPalette::Active, role);
}

inline QString textOf(QWidget *widget)
{
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        return combo->currentText();
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        return edit->text();
    }
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        return label->text();
    }
    return qobject_cast<QAbstractButton *>(widget)->text();
}

class InputScreenTest : public ScratchWindowTest
{
  protected:
    // The input screen's own tests see its error boxes.
    explicit InputScreenTest(Messages messages = Messages::Shown) : ScratchWindowTest(messages) {}

    void SetUp() override
    {
        ScratchWindowTest::SetUp();
        screen = window->inputScreen();
    }

    QWidget *control(const char *name) const
    {
        auto *widget = window->findChild<QWidget *>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Replaces the field's text key by key, as typing does (a Chinese character at a time).
    static void type(QWidget *widget, const QString &text)
    {
        QWidget *target = widget;
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            target = combo->lineEdit();
        }
        target->setFocus();
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(target, Qt::Key_Backspace);
        for (const QChar ch : text) {
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }

    // Opens the list and clicks the entry, as a user picks from a drop-down.
    static void pick(QComboBox *combo, int index)
    {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        const QRect item = view->visualRect(view->model()->index(index, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
        EXPECT_EQ(combo->currentIndex(), index);
    }

    static void click(QAbstractButton *button)
    {
        // Radio buttons take the click on their indicator.
        const QPoint at = qobject_cast<QRadioButton *>(button) != nullptr ? QPoint(8, button->height() / 2)
                                                                          : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
    }

    void compute() const { click(screen->cbt_compute); }

    QString status() const { return screen->lb_shuoming->text(); }
    QString aborted() const { return window->optimisationScreen()->lb_YHxingxi->text(); }

    void expectResults(const QString &psi, const QString &qpa, const QString &ra) const
    {
        EXPECT_EQ(screen->edt_Psair->text(), psi);
        EXPECT_EQ(screen->edt_qpaSC->text(), qpa);
        EXPECT_EQ(screen->edt_ra->text(), ra);
    }

    InputScreen *screen = nullptr;
};

} // namespace saxolith::test
