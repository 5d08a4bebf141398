#include "grid_window_fixture.h"
#include "tests/support/test_support.h"

#include <QImage>

#include <chrono>
#include <thread>

// --- presses and drags ----------------------------------------------------------------------

TEST_F(InputTest, PressOnHeaderMakesFirstBodyCellCurrentAndDragSelectsColumns) {
    make(6, 6, 1, 1);
    ev::Press(*grid, at(0, 2));
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(1, 2));
    EXPECT_EQ(grid->GetMouseMode(), GMM_PICK_COLS);
    EXPECT_EQ(picked(*grid), block(1, 2, 5, 2));
    ev::Move(*grid, at(0, 4), true);
    EXPECT_EQ(picked(*grid), block(1, 2, 5, 4));
    ev::Release(*grid, at(0, 4));
    EXPECT_EQ(grid->GetMouseMode(), GMM_IDLE);
    EXPECT_EQ(grid->GetAutoScrollTimer(), 0u);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

// Clicks on n x n cells, one fixed row and column: the cells picked and the current cell after;
// each click posts (not sends) one command to the owner.
TEST_F(InputTest, ClicksPickCells) {
    using Click = std::pair<CGridPos, unsigned>; // the cell, the modifier keys
    struct Case {
        int n;
        std::vector<Click> clicks;
        std::vector<CGridPos> picked;
        CGridPos current;
        BOOL singleRow = TRUE;
    } cases[] = {
        {4, {{{0, 0}, 0}}, block(1, 1, 3, 3), {1, 1}}, // the corner: every body cell
        {4, {{{2, 2}, 0}}, block(2, 2, 2, 2), {2, 2}},
        {6, {{{1, 1}, 0}, {{3, 4}, ev::SHIFT}}, block(1, 1, 3, 4), {3, 4}}, // from the current cell
        // Ctrl keeps the earlier selection only without single-row selection.
        {6, {{{1, 1}, 0}, {{3, 3}, ev::CTRL}}, {{3, 3}}, {3, 3}},
        {6, {{{1, 1}, 0}, {{3, 3}, ev::CTRL}}, {{1, 1}, {3, 3}}, {3, 3}, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.clicks.back().first.row << "," << c.singleRow);
        make(c.n, c.n, 1, 1);
        owner.commands.clear();
        grid->SetSingleRowSelection(c.singleRow);
        for (auto [cell, mods] : c.clicks)
            click(at(cell.row, cell.col), mods);
        EXPECT_EQ(picked(*grid), c.picked);
        EXPECT_EQ(grid->GetCurrentCell(), c.current);
        EXPECT_TRUE(owner.commands.empty());
        settle();
        EXPECT_EQ(owner.commands, std::vector<WPARAM>(c.clicks.size(), MAKEWPARAM(100, 0)));
        TearDown();
    }
}

TEST_F(InputTest, PressOutsideEveryCellDoesNothing) {
    make(2, 2, 1, 1);
    owner.SetFocus();
    click(Point{200, 150});
    settle();
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(-1, -1));
    EXPECT_EQ(CWnd::GetFocus(), &owner);
}

// --- dividers -------------------------------------------------------------------------------

