// A grid in a window of its own, for the tests that need the screen side.
#pragma once

#include "tests/grid/core/grid_test_util.h"

#include "grid/window/cell_grid.h"
#include "grid/window/grid_inplace_edit.h"
#include "platform/window/wnd_app.h"
#include "tests/support/wnd_events.h"

#include <memory>
#include <vector>

// The owner window: records the grid's notifications and click commands.
class GridOwner : public CWnd {
public:
    struct Note {
        int code, row, col;
        friend bool operator==(const Note&, const Note&) = default;
    };
    std::vector<Note> notes;
    std::vector<WPARAM> commands;
    bool OnNotify(WPARAM, NMHDR* hdr, LRESULT* result) override {
        auto* nm = reinterpret_cast<NMGRIDCELL*>(hdr);
        notes.push_back(Note{nm->hdr.code, nm->row, nm->col});
        *result = 0;
        return TRUE;
    }
    bool OnCommand(WPARAM wp, MsgParam) override {
        commands.push_back(wp);
        return TRUE;
    }
};

using WindowTestGrid = TestGridOf<CCellGrid>;

// Counts scroll messages and cell paints.
class ProbeGrid : public WindowTestGrid {
public:
    using WindowTestGrid::WindowTestGrid;
    std::vector<UINT> hscrolls, vscrolls;
    int cellPaints = 0;
    void OnHScroll(UINT code, UINT pos) override {
        hscrolls.push_back(code);
        WindowTestGrid::OnHScroll(code, pos);
    }
    void OnVScroll(UINT code, UINT pos) override {
        vscrolls.push_back(code);
        WindowTestGrid::OnVScroll(code, pos);
    }
    BOOL PaintCell(CDC& dc, int row, int col, CellBox rect, BOOL erase) override {
        ++cellPaints;
        return WindowTestGrid::PaintCell(dc, row, col, rect, erase);
    }
};

class GridWindowTest : public testing::Test {
protected:
    GridOwner owner;
    std::unique_ptr<ProbeGrid> grid;

    // rows x cols with fixed rows and columns, every row `rowH` and column `colW` pixels, in a
    // borderless client area of w x h.
    ProbeGrid& make(int rows, int cols, int fixedRows, int fixedCols, int w = 300, int h = 200,
                    int rowH = 20, int colW = 40) {
        EXPECT_TRUE(owner.CreateTopLevel("owner", 0, Rect{0, 0, w + 50, h + 50}));
        grid = std::make_unique<ProbeGrid>(rows, cols, fixedRows, fixedCols);
        EXPECT_TRUE(grid->CreateGrid(Rect{0, 0, w, h}, &owner, 100, WS_CHILD | WS_VISIBLE));
        FontDesc font{.height = -12};
        font.setFaceName("DejaVu Sans");
        grid->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(&font), TRUE);
        for (int r = 0; r < rows; ++r)
            grid->SetRowSize(r, rowH);
        for (int c = 0; c < cols; ++c)
            grid->SetColSize(c, colW);
        grid->RecalcScrollBars();
        return *grid;
    }

    void TearDown() override {
        grid.reset();
        owner.DestroyWindow();
    }
};

// A grid on screen driven by real input events, with helpers to find cells and the editor.
namespace ev = wndevents;

class InputTest : public GridWindowTest {
protected:
    // The middle of a cell on screen.
    Point at(int row, int col) {
        CellBox box;
        EXPECT_TRUE(grid->GetCellBox(row, col, &box)) << row << "," << col;
        return Point{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    }
    void click(Point p, unsigned mods = 0) {
        ev::Press(*grid, p, mods);
        ev::Release(*grid, p, mods);
    }
    // The open in-place editor: the window with the focus, when it is one.
    CGridInPlaceEdit* editor() { return dynamic_cast<CGridInPlaceEdit*>(CWnd::GetFocus()); }
    std::vector<int> codes() {
        std::vector<int> out;
        for (const auto& n : owner.notes)
            if (n.code == GN_BEGINEDIT || n.code == GN_ENDEDIT)
                out.push_back(n.code);
        return out;
    }
    void settle() {
        WndApp::ProcessEvents();
        WndApp::ProcessEvents();
    }
    void TearDown() override {
        settle();
        GridWindowTest::TearDown();
        settle();
    }
};
