#include "input_screen.h"

namespace saxolith {

InputScreen::InputScreen(ProgramState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("MainFormLayer");
}

CalculationInput InputScreen::gatherInput() const { return defaultCalculationInput(); }

void InputScreen::writeCandidate(const CalculationInput &) {}

void InputScreen::cbt_computeClick() {}

} // namespace saxolith
