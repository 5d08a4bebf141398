// Current cell and selection shapes, without a window.
#include "tests/grid/core/grid_test_util.h"

#include <algorithm>

TEST(GridSelection, CurrentCellMovesItsStateBit) {
    TestGrid g(4, 4, 1, 1);
    EXPECT_EQ(g.SetCurrentCell(1, 1), CGridPos(-1, -1));
    EXPECT_EQ(g.GetCellState(1, 1), GCS_CURRENT);
    EXPECT_EQ(g.SetCurrentCell(1, 1), CGridPos(1, 1)); // same cell: nothing happens
    EXPECT_EQ(g.SetCurrentCell(2, 3), CGridPos(1, 1));
    EXPECT_EQ(g.GetCellState(1, 1), 0u);
    EXPECT_EQ(g.GetCellState(2, 3), GCS_CURRENT);
    g.SetCurrentCell(7, 7); // invalid: no cell is current any more
    EXPECT_EQ(g.GetCellState(2, 3), 0u);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(7, 7));
}

TEST(GridSelection, Shapes) {
    using Shape = void (*)(TestGrid&, CGridPos);
    const Shape cells = [](TestGrid& g, CGridPos to) { g.SelectCellsTo(to); };
    const Shape rows = [](TestGrid& g, CGridPos to) { g.SelectRowsTo(to); };
    const Shape columns = [](TestGrid& g, CGridPos to) { g.SelectColumnsTo(to); };
    const Shape everything = [](TestGrid& g, CGridPos) { g.SelectEverything(); };
    struct Case {
        const char* name;
        BOOL listMode;
        CGridPos anchor;
        Shape shape;
        CGridPos to;
        CGridSpan expect; // empty span: nothing selected
    } cases[] = {
        {"block", FALSE, {2, 3}, cells, {4, 1}, {2, 1, 4, 3}},
        {"block into fixed refused", FALSE, {2, 3}, cells, {0, 2}, {}},
        {"rows", FALSE, {4, 2}, rows, {2, 1}, {2, 1, 4, 4}},
        {"rows from a fixed row refused", FALSE, {4, 2}, rows, {0, 1}, {}},
        {"single row in list mode", TRUE, {1, 2}, rows, {3, 3}, {3, 1, 3, 4}},
        {"columns", FALSE, {1, 4}, columns, {3, 2}, {1, 2, 5, 4}},
        {"columns from a fixed column refused", FALSE, {1, 4}, columns, {3, 0}, {}},
        {"everything", FALSE, {-1, -1}, everything, {0, 0}, {1, 1, 5, 4}},
        {"invalid target", FALSE, {2, 2}, cells, {9, 9}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestGrid g(6, 5, 1, 1);
        g.SetListMode(c.listMode);
        g.SetSelectionAnchor(c.anchor);
        c.shape(g, c.to);
        if (c.expect.minRow < 0) {
            EXPECT_EQ(g.GetPickedCount(), 0u);
        } else {
            EXPECT_EQ(g.GetSelectionBounds(), c.expect);
            EXPECT_EQ(static_cast<long long>(g.GetPickedCount()), c.expect.GetCellCount());
        }
        picked(g);
    }
}

TEST(GridSelection, NewBlockReplacesTheOldOne) {
    TestGrid g(6, 6);
    g.ApplySelection(0, 0, 2, 2, FALSE);
    g.ApplySelection(1, 1, 3, 3, FALSE);
    EXPECT_EQ(picked(g), block(1, 1, 3, 3));
    EXPECT_EQ(g.GetPickedCount(), 9u);
    g.ApplySelection(-1, -1, -1, -1, TRUE); // forced repaint without a window is harmless
    EXPECT_EQ(g.GetPickedCount(), 0u);
}

TEST(GridSelection, NothingChangesWhileSelectionIsOff) {
    TestGrid g(4, 4);
    g.ApplySelection(1, 1, 2, 2, FALSE);
    g.EnableSelection(FALSE);
    g.ApplySelection(0, 0, 3, 3, FALSE);
    g.SelectEverything();
    g.SetSelectionAnchor(CGridPos(0, 0));
    g.SelectCellsTo(CGridPos(3, 3));
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(1, 1, 2, 2));
    g.ClearSelection(); // unselects nothing either, but the current cell goes
    EXPECT_EQ(g.GetPickedCount(), 4u);
}

TEST(GridSelection, ClearSelectionLeavesNothingFixedCellPressesPickWholeLines) {
    TestGrid g(5, 5, 1, 1);
    g.SetCurrentCell(2, 2);
    g.SelectEverything();
    g.ClearSelection();
    EXPECT_EQ(g.GetPickedCount(), 0u);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
    EXPECT_EQ(g.GetCellState(2, 2), 0u);
    CGridSpan none = g.GetSelectionBounds();
    EXPECT_EQ(none, CGridSpan(5, 5, -1, -1));
    EXPECT_FALSE(g.IsValidSpan(none));

    g.SetSelectionAnchor(CGridPos(2, 2));
    g.OnFixedColumnHit(CGridPos(3, 0));
    EXPECT_EQ(g.GetMouseMode(), GMM_PICK_ROWS);
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(2, 1, 3, 4));
    g.OnFixedRowHit(CGridPos(0, 0));
    EXPECT_EQ(g.GetMouseMode(), GMM_PICK_ALL);
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(1, 1, 4, 4));
    g.OnFixedRowHit(CGridPos(0, 3));
    EXPECT_EQ(g.GetMouseMode(), GMM_PICK_COLS);
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(1, 2, 4, 3));
}

