#include "optimisation_screen.h"

#include "capacity/messages.h"

#include <QLabel>

namespace saxolith {

OptimisationScreen::OptimisationScreen(ProgramState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("YouHuaFormLayer");
    lb_YHxingxi = new QLabel(this);
    lb_YHxingxi->setObjectName("lb_YHxingxi");
    lb_YHxingxi->setGeometry(24, 646, 313, 25);
}

void OptimisationScreen::showRunAborted()
{
    QPalette palette = lb_YHxingxi->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgba(colour::red));
    lb_YHxingxi->setPalette(palette);
    lb_YHxingxi->setText(QString::fromUtf8(message::runAborted.data(), static_cast<qsizetype>(message::runAborted.size())));
}

void OptimisationScreen::saveShownList() {}

} // namespace saxolith
