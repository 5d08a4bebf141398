#include "input_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace tnv;

namespace {

struct Selection {
    int start, end;
    friend bool operator==(const Selection&, const Selection&) = default;
};
std::ostream& operator<<(std::ostream& os, const Selection& s) {
    return os << s.start << ".." << s.end;
}

Selection selectionOf(CEdit& e) {
    Selection s{};
    e.GetSel(&s.start, &s.end);
    return s;
}

} // namespace

class EditTest : public InputTest {
protected:
    int created = 0;
    std::string typed;

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
    CGridInPlaceEdit& openEditor() {
        click(at(2, 2)); // press and release on the current cell
        CGridInPlaceEdit* e = editor();
        EXPECT_NE(e, nullptr);
        return *e;
    }
    int liveEditors() { return int(grid->clientWidget()->findChildren<QLineEdit*>().size()); }
};

TEST_F(EditTest, TypingOnTheCurrentCellStartsTheEditorByTheKey) {
    struct Case {
        const char* name;
        UINT vk;
        std::string text;
        std::string expect;
        Selection sel;
    } cases[] = {
        {"letter replaces", 'X', "x", "x", {1, 1}},
        {"space selects without typing", VK_SPACE, " ", "r2c2", {0, 4}},
        {"backspace deletes the last", VK_BACK, "\b", "r2c", {3, 3}},
        {"enter puts the caret at the end", VK_RETURN, "\r", "r2c2", {4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeEditable();
        ev::Key(*grid, c.vk, 0, c.text);
        CGridInPlaceEdit* e = editor();
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetWindowText(), c.expect);
        EXPECT_EQ(selectionOf(*e), c.sel);
        EXPECT_TRUE(e->exitsOnArrows());
        EXPECT_EQ(created, 1);
        EXPECT_EQ(codes(), std::vector<int>{GN_BEGINEDIT});
        ev::Key(*e, VK_ESCAPE);
        TearDown();
    }
}

TEST_F(EditTest, PressAndReleaseOnCurrentCellOpensOnRelease) {
    makeEditable();
    ev::Press(*grid, at(2, 2));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(grid->GetMouseMode(), GMM_CLICK_CURRENT);
    ev::Release(*grid, at(2, 2));
    CGridInPlaceEdit* e = editor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(selectionOf(*e), (Selection{4, 4}));
    EXPECT_FALSE(e->exitsOnArrows());
    CellBox box;
    grid->GetCellBox(2, 2, &box);
    Rect where;
    e->GetWindowRect(&where);
    EXPECT_EQ(where.left, box.left);
    EXPECT_EQ(where.top, box.top);
}

TEST_F(EditTest, MouseStartedEditKeepsArrowsOnlyCtrlArrowMovesOn) {
    makeEditable();
    CGridInPlaceEdit& e = openEditor();
    ev::Key(e, VK_LEFT);
    ev::Key(e, VK_LEFT);
    EXPECT_EQ(editor(), &e);
    EXPECT_EQ(e.GetCaretPos(), 2);
    ev::Key(e, VK_RIGHT);
    EXPECT_EQ(e.GetCaretPos(), 3);
    ev::Key(e, 'Q', 0, "Q");
    ev::Key(e, VK_LEFT, ev::CTRL);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "r2cQ2");
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(2, 1));
    CGridInPlaceEdit* next = editor();
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, &e);
    EXPECT_EQ(next->GetWindowText(), "r2c1");
    EXPECT_EQ(selectionOf(*next), (Selection{0, 4}));
    EXPECT_TRUE(next->exitsOnArrows());
}

TEST_F(EditTest, KeyStartedEditEndsOnArrowAndCarriesOn) {
    makeEditable();
    ev::Char(*grid, 'z');
    ev::Key(*editor(), VK_DOWN);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "z");
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(3, 2));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->GetWindowText(), "r3c2");
}

TEST_F(EditTest, EnterStoresAndStaysEscapeRestores) {
    makeEditable();
    ev::Char(*grid, 'n');
    ev::Key(*editor(), 'E', 0, "e");
    ev::Key(*editor(), VK_RETURN);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "ne");
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(2, 2));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(CWnd::GetFocus(), grid.get());
    EXPECT_TRUE(grid->GetCellState(2, 2) & GCS_CHANGED);
    EXPECT_EQ(typed, "ne");

    owner.notes.clear();
    grid->MarkModified(FALSE);
    ev::Char(*grid, 'q');
    ev::Key(*editor(), VK_ESCAPE);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "ne");
    EXPECT_FALSE(grid->IsModified());
    EXPECT_EQ(codes(), (std::vector<int>{GN_BEGINEDIT, GN_ENDEDIT}));
    EXPECT_EQ(created, 2);
    EXPECT_EQ(liveEditors(), 0) << "closed editors delete themselves";
}

