// The grid's data without a window: counts, cells, attributes, modified flags.
#include "tests/grid/core/grid_test_util.h"

TEST(GridModel, ATableWithoutAWindowStartsWithTheClassicColours) {
    TestGrid g(3, 4, 1, 1);
    EXPECT_EQ((std::vector{g.GetCellTextColor(), g.GetFixedTextColor(), g.GetCellBackColor(),
                           g.GetGridBackColor(), g.GetFixedBackColor(), g.GetGridLineColor()}),
              (std::vector{RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255), RGB(128, 128, 128),
                           RGB(212, 208, 200), RGB(192, 192, 192)}));
    EXPECT_EQ(std::pair(g.GetRowSize(2), g.GetColSize(3)), std::pair(10, 30));
    EXPECT_EQ(*g.GetCellFont(2, 3), g.GetGridFont());
}

TEST(GridModel, CountsGrowShrinkAndCarryTheFixedCounts) {
    TestGrid g(5, 3, 2, 1);
    g.SetCurrentCell(4, 2);
    EXPECT_TRUE(g.SetNumRows(5)); // same count: nothing changes, not even the current cell
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(4, 2));

    EXPECT_TRUE(g.SetNumRows(1)); // below the fixed rows, and past the current cell
    EXPECT_EQ(g.GetNumFixedRows(), 1);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
    EXPECT_EQ(g.GetCellState(4, 2), 0u);

    EXPECT_TRUE(g.SetNumFixedRows(4)); // adds rows first
    EXPECT_EQ(std::pair(g.GetNumRows(), g.GetNumFixedRows()), std::pair(4, 4));
    EXPECT_TRUE(g.IsValidCell(3, 2));

    EXPECT_TRUE(g.SetNumCols(0));
    EXPECT_EQ(g.GetNumFixedCols(), 0);
    EXPECT_FALSE(g.IsValidCell(0, 0));
    EXPECT_TRUE(g.SetNumFixedCols(2));
    EXPECT_EQ(g.GetNumCols(), 2);
    EXPECT_TRUE(g.SetCellText(3, 1, "x"));

    EXPECT_FALSE(g.SetNumRows(-1));
    EXPECT_FALSE(g.SetNumCols(-5));
    EXPECT_FALSE(g.SetNumFixedRows(-1));
    EXPECT_EQ(g.GetNumRows(), 4);
}

TEST(GridModel, FixingRowsOrColumnsDropsACurrentCellInThem) {
    TestGrid g(6, 6);
    g.SetCurrentCell(2, 4);
    g.SetNumFixedRows(2);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(2, 4));
    g.SetNumFixedRows(3);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
    EXPECT_EQ(g.GetCellState(2, 4) & GCS_CURRENT, 0u);
}

TEST(GridModel, NewRowsTakeTheFormatOfTheCellAbove) {
    TestGrid g(1, 3);
    GRIDCELLINFO info = cellInfo(0, 1, GCIF_FORMAT);
    info.format = DT_CENTER;
    ASSERT_TRUE(g.SetCellInfo(&info));
    g.SetNumRows(4);
    EXPECT_EQ(g.GetCellFormat(3, 1), DT_CENTER);
    EXPECT_EQ(g.GetCellFormat(3, 0), 0u);
    g.SetNumCols(4);
    EXPECT_EQ(g.GetCellFormat(2, 3), 0u);

    TestGrid fresh(2, 2);
    EXPECT_EQ(fresh.GetCellFormat(0, 0), 0u);
}

TEST(GridModel, PositionsWithoutACellAnswerTheirNoneValuesAndAreWritable) {
    TestGrid g(2, 2);
    for (CGridPos p : {CGridPos(-1, 0), CGridPos(0, -1), CGridPos(2, 0), CGridPos(0, 2),
                       CGridPos(-1, -1), CGridPos(100000, 100000)}) {
        SCOPED_TRACE(testing::Message() << p.row << "," << p.col);
        EXPECT_FALSE(g.IsValidCell(p));
        EXPECT_EQ(g.GetCellText(p.row, p.col), "");
        EXPECT_EQ(g.GetCellImage(p.row, p.col), -1);
        EXPECT_EQ(g.GetCellState(p.row, p.col), 0u);
        EXPECT_EQ(g.GetCellFormat(p.row, p.col), 0u);
        EXPECT_EQ(g.GetCellData(p.row, p.col), 0);
        EXPECT_EQ(g.GetCellFont(p.row, p.col), &g.GetGridFont());
        EXPECT_FALSE(g.SetCellText(p.row, p.col, "x"));
        EXPECT_FALSE(g.SetCellState(p.row, p.col, GCS_PICKED));
        EXPECT_FALSE(g.SetCellBackColor(p.row, p.col, RGB(1, 2, 3)));
        EXPECT_FALSE(g.SetCellFont(p.row, p.col, &g.GetGridFont()));
        GRIDCELLINFO info = cellInfo(p.row, p.col, 0xFF);
        EXPECT_FALSE(g.SetCellInfo(&info));
        EXPECT_FALSE(g.GetCellInfo(&info));
    }
    EXPECT_EQ(g.GetPickedCount(), 0u);
    EXPECT_FALSE(g.SetCellInfo(nullptr));
    EXPECT_FALSE(g.GetCellInfo(nullptr));
    EXPECT_EQ(g.GetRowSize(2), -1);
    EXPECT_EQ(g.GetColSize(-1), -1);
    EXPECT_FALSE(g.SetRowSize(2, 5));
    EXPECT_FALSE(g.SetColSize(0, -1));
    EXPECT_TRUE(g.SetColSize(0, 0));
    EXPECT_EQ(g.GetColSize(0), 0);

    EXPECT_TRUE(g.IsCellWritable(1, 1));
    EXPECT_TRUE(g.IsCellWritable(CGridPos(9, 9))); // no cell counts as state 0
    g.SetCellState(1, 1, GCS_LOCKED);
    EXPECT_FALSE(g.IsCellWritable(1, 1));
    g.AllowEditing(FALSE);
    EXPECT_FALSE(g.IsCellWritable(0, 0));
}

