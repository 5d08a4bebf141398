#include "grid_window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <algorithm>
#include <functional>
#include <utility>

class EditTest : public InputTest {
protected:
    using Selection = std::pair<int, int>;
    static Selection selectionOf(CEdit& e) {
        Selection s{};
        e.GetSel(&s.first, &s.second);
        return s;
    }
    int created = 0;
    std::string typed;

    void SetUp() override { makeEditable(); }
    // 5 x 5 with one fixed row and column; body cell texts "r<row>c<col>"; (2, 2) current.
    void makeEditable() {
        created = 0;
        typed.clear();
        make(5, 5, 1, 1, 300, 200, 20, 50);
        for (int r = 1; r < 5; ++r)
            for (int c = 1; c < 5; ++c)
                grid->SetCellText(r, c, "r" + std::to_string(r) + "c" + std::to_string(c));
        CCellGrid::EditHooks hooks;
        hooks.created = [this] { ++created; };
        hooks.typed = [this](UINT ch) { typed += char(ch); };
        grid->SetEditHooks(hooks);
        click(at(2, 2));
        settle();
        owner.notes.clear();
    }
    void remake() {
        TearDown();
        makeEditable();
    }
    CGridInPlaceEdit& openEditor() {
        click(at(2, 2)); // press and release on the current cell
        CGridInPlaceEdit* e = editor();
        EXPECT_NE(e, nullptr);
        return *e;
    }
    int liveEditors() { return int(grid->clientWidget()->findChildren<QLineEdit*>().size()); }
};

constexpr int B = GN_BEGINEDIT, E = GN_ENDEDIT;

