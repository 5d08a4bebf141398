// Geometry, hit test, scroll bars and scrolling of a grid on screen.
#include "grid_window_fixture.h"

TEST_F(GridWindowTest, BarsAndPageSizesMatchTheClientAreaLeftByTheBars) {
    ProbeGrid& g = make(20, 10, 1, 1);
    EXPECT_TRUE(g.IsScrollBarVisible(SB_VERT));
    EXPECT_TRUE(g.IsScrollBarVisible(SB_HORZ));
    Rect client;
    g.GetClientRect(&client);
    EXPECT_LT(client.right, 300);
    EXPECT_LT(client.bottom, 200);
    SCROLLINFO v, h;
    g.GetScrollInfo(SB_VERT, &v);
    g.GetScrollInfo(SB_HORZ, &h);
    EXPECT_EQ(int(v.nPage), client.bottom - 20);
    EXPECT_EQ(int(h.nPage), client.right - 40);
    EXPECT_EQ(v.nMax, 20 * 20 - 20 - 1);
    EXPECT_EQ(h.nMax, 10 * 40 - 40 - 1);
    EXPECT_EQ(g.GetVScrollMax(), v.nMax);

    // The bars stay when the fixed rows fill the client area, or the grid is cleared.
    g.SetRowSize(0, 1000);
    g.RecalcScrollBars();
    SCROLLINFO after;
    g.GetScrollInfo(SB_VERT, &after);
    EXPECT_EQ(after.nMax, v.nMax);
    EXPECT_EQ(after.nPage, v.nPage);

    g.ClearGrid();
    g.GetScrollInfo(SB_VERT, &after);
    EXPECT_EQ(after.nMax, v.nMax);
    EXPECT_TRUE(g.IsScrollBarVisible(SB_VERT));
}