TEST(GridModel, CellInfoCopiesOnlyTheMaskedAttributes) {
    TestGrid g(2, 2);
    GRIDCELLINFO in = cellInfo(1, 1);
    in.mask = 0x100 | GCIF_TEXT | GCIF_DATA | GCIF_BACKCOLOR; // bits above the low 8 are ignored
    in.text = "hello";
    in.data = -42;
    in.backColor = RGB(255, 0, 0);
    in.textColor = RGB(0, 255, 0); // not masked
    in.state = GCS_LOCKED;         // not masked
    ASSERT_TRUE(g.SetCellInfo(&in));
    GRIDCELLINFO out = cellInfo(1, 1, 0xFF);
    ASSERT_TRUE(g.GetCellInfo(&out));
    EXPECT_EQ(std::tuple(out.text, out.data, out.backColor, out.textColor, out.state),
              std::tuple(std::string("hello"), LPARAM(-42), RGB(255, 0, 0), CLR_DEFAULT, 0u));

    GRIDCELLINFO textOnly = cellInfo(1, 1, GCIF_TEXT);
    textOnly.data = 7;
    ASSERT_TRUE(g.GetCellInfo(&textOnly));
    EXPECT_EQ(textOnly.data, 7); // untouched
}

TEST(GridModel, OnlySetCellStateKeepsTheSelectedCellMap) {
    TestGrid g(3, 3);
    GRIDCELLINFO info = cellInfo(1, 1, GCIF_STATE);
    info.state = GCS_PICKED;
    g.SetCellInfo(&info);
    EXPECT_EQ(g.GetCellState(1, 1), GCS_PICKED);
    EXPECT_EQ(g.GetPickedCount(), 0u);

    g.SetCellState(2, 2, GCS_PICKED);
    g.SetCellState(2, 2, GCS_PICKED | GCS_LOCKED); // already present: one entry
    EXPECT_EQ(g.GetPickedCount(), 1u);
    EXPECT_TRUE(g.IsPicked(2, 2));
    g.SetCellState(2, 2, GCS_LOCKED);
    EXPECT_EQ(g.GetPickedCount(), 0u);
}

TEST(GridModel, SelectionEntriesLeaveWithTheirCellsAndDoNotCollide) {
    TestGrid g(4, 4);
    g.SetCellState(3, 1, GCS_PICKED);
    g.SetCellState(1, 3, GCS_PICKED);
    g.SetCellState(0, 0, GCS_PICKED);
    g.SetNumRows(3);
    EXPECT_EQ(g.GetPickedCount(), 2u);
    g.SetNumCols(3);
    EXPECT_EQ(g.GetPickedCount(), 1u);
    EXPECT_TRUE(g.IsPicked(0, 0));
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(0, 0, 0, 0));

    // Cells beyond 65,535 rows keep their own entries.
    TestGrid tall(65537, 1);
    tall.SetCellState(0, 0, GCS_PICKED);
    tall.SetCellState(65536, 0, GCS_PICKED);
    EXPECT_EQ(tall.GetPickedCount(), 2u);
    EXPECT_EQ(tall.GetSelectionBounds(), CGridSpan(0, 0, 65536, 0));
}

