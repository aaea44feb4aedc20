#include "result_screen.h"

#include <QPushButton>

namespace saxolith {

ResultScreen::ResultScreen(ProgramState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("JieGuo_DocLayer");
    cbt_Save = new QPushButton("保存", this);
    cbt_Save->setObjectName("cbt_Save");
    cbt_Save->setGeometry(208, 598, 89, 33);
    cbt_sanchu = new QPushButton("x", this);
    cbt_sanchu->setObjectName("cbt_sanchu");
    cbt_sanchu->setGeometry(340, 598, 16, 16);
    cbt_sanchu->setEnabled(false);
}

} // namespace saxolith
