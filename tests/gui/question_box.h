// The program's questions answered as a user answers them: the box on show, one of its buttons clicked.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <algorithm>

namespace saxolith::test
{

inline QMessageBox *questionOnShow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (box != nullptr && box->objectName() == "questionBox" && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

// In the order given, whatever order the platform shows them in.
inline QStringList answersOnShow(const QStringList &order)
{
    QStringList answers;
    if (QMessageBox *box = questionOnShow()) {
        for (QAbstractButton *button : box->buttons()) {
            answers << button->text();
        }
    }
    std::sort(answers.begin(), answers.end(),
              [&order](const QString &a, const QString &b) { return order.indexOf(a) < order.indexOf(b); });
    return answers;
}

// Clicks the button; Escape when `button` is empty. False when no question is on show.
inline bool answerQuestion(const QString &button)
{
    QMessageBox *box = questionOnShow();
    if (box == nullptr) {
        return false;
    }
    if (button.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Escape);
        return true;
    }
    for (QAbstractButton *one : box->buttons()) {
        if (one->text() == button) {
            QTest::mouseClick(one, Qt::LeftButton);
            return true;
        }
    }
    return false;
}

} // namespace saxolith::test
