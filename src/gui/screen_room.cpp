#include "gui/screen_room.h"

#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace saxolith
{

namespace
{

struct RoomRule {
    const char *name;
    Room across;
    Room down;
};

// The place and size a rule gives along one axis, from the design place and the extra room.
std::pair<int, int> placeAlong(int start, int length, int extra, Room room)
{
    switch (room) {
    case Room::Follow:
        return {start + extra, length};
    case Room::Centre:
        return {start + extra / 2, length};
    case Room::Fill:
        return {start, length + extra};
    case Room::Stay:
        break;
    }
    return {start, length};
}

// Watches a screen's size and puts its controls where the rules say; the design places are taken
// when the rules are installed, while the screen still has its design size.
class RoomKeeper : public QObject
{
  public:
    struct Kept {
        QPointer<QWidget> control;
        QRect designPlace;
        Room across;
        Room down;
    };

    RoomKeeper(QWidget *screen, QSize design, std::vector<Kept> kept, std::function<void(QSize)> after)
        : QObject(screen), m_screen(screen), m_design(design), m_kept(std::move(kept)),
          m_after(std::move(after))
    {
        screen->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_screen && event->type() == QEvent::Resize) {
            apply();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void apply()
    {
        // Smaller than the design size never happens (the window's minimum); if it did, nothing shrinks.
        const QSize extra(std::max(0, m_screen->width() - m_design.width()),
                          std::max(0, m_screen->height() - m_design.height()));
        for (const Kept &kept : m_kept) {
            if (kept.control.isNull()) {
                continue;
            }
            const auto [x, w] =
                placeAlong(kept.designPlace.x(), kept.designPlace.width(), extra.width(), kept.across);
            const auto [y, h] =
                placeAlong(kept.designPlace.y(), kept.designPlace.height(), extra.height(), kept.down);
            kept.control->setGeometry(x, y, w, h);
        }
        if (m_after) {
            m_after(extra);
        }
    }

    QWidget *m_screen;
    QSize m_design;
    std::vector<Kept> m_kept;
    std::function<void(QSize)> m_after;
};

void keepRoom(QWidget *screen, QSize design, const std::vector<RoomRule> &rules,
              std::function<void(QSize)> after = {})
{
    std::vector<RoomKeeper::Kept> kept;
    for (const RoomRule &rule : rules) {
        if (auto *control = screen->findChild<QWidget *>(QString::fromLatin1(rule.name))) {
            kept.push_back({control, control->geometry(), rule.across, rule.down});
        }
    }
    new RoomKeeper(screen, design, std::move(kept), std::move(after));
}

// The book areas take all the room; the buttons below them keep to the bottom, centred as the design
// centres them, the small ones at the right edge.
const std::vector<RoomRule> resultRules{
    {"lb_jisuanjieguo", Room::Centre, Room::Stay},    {"cbt_PageBook", Room::Follow, Room::Stay},
    {"meo_jisuanjieguo_Doc", Room::Fill, Room::Fill}, {"meo_jisuanjieguo_Xls", Room::Fill, Room::Fill},
    {"cbt_Exit", Room::Centre, Room::Follow},         {"cbt_Save", Room::Centre, Room::Follow},
    {"cbt_sanchu", Room::Follow, Room::Follow},       {"tcb_meoFontSize", Room::Centre, Room::Follow},
};

// The option grid widens (its explanation column takes the width), the lists take the rest of the
// room, and the commands below them keep to the bottom.
const std::vector<RoomRule> optimisationRules{
    {"lb_youhuabiaoti", Room::Centre, Room::Stay},  {"Grid1_Youhuaxuanxiang", Room::Fill, Room::Stay},
    {"Grid2_Youhuajieguo", Room::Fill, Room::Fill}, {"Grid3_Youhuasaixuan", Room::Fill, Room::Fill},
    {"lb_huzhu", Room::Stay, Room::Follow},         {"cbt_zhangkai", Room::Follow, Room::Follow},
    {"cbt_YHcompute", Room::Centre, Room::Follow},  {"cbt_YHsaixuan", Room::Centre, Room::Follow},
    {"cbt_YHsave", Room::Centre, Room::Follow},     {"cbt_YHfanhui", Room::Centre, Room::Follow},
    {"lb_YHxingxi", Room::Fill, Room::Follow},      {"pb_YH_jingdu", Room::Fill, Room::Follow},
};

constexpr int explanationColumn = 4;

} // namespace

void keepRoomOnInputScreen(QWidget *screen, QSize design)
{
    // Nothing on the input screen needs more room: the whole screen stays together in the middle.
    std::vector<RoomRule> rules;
    std::vector<QByteArray> names;
    for (QWidget *control : screen->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        names.push_back(control->objectName().toLatin1());
    }
    for (const QByteArray &name : names) {
        if (!name.isEmpty()) {
            rules.push_back({name.constData(), Room::Centre, Room::Centre});
        }
    }
    keepRoom(screen, design, rules);
}

void keepRoomOnResultScreen(QWidget *screen, QSize design)
{
    keepRoom(screen, design, resultRules);
}

void keepRoomOnOptimisationScreen(QWidget *screen, QSize design)
{
    auto *grid = screen->findChild<QTableWidget *>(QStringLiteral("Grid1_Youhuaxuanxiang"));
    if (grid == nullptr) {
        keepRoom(screen, design, optimisationRules);
        return;
    }
    const int designWidth = grid->columnWidth(explanationColumn);
    keepRoom(screen, design, optimisationRules, [grid, designWidth](QSize) {
        // The explanation column fills what the other columns leave of the grid, never narrower
        // than it was designed.
        int others = 0;
        for (int column = 0; column < grid->columnCount(); ++column) {
            if (column != explanationColumn && !grid->isColumnHidden(column)) {
                others += grid->columnWidth(column);
            }
        }
        const QScrollBar *bar = grid->verticalScrollBar();
        const int room = grid->contentsRect().width() - (bar->isVisible() ? bar->width() : 0) - others;
        grid->setColumnWidth(explanationColumn, std::max(designWidth, room));
    });
}

} // namespace saxolith
