// Both table programs driven by the keyboard alone, by the same keys: menus through Alt+letter
// and the arrows, the about box through Enter and Escape, the grid ready for keys as soon as the
// window is active and entered by the first navigation key.
#include "tests/programs/keyed_program.h"
#include "tests/support/keyboard.h"

#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

struct Program {
    const char* name;
    std::unique_ptr<KeyedProgram> (*make)();
};

class ProgramKeys : public ::testing::TestWithParam<Program> {
protected:
    std::unique_ptr<KeyedProgram> p = GetParam().make();
    CCellGrid& grid() { return p->grid(); }
    [[nodiscard]] bool startActive() { return p->start() && keys::activate(p->window()); }
};

INSTANTIATE_TEST_SUITE_P(Programs, ProgramKeys,
                         ::testing::Values(Program{"CueLine", &cueLineKeys},
                                           Program{"Fleet", &fleetKeys}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ProgramKeys, ActiveWindowGivesTheGridTheKeys) {
    ASSERT_TRUE(startActive());
    EXPECT_EQ(CWnd::GetFocus(), &grid());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->window(), p->window());
    // The first arrow key already moves in the grid.
    grid().SetCurrentCell(1, p->column);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell().row, 2);

    // Back from another window, the grid has the keys again.
    QWidget other;
    ASSERT_TRUE(keys::activate(&other));
    ASSERT_TRUE(keys::activate(p->window()));
    keys::press(Qt::Key_Up);
    EXPECT_EQ(grid().GetCurrentCell().row, 1);
}

// Without a current cell a navigation key makes the first cell of the table on screen current
// (and selects it where the table selects), and does nothing more: no scroll, no sort, no edit;
// other keys leave the table as it is.
TEST_P(ProgramKeys, ANavigationKeyEntersTheTableAtTheFirstCellOnScreen) {
    p->useLongTable();
    ASSERT_TRUE(startActive());
    const std::string first = grid().GetCellText(1, p->column);
    auto reset = [&] {
        grid().ClearSelection();
        grid().WriteScrollPos(SB_VERT, p->scrolledRows * grid().GetRowSize(0));
        grid().WriteScrollPos(SB_HORZ, 0);
        ASSERT_EQ(grid().GetFirstScrolledCell(), p->scrolled);
    };
    for (const keys::Stroke& k : keys::navigationStrokes()) {
        ASSERT_NO_FATAL_FAILURE(reset());
        keys::press(k.key, k.modifiers);
        EXPECT_EQ(grid().GetCurrentCell(), p->entered) << k.name;
        EXPECT_EQ(grid().GetPickedCount(), p->enteredPicked) << k.name;
        EXPECT_EQ(grid().IsPicked(p->entered.row, p->entered.col), p->enteredPicked > 0) << k.name;
        EXPECT_EQ(grid().GetFirstScrolledCell(), p->scrolled) << k.name;
        EXPECT_EQ(grid().GetCellText(1, p->column), first) << k.name;
        EXPECT_EQ(CWnd::GetFocus(), &grid()) << k.name << " opened an edit";
    }
    for (const keys::Stroke& k : keys::otherStrokes()) {
        ASSERT_NO_FATAL_FAILURE(reset());
        keys::press(k.key, k.modifiers);
        EXPECT_EQ(grid().GetCurrentCell(), CGridPos(-1, -1)) << k.name;
        EXPECT_EQ(grid().GetFirstScrolledCell(), p->scrolled) << k.name;
        EXPECT_EQ(CWnd::GetFocus(), &grid()) << k.name;
    }
    EXPECT_FALSE(p->modified());
    // Once a cell is current the keys move it as before.
    ASSERT_NO_FATAL_FAILURE(reset());
    for (Qt::Key key : p->thenKeys)
        keys::press(key);
    EXPECT_EQ(grid().GetCurrentCell(), p->thenCell);
}

// Every menu and item has a letter of its own; menus open with Alt and move with the arrows and
// letters; the about box closes with Enter or Escape.
TEST_P(ProgramKeys, MenusOpenWithAltAndMoveWithArrowsAndLetters) {
    EXPECT_EQ(keys::mnemonicProblems(p->resources()), std::vector<std::string>{});
    ASSERT_TRUE(startActive());
    keys::press(p->walkedMenu, Qt::AltModifier);
    ASSERT_NE(keys::openMenu(), nullptr);
    EXPECT_EQ(keys::openMenu()->title(), p->walkedTitle);
    for (int i = 0; i < p->walkedDown; ++i)
        keys::press(Qt::Key_Down);
    keys::press(Qt::Key_Return);
    EXPECT_EQ(keys::openMenu(), nullptr);
    EXPECT_TRUE(p->frame().QueryCommand(p->walkedCommand).checked());

    // Right goes on to the next menu, Left back; Escape closes.
    keys::press(p->crossedMenu, Qt::AltModifier);
    for (const MenuStep& step : p->crossing) {
        if (step.key != Qt::Key_unknown)
            keys::press(step.key);
        ASSERT_NE(keys::openMenu(), nullptr) << step.title.toStdString();
        EXPECT_EQ(keys::openMenu()->title(), step.title);
    }
    keys::press(Qt::Key_Escape);
    keys::press(Qt::Key_Escape);
    EXPECT_EQ(keys::openMenu(), nullptr);

    // An item's own letter runs it.
    for (const MenuLetters& item : p->letters) {
        keys::press(item.menu, Qt::AltModifier);
        keys::press(item.item);
        EXPECT_EQ(keys::openMenu(), nullptr) << item.command;
        EXPECT_EQ(p->frame().QueryCommand(item.command).checked(), item.checked) << item.command;
    }

    // After a menu the grid has the keys again.
    grid().SetCurrentCell(1, p->column);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell().row, 2);
    EXPECT_EQ(
        keys::menuDialogTitles(p->window(), Qt::Key_H, Qt::Key_A, {Qt::Key_Return, Qt::Key_Escape}),
        std::vector<std::string>(2, p->aboutTitle));
}

} // namespace
