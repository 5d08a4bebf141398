// The editor's grid read by a screen reader: the pack's texts, the sound files as row headers,
// the current cell as the focus, the events a reader hears, the in-place edit as editable text.
#include "access_support.h"
#include "grid/window/grid_inplace_edit.h"
#include "tests/editor/editor_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QWidget>

namespace {

using accesstest::columnTexts;
using accesstest::Listener;
using accesstest::name;

// 8-bit texts of the code page: e acute, the euro sign and a curly quote.
const char* const kAccentedPack = "a.wav;Hello\r\nb.wav;Caf\xE9 \x80 5\r\nc.wav;\x93Go\x94\r\n";

struct CueLineAccess : EditorFixture {
    void SetUp() override {
        pack = makePack("Pack", kAccentedPack, {"a.wav", "b.wav", "c.wav", "d.wav"});
        ASSERT_TRUE(startOnPack());
        QApplication::processEvents();
    }
    QAccessibleInterface* table() { return accesstest::tableOf(grid()); }
    QAccessibleTableInterface* cells() { return table()->tableInterface(); }
};

TEST_F(CueLineAccess, TheGridIsATableOfThePacksTexts) {
    QAccessibleInterface* t = table();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->role(), QAccessible::Table);
    EXPECT_EQ(name(t), "Crew pack texts");
    ASSERT_NE(cells(), nullptr);
    // The number and file-name columns are the rows' headers; the texts are the table.
    EXPECT_EQ(cells()->rowCount(), 4);
    EXPECT_EQ(cells()->columnCount(), 1);
    EXPECT_EQ(columnTexts(cells(), 0),
              (Texts{"Hello", "Caf\u00e9 \u20ac 5", "\u201cGo\u201d", ""}));
    EXPECT_EQ(cells()->rowDescription(1).toStdString(), "001 b.wav");
    // The screen shows no header row; the reader hears the column's title all the same.
    EXPECT_EQ(cells()->columnDescription(0).toStdString(), "Text");

