// The input screen (MainFormLayer): the pile and rock inputs, the calculate command and its live checks.
#pragma once

#include "capacity/calculation.h"
#include "program_state.h"

#include <QWidget>

namespace saxolith {

class InputScreen : public QWidget {
    Q_OBJECT
public:
    InputScreen(ProgramState &state, QWidget *parent = nullptr);

    // What the controls hold, as the calculate command reads it.
    [[nodiscard]] CalculationInput gatherInput() const;

    // Writes a candidate's inputs into the controls as a user's edits would (change handlers run;
    // a control set to the text it already holds runs nothing): section item, dimensions, route,
    // qpa or frk text, automatic interpolation and the integrity text, in that order.
    void writeCandidate(const CalculationInput &input);

    void cbt_computeClick();

signals:
    // A calculation made with optimisationActive = 0 reached its end: record it in the book.
    void calculationRecorded(const saxolith::PileRecord &record);
    // An input error: the optimisation screen's status shows the run-aborted notice.
    void runAborted();
    void viewRequested();         // "结果"
    void optimisationRequested(); // "★"
    void aboutRequested();        // "©"
    void exitRequested();         // "退出"

private:
    ProgramState &m_state;
};

} // namespace saxolith
