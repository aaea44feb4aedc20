// The main window with the optimisation screen open, and the ways a user drives and reads it.
#pragma once

#include "../window_fixture.h"
#include "gui/candidate_model.h"
#include "gui/input_screen.h"
#include "gui/main_window.h"
#include "gui/optimisation_screen.h"
#include "gui/result_screen.h"
#include "gui/window_services.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace saxolith::test
{

class OptimisationTest : public ScratchWindowTest
{
  protected:
    using ScratchWindowTest::ScratchWindowTest;

    void SetUp() override
    {
        ScratchWindowTest::SetUp();
        input = window->inputScreen();
        screen = window->optimisationScreen();
    }

    [[nodiscard]] ProgramState &state() const { return window->state(); }
    [[nodiscard]] int bookEntries() const { return window->resultScreen()->book().entryCount(); }
    // A calculation on the input screen reaches the book only while that screen is on display.
    [[nodiscard]] bool inputRecords() const { return !input->isHidden(); }

    static void click(QAbstractButton *button)
    {
        ASSERT_TRUE(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void open() { click(input->cbt_YouHua); }
    void run() { click(screen->cbt_YHcompute); }

    // Opens the screen and runs the enumeration with the option texts as they stand.
    void openAndRun()
    {
        open();
        run();
    }

    [[nodiscard]] QString status() const { return screen->lb_YHxingxi->text(); }
    [[nodiscard]] QColor statusColour() const
    {
        return screen->lb_YHxingxi->palette().color(QPalette::Active, QPalette::WindowText);
    }

    [[nodiscard]] QTableWidget *options() const { return screen->Grid1_Youhuaxuanxiang; }

    // Selects an option cell by mouse, replaces its text by typing and finishes with Enter.
    void editOption(int row, int column, const QString &text)
    {
        if (options()->currentRow() == row && options()->currentColumn() == column) {
            // A click on the current cell opens its editor only after the double-click time; F2 at once.
            QTest::keyClick(options(), Qt::Key_F2);
        } else {
            clickOption(row, column);
        }
        QWidget *editor = openEditor();
        ASSERT_NE(editor, nullptr) << "no editor on " << row << "," << column;
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits an Enter on the next pass of the event loop.
        QCoreApplication::processEvents();
    }

    // Types `text` into an option cell, does `then`, and types the cell's earlier text back.
    template <typename Then> void withOptionText(int row, int column, const QString &text, Then then)
    {
        const QString before = options()->item(row, column)->text();
        editOption(row, column, text);
        then();
        editOption(row, column, before);
    }

    void clickOption(int row, int column)
    {
        QTableWidget *grid = options();
        grid->scrollToItem(grid->item(row, column));
        const QRect cell = grid->visualItemRect(grid->item(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // The cell editor the option grid has open, if any.
    [[nodiscard]] QLineEdit *openEditor() const
    {
        for (QLineEdit *edit : options()->viewport()->findChildren<QLineEdit *>()) {
            if (edit->isVisible()) {
                return edit;
            }
        }
        return nullptr;
    }

    [[nodiscard]] QTableView *shownList() const
    {
        return screen->Grid2_Youhuajieguo->isVisible() ? screen->Grid2_Youhuajieguo
                                                       : screen->Grid3_Youhuasaixuan;
    }

    static QString cell(QTableView *list, int row, int column)
    {
        return list->model()->index(row, column).data().toString();
    }
    static QString header(QTableView *list, int column)
    {
        return list->model()->headerData(column, Qt::Horizontal).toString();
    }
    static int rows(QTableView *list) { return list->model()->rowCount(); }

    // A click on the header of the column defined at `column`, wherever it stands on the screen.
    static void clickHeader(QTableView *list, int column)
    {
        QHeaderView *header = list->horizontalHeader();
        if (list->model()->rowCount() > 0) {
            // Columns just shown are laid out on the next pass of the event loop.
            QCoreApplication::processEvents();
            list->scrollTo(list->model()->index(0, column));
        }
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        ASSERT_GE(x, 0);
        ASSERT_LT(x, header->viewport()->width());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    static void doubleClickRow(QTableView *list, int row, int column = 0)
    {
        const QModelIndex index = list->model()->index(row, column);
        list->scrollTo(index);
        const QPoint at = list->visualRect(index).center();
        // A user's double click: the first click, then the second that the platform reports as double.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    static int selectedRow(QTableView *list)
    {
        const QModelIndexList selected = list->selectionModel()->selectedRows();
        return selected.size() == 1 ? selected.front().row() : -1;
    }

    InputScreen *input = nullptr;
    OptimisationScreen *screen = nullptr;
};

} // namespace saxolith::test
