// A grid on screen driven by real input events, with helpers to find cells and the editor.
#pragma once

#include "grid/window/grid_inplace_edit.h"
#include "platform/window/wnd_app.h"
#include "tests/grid/window/grid_window_fixture.h"
#include "tests/support/wnd_events.h"

using namespace tnv;

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