// Columns and rows are 40 x 20; the boundary of columns 0 and 1 is at x = 40, of rows 0 and 1 at
// y = 20. A press within 3 pixels of a boundary in the headers grabs it, after the pointer
// hovered there or not; the drag, released, gives the size from the line's start; never below 0.
TEST_F(InputTest, DividerGrabAndDrag) {
    struct Case {
        const char* name;
        Point press;
        int mode;            // GMM_SIZE_COL or GMM_SIZE_ROW; 0: the press grabs no divider
        int sized, size = 0; // the column (or row) sized, its size after the drag
        std::vector<Point> drag{};
        bool hover = true;
    } cases[] = {
        {"RightOfBoundaryWithin3", {43, 10}, GMM_SIZE_COL, 0, 58, {{58, 10}}},
        {"LeftOfBoundaryWithin3", {37, 10}, GMM_SIZE_COL, 0, 52, {{52, 10}}},
        {"FourPixelsAway", {44, 10}, 0, 0},
        {"LeftEdgeOfColumn0", {1, 10}, 0, 0},
        {"ColumnDividerBelowFixedRows", {43, 50}, 0, 0},
        {"BelowRowBoundary", {10, 42}, GMM_SIZE_ROW, 1, 37, {{10, 57}}},
        {"AboveRowBoundary", {10, 38}, GMM_SIZE_ROW, 1, 33, {{10, 53}}},
        {"TopEdgeOfRow0", {10, 1}, 0, 0},
        {"RowDividerRightOfFixedColumns", {60, 42}, 0, 0},
        {"PastItsColumnStartGivesZero", {83, 10}, GMM_SIZE_COL, 1, 0, {{-30, 10}}, false},
        {"ReleasedWherePressed", {43, 10}, GMM_SIZE_COL, 0, 40, {{70, 10}, {43, 10}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        make(6, 6, 1, 1);
        if (c.hover)
            ev::Move(*grid, c.press);
        ev::Press(*grid, c.press);
        const int mode = grid->GetMouseMode();
        EXPECT_EQ(mode == GMM_SIZE_COL || mode == GMM_SIZE_ROW ? mode : 0, c.mode);
        for (Point p : c.drag)
            ev::Move(*grid, p, true);
        ev::Release(*grid, c.drag.empty() ? c.press : c.drag.back());
        const int size =
            c.mode == GMM_SIZE_ROW ? grid->GetRowSize(c.sized) : grid->GetColSize(c.sized);
        EXPECT_TRUE(!c.mode || size == c.size) << size;
        EXPECT_EQ(grid->GetMouseMode(), GMM_IDLE);
        TearDown();
    }
}

TEST_F(InputTest, DividerLineIsDrawnWhileDraggingAndGoneAfter) {
    make(4, 6, 1, 1);
    grid->UpdateWindow();
    // The pictures have the screen's physical pixels. Their folder is this run's own: the test
    // runs at several scales at once.
    testsupport::TempDir pictures;
    const double ratio = grid->GetDC()->DevicePixelRatio();
    auto pixel = [ratio](const QImage& image, int x, int y) {
        return image.pixel(int((x + 0.5) * ratio), int((y + 0.5) * ratio));
    };
    auto picture = [&](const char* name) {
        EXPECT_TRUE(grid->SaveWindowImage(pictures.file(name)));
        return QImage(QString::fromStdString(pictures.file(name)));
    };
    QImage before = picture("before.png");
    ev::Press(*grid, Point{43, 10});
    ev::Move(*grid, Point{100, 10}, true);
    QImage during = picture("during.png");
    EXPECT_NE(pixel(during, 100, 100), pixel(before, 100, 100));
    EXPECT_EQ(pixel(during, 43, 100), pixel(before, 43, 100)) << "the press line was moved away";
    ev::Release(*grid, Point{43, 10}); // back where it started: no resize, line erased
    grid->UpdateWindow();
    QImage after = picture("after.png");
    EXPECT_EQ(pixel(after, 100, 100), pixel(before, 100, 100));
}

TEST_F(InputTest, DoubleClickOnRowDividerFitsTheRowAboveOrTheRowItself) {
    // Rows 1 and 2 are 50 high: row 1 spans y 20..69, row 2 y 70..119.
    const std::pair<int, int> cases[] = {{72, 1}, {117, 2}}; // y, the row fitted
    for (auto [y, fitted] : cases) {
        SCOPED_TRACE(y);
        make(6, 4, 1, 1);
        grid->SetRowSize(1, 50);
        grid->SetRowSize(2, 50);
        ev::Move(*grid, Point{10, y});
        ASSERT_EQ(grid->GetMouseMode(), GMM_NEAR_ROW_EDGE);
        ev::DoubleClick(*grid, Point{10, y});
        EXPECT_LT(grid->GetRowSize(fitted), 50);
        EXPECT_EQ(grid->GetRowSize(3 - fitted), 50);
        TearDown();
    }
}

// --- keys -----------------------------------------------------------------------------------

// 4 x 4, one fixed row and column: body rows and columns 1 to 3. No edit starts.
TEST_F(InputTest, KeysMoveTheCurrentCell) {
    struct Case {
        const char* name;
        CGridPos from;
        UINT vk;
        unsigned mods;
        CGridPos to;
    } cases[] = {{"TabRight", {1, 1}, VK_TAB, 0, {1, 2}},
                 {"TabWrapsToNextRow", {1, 3}, VK_TAB, 0, {2, 1}},
                 {"TabOnLastCellStays", {3, 3}, VK_TAB, 0, {3, 3}},
                 {"ShiftTabLeft", {2, 2}, VK_TAB, ev::SHIFT, {2, 1}},
                 {"ShiftTabWrapsToRowAbove", {2, 1}, VK_TAB, ev::SHIFT, {1, 3}},
                 {"ShiftTabOnFirstCellStays", {1, 1}, VK_TAB, ev::SHIFT, {1, 1}},
                 {"LeftStopsAtFixedColumn", {2, 1}, VK_LEFT, 0, {2, 1}},
                 {"UpStopsAtFixedRow", {1, 2}, VK_UP, 0, {1, 2}},
                 {"RightStopsAtLastColumn", {2, 3}, VK_RIGHT, 0, {2, 3}},
                 {"DownStopsAtLastRow", {3, 2}, VK_DOWN, 0, {3, 2}},
                 {"Down", {1, 2}, VK_DOWN, 0, {2, 2}},
                 {"HomeKeepsColumn", {3, 2}, VK_HOME, 0, {1, 2}},
                 {"EndKeepsColumn", {1, 3}, VK_END, 0, {3, 3}},
                 {"PageDownWhenViewCannotScroll", {1, 2}, VK_NEXT, 0, {3, 2}},
                 {"PageUpWhenViewCannotScroll", {3, 2}, VK_PRIOR, 0, {1, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        make(4, 4, 1, 1);
        click(at(c.from.row, c.from.col));
        ev::Key(*grid, c.vk, c.mods);
        EXPECT_EQ(grid->GetCurrentCell(), c.to);
        EXPECT_TRUE(grid->IsPicked(c.to.row, c.to.col));
        EXPECT_EQ(CWnd::GetFocus(), grid.get());
        TearDown();
    }
}

TEST_F(InputTest, ShiftArrowExtendsFromTheAnchorPlainArrowRestarts) {
    make(5, 5, 1, 1);
    click(at(1, 1));
    ev::Key(*grid, VK_DOWN, ev::SHIFT);
    ev::Key(*grid, VK_RIGHT, ev::SHIFT);
    EXPECT_EQ(picked(*grid), block(1, 1, 2, 2));
    ev::Key(*grid, VK_DOWN);
    EXPECT_EQ(picked(*grid), block(3, 2, 3, 2));
}

TEST_F(InputTest, PageDownAtTheEndOfALongGridMovesToTheLastRow) {
    make(40, 3, 1, 1);
    click(at(1, 1));
    for (int i = 0; i < 10; ++i)
        ev::Key(*grid, VK_NEXT);
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(39, 1));
    EXPECT_TRUE(grid->IsCellOnScreen(39, 1));
}

// Without a current cell only a navigation key acts: it enters the body, and moves no further.
TEST_F(InputTest, KeysWithoutCurrentCellEnterTheBodyThenDeleteEmptiesAWritableCell) {
    make(4, 4, 1, 1);
    grid->SetFocus();
    for (UINT vk : {VK_DELETE, VK_RETURN, VK_ESCAPE, VK_SPACE})
        ev::Key(*grid, vk);
    ev::Char(*grid, 'x');
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(-1, -1));
    EXPECT_EQ(CWnd::GetFocus(), grid.get());
    ev::Key(*grid, VK_DOWN);
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(1, 1));
    EXPECT_EQ(CWnd::GetFocus(), grid.get());

    grid->SetCellText(2, 2, "text");
    grid->SetCellText(2, 3, "locked");
    grid->SetCellState(2, 3, GCS_LOCKED);
    click(at(2, 2));
    owner.notes.clear();
    ev::Key(*grid, VK_DELETE, 0, "\x7f"); // X11's text: DEL
    settle();
    EXPECT_EQ(grid->GetCellText(2, 2), "");
    EXPECT_TRUE(grid->IsModified());
    EXPECT_EQ(codes(), (std::vector<int>{GN_BEGINEDIT, GN_ENDEDIT}));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(CWnd::GetFocus(), grid.get());
    // The keys after it are the grid's: Ctrl+A selects every cell, Down moves the current cell.
    ev::Key(*grid, 'A', ev::CTRL, "\x01");
    EXPECT_EQ(picked(*grid), block(1, 1, 3, 3));
    ev::Key(*grid, VK_DOWN);
    EXPECT_EQ(grid->GetCurrentCell(), CGridPos(3, 2));
    EXPECT_EQ(editor(), nullptr);

    click(at(2, 3));
    owner.notes.clear();
    grid->MarkModified(FALSE);
    ev::Key(*grid, VK_DELETE, 0, "\x7f");
    EXPECT_EQ(grid->GetCellText(2, 3), "locked");
    EXPECT_FALSE(grid->IsModified());
    EXPECT_TRUE(codes().empty());
}

// --- wheel and auto-scroll ------------------------------------------------------------------

TEST_F(InputTest, WheelPostsLinesOrPagesAndAddsUpTouchpadSteps) {
    struct Case {
        int lines;
        std::vector<int> deltas;
        std::vector<UINT> expect;
    } cases[] = {
        {3, {-240}, std::vector<UINT>(6, SB_LINEDOWN)},
        {-1, {-240}, std::vector<UINT>(2, SB_PAGEDOWN)},
        {3, {120}, std::vector<UINT>(3, SB_LINEUP)},
        {3, {-30, -30, -30, -30}, std::vector<UINT>(3, SB_LINEDOWN)},
        {-1, {-60, -60}, std::vector<UINT>(1, SB_PAGEDOWN)},
        {3, {-30, 30}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        make(60, 3, 1, 1);
        grid->SetWheelLines(c.lines);
        for (int d : c.deltas)
            ev::Wheel(*grid, d, Point{50, 50});
        EXPECT_TRUE(grid->vscrolls.empty()) << "posted, not sent";
        settle();
        EXPECT_EQ(grid->vscrolls, c.expect);
        TearDown();
    }
}

TEST_F(InputTest, HoldingTheButtonBelowTheGridMovesDownAndExtends) {
    make(60, 3, 1, 1, 300, 200);
    ev::Press(*grid, at(2, 1));
    ASSERT_NE(grid->GetAutoScrollTimer(), 0u);
    // The drag itself reaches the row under the pointer (13), beyond the window's edge; from
    // there the timer moves one row every 25 ms.
    ev::Move(*grid, Point{50, 260}, true);
    EXPECT_EQ(grid->GetCurrentCell().row, 13);
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(testsupport::waitUntil([&] { return grid->GetCurrentCell().row >= 18; }, 3000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4 * 25));
    EXPECT_TRUE(grid->IsPicked(2, 1));
    EXPECT_TRUE(grid->IsPicked(grid->GetCurrentCell().row - 1, 1));
    EXPECT_GT(grid->ReadScrollPos(SB_VERT), 0);
    ev::Release(*grid, Point{50, 260});
    EXPECT_EQ(grid->GetAutoScrollTimer(), 0u);
    int row = grid->GetCurrentCell().row;
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    settle();
    EXPECT_EQ(grid->GetCurrentCell().row, row) << "the timer stopped with the release";
}

TEST_F(InputTest, CaptureTakenByAnotherWindowStopsAutoScroll) {
    make(20, 3, 1, 1);
    ev::Press(*grid, at(2, 1));
    ASSERT_NE(grid->GetAutoScrollTimer(), 0u);
    owner.SetCapture();
    EXPECT_EQ(grid->GetAutoScrollTimer(), 0u);
    CWnd::ReleaseCapture();
}
