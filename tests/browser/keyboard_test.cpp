// The browser driven by the keyboard alone: menus through Alt+letter and the arrows, the about
// box through Enter and Escape, the grid ready for keys as soon as the window is active.
#include "browser/fleet_shell.h"
#include "grid/window/cell_grid.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/filedialog.h"
#include "resources/browser/fleet_resources.h"
#include "tests/browser/running_fleet.h"
#include "tests/support/keyboard.h"

#include <QMainWindow>

#include <gtest/gtest.h>
#include <memory>

using namespace tnv;
using namespace tnv::fleet;

namespace {

struct FleetKeys : ::testing::Test {
    Running r;

    void SetUp() override {
        ASSERT_TRUE(r.start());
        ASSERT_TRUE(keys::activate(window()));
    }
    CMainFrame& frame() { return r.frame(); }
    CCellGrid& grid() { return r.grid(); }
    QWidget* window() { return static_cast<QWidget*>(frame().nativeWindow()); }
};

TEST(FleetMenus, EveryMenuAndItemHasALetterOfItsOwn) {
    EXPECT_EQ(keys::mnemonicProblems(FleetFrameResources()), std::vector<std::string>{});
}

TEST_F(FleetKeys, ActiveWindowGivesTheGridTheKeys) {
    EXPECT_EQ(CWnd::GetFocus(), &grid());
    grid().SetCurrentCell(1, kFleetColName);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell().row, 2);
}

// Without a current cell a navigation key makes the first aircraft's rank current (the table
// selects nothing), and does nothing more; other keys leave the table as it is.
TEST_F(FleetKeys, ANavigationKeyEntersTheTableAtTheFirstCellOnScreen) {
    const std::string first = grid().GetCellText(1, kFleetColName);
    for (const keys::Stroke& k : keys::navigationStrokes()) {
        grid().ClearSelection();
        keys::press(k.key, k.modifiers);
        EXPECT_EQ(grid().GetCurrentCell(), CGridPos(1, kFleetColRank)) << k.name;
        EXPECT_EQ(grid().GetFirstScrolledCell(), CGridPos(1, 0)) << k.name;
        EXPECT_EQ(grid().GetCellText(1, kFleetColName), first) << k.name; // no sort either
    }
    for (const keys::Stroke& k : keys::otherStrokes()) {
        grid().ClearSelection();
        keys::press(k.key, k.modifiers);
        EXPECT_EQ(grid().GetCurrentCell(), CGridPos(-1, -1)) << k.name;
    }
    // Once a cell is current the keys move it as before.
    grid().ClearSelection();
    keys::press(Qt::Key_Right);
    keys::press(Qt::Key_Right);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell(), CGridPos(2, kFleetColName));
}

TEST_F(FleetKeys, SortMenuByAltArrowsAndLetters) {
    keys::press(Qt::Key_S, Qt::AltModifier);
    ASSERT_NE(keys::openMenu(), nullptr);
    EXPECT_EQ(keys::openMenu()->title(), "&Sort");
    // By Rank, By aircraft name, By weight.
    keys::press(Qt::Key_Down);
    keys::press(Qt::Key_Down);
    keys::press(Qt::Key_Return);
    EXPECT_EQ(keys::openMenu(), nullptr);
    EXPECT_TRUE(frame().QueryCommand(ID_SORT_BY_WEIGHT).checked());

    struct Case {
        Qt::Key letter;
        UINT command;
    } cases[] = {{Qt::Key_T, ID_SORT_BY_TYPE},
                 {Qt::Key_P, ID_SORT_BY_PRICE},
                 {Qt::Key_N, ID_SORT_BY_NAME},
                 {Qt::Key_R, ID_SORT_BY_RANK}};
    for (const Case& c : cases) {
        keys::press(Qt::Key_S, Qt::AltModifier);
        keys::press(c.letter);
        EXPECT_EQ(keys::openMenu(), nullptr) << c.command;
        EXPECT_TRUE(frame().QueryCommand(c.command).checked()) << c.command;
    }

    keys::press(Qt::Key_V, Qt::AltModifier);
    keys::press(Qt::Key_A);
    EXPECT_TRUE(frame().QueryCommand(ID_VIEW_ALL_VARIATIONS).checked());
    // From the last menu Right wraps round to the first.
    keys::press(Qt::Key_H, Qt::AltModifier);
    keys::press(Qt::Key_Right);
    ASSERT_NE(keys::openMenu(), nullptr);
    EXPECT_EQ(keys::openMenu()->title(), "&File");
    keys::press(Qt::Key_Escape);
    keys::press(Qt::Key_Escape);
    EXPECT_EQ(keys::openMenu(), nullptr);
}

TEST_F(FleetKeys, AboutBoxClosesWithEnterOrEscape) {
    EXPECT_EQ(
        keys::menuDialogTitles(window(), Qt::Key_H, Qt::Key_A, {Qt::Key_Return, Qt::Key_Escape}),
        std::vector<std::string>(2, "About Tarnavel FleetScout"));
}

} // namespace
