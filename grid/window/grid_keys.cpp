// The grid's keyboard: the arrow, page, Home, End and Tab keys move the current cell and the
// selection with it, Delete empties the current cell, typing opens the in-place editor.
#include "grid/window/cell_grid.h"

#include <algorithm>

namespace tnv {

namespace {

bool held(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

// The body cells, among which the keys move the current cell.
struct BodyBounds {
    int firstRow, firstCol, lastRow, lastCol;
};
BodyBounds bodyOf(const CellGridCore& grid) {
    return {grid.GetNumFixedRows(), grid.GetNumFixedCols(), grid.GetNumRows() - 1,
            grid.GetNumCols() - 1};
}

} // namespace

UINT CCellGrid::OnGetDlgCode() {
    UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (handleTab && !held(VK_CONTROL))
        code |= DLGC_WANTTAB;
    return code;
}

void CCellGrid::OnChar(UINT ch, UINT repeat, UINT flags) {
    if (!held(VK_CONTROL) && mouseMode == GMM_IDLE && !(handleTab && ch == '\t'))
        BeginCellEdit(currentCell.row, currentCell.col, ch);
    CWnd::OnChar(ch, repeat, flags);
}

void CCellGrid::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    if (!IsValidCell(currentCell)) {
        // A keyboard alone must be able to reach a text: a navigation key enters the table.
        if (!IsGridNavigationKey(vk) || !enterBodyByKey())
            CWnd::OnKeyDown(vk, repeat, flags);
        return;
    }
    const bool shift = held(VK_SHIFT);
    HandleClipboardKey(vk);
    if (vk == VK_DELETE) {
        clearCurrentCellByKey();
        return;
    }
    const KeyMove move = targetOfKey(vk, shift);
    if (move.unhandled)
        CWnd::OnKeyDown(vk, repeat, flags);
    if (move.target == currentCell)
        return;
    selectAlongWithKey(move.target, vk, shift);
    SetCurrentCell(move.target.row, move.target.col);
    if (IsCellOnScreen(move.target.row, move.target.col))
        return;
    BringCellIntoView(move.target.row, move.target.col);
    scrollAfterKeyMove(vk, shift, move.wrapped);
    Invalidate(TRUE);
}

CCellGrid::KeyMove CCellGrid::targetOfKey(UINT vk, bool shift) {
    const BodyBounds body = bodyOf(*this);
    KeyMove move{currentCell};
    CGridPos& to = move.target;
    switch (vk) {
    case VK_TAB:
        return targetOfTab(shift);
    case VK_PRIOR:
    case VK_NEXT:
        return targetOfPageKey(vk == VK_NEXT);
    case VK_END:
        SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
        to.row = body.lastRow;
        break;
    case VK_HOME:
        SendMessage(WM_VSCROLL, SB_TOP, 0);
        to.row = body.firstRow;
        break;
    case VK_LEFT:
        if (to.col > body.firstCol)
            --to.col;
        break;
    case VK_UP:
        if (to.row > body.firstRow)
            --to.row;
        break;
    case VK_RIGHT:
        if (to.col < body.lastCol)
            ++to.col;
        break;
    case VK_DOWN:
        if (to.row < body.lastRow)
            ++to.row;
        break;
    default:
        move.unhandled = true;
        break;
    }
    return move;
}

// Tab walks the body cells row by row, wrapping at the ends of a row; past the first or the last
// body cell the key is left to the window (to move the focus on).
CCellGrid::KeyMove CCellGrid::targetOfTab(bool backwards) const {
    const BodyBounds body = bodyOf(*this);
    KeyMove move{currentCell};
    CGridPos& to = move.target;
    if (backwards) {
        if (to.col > body.firstCol) {
            --to.col;
        } else if (to.col == body.firstCol && to.row > body.firstRow) {
            --to.row;
            to.col = body.lastCol;
            move.wrapped = true;
        } else {
            move.unhandled = true;
        }
    } else {
        if (to.col < body.lastCol) {
            ++to.col;
        } else if (to.col == body.lastCol && to.row < body.lastRow) {
            ++to.row;
            to.col = body.firstCol;
            move.wrapped = true;
        } else {
            move.unhandled = true;
        }
    }
    return move;
}

// Page Up and Down scroll a page and move the current cell by as many rows as the view moved;
// when the view cannot move, to the first or last body row.
CCellGrid::KeyMove CCellGrid::targetOfPageKey(bool down) {
    const BodyBounds body = bodyOf(*this);
    KeyMove move{currentCell};
    CGridPos& to = move.target;
    const int topBefore = GetFirstScrolledCell().row;
    SendMessage(WM_VSCROLL, down ? SB_PAGEDOWN : SB_PAGEUP, 0);
    const int scrolledRows = GetFirstScrolledCell().row - topBefore;
    if (scrolledRows == 0)
        to.row = down ? body.lastRow : body.firstRow;
    else if (down)
        to.row = std::min(body.lastRow, to.row + scrolledRows);
    else
        to.row = std::max(body.firstRow, to.row + scrolledRows);
    return move;
}

// The first body cell on screen becomes current and selected, as a click on it would make it,
// and nothing else happens: no scroll, no move beyond it. False when the table has no body.
bool CCellGrid::enterBodyByKey() {
    const CGridPos first = GetFirstScrolledCell();
    if (first.row < numFixedRows || first.col < numFixedCols || !IsValidCell(first))
        return false;
    selectAlongWithKey(first, VK_TAB, false);
    SetCurrentCell(first.row, first.col);
    return true;
}

// Delete empties the current cell as an edit would: the owner hears the edit begin and end.
void CCellGrid::clearCurrentCellByKey() {
    if (!IsCellWritable(currentCell))
        return;
    const CGridPos cell = currentCell;
    NotifyParent(cell.row, cell.col, GN_BEGINEDIT);
    SetCellText(cell.row, cell.col, std::string());
    MarkModified(TRUE, cell.row, cell.col);
    NotifyParent(cell.row, cell.col, GN_ENDEDIT);
    RepaintCell(cell.row, cell.col);
}

// A key move selects as a click does: the new cell (its row in list mode), or with Shift the
// block from the anchor. Tab always starts a new anchor. Not while a mouse drag selects.
void CCellGrid::selectAlongWithKey(const CGridPos& target, UINT vk, bool shift) {
    if (mouseMode != GMM_IDLE)
        return;
    savedPickedCells.clear();
    mouseMode = listMode ? GMM_PICK_ROWS : GMM_PICK_CELLS;
    if (!shift || vk == VK_TAB)
        selectionAnchor = target;
    ExtendSelection(target);
    mouseMode = GMM_IDLE;
}

// BringCellIntoView scrolls the cell just into sight; one more line in the key's direction shows
// what comes next. A Tab that wrapped also goes to the other end of the row.
void CCellGrid::scrollAfterKeyMove(UINT vk, bool shift, bool wrapped) {
    if (vk == VK_TAB && wrapped) {
        SendMessage(WM_VSCROLL, shift ? SB_LINEUP : SB_LINEDOWN, 0);
        WriteScrollPos(SB_HORZ, shift ? hScrollMax : 0, TRUE);
        return;
    }
    if (vk == VK_TAB)
        vk = shift ? VK_LEFT : VK_RIGHT;
    if (vk == VK_LEFT || vk == VK_RIGHT)
        SendMessage(WM_HSCROLL, vk == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0);
    else if (vk == VK_UP || vk == VK_DOWN)
        SendMessage(WM_VSCROLL, vk == VK_UP ? SB_LINEUP : SB_LINEDOWN, 0);
}

} // namespace tnv
