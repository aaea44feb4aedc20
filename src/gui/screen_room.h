// How the screens use a window larger than their design size: which controls grow, move or stay.
#pragma once

#include <QSize>

class QWidget;

namespace saxolith
{

// How a control answers extra room along one axis.
enum class Room {
    Stay,   // keeps its design place and size
    Follow, // moves by the whole extra room (kept at the far edge)
    Centre, // moves by half the extra room
    Fill,   // grows by the whole extra room
};

// Gives the input, result and optimisation screens their rules. Every rule works on the room beyond
// `design`, so at the design size each control keeps exactly its design place.
void keepRoomOnInputScreen(QWidget *screen, QSize design);
void keepRoomOnResultScreen(QWidget *screen, QSize design);
void keepRoomOnOptimisationScreen(QWidget *screen, QSize design);

} // namespace saxolith