TEST(GridModel, MarkModifiedGridWideAndPerCell) {
    TestGrid g(4, 5);
    g.MarkModified(TRUE, 0, 3); // row 0 counts as grid-wide
    EXPECT_TRUE(g.IsModified());
    EXPECT_EQ(g.GetCellState(0, 3) & GCS_CHANGED, 0u);

    g.MarkModified(FALSE);
    g.MarkModified(TRUE, 2, 3);
    g.MarkModified(TRUE, 1, 1);
    EXPECT_TRUE(g.IsModified());
    EXPECT_EQ(g.GetCellState(2, 3) & GCS_CHANGED, GCS_CHANGED);

    g.MarkModified(FALSE, 2, 3); // only that cell, the grid stays modified
    EXPECT_EQ(g.GetCellState(2, 3) & GCS_CHANGED, 0u);
    EXPECT_EQ(g.GetCellState(1, 1) & GCS_CHANGED, GCS_CHANGED);
    EXPECT_TRUE(g.IsModified());

    g.SetCellState(1, 1, g.GetCellState(1, 1) | GCS_PICKED);
    g.MarkModified(FALSE); // clears every cell's bit, keeps other bits
    EXPECT_FALSE(g.IsModified());
    EXPECT_EQ(g.GetCellState(1, 1), GCS_PICKED);
}

TEST(GridModel, CopyCellTextCutsAndNeverOverruns) {
    TestGrid g(1, 3);
    g.SetCellText(0, 1, "Name_that_is_much_longer_than_29_characters.wav");
    g.SetCellText(0, 2, std::string(300, 't'));
    EXPECT_EQ(std::string(g.CopyCellText(0, 1, 29)), "Name_that_is_much_longer_than");
    EXPECT_EQ(std::string(g.CopyCellText(0, 2, 255)), std::string(255, 't'));
    EXPECT_EQ(std::string(g.CopyCellText(0, 0, 29)), "");
    EXPECT_EQ(std::string(g.CopyCellText(5, 5, 29)), "");
    g.SetCellText(0, 1, "short");
    EXPECT_EQ(std::string(g.CopyCellText(0, 1, 29)), "short");

    // Beyond the shared buffer's room: cut to 1023 bytes, no write past its end.
    g.SetCellText(0, 2, std::string(5000, 'x'));
    EXPECT_EQ(std::string(g.CopyCellText(0, 2, 4096)).size(), 1023u);
    EXPECT_EQ(std::string(g.CopyCellText(0, 2, -7)), "");
}

TEST(GridModel, ClearGridEmptiesCountsButKeepsSettings) {
    TestGrid g(5, 5, 1, 1);
    g.SetGridLineColor(RGB(1, 2, 3));
    g.SetCellState(2, 2, GCS_PICKED);
    g.SetCurrentCell(3, 3);
    EXPECT_TRUE(g.ClearGrid());
    EXPECT_EQ((std::vector{g.GetNumRows(), g.GetNumCols(), g.GetNumFixedRows()}),
              std::vector(3, 0));
    EXPECT_EQ(g.GetPickedCount(), 0u);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
    EXPECT_EQ(g.GetGridLineColor(), RGB(1, 2, 3));
    EXPECT_EQ(g.GetContentHeight(), 0);
    g.SetNumRows(2);
    g.SetNumCols(2);
    EXPECT_EQ(g.GetCellText(1, 1), "");
}

TEST(GridModel, WipeCellClearsStateAndText) {
    struct Wiping : TestGrid {
        using TestGrid::TestGrid;
        void wipe(int r, int c) { WipeCell(cellAt(r, c), r, c); }
    } g(2, 2);
    g.SetCellText(1, 1, "x");
    g.SetCellState(1, 1, GCS_PICKED | GCS_LOCKED);
    g.wipe(1, 1);
    EXPECT_EQ(g.GetCellText(1, 1), "");
    EXPECT_EQ(g.GetCellState(1, 1), 0u);
    EXPECT_EQ(g.GetPickedCount(), 0u);
}

TEST(GridModel, CellInfoReadsTextThroughTheVirtualGetter) {
    struct Upper : TestGrid {
        using TestGrid::TestGrid;
        std::string GetCellText(int row, int col) override {
            return "<" + CellGridCore::GetCellText(row, col) + ">";
        }
    } g(1, 1);
    g.SetCellText(0, 0, "a");
    GRIDCELLINFO info = cellInfo(0, 0, GCIF_TEXT);
    ASSERT_TRUE(g.GetCellInfo(&info));
    EXPECT_EQ(info.text, "<a>");
    EXPECT_EQ(std::string(g.CopyCellText(0, 0, 29)), "<a>");
}

TEST(GridModel, SpansAreValidOnlyInsideTheGrid) {
    TestGrid g(3, 4);
    struct Case {
        CGridSpan span;
        bool valid;
    } cases[] = {
        {CGridSpan(0, 0, 2, 3), true},      {CGridSpan(1, 1, 1, 1), true},
        {CGridSpan(-1, -1, -1, -1), false}, {CGridSpan(0, 0, 3, 3), false},
        {CGridSpan(0, 0, 2, 4), false},     {CGridSpan(2, 0, 1, 3), false},
        {CGridSpan(0, 3, 2, 2), false},     {CGridSpan(3, 4, -1, -1), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bool(g.IsValidSpan(c.span)), c.valid) << "case " << &c - cases;
    EXPECT_EQ(CGridSpan(1, 1, 2, 3).GetCellCount(), 6);
}
