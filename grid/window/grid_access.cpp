// What the grid tells screen readers: its cells as they are shown, the current cell and the
// selection. The grid reports its changes as they happen (see the calls to accessible::).
#include "grid/window/cell_grid.h"

#include <algorithm>

namespace tnv {

std::string CCellGrid::AccText(int row, int col) const {
    // Through the virtual reader, so a grid that shows other texts than it stores is read as
    // it looks.
    return IsValidCell(row, col) ? const_cast<CCellGrid*>(this)->GetCellText(row, col)
                                 : std::string();
}

bool CCellGrid::AccBox(int row, int col, Rect* box) const {
    CellBox inclusive;
    if (!IsCellOnScreen(row, col) || !GetCellBox(row, col, &inclusive))
        return false;
    if (box)
        *box = inclusive.Area();
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

std::string CCellGrid::AccColumnTitle(int col) const {
    return col >= 0 && col < int(accColumnTitles.size()) ? accColumnTitles[col] : std::string();
}

void CCellGrid::SetAccessibleNames(std::string name, std::vector<std::string> columnTitles) {
    accName = std::move(name);
    accColumnTitles = std::move(columnTitles);
    accessible::layoutChanged(*this);
}

std::string CCellGrid::AccCellName(int row, int col) const {
    std::string title;
    for (int r = 0; r < numFixedRows; ++r) {
        std::string text = AccText(r, col);
        if (!text.empty())
            title += (title.empty() ? "" : " ") + text;
    }
    if (title.empty())
        title = AccColumnTitle(col);
    if (title.empty())
        title = "Cell";
    // The nearest header names the row best (the editor's file name, not its row number).
    for (int c = std::min(col, numFixedCols) - 1; c >= 0; --c) {
        std::string header = AccText(row, c);
        if (!header.empty())
            return title + " of " + header;
    }
    return title;
}

void CCellGrid::OnSetFocus(CWnd* oldWnd) {
    CWnd::OnSetFocus(oldWnd);
    // The widget's own focus names only the table; the reader wants the cell it lands on.
    if (IsValidCell(currentCell))
        accessible::currentMoved(*this, currentCell.row, currentCell.col);
}

} // namespace tnv