TEST(GridSelection, SavedCellsComeBackOnlyWithMultipleSelection) {
    for (BOOL single : {TRUE, FALSE}) {
        TestGrid g(5, 5);
        g.SetSingleRowSelection(single);
        g.saveSelection({CGridPos(0, 0), CGridPos(4, 4), CGridPos(9, 9)});
        g.ApplySelection(2, 2, 2, 3, FALSE);
        EXPECT_EQ(picked(g), (single ? block(2, 2, 2, 3)
                                     : std::vector<CGridPos>{{0, 0}, {2, 2}, {2, 3}, {4, 4}}));
        EXPECT_EQ(g.GetPickedCount(), single ? 2u : 4u);
    }
}

TEST(GridSelection, FixedColumnPressHandsTheNameToThePreview) {
    TestGrid g(3, 3, 0, 1);
    g.SetCellText(1, 1, "crew_01.wav");
    std::vector<std::string> heard;
    g.SetFixedColumnHook([&](const std::string& name) { heard.push_back(name); });
    g.OnFixedColumnHit(CGridPos(1, 0));
    g.OnFixedColumnHit(CGridPos(7, 0)); // no such row: nothing
    g.SetCellText(2, 1, std::string(600, 'n'));
    g.OnFixedColumnHit(CGridPos(2, 0));
    EXPECT_EQ(heard, (std::vector<std::string>{"crew_01.wav", std::string(519, 'n')}));
}

namespace {

// A stand-in for the window: writes down what the table tells it.
struct Listening : TestGrid {
    using TestGrid::TestGrid;
    std::vector<std::string> heard;
    void say(const std::string& what) { heard.push_back(what); }
    bool wasTold(const std::string& what) const {
        return std::find(heard.begin(), heard.end(), what) != heard.end();
    }
    static std::string at(int r, int c) {
        return " " + std::to_string(r) + "," + std::to_string(c);
    }
    void onLayoutChanged(LayoutChange what) override {
        const char* names[] = {"counts", "fixed counts", "cleared", "rows moved"};
        say(names[int(what)]);
    }
    void onTextChanged(int r, int c) override { say("text" + at(r, c)); }
    void onCurrentMoved(int r, int c) override { say("current" + at(r, c)); }
    void onSelectionChanged() override { say("selection"); }
    void redrawCell(int r, int c) override { say("redraw" + at(r, c)); }
    void redrawCells(const std::vector<CGridPos>& cells, bool now) override {
        say((now ? "draw now " : "draw later ") + std::to_string(cells.size()));
    }
    void redrawAll() override { say("redraw all"); }
    void sortBusy(bool busy) override { say(busy ? "busy" : "done"); }
};

} // namespace

// Every change a window has to show reaches it; a table that was never shown is not harmed.
TEST(GridSelection, TheViewHearsEveryChangeItMustShow) {
    Listening g(4, 3, 1, 1);
    g.SetNumRows(5);
    g.SetNumFixedCols(2);
    g.SetCellText(1, 2, "x");
    EXPECT_EQ(g.heard, (std::vector<std::string>{"counts", "fixed counts", "text 1,2"}));

    g.heard.clear();
    g.SetCurrentCell(2, 2);
    for (const char* cell : {"2,2", "0,2", "2,0"}) // the cell, its column's and its row's header
        EXPECT_TRUE(g.wasTold("redraw " + std::string(cell))) << cell;
    EXPECT_EQ(g.heard.back(), "current 2,2");

    g.heard.clear();
    g.ApplySelection(1, 2, 2, 2, TRUE);
    g.ApplySelection(3, 2, 3, 2, FALSE);
    EXPECT_EQ(g.heard,
              (std::vector<std::string>{"draw now 2", "selection", "draw later 3", "selection"}));

    g.heard.clear();
    g.SortByHeader(2);
    EXPECT_EQ(g.heard.front(), "busy");
    EXPECT_TRUE(g.wasTold("rows moved"));
    EXPECT_EQ(g.heard.back(), "done");
    EXPECT_EQ(g.heard[g.heard.size() - 2], "redraw all");

    g.heard.clear();
    ASSERT_TRUE(g.ImportTextAt(CGridPos(1, 2), GridDataObject{.hasText = true, .text = "a\tb"}));
    EXPECT_TRUE(g.wasTold("text 1,2"));
    EXPECT_EQ(g.heard.back(), "redraw all");

    g.heard.clear();
    g.ClearGrid();
    EXPECT_TRUE(g.wasTold("cleared"));
}
