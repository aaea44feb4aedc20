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

private:
    ProgramState &m_state;
};

} // namespace saxolith
