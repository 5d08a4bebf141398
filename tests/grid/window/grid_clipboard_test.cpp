// Copy, cut, paste and select all of the grid, through the application's real clipboard.
#include "grid/window/cell_grid.h"
#include "platform/window/clipboard.h"
#include "tests/grid/core/grid_test_util.h"

namespace {

// A table of 5 rows and 4 columns with one fixed row and one fixed column; body cell (r, c)
// holds "rc".
struct Table {
    CCellGrid grid{5, 4, 1, 1};
    Table() {
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 4; ++c)
                grid.SetCellText(r, c, std::to_string(r) + std::to_string(c));
    }
    void pick(int r, int c) { grid.SetCellState(r, c, grid.GetCellState(r, c) | GCS_PICKED); }
    void lock(int r, int c) { grid.SetCellState(r, c, grid.GetCellState(r, c) | GCS_LOCKED); }
    std::string text(int r, int c) { return grid.GetCellText(r, c); }
    bool enabled(UINT id) {
        CCmdUI ui(id);
        EXPECT_TRUE(grid.OnUpdateCmdUI(ui));
        return ui.enabled();
    }
    // Pastes `clip` at the cell; the body's texts after, "|" between fields.
    std::string pasteAt(const CGridPos& at, const std::string& clip) {
        SetClipboardText8(clip);
        grid.SetCurrentCell(at.row, at.col);
        EXPECT_TRUE(grid.OnCmdMsg(ID_EDIT_PASTE));
        std::string all;
        for (int r = 1; r < 5; ++r) {
            for (int c = 1; c < 4; ++c)
                all += text(r, c) + (c < 3 ? "|" : "");
            all += "\n";
        }
        return all;
    }
};

class GridClipboard : public testing::Test, public Table {};
using Texts = std::vector<std::string>;

} // namespace

TEST_F(GridClipboard, ClipboardKeepsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(char(b));
    ASSERT_TRUE(SetClipboardText8(all));
    EXPECT_TRUE(IsClipboardTextAvailable());
    EXPECT_EQ(GetClipboardText8(), all);
}

