// The optimisation screen (YouHuaFormLayer): option grid, candidate lists and their commands.
#pragma once

#include "program_state.h"

#include <QWidget>

class QLabel;

namespace saxolith {

class OptimisationScreen : public QWidget {
    Q_OBJECT
public:
    OptimisationScreen(ProgramState &state, QWidget *parent = nullptr);

    QLabel *lb_YHxingxi = nullptr; // status label, empty at start

    // The input screen's calculate command stopped on an input error.
    void showRunAborted();

    // The save command, once permission is granted: writes the list on show into the documents
    // folder (raw or filtered list file), or nothing when that list has no row.
    void saveShownList();

signals:
    void saveRequested(); // "存盘": the one save command of the main window

private:
    ProgramState &m_state;
};

} // namespace saxolith
