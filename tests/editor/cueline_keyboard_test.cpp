// The editor driven by the keyboard alone: menus through Alt+letter and the arrows, dialogs
// through Tab, Enter and Escape, the grid ready for keys as soon as the window is active.
#include "editor_fixture.h"

#include "tests/support/keyboard.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace tnv;
using namespace tnv::cueline;

namespace {

TEST(CueLineMenus, EveryMenuAndItemHasALetterOfItsOwn) {
    EXPECT_EQ(keys::mnemonicProblems(CueLineFrameResources()), std::vector<std::string>{});
}

TEST_F(EditorFixture, ActiveWindowGivesTheGridTheKeys) {
    ASSERT_TRUE(startOnPack());
    ASSERT_TRUE(keys::activate(window()));
    EXPECT_EQ(CWnd::GetFocus(), &grid());
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->window(), window());
    // The first arrow key already moves in the grid.
    grid().SetCurrentCell(1, 2);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell().row, 2);

    // Back from another window, the grid has the keys again.
    QWidget other;
    ASSERT_TRUE(keys::activate(&other));
    ASSERT_TRUE(keys::activate(window()));
    keys::press(Qt::Key_Up);
    EXPECT_EQ(grid().GetCurrentCell().row, 1);
}

// Without a current cell a navigation key makes the first text on screen current and selects
// it, and does nothing more; other keys leave the table as it is. A pack long enough to scroll,
// scrolled down three rows.
TEST_F(EditorFixture, ANavigationKeyEntersTheTableAtTheFirstTextOnScreen) {
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "s" + std::to_string(i) + ".wav;Text " + std::to_string(i) + "\r\n";
    pack = makePack("Long", text, {});
    ASSERT_TRUE(startOnPack());
    ASSERT_TRUE(keys::activate(window()));
    auto reset = [&] {
        grid().ClearSelection();
        grid().WriteScrollPos(SB_VERT, 3 * grid().GetRowSize(0));
        grid().WriteScrollPos(SB_HORZ, 0);
        ASSERT_EQ(grid().GetFirstScrolledCell(), CGridPos(3, 2));
    };
    for (const keys::Stroke& k : keys::navigationStrokes()) {
        ASSERT_NO_FATAL_FAILURE(reset());
        keys::press(k.key, k.modifiers);
        EXPECT_EQ(grid().GetCurrentCell(), CGridPos(3, 2)) << k.name;
        EXPECT_EQ(grid().GetPickedCount(), 1u) << k.name;
        EXPECT_TRUE(grid().IsPicked(3, 2)) << k.name;
        EXPECT_EQ(grid().GetFirstScrolledCell(), CGridPos(3, 2)) << k.name;
        EXPECT_EQ(CWnd::GetFocus(), &grid()) << k.name << " opened an edit";
    }
    for (const keys::Stroke& k : keys::otherStrokes()) {
        ASSERT_NO_FATAL_FAILURE(reset());
        keys::press(k.key, k.modifiers);
        EXPECT_EQ(grid().GetCurrentCell(), CGridPos(-1, -1)) << k.name;
        EXPECT_EQ(grid().GetFirstScrolledCell(), CGridPos(3, 2)) << k.name;
        EXPECT_EQ(CWnd::GetFocus(), &grid()) << k.name;
    }
    EXPECT_FALSE(view().refreshModified());
    // Once a cell is current the keys move it as before.
    ASSERT_NO_FATAL_FAILURE(reset());
    keys::press(Qt::Key_Down);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell(), CGridPos(4, 2));
}

TEST_F(EditorFixture, MenusOpenWithAltAndMoveWithArrows) {
    ASSERT_TRUE(startOnPack());
    ASSERT_TRUE(keys::activate(window()));

    keys::press(Qt::Key_V, Qt::AltModifier);
    QMenu* menu = keys::openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), "&View");
    // Status Bar, then No sort, then Sort by Filename (the separator is passed over).
    keys::press(Qt::Key_Down);
    keys::press(Qt::Key_Down);
    keys::press(Qt::Key_Return);
    EXPECT_EQ(keys::openMenu(), nullptr);
    EXPECT_TRUE(frame().QueryCommand(ID_SORT_FILENAME).checked());

    // Right goes on to the next menu, Left back; Escape closes.
    keys::press(Qt::Key_F, Qt::AltModifier);
    ASSERT_NE(keys::openMenu(), nullptr);
    EXPECT_EQ(keys::openMenu()->title(), "&File");
    keys::press(Qt::Key_Right);
    ASSERT_NE(keys::openMenu(), nullptr);
    EXPECT_EQ(keys::openMenu()->title(), "&View");
    keys::press(Qt::Key_Left);
    ASSERT_NE(keys::openMenu(), nullptr);
    EXPECT_EQ(keys::openMenu()->title(), "&File");
    keys::press(Qt::Key_Escape);
    keys::press(Qt::Key_Escape);
    EXPECT_EQ(keys::openMenu(), nullptr);

    // An item's own letter runs it.
    keys::press(Qt::Key_V, Qt::AltModifier);
    keys::press(Qt::Key_T);
    EXPECT_TRUE(frame().QueryCommand(ID_SORT_TEXT).checked());
    keys::press(Qt::Key_V, Qt::AltModifier);
    keys::press(Qt::Key_D);
    EXPECT_FALSE(frame().QueryCommand(ID_DISPLAY_ROWNUMBER).checked());
    keys::press(Qt::Key_V, Qt::AltModifier);
    keys::press(Qt::Key_N);
    EXPECT_TRUE(frame().QueryCommand(ID_SORT_NONE).checked());

    // After a menu the grid has the keys again.
    grid().SetCurrentCell(1, 2);
    keys::press(Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell().row, 2);
}

TEST_F(EditorFixture, HelpDialogTabsToOkAndEnterCloses) {
    ASSERT_TRUE(startOnPack());
    ASSERT_TRUE(keys::activate(window()));
    QString title;
    bool tabbedToOk = false;
    keys::whenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        EXPECT_NE(qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()), nullptr);
        keys::press(Qt::Key_Tab);
        tabbedToOk = qobject_cast<QPushButton*>(QApplication::focusWidget()) != nullptr;
        keys::press(Qt::Key_Return);
    });
    keys::press(Qt::Key_H, Qt::AltModifier);
    keys::press(Qt::Key_H);
    EXPECT_EQ(title, "TnvCueLine Help");
    EXPECT_TRUE(tabbedToOk);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The desktop gives the window back its activation, and the grid its keys.
    ASSERT_TRUE(keys::activate(window()));
    EXPECT_EQ(CWnd::GetFocus(), &grid());

    // Escape closes it too.
    EXPECT_EQ(keys::menuDialogTitles(window(), Qt::Key_H, Qt::Key_H, {Qt::Key_Escape}),
              std::vector<std::string>{"TnvCueLine Help"});
}

TEST_F(EditorFixture, AboutBoxClosesWithEnterOrEscape) {
    ASSERT_TRUE(startOnPack());
    EXPECT_EQ(
        keys::menuDialogTitles(window(), Qt::Key_H, Qt::Key_A, {Qt::Key_Return, Qt::Key_Escape}),
        std::vector<std::string>(2, "About CueLine"));
}

} // namespace