TEST_F(GridClipboard, CopyBytesOfTwoRowsByThreeColumns) {
    const char* texts[2][3] = {{"a", "", "c"}, {"d", "e", "f"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            grid.SetCellText(1 + r, 1 + c, texts[r][c]);
    grid.ApplySelection(1, 1, 2, 3, FALSE);
    std::unique_ptr<GridDataSource> source = grid.MakeSelectionDataSource();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->block, std::string("a\t \tc\nd\te\tf\0", 12));
    EXPECT_TRUE(grid.OnCmdMsg(ID_EDIT_COPY));
    EXPECT_EQ(GetClipboardText8(), "a\t \tc\nd\te\tf");
}

TEST_F(GridClipboard, NoSelectionCopiesNothingTwoCellsApartTheWholeRectangle) {
    grid.ClearSelection();
    SetClipboardText8("kept");
    EXPECT_FALSE(grid.MakeSelectionDataSource());
    EXPECT_FALSE(enabled(ID_EDIT_COPY));
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    grid.OnCmdMsg(ID_EDIT_COPY);
    grid.OnCmdMsg(ID_EDIT_CUT);
    EXPECT_EQ(GetClipboardText8(), "kept");
    pick(1, 1);
    pick(3, 3);
    SetClipboardText8("before");
    EXPECT_TRUE(grid.CmdCopy());
    EXPECT_EQ(GetClipboardText8(), "11\t\t\n\t\t\n\t\t33");
}

// Pasted at a cell of a table whose (4, 3) is read-only; then a read-only current cell.
TEST_F(GridClipboard, PasteSplitsLinesAndFields) {
    struct Case {
        CGridPos at;
        std::string text;
        std::string expect;
    } cases[] = {
        {{2, 1}, "x,y\tz", "11|12|13\nx|y|z\n31|32|33\n41|42|43\n"},      // comma and tab
        {{1, 1}, "a\t\tb", "a|b|13\n21|22|23\n31|32|33\n41|42|43\n"},     // an empty field vanishes
        {{1, 2}, "p\r\nq\r\n", "11|p|13\n21|q|23\n31|32|33\n41|42|43\n"}, // CRs, empty last line
        // Extra fields and lines dropped.
        {{3, 2}, "a\tb\tc\nd\te\tf\ng\th\n", "11|12|13\n21|22|23\n31|a|b\n41|d|e\n"},
        {{1, 1}, "a\n\nb", "a|12|13\n|22|23\nb|32|33\n41|42|43\n"}, // an empty line: one cell empty
        {{4, 2}, "u\tv", "11|12|13\n21|22|23\n31|32|33\n41|u|v\n"}, // a read-only neighbour written
    };
    for (const Case& c : cases) {
        Table t;
        t.lock(4, 3);
        EXPECT_EQ(t.pasteAt(c.at, c.text), c.expect) << c.text;
        EXPECT_TRUE(t.grid.IsModified()) << c.text;
    }
    lock(2, 2);
    SetClipboardText8("x");
    grid.SetCurrentCell(2, 2);
    EXPECT_FALSE(enabled(ID_EDIT_PASTE));
    EXPECT_EQ(pasteAt({2, 2}, "x\ty"), "11|12|13\n21|22|23\n31|32|33\n41|42|43\n");
    EXPECT_FALSE(grid.IsModified());
}

TEST_F(GridClipboard, PasteClearsTheSelectionOfWrittenCells) {
    grid.ApplySelection(1, 1, 2, 2, FALSE);
    pasteAt({1, 1}, "n");
    EXPECT_EQ(picked(grid), (std::vector<CGridPos>{{1, 2}, {2, 1}, {2, 2}}));
}

TEST_F(GridClipboard, CutCopiesEverythingButEmptiesOnlyWritableCells) {
    lock(1, 2);
    grid.ApplySelection(1, 1, 1, 3, FALSE);
    EXPECT_TRUE(enabled(ID_EDIT_CUT));
    EXPECT_TRUE(grid.OnCmdMsg(ID_EDIT_CUT));
    EXPECT_EQ(GetClipboardText8(), "11\t12\t13");
    EXPECT_EQ((std::vector{text(1, 1), text(1, 2), text(1, 3)}), (Texts{"", "12", ""}));
    EXPECT_EQ(picked(grid), (std::vector<CGridPos>{{1, 2}}));
    EXPECT_TRUE(grid.IsModified());
}

TEST_F(GridClipboard, ReadOnlyGridCopiesButNeitherCutsNorPastes) {
    grid.SetCurrentCell(1, 1);
    SetClipboardText8("x");
    EXPECT_TRUE(enabled(ID_EDIT_PASTE));
    grid.AllowEditing(FALSE);
    EXPECT_FALSE(enabled(ID_EDIT_PASTE));
    EXPECT_FALSE(grid.CmdPaste());
    EXPECT_EQ(text(1, 1), "11");
    grid.ApplySelection(2, 1, 2, 2, FALSE);
    EXPECT_TRUE(enabled(ID_EDIT_COPY));
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    grid.OnCmdMsg(ID_EDIT_CUT);
    EXPECT_EQ(text(2, 1), "21");
    grid.OnCmdMsg(ID_EDIT_COPY);
    EXPECT_EQ(GetClipboardText8(), "21\t22");
}

TEST_F(GridClipboard, SelectAllPicksEveryBodyCellAndOnlyEditCommandsAreTheGrids) {
    for (UINT id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL})
        EXPECT_TRUE(grid.HasCommand(id)) << id;
    for (UINT id : {ID_FILE_PRINT, ID_EDIT_UNDO, ID_FILE_SAVE}) {
        EXPECT_FALSE(grid.HasCommand(id)) << id;
        EXPECT_FALSE(grid.OnCmdMsg(id)) << id;
        CCmdUI ui(id);
        EXPECT_FALSE(grid.OnUpdateCmdUI(ui)) << id;
    }
    EXPECT_TRUE(enabled(ID_EDIT_SELECT_ALL));
    EXPECT_TRUE(grid.OnCmdMsg(ID_EDIT_SELECT_ALL));
    EXPECT_EQ(grid.GetPickedCount(), 12u);
    EXPECT_EQ(grid.GetSelectionBounds(), CGridSpan(1, 1, 4, 3));
    grid.EnableSelection(FALSE);
    EXPECT_FALSE(enabled(ID_EDIT_SELECT_ALL));
}