// Each way into and out of an edit, from (2, 2) current: the text a cell holds afterwards, the
// current cell, the edit left open (its text, selection and whether arrows end it) or none, and
// the edits begun and ended on the way.
TEST_F(EditTest, EachWayIntoAndOutOfAnEdit) {
    auto key = [&](UINT vk, const char* text) { ev::Key(*editor(), vk, 0, text); };
    auto gridKey = [&](UINT vk, const char* text) { ev::Key(*grid, vk, 0, text); };
    auto lockCurrent = [&] { grid->SetCellState(2, 2, grid->GetCellState(2, 2) | GCS_LOCKED); };
    auto typeAt = [&](int row, int col, char ch) {
        click(at(row, col));
        settle();
        ev::Char(*grid, ch);
    };
    struct Seen {
        CGridPos cell;
        std::string text;
        CGridPos current;
        const char* editing; // the open edit's text; null: none is open
        std::vector<int> codes;
        Selection sel{-1, -1}; // -1: not looked at
        int arrowsEnd = -1;
        int changed = -1; // the cell marked changed and the grid modified
    };
    struct Case {
        Case(const char* n, std::function<void()> a, Seen s) : name(n), act(a), seen(s) {}
        const char* name;
        std::function<void()> act;
        Seen seen;
    } cases[] = {
        Case("a letter replaces", [&] { gridKey('X', "x"); },
             {{2, 2}, "r2c2", {2, 2}, "x", {B}, {1, 1}, 1}),
        Case("space selects without typing", [&] { gridKey(VK_SPACE, " "); },
             {{2, 2}, "r2c2", {2, 2}, "r2c2", {B}, {0, 4}, 1}),
        Case("backspace deletes the last", [&] { gridKey(VK_BACK, "\b"); },
             {{2, 2}, "r2c2", {2, 2}, "r2c", {B}, {3, 3}, 1}),
        Case("enter puts the caret at the end", [&] { gridKey(VK_RETURN, "\r"); },
             {{2, 2}, "r2c2", {2, 2}, "r2c2", {B}, {4, 4}, 1}),
        Case("press and release on the current cell open on the release",
             [&] {
                 ev::Press(*grid, at(2, 2));
                 EXPECT_EQ(editor(), nullptr);
                 EXPECT_EQ(grid->GetMouseMode(), GMM_CLICK_CURRENT);
                 ev::Release(*grid, at(2, 2));
             },
             {{2, 2}, "r2c2", {2, 2}, "r2c2", {B}, {4, 4}, 0}),
        Case("a double click edits at once", [&] { ev::DoubleClick(*grid, at(3, 3)); },
             {{3, 3}, "r3c3", {3, 3}, "r3c3", {B}}),
        Case("in a clicked edit arrows move the caret, Ctrl+arrow moves on",
             [&] {
                 CGridInPlaceEdit& e = openEditor();
                 ev::Key(e, VK_LEFT);
                 ev::Key(e, VK_LEFT);
                 EXPECT_EQ(editor(), &e);
                 EXPECT_EQ(e.GetCaretPos(), 2);
                 ev::Key(e, VK_RIGHT);
                 EXPECT_EQ(e.GetCaretPos(), 3);
                 ev::Key(e, 'Q', 0, "Q");
                 ev::Key(e, VK_LEFT, ev::CTRL);
             },
             {{2, 2}, "r2cQ2", {2, 1}, "r2c1", {B, E, B}, {0, 4}, 1}),
        Case("an arrow ends a typed edit", [&] { ev::Char(*grid, 'z'), key(VK_DOWN, ""); },
             {{2, 2}, "z", {3, 2}, "r3c2", {B, E, B}}),
        Case("enter stores and stays",
             [&] {
                 ev::Char(*grid, 'n'), key('E', "e"), key(VK_RETURN, "");
                 EXPECT_EQ(typed, "ne");
             },
             {{2, 2}, "ne", {2, 2}, nullptr, {B, E}, {}, -1, 1}),
        Case("escape restores", [&] { ev::Char(*grid, 'q'), key(VK_ESCAPE, ""); },
             {{2, 2}, "r2c2", {2, 2}, nullptr, {B, E}, {}, -1, 0}),
        Case("a text edited back changes nothing",
             [&] { openEditor(), key('X', "x"), key(VK_BACK, "\b"), key(VK_RETURN, ""); },
             {{2, 2}, "r2c2", {2, 2}, nullptr, {B, E}, {}, -1, 0}),
        Case("a click elsewhere stores",
             [&] {
                 openEditor(), key(VK_END, ""), ev::Char(*editor(), '!');
                 click(at(4, 1));
             },
             {{2, 2}, "r2c2!", {4, 1}, nullptr, {B, E}}),
        Case("tab carries the edit on to the next row", [&] { typeAt(2, 4, 'a'), key(VK_TAB, ""); },
             {{2, 4}, "a", {3, 1}, "r3c1", {B, E, B}, {0, 4}}),
        Case("shift+tab carries it back, escape ends it",
             [&] {
                 typeAt(2, 4, 'a'), key(VK_TAB, ""), settle();
                 ev::Key(*editor(), VK_TAB, ev::SHIFT);
                 settle();
                 EXPECT_EQ(grid->GetCurrentCell(), CGridPos(2, 4));
                 key(VK_ESCAPE, "");
             },
             {{2, 4}, "a", {2, 4}, nullptr, {B, E, B, E, B, E}}),
        Case("tab on the last cell reopens it", [&] { typeAt(4, 4, 'w'), key(VK_TAB, ""); },
             {{4, 4}, "w", {4, 4}, "w", {B, E, B}}),
        Case("read-only: no edit", [&] { lockCurrent(), click(at(2, 2)), ev::Char(*grid, 'x'); },
             {{2, 2}, "r2c2", {2, 2}, nullptr, {}}),
        Case("nor with editing off", [&] { grid->AllowEditing(FALSE), ev::Char(*grid, 'x'); },
             {{2, 2}, "r2c2", {2, 2}, nullptr, {}}),
    };
    bool first = true;
    for (const auto& [name, act, c] : cases) {
        SCOPED_TRACE(name);
        if (!std::exchange(first, false))
            remake();
        act();
        settle();
        EXPECT_EQ(grid->GetCellText(c.cell.row, c.cell.col), c.text);
        EXPECT_EQ(grid->GetCurrentCell(), c.current);
        EXPECT_EQ(codes(), c.codes);
        EXPECT_EQ(created, std::count(c.codes.begin(), c.codes.end(), B));
        if (c.changed >= 0) {
            EXPECT_EQ(grid->IsModified() != FALSE, c.changed == 1);
            EXPECT_EQ((grid->GetCellState(2, 2) & GCS_CHANGED) != 0, c.changed == 1);
        }
        CGridInPlaceEdit* e = editor();
        if (!c.editing) {
            EXPECT_EQ(e, nullptr);
            EXPECT_EQ(CWnd::GetFocus(), grid.get());
            EXPECT_EQ(liveEditors(), 0) << "closed editors delete themselves";
            continue;
        }
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetWindowText(), c.editing);
        EXPECT_TRUE(c.sel.first < 0 || selectionOf(*e) == c.sel)
            << testing::PrintToString(selectionOf(*e));
        EXPECT_TRUE(c.arrowsEnd < 0 || e->exitsOnArrows() == (c.arrowsEnd == 1));
        CellBox box;
        Rect where;
        grid->GetCellBox(c.current.row, c.current.col, &box);
        e->GetWindowRect(&where);
        EXPECT_EQ(std::pair(where.left, where.top), std::pair(box.left, box.top));
    }
}

TEST_F(EditTest, EditorGrowsToTheGridsEdgeAndGoesWithTheGrid) {
    CGridInPlaceEdit& e = openEditor();
    Rect client;
    grid->GetClientRect(&client);
    int first = e.editRectangle().right;
    for (int i = 0; i < 3; ++i)
        ev::Char(e, 'm');
    int grown = e.editRectangle().right;
    EXPECT_GT(grown, first);
    EXPECT_LT(grown, client.right);
    ev::Key(e, VK_BACK, 0, "\b");
    EXPECT_EQ(e.editRectangle().right, grown) << "never narrower";
    for (int i = 0; i < 60; ++i)
        ev::Char(e, 'm');
    EXPECT_EQ(e.editRectangle().right, client.right);
    Rect where;
    e.GetWindowRect(&where);
    EXPECT_EQ(where.right, client.right);

    ev::Char(e, 'k');
    grid.reset();
    settle();
    EXPECT_EQ(dynamic_cast<CGridInPlaceEdit*>(CWnd::GetFocus()), nullptr);
}

