// What the grid tells screen readers: its cells as they are shown, the current cell and the
// selection. The grid reports its changes as they happen (see the calls to accessible::).
#include "grid/cell_grid.h"

std::string CCellGrid::AccText(int row, int col) const {
    // Through the virtual reader, so a grid that shows other texts than it stores is read as
    // it looks.
    return IsValidCell(row, col) ? const_cast<CCellGrid*>(this)->GetCellText(row, col)
                                 : std::string();
}

bool CCellGrid::AccBox(int row, int col, Rect* box) const {
    Rect inclusive;
    if (!IsCellOnScreen(row, col) || !GetCellBox(row, col, &inclusive))
        return false;
    if (box)
        *box = Rect{inclusive.left, inclusive.top, inclusive.right + 1, inclusive.bottom + 1};
    return true;
}

bool CCellGrid::AccCellAt(Point p, int* row, int* col) const {
    CGridPos pos = CellAtPoint(p, TRUE);
    if (!IsValidCell(pos))
        return false;
    *row = pos.row;
    *col = pos.col;
    return true;
}

bool CCellGrid::AccCurrent(int* row, int* col) const {
    if (!IsValidCell(currentCell))
        return false;
    *row = currentCell.row;
    *col = currentCell.col;
    return true;
}

bool CCellGrid::AccSelected(int row, int col) const {
    return IsPicked(row, col);
}

bool CCellGrid::AccWritable(int row, int col) const {
    return IsCellWritable(row, col);
}

void CCellGrid::OnSetFocus(Wnd* oldWnd) {
    Wnd::OnSetFocus(oldWnd);
    // The widget's own focus names only the table; the reader wants the cell it lands on.
    if (IsValidCell(currentCell))
        accessible::currentMoved(*this, currentCell.row, currentCell.col);
}
