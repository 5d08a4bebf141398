// FleetValuer as the keyboard tests drive it: started from the add-on's bin folder on the mixed
// fleet, whose table selects nothing.
#include "tests/browser/running_fleet.h"
#include "tests/programs/keyed_program.h"

#include "resources/browser/fleet_resources.h"

using namespace tnv::fleet;

namespace {

struct Fleet : KeyedProgram {
    Running r;

    Fleet() {
        column = kFleetColName;
        scrolled = CGridPos(1, 0);
        entered = CGridPos(1, kFleetColRank);
        thenKeys = {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down};
        thenCell = CGridPos(2, kFleetColName);
        // By Rank, By aircraft name, By weight.
        walkedMenu = Qt::Key_S;
        walkedTitle = "&Sort";
        walkedDown = 2;
        walkedCommand = ID_SORT_BY_WEIGHT;
        letters = {{Qt::Key_S, Qt::Key_T, ID_SORT_BY_TYPE, true},
                   {Qt::Key_S, Qt::Key_P, ID_SORT_BY_PRICE, true},
                   {Qt::Key_S, Qt::Key_N, ID_SORT_BY_NAME, true},
                   {Qt::Key_S, Qt::Key_R, ID_SORT_BY_RANK, true},
                   {Qt::Key_V, Qt::Key_A, ID_VIEW_ALL_VARIATIONS, true}};
        // From the last menu Right wraps round to the first.
        crossedMenu = Qt::Key_H;
        crossing = {{Qt::Key_unknown, "&Help"}, {Qt::Key_Right, "&File"}};
        aboutTitle = "About Tarnavel FleetScout";
    }

    bool start() override { return r.start(); }
    FrameResources resources() const override { return FleetFrameResources(); }
    CFrameWnd& frame() override { return r.frame(); }
    CCellGrid& grid() override { return r.grid(); }
};

} // namespace

std::unique_ptr<KeyedProgram> fleetKeys() {
    return std::make_unique<Fleet>();
}
