// The main window with a book made through the input screen, its files going into a scratch folder.
#pragma once

#include "../question_box.h"
#include "../window_fixture.h"
#include "gui/file_dialog.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "core/book/book_file.h"
#include "gui/window_services.h"
#include "gui/result_screen.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace saxolith::test
{

class ResultScreenTest : public ScratchWindowTest
{
  protected:
    void SetUp() override
    {
        ScratchWindowTest::SetUp();
        result = window->resultScreen();
    }

    template <typename W = QWidget> W *control(const char *name) const
    {
        auto *widget = window->findChild<W *>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void click(const char *name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    // "计算" on the input screen with what it holds, then "结果".
    void calculateAndView()
    {
        click("cbt_compute");
        click("cbt_View");
    }

    // Another recording: any input change brings "计算" back.
    void calculateAgain(int sectionItem = 0)
    {
        click("cbt_Exit");
        CalculationInput input = window->inputScreen()->gatherInput();
        input.sectionItem = sectionItem;
        if (sectionItem != 0) {
            input.secondDimension = "500";
        }
        window->inputScreen()->writeCandidate(input);
        calculateAndView();
    }

    static QStringList lines(QPlainTextEdit *memo)
    {
        const QString text = memo->toPlainText();
        return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
    }
    QStringList textBook() const { return lines(result->meo_jisuanjieguo_Doc); }
    QStringList tableBook() const { return lines(result->meo_jisuanjieguo_Xls); }

    QString filePath(std::string_view name) const
    {
        return m_folder.path() + QLatin1Char('/') + QString::fromUtf8(name.data(), qsizetype(name.size()));
    }
    QByteArray fileBytes(std::string_view name) const
    {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The bytes a book file holds for the lines a memo shows.
    static QByteArray bookBytes(const QStringList &shown)
    {
        std::vector<std::string> lines;
        for (const QString &line : shown) {
            lines.push_back(line.toStdString());
        }
        return QByteArray::fromStdString(bookFileBytes(lines, "GBK"));
    }

    bool saveEnabled() const { return result->cbt_Save->isEnabled(); }
    int unsaved() const { return window->resultScreen()->book().unsavedForms(); }

    ResultScreen *result = nullptr;
};

} // namespace saxolith::test
