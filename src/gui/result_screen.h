// The result screen (JieGuo_DocLayer): the calculation book in its two forms.
#pragma once

#include "program_state.h"

#include <QWidget>

class QPushButton;

namespace saxolith {

class ResultScreen : public QWidget {
    Q_OBJECT
public:
    ResultScreen(ProgramState &state, QWidget *parent = nullptr);

    QPushButton *cbt_Save = nullptr;   // "保存", enabled at start
    QPushButton *cbt_sanchu = nullptr; // "x", disabled at start

private:
    ProgramState &m_state;
};

} // namespace saxolith