    QAccessibleInterface* cell = cells()->cellAt(1, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->parent(), t);
    QAccessibleTableCellInterface* at = cell->tableCellInterface();
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(at->rowIndex(), 1);
    EXPECT_EQ(at->columnIndex(), 0);
    EXPECT_EQ(at->table(), t);
    QList<QAccessibleInterface*> heads = at->rowHeaderCells();
    ASSERT_EQ(heads.size(), 2);
    // The file name first: a reader announcing one header names the row by its sound.
    EXPECT_EQ(name(heads[0]), "b.wav");
    EXPECT_EQ(name(heads[1]), "001");
    EXPECT_EQ(heads[0]->role(), QAccessible::RowHeader);
    EXPECT_EQ(heads[0]->tableCellInterface(), nullptr);
    QList<QAccessibleInterface*> titles = at->columnHeaderCells();
    ASSERT_EQ(titles.size(), 1);
    EXPECT_EQ(name(titles[0]), "Text");
    EXPECT_EQ(titles[0]->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(titles[0]->parent(), t);
    EXPECT_TRUE(titles[0]->state().invisible);
    EXPECT_TRUE(cell->state().editable);
    EXPECT_FALSE(cell->state().readOnly);

    // The three titles come first, then every cell, row by row; a walk of the tree finds the
    // same objects.
    ASSERT_EQ(t->childCount(), 15);
    EXPECT_EQ(name(t->child(0)), "Number");
    EXPECT_EQ(name(t->child(1)), "Sound file");
    EXPECT_EQ(t->child(2), titles[0]);
    EXPECT_EQ(t->indexOfChild(titles[0]), 2);
    EXPECT_EQ(t->child(7), heads[0]);
    EXPECT_EQ(t->child(8), cell);
    EXPECT_EQ(t->indexOfChild(cell), 8);
    EXPECT_EQ(t->child(15), nullptr);
    EXPECT_EQ(t->child(-1), nullptr);
    EXPECT_EQ(cells()->cellAt(4, 0), nullptr);
    EXPECT_EQ(cells()->cellAt(0, 1), nullptr);
    EXPECT_EQ(cells()->cellAt(-1, 0), nullptr);
    // A cell is found where it is shown.
    QRect box = cells()->cellAt(2, 0)->rect();
    ASSERT_FALSE(box.isEmpty());
    EXPECT_EQ(table()->childAt(box.center().x(), box.center().y()), cells()->cellAt(2, 0));
    QRect head = cells()->cellAt(2, 0)->tableCellInterface()->rowHeaderCells()[0]->rect();
    EXPECT_LT(head.right(), box.left());
    EXPECT_EQ(head.top(), box.top());
    // Hidden row numbers are not shown to the reader.
    QAccessibleInterface* number = cells()->cellAt(1, 0)->tableCellInterface()->rowHeaderCells()[1];
    EXPECT_FALSE(number->state().invisible);
    ASSERT_TRUE(frame().SendCommand(ID_DISPLAY_ROWNUMBER));
    QApplication::processEvents();
    EXPECT_TRUE(number->state().invisible);
    EXPECT_EQ(name(number), "");
    EXPECT_EQ(cells()->rowDescription(1).toStdString(), "b.wav");
    EXPECT_EQ(name(cells()->cellAt(1, 0)->tableCellInterface()->rowHeaderCells()[0]), "b.wav");
}

// "Open...\tCtrl+O" is heard as "Open..." with the key binding Ctrl+O, not read out whole.
TEST_F(CueLineAccess, MenuItemsAreNamedWithoutTheirKeysAndBindThem) {
    std::vector<accesstest::ItemHeard> heard = accesstest::menuItemsHeard(window());
    EXPECT_EQ(heard, accesstest::menuItemsMeant(CueLineFrameResources()));
    EXPECT_EQ(heard.front(), (accesstest::ItemHeard{"Open...", "Ctrl+O"}));
}

// The selection, the current cell, a changed text and a shorter pack, as a reader hears them.
TEST_F(CueLineAccess, WhatChangesIsHeardAndReadAnew) {
    Listener listener;
    EXPECT_EQ(cells()->selectedCellCount(), 0);
    grid().SetSelectionAnchor(CGridPos(1, 2));
    grid().SelectCellsTo(CGridPos(2, 2));
    EXPECT_GE(Listener::count(QAccessible::SelectionWithin), 1);
    EXPECT_EQ(cells()->selectedCellCount(), 2);
    QList<QAccessibleInterface*> picked = cells()->selectedCells();
    ASSERT_EQ(picked.size(), 2);
    EXPECT_EQ(name(picked[1]), "\u201cGo\u201d");
    EXPECT_TRUE(picked[0]->state().selected);
    EXPECT_TRUE(picked[0]->tableCellInterface()->isSelected());
    EXPECT_EQ(cells()->selectedRows(), (QList<int>{1, 2}));
    EXPECT_FALSE(cells()->isColumnSelected(0));
    grid().ClearSelection();
    EXPECT_EQ(cells()->selectedCellCount(), 0);

    grid().SetFocus();
    grid().SetCurrentCell(0, 2);
    Listener::heard().clear();
    grid().SetCurrentCell(1, 2);
    EXPECT_EQ(Listener::count(QAccessible::Focus, 8), 1);
    QAccessibleInterface* focus = table()->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(name(focus), "Caf\u00e9 \u20ac 5");
    EXPECT_TRUE(focus->state().focused);
    EXPECT_FALSE(cells()->cellAt(0, 0)->state().focused);

    // The keyboard moves it as well.
    Listener::heard().clear();
    QTest::keyClick(grid().clientWidget(), Qt::Key_Down);
    EXPECT_EQ(grid().GetCurrentCell(), CGridPos(2, 2));
    EXPECT_EQ(Listener::count(QAccessible::Focus, 11), 1);
    EXPECT_EQ(name(table()->focusChild()), "\u201cGo\u201d");

    QAccessibleInterface* cell = cells()->cellAt(0, 0);
    Listener::heard().clear();
    grid().SetCellText(0, 2, "Good bye \xE9");
    EXPECT_EQ(Listener::count(QAccessible::NameChanged, 5), 1);
    ASSERT_EQ(Listener::count(QAccessible::ValueChanged), 1);
    EXPECT_EQ(Listener::heard().back().value.toStdString(), "Good bye \u00e9");
    EXPECT_EQ(name(cell), "Good bye \u00e9");

    QAccessibleInterface* last = cells()->cellAt(3, 0);
    ASSERT_NE(last, nullptr);
    Listener::heard().clear();
    grid().SetNumRows(2);
    EXPECT_GE(Listener::count(QAccessible::TableModelChanged), 1);
    EXPECT_EQ(cells()->rowCount(), 2);
    EXPECT_FALSE(last->isValid());
    EXPECT_EQ(table()->childCount(), 9);
    EXPECT_EQ(cells()->cellAt(3, 0), nullptr);
}

TEST_F(CueLineAccess, TheInPlaceEditIsEditableTextInsideTheTable) {
    window()->activateWindow();
    QApplication::setActiveWindow(window());
    grid().SetFocus();
    grid().SetCurrentCell(1, 2);
    grid().BeginCellEdit(1, 2, 1);
    QApplication::processEvents();
    ASSERT_NE(CWnd::GetFocus(), &grid()) << "no editor opened";

    QAccessibleInterface* t = table();
    ASSERT_EQ(t->childCount(), 16);
    QAccessibleInterface* over = t->child(15);
    ASSERT_NE(over, nullptr);
    EXPECT_EQ(t->indexOfChild(over), 15);
    EXPECT_EQ(name(over), "Text of b.wav");
    QAccessibleInterface* focus = t->focusChild();
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->role(), QAccessible::EditableText);
    // Named by what it edits: the column's title and the row's sound.
    EXPECT_EQ(name(focus), "Text of b.wav");
    ASSERT_NE(focus->editableTextInterface(), nullptr);
    EXPECT_EQ(focus->text(QAccessible::Value).toStdString(), "Caf\u00e9 \u20ac 5");
    // The cell under the editor no longer claims the focus.
    EXPECT_FALSE(cells()->cellAt(1, 0)->state().focused);

    EXPECT_TRUE(grid().EndCellEdit());
    QApplication::processEvents();
    EXPECT_EQ(t->childCount(), 15);
}

} // namespace