TEST_F(GridWindowTest, HitTestWithoutBarsAndFittingSizes) {
    ProbeGrid& g = make(4, 3, 1, 1);
    EXPECT_EQ(std::pair(g.GetVScrollMax(), g.GetHScrollMax()), std::pair(0, 0));
    EXPECT_EQ(std::pair(g.IsScrollBarVisible(SB_VERT), g.IsScrollBarVisible(SB_HORZ)),
              std::pair(false, false));
    struct Case {
        Point p;
        BOOL includeFixed;
        CGridPos cell;
    } cases[] = {
        {{10, 10}, TRUE, {0, 0}},   {{39, 19}, TRUE, {0, 0}}, {{40, 20}, TRUE, {1, 1}},
        {{79, 59}, TRUE, {2, 1}},   {{85, 75}, TRUE, {3, 2}}, {{120, 30}, TRUE, {1, -1}},
        {{50, 80}, TRUE, {-1, 1}},  {{-1, 5}, TRUE, {0, -1}}, {{10, 30}, FALSE, {1, -1}},
        {{50, 10}, FALSE, {-1, 1}}, {{10, 30}, TRUE, {1, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g.CellAtPoint(c.p, c.includeFixed), c.cell) << c.p.x << "," << c.p.y;

    int margin = g.GetCellMargin();
    EXPECT_GT(margin, 0);
    EXPECT_TRUE(g.FitColumnWidth(2));
    EXPECT_EQ(g.GetColSize(2), 4 * margin); // all empty
    g.SetCellText(3, 1, "a rather long cell text");
    EXPECT_TRUE(g.FitColumnWidth(1));
    EXPECT_GT(g.GetColSize(1), 100);
    EXPECT_TRUE(g.FitRowHeight(3));
    EXPECT_GT(g.GetRowSize(3), 2 * margin);
    EXPECT_FALSE(g.FitColumnWidth(3));
    EXPECT_FALSE(g.FitRowHeight(-1));
}

// Cell boxes are inclusive; they, and the first scrolled cell, follow the scroll position.
TEST_F(GridWindowTest, CellBoxesAndTheFirstScrolledCellFollowTheScroll) {
    ProbeGrid& g = make(20, 10, 1, 1);
    EXPECT_EQ(g.GetFirstScrolledCell(), CGridPos(1, 1));
    CellBox box;
    ASSERT_TRUE(g.GetCellBox(2, 2, &box));
    EXPECT_EQ(box, (CellBox{80, 40, 119, 59}));
    ASSERT_TRUE(g.GetCellBox(19, 9, &box)); // below the client area still has a box
    EXPECT_FALSE(g.IsCellOnScreen(19, 9));
    EXPECT_TRUE(g.IsCellOnScreen(2, 2));
    g.WriteScrollPos(SB_VERT, 20);
    EXPECT_FALSE(g.GetCellBox(1, 2, &box)); // scrolled off
    ASSERT_TRUE(g.GetCellBox(0, 2, &box));  // fixed rows stay
    EXPECT_EQ(box.top, 0);
    ASSERT_TRUE(g.GetCellBox(2, 0, &box));
    EXPECT_EQ(box, (CellBox{0, 20, 39, 39}));
    EXPECT_FALSE(g.GetCellBox(20, 0, &box));
    struct Case {
        int vpos, hpos;
        CGridPos first;
    } cases[] = {{1, 0, {2, 1}}, {20, 0, {2, 1}}, {21, 0, {3, 1}},
                 {0, 1, {1, 2}}, {0, 40, {1, 2}}, {0, 41, {1, 3}}};
    for (const Case& c : cases) {
        g.WriteScrollPos(SB_VERT, c.vpos);
        g.WriteScrollPos(SB_HORZ, c.hpos);
        EXPECT_EQ(g.GetFirstScrolledCell(), c.first) << c.vpos << "," << c.hpos;
    }
}

TEST_F(GridWindowTest, ARowEndingOnTheClientBottomIsFullyShown) {
    ProbeGrid& g = make(20, 3, 1, 1); // narrow: only the vertical bar
    Rect client;
    g.GetClientRect(&client);
    ASSERT_EQ(client.bottom, 200);
    EXPECT_EQ(g.GetFullyShownSpan(), CGridSpan(1, 1, 9, 2));
    Rect extent;
    EXPECT_EQ(g.GetShownScrollableSpan(&extent), CGridSpan(1, 1, 9, 2));
    EXPECT_EQ(extent, (Rect{0, 0, 120, 200}));
    g.SetRowSize(1, 25); // now row 9 runs past the bottom
    EXPECT_EQ(g.GetFullyShownSpan().maxRow, 8);
    EXPECT_EQ(g.GetShownScrollableSpan().maxRow, 9);
}

TEST_F(GridWindowTest, ScrollMessagesMoveByRowsAndPages) {
    ProbeGrid& g = make(40, 3, 1, 1);
    g.SetRowSize(1, 35);
    g.RecalcScrollBars();
    SCROLLINFO si;
    g.GetScrollInfo(SB_VERT, &si);
    const int end = si.nMax - int(si.nPage) + 1;
    // At the top a line up does nothing; at the end a line down leaves the position.
    const std::pair<UINT, int> steps[] = {{SB_LINEDOWN, 35},  {SB_LINEUP, 0},   {SB_LINEUP, 0},
                                          {SB_PAGEDOWN, 180}, {SB_BOTTOM, end}, {SB_LINEDOWN, end},
                                          {SB_TOP, 0}};
    for (auto [code, pos] : steps) {
        g.SendMessage(WM_VSCROLL, code);
        EXPECT_EQ(g.ReadScrollPos(SB_VERT), pos) << code;
        EXPECT_TRUE(pos != 35 || g.GetFirstScrolledCell().row == 2);
    }
    EXPECT_EQ(CWnd::GetFocus(), &g);
}

TEST_F(GridWindowTest, BringingAColumnFromTwoLeftSendsTwoLineLefts) {
    ProbeGrid& g = make(5, 12, 1, 1);
    g.SetColSize(3, 50);
    g.SetColSize(4, 60);
    g.RecalcScrollBars();
    g.WriteScrollPos(SB_HORZ, 40 + 40 + 50 + 60);
    ASSERT_EQ(g.GetFirstScrolledCell().col, 5);
    g.hscrolls.clear();
    g.BringCellIntoView(2, 3);
    EXPECT_EQ(g.hscrolls, (std::vector<UINT>{SB_LINELEFT, SB_LINELEFT}));
    EXPECT_EQ(g.ReadScrollPos(SB_HORZ), 80); // moved by 60, then by 50
    EXPECT_EQ(g.GetFirstScrolledCell().col, 3);
    EXPECT_TRUE(g.vscrolls.empty());
}

TEST_F(GridWindowTest, BringingACellFromBelowShowsItWhole) {
    ProbeGrid& g = make(30, 12, 1, 1);
    g.BringCellIntoView(25, 10);
    CellBox box;
    Rect client;
    ASSERT_TRUE(g.GetCellBox(25, 10, &box));
    g.GetClientRect(&client);
    EXPECT_LE(box.right, client.right);
    EXPECT_LE(box.bottom, client.bottom);
    EXPECT_TRUE(g.IsCellOnScreen(25, 10));
}

TEST_F(GridWindowTest, FontGivesTheDefaultSizes) {
    ProbeGrid& g = make(2, 2, 0, 0);
    int small = g.GetDefaultRowSize();
    FontDesc big{.height = -24};
    g.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&big), TRUE);
    EXPECT_GT(g.GetDefaultRowSize(), small);
    EXPECT_EQ(g.GetCellFont(1, 1)->height, -24); // cells take the new font
    EXPECT_EQ(g.GetRowSize(1), 20);              // existing rows keep their height
    auto* font = reinterpret_cast<const FontDesc*>(g.SendMessage(WM_GETFONT));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->height, -24);
    g.SetNumRows(3);
    EXPECT_EQ(g.GetRowSize(2), g.GetDefaultRowSize());
}

TEST_F(GridWindowTest, CreatingTheWindowResizesRowsMadeBefore) {
    ASSERT_TRUE(owner.CreateTopLevel("owner", 0, Rect{0, 0, 300, 300}));
    ProbeGrid g(3, 3, 1, 1);
    g.SetRowSize(1, 77);
    ASSERT_TRUE(g.CreateGrid(Rect{0, 0, 200, 200}, &owner, 100, WS_CHILD));
    EXPECT_EQ(g.GetRowSize(1), g.GetDefaultRowSize());
    EXPECT_GT(g.GetDefaultColSize(), 2 * g.GetCellMargin());
}

TEST_F(GridWindowTest, TheUserWorksTheScrollBars) {
    ProbeGrid& g = make(40, 3, 1, 1);
    wndevents::ScrollBar(g, SB_VERT, SB_LINEDOWN);
    EXPECT_EQ(g.ReadScrollPos(SB_VERT), 20);
    wndevents::ScrollBar(g, SB_VERT, SB_THUMBTRACK, 101);
    EXPECT_EQ(g.ReadScrollPos(SB_VERT), 101);
    EXPECT_EQ(g.GetFirstScrolledCell().row, 7); // a position inside row 6 shows row 7
    wndevents::ScrollBar(g, SB_VERT, SB_PAGEUP);
    EXPECT_EQ(g.ReadScrollPos(SB_VERT), 0);
    wndevents::ScrollBar(g, SB_VERT, SB_BOTTOM);
    EXPECT_EQ(g.ReadScrollPos(SB_VERT), g.GetVScrollMax() - (200 - 20) + 1);
}