TEST_F(EditTest, AlignmentFollowsTheCellFormat) {
    const std::pair<UINT, DWORD> cases[] = {
        {DT_RIGHT, ES_RIGHT}, {DT_CENTER, ES_CENTER}, {0, ES_LEFT}};
    for (auto [format, align] : cases) {
        remake();
        GRIDCELLINFO info = cellInfo(2, 2, GCIF_FORMAT);
        info.format = format | DT_SINGLELINE;
        grid->SetCellInfo(&info);
        EXPECT_EQ(openEditor().GetAlignment(), align);
    }
}

TEST_F(EditTest, EditKeepsItsOwnStandardKeys) {
    QApplication::clipboard()->setText("pasted");
    CGridInPlaceEdit& e = openEditor();
    ev::Key(e, 'A', ev::CTRL);
    EXPECT_EQ(selectionOf(e), (Selection{0, 4}));
    ev::Key(e, 'V', ev::CTRL);
    EXPECT_EQ(e.GetWindowText(), "pasted");
    ev::Key(e, 'Z', ev::CTRL);
    EXPECT_EQ(e.GetWindowText(), "r2c2");
    EXPECT_EQ(grid->GetPickedCount(), 1u) << "Ctrl+A stayed in the edit";
    ev::Key(e, 'A', ev::CTRL);
    ev::Key(e, 'C', ev::CTRL);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "r2c2");
}

// --- the edit inside a window with a menu bar ---------------------------------------------

class EditUnderMenusTest : public EditTest {
protected:
    QMenuBar* bar = nullptr;
    QMenu* fileMenu = nullptr;

    void SetUp() override {
        EditTest::SetUp();
        QWidget* window = owner.widget();
        bar = new QMenuBar(window);
        fileMenu = bar->addMenu(QStringLiteral("&File"));
        fileMenu->addAction(QStringLiteral("E&xit"));
        bar->addMenu(QStringLiteral("&View"))->addAction(QStringLiteral("&Status Bar"));
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    // A key as the platform delivers it: through the shortcuts (menu mnemonics) first.
    void typeKey(Qt::Key key, Qt::KeyboardModifiers mods, const QString& text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QTest::sendKeyEvent(QTest::KeyAction::Click, target, key, text, mods);
    }
    void TearDown() override {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        EditTest::TearDown();
    }
};

TEST_F(EditUnderMenusTest, AltLetterDuringAnEditOpensNoMenu) {
    CGridInPlaceEdit& e = openEditor();
    ASSERT_NO_FATAL_FAILURE(typeKey(Qt::Key_F, Qt::AltModifier, QStringLiteral("f")));
    ASSERT_NO_FATAL_FAILURE(typeKey(Qt::Key_V, Qt::AltModifier, QStringLiteral("v")));
    settle();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(bar->activeAction(), nullptr);
    ASSERT_EQ(editor(), &e) << "the edit goes on";
    EXPECT_EQ(e.GetWindowText(), "r2c2") << "and nothing was typed";
    ASSERT_NO_FATAL_FAILURE(typeKey(Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
    EXPECT_EQ(e.GetWindowText(), "r2c2x");
    ev::Key(e, VK_RETURN);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "r2c2x");

    // Without an edit the same key opens the menu.
    ASSERT_EQ(CWnd::GetFocus(), grid.get());
    ASSERT_NO_FATAL_FAILURE(typeKey(Qt::Key_F, Qt::AltModifier, QStringLiteral("f")));
    EXPECT_EQ(QApplication::activePopupWidget(), fileMenu);
}

TEST_F(EditUnderMenusTest, RightClickInTheEditShowsTheEditMenuWhosePasteWorks) {
    QApplication::clipboard()->setText("pasted");
    CGridInPlaceEdit& e = openEditor();
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, nullptr);
    QPoint p(5, field->height() / 2);
    // What the platform delivers for a right click: press, context-menu request, release.
    ev::Press(e, Point{p.x(), p.y()}, 0, true);
    QContextMenuEvent request(QContextMenuEvent::Mouse, p, field->mapToGlobal(p));
    QApplication::sendEvent(field, &request);
    ev::Release(e, Point{p.x(), p.y()}, 0, true);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    ASSERT_EQ(items.join('|').toStdString(), "&Undo|-|Cu&t|&Copy|&Paste|&Delete|-|Select &All");
    EXPECT_EQ(editor(), &e) << "the menu leaves the edit open";
    QAction* paste = menu->actions()[4];
    EXPECT_TRUE(paste->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(paste).center());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    ASSERT_EQ(editor(), &e);
    EXPECT_EQ(e.GetWindowText(), "r2c2pasted");
    // (Off screen the window loses its activation when the menu goes; on a desktop it does not.)
    ev::Key(e, VK_RETURN);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "r2c2pasted");
}