TEST_F(EditTest, TextEditedBackToTheOldOneChangesNothing) {
    makeEditable();
    CGridInPlaceEdit& e = openEditor();
    ev::Key(e, 'X', 0, "x");
    ev::Key(e, VK_BACK, 0, "\b");
    ev::Key(e, VK_RETURN);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "r2c2");
    EXPECT_FALSE(grid->IsModified());
    EXPECT_FALSE(grid->GetCellState(2, 2) & GCS_CHANGED);
}

TEST_F(EditTest, TabCarriesTheEditAlongTheRowAndOnToTheNext) {
    makeEditable();
    click(at(2, 4)); // last column
    settle();
    ev::Char(*grid, 'a');
    ev::Key(*editor(), VK_TAB);
    settle();
    EXPECT_EQ(grid->GetCellText(2, 4), "a");
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(3, 1));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(selectionOf(*editor()), (Selection{0, 4}));
    ev::Key(*editor(), VK_TAB, ev::SHIFT);
    settle();
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(2, 4));
    ev::Key(*editor(), VK_ESCAPE);
    settle();
    EXPECT_EQ(liveEditors(), 0);
}

TEST_F(EditTest, TabOnTheLastCellReopensTheSameCell) {
    makeEditable();
    click(at(4, 4));
    settle();
    ev::Char(*grid, 'w');
    ev::Key(*editor(), VK_TAB);
    settle();
    EXPECT_EQ(grid->GetCellText(4, 4), "w");
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(4, 4));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->GetWindowText(), "w");
}

TEST_F(EditTest, EditorGrowsToTheGridsEdgeAndNotBeyond) {
    makeEditable();
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
}

TEST_F(EditTest, AlignmentFollowsTheCellFormat) {
    struct Case {
        UINT format;
        DWORD align;
    } cases[] = {{DT_RIGHT, ES_RIGHT}, {DT_CENTER, ES_CENTER}, {0, ES_LEFT}};
    for (const Case& c : cases) {
        makeEditable();
        GRIDCELLINFO info;
        info.row = 2;
        info.col = 2;
        info.mask = GCIF_FORMAT;
        info.format = c.format | DT_SINGLELINE;
        grid->SetCellInfo(&info);
        EXPECT_EQ(openEditor().GetAlignment(), c.align);
        TearDown();
    }
}

TEST_F(EditTest, NoEditorOnReadOnlyCellsOrWhenEditingIsOff) {
    makeEditable();
    grid->SetCellState(2, 2, grid->GetCellState(2, 2) | GCS_LOCKED);
    click(at(2, 2));
    ev::Char(*grid, 'x');
    EXPECT_EQ(editor(), nullptr);
    grid->SetCellState(2, 2, grid->GetCellState(2, 2) & ~GCS_LOCKED);
    grid->AllowEditing(FALSE);
    ev::Char(*grid, 'x');
    EXPECT_EQ(editor(), nullptr);
    EXPECT_TRUE(codes().empty());
    EXPECT_EQ(created, 0);
}

TEST_F(EditTest, DoubleClickOnABodyCellEditsAtOnce) {
    makeEditable();
    ev::DoubleClick(*grid, at(3, 3));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->GetWindowText(), "r3c3");
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(3, 3));
    EXPECT_EQ(created, 1) << "one editor, not a second from another press";
}

TEST_F(EditTest, ClickElsewhereEndsTheEditAndStores) {
    makeEditable();
    CGridInPlaceEdit& e = openEditor();
    ev::Key(e, VK_END);
    ev::Char(e, '!');
    click(at(4, 1));
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "r2c2!");
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(4, 1));
}

TEST_F(EditTest, EditKeepsItsOwnStandardKeys) {
    makeEditable();
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

TEST_F(EditTest, GridGoingAwayWhileEditingLeavesNothingBehind) {
    makeEditable();
    openEditor();
    ev::Char(*editor(), 'k');
    grid.reset();
    settle();
    EXPECT_EQ(CWnd::GetFocus() == nullptr ||
                  dynamic_cast<CGridInPlaceEdit*>(CWnd::GetFocus()) == nullptr,
              true);
}

// --- the edit inside a window with a menu bar ---------------------------------------------

class EditUnderMenusTest : public EditTest {
protected:
    QMenuBar* bar = nullptr;
    QMenu* fileMenu = nullptr;

    void makeWithMenus() {
        makeEditable();
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
    void closeMenus() {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        settle();
    }
    void TearDown() override {
        closeMenus();
        EditTest::TearDown();
    }
};

TEST_F(EditUnderMenusTest, AltLetterDuringAnEditOpensNoMenu) {
    ASSERT_NO_FATAL_FAILURE(makeWithMenus());
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
    ASSERT_NO_FATAL_FAILURE(makeWithMenus());
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
    QAction* paste = nullptr;
    for (QAction* a : menu->actions()) {
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        if (a->text() == "&Paste")
            paste = a;
    }
    EXPECT_EQ(items.join('|').toStdString(), "&Undo|-|Cu&t|&Copy|&Paste|&Delete|-|Select &All");
    EXPECT_EQ(editor(), &e) << "the menu leaves the edit open";
    ASSERT_NE(paste, nullptr);
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
