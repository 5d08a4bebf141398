// The grid's mouse: selection by pressing and dragging, divider dragging and fitting, the
// auto-scroll timer and the wheel. The keys are in grid_keys.cpp.
#include "grid/window/cell_grid.h"

#include <algorithm>

namespace tnv {

namespace {

constexpr UINT kAutoScrollTimerId = 513;

} // namespace

BOOL CCellGrid::IsOnColEdge(Point p) const {
    if (p.y >= GetFixedBandHeight())
        return FALSE;
    CGridPos cell = CellAtPoint(p, TRUE);
    Point corner;
    if (!GetCellCorner(cell.row, cell.col, &corner))
        return FALSE;
    int w = GetColSize(cell.col);
    return (p.x - corner.x <= resizeMargin && cell.col != 0) ||
           ((long long)corner.x + w - p.x <= resizeMargin);
}

BOOL CCellGrid::IsOnRowEdge(Point p) const {
    if (p.x >= GetFixedBandWidth())
        return FALSE;
    CGridPos cell = CellAtPoint(p, TRUE);
    Point corner;
    if (!GetCellCorner(cell.row, cell.col, &corner))
        return FALSE;
    int h = GetRowSize(cell.row);
    return (p.y - corner.y <= resizeMargin && cell.row != 0) ||
           ((long long)corner.y + h - p.y <= resizeMargin);
}

// The divider line of a drag, 2 pixels wide, inverted on the window so that a second inversion
// at the same place takes it away.
void CCellGrid::invertDragLine(int at, bool vertical) {
    std::unique_ptr<CDC> dc = GetDC();
    if (!dc)
        return;
    Rect client;
    GetClientRect(&client);
    dc->InvertRect(vertical ? Rect{at, client.top, at + 2, client.bottom}
                            : Rect{client.left, at, client.right, at + 2});
}

void CCellGrid::OnLButtonDown(UINT flags, Point point) {
    pressPoint = point;
    pressCell = CellAtPoint(point, TRUE);
    if (!IsValidCell(pressCell))
        return;
    selectionAnchor = (flags & MK_SHIFT) ? currentCell : pressCell;
    SetFocus();
    if (pressCell == currentCell) {
        mouseMode = GMM_CLICK_CURRENT;
        return;
    }
    if (mouseMode != GMM_NEAR_COL_EDGE && mouseMode != GMM_NEAR_ROW_EDGE) {
        SetCurrentCell(-1, -1);
        SetCurrentCell(std::max(pressCell.row, numFixedRows),
                       std::max(pressCell.col, numFixedCols));
    }
    SetCapture();
    if (mouseMode == GMM_IDLE) {
        if (allowColResize && IsOnColEdge(point)) {
            SetCursor(Cursor::SizeWE);
            mouseMode = GMM_NEAR_COL_EDGE;
        } else if (allowRowResize && IsOnRowEdge(point)) {
            SetCursor(Cursor::SizeNS);
            mouseMode = GMM_NEAR_ROW_EDGE;
        }
    }
    Rect client;
    GetClientRect(&client);
    if (mouseMode == GMM_NEAR_COL_EDGE) {
        mouseMode = GMM_SIZE_COL;
        Point corner;
        if (!GetCellCorner(0, pressCell.col, &corner))
            return;
        invertDragLine(point.x, true);
        if (point.x - corner.x <= resizeMargin) {
            --pressCell.col;
            if (!GetCellCorner(0, pressCell.col, &corner))
                return;
        }
        Point tl{corner.x, client.top}, br{client.right, client.bottom};
        ClientToScreen(&tl);
        ClientToScreen(&br);
        Rect confine{tl.x, tl.y, br.x, br.y};
        ClipCursor(&confine);
    } else if (mouseMode == GMM_NEAR_ROW_EDGE) {
        mouseMode = GMM_SIZE_ROW;
        Point corner;
        if (!GetCellCorner(pressCell.row, pressCell.col, &corner))
            return;
        invertDragLine(point.y, false);
        if (point.y - corner.y <= resizeMargin) {
            --pressCell.row;
            if (!GetCellCorner(pressCell.row, 0, &corner))
                return;
        }
        Point tl{client.left, corner.y}, br{client.right, client.bottom};
        ClientToScreen(&tl);
        ClientToScreen(&br);
        Rect confine{tl.x, tl.y, br.x, br.y};
        ClipCursor(&confine);
    } else {
        savedPickedCells.clear();
        if (flags & MK_CONTROL)
            savedPickedCells = pickedCells;
        if (pressCell.row < numFixedRows) {
            OnFixedRowHit(pressCell);
        } else if (pressCell.col < numFixedCols) {
            OnFixedColumnHit(pressCell);
        } else {
            mouseMode = listMode ? GMM_PICK_ROWS : GMM_PICK_CELLS;
            ExtendSelection(pressCell);
        }
        autoScrollTimer = SetTimer(kAutoScrollTimerId, UINT(autoScrollPeriod));
    }
    lastMousePoint = point;
}

void CCellGrid::OnMouseMove(UINT flags, Point point) {
    if ((flags & MK_LBUTTON) && mouseMode != GMM_IDLE) {
        if (IsValidCell(pressCell)) {
            switch (mouseMode) {
            case GMM_PICK_COLS:
            case GMM_PICK_ROWS:
            case GMM_PICK_CELLS: {
                CGridPos cell = CellAtPoint(point, TRUE);
                if (!IsValidCell(cell))
                    return;
                if (!(cell == currentCell)) {
                    ExtendSelection(cell);
                    if (cell.row >= numFixedRows && cell.col >= numFixedCols)
                        SetCurrentCell(cell.row, cell.col);
                }
                break;
            }
            case GMM_SIZE_ROW:
                invertDragLine(lastMousePoint.y, false);
                invertDragLine(point.y, false);
                break;
            case GMM_SIZE_COL:
                invertDragLine(lastMousePoint.x, true);
                invertDragLine(point.x, true);
                break;
            default:
                break;
            }
        }
    } else if (allowColResize && IsOnColEdge(point)) {
        if (mouseMode != GMM_NEAR_COL_EDGE) {
            SetCursor(Cursor::SizeWE);
            mouseMode = GMM_NEAR_COL_EDGE;
        }
    } else if (allowRowResize && IsOnRowEdge(point)) {
        if (mouseMode != GMM_NEAR_ROW_EDGE) {
            SetCursor(Cursor::SizeNS);
            mouseMode = GMM_NEAR_ROW_EDGE;
        }
    } else if (mouseMode != GMM_IDLE) {
        SetCursor(Cursor::Arrow);
        mouseMode = GMM_IDLE;
    }
    lastMousePoint = point;
}

void CCellGrid::OnLButtonUp(UINT flags, Point point) {
    CWnd::OnLButtonUp(flags, point);
    ClipCursor(nullptr);
    if (GetCapture() == this) {
        ReleaseCapture();
        KillTimer(autoScrollTimer);
        autoScrollTimer = 0;
    }
    switch (mouseMode) {
    case GMM_CLICK_CURRENT:
        BeginCellEdit(currentCell.row, currentCell.col, 1);
        break;
    case GMM_SIZE_COL:
    case GMM_SIZE_ROW: {
        bool cols = mouseMode == GMM_SIZE_COL;
        invertDragLine(cols ? lastMousePoint.x : lastMousePoint.y, cols);
        if (point.x != pressPoint.x || point.y != pressPoint.y) {
            Point corner;
            if (!GetCellCorner(pressCell.row, pressCell.col, &corner))
                return;
            if (cols)
                SetColSize(pressCell.col, point.x - corner.x);
            else
                SetRowSize(pressCell.row, point.y - corner.y);
            RecalcScrollBars();
            Invalidate(TRUE);
        }
        break;
    }
    default:
        break;
    }
    mouseMode = GMM_IDLE;
    SetCursor(Cursor::Arrow);
    if (IsValidCell(pressCell))
        PostClickNotification();
}

void CCellGrid::OnLButtonDblClk(UINT flags, Point point) {
    // The first click's release left the mode idle; Windows then tells the window where the
    // pointer rests (the move that follows the release of the capture), which finds a divider
    // under it again.
    if (mouseMode == GMM_IDLE)
        OnMouseMove(flags & ~MK_LBUTTON, point);
    switch (mouseMode) {
    case GMM_NEAR_COL_EDGE:
    case GMM_NEAR_ROW_EDGE: {
        bool cols = mouseMode == GMM_NEAR_COL_EDGE;
        CGridPos cell = CellAtPoint(point, TRUE);
        Point corner;
        if (!GetCellCorner(cols ? 0 : cell.row, cell.col, &corner))
            return;
        if (cols) {
            int col = point.x - corner.x <= resizeMargin ? cell.col - 1 : cell.col;
            FitColumnWidth(col);
        } else {
            int row = point.y - corner.y <= resizeMargin ? cell.row - 1 : cell.row;
            FitRowHeight(row);
        }
        Invalidate(TRUE);
        break;
    }
    case GMM_IDLE:
        if (IsValidCell(pressCell) && pressCell.row >= numFixedRows &&
            pressCell.col >= numFixedCols) {
            BeginCellEdit(currentCell.row, currentCell.col, 1);
        } else if (listMode) {
            CGridPos cell = CellAtPoint(point, TRUE);
            if (!IsValidCell(cell))
                return;
            if (cell.row >= numFixedRows && cell.col < numFixedCols)
                BeginCellEdit(cell.row, cell.col, 1);
        }
        break;
    default:
        break;
    }
    CWnd::OnLButtonDblClk(flags, point);
}

void CCellGrid::OnTimer(UINT id) {
    if (id != kAutoScrollTimerId || !hasWindow())
        return;
    Point p = GetCursorPos();
    ScreenToClient(&p);
    Rect r;
    GetClientRect(&r);
    int bandH = GetFixedBandHeight();
    int bandW = GetFixedBandWidth();
    int right = r.right, bottom = r.bottom;
    int y = 0;
    bool vertical = true;
    if (p.y > bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        y = bottom;
    } else if (p.y < bandH) {
        SendMessage(WM_KEYDOWN, VK_UP, 0);
        y = bandH + 1;
    } else {
        vertical = false;
    }
    if (vertical) {
        int x = std::min(right, std::max(p.x, r.left));
        ExtendSelection(CellAtPoint(Point{x, y}, TRUE));
    }
    int x = 0;
    if (p.x > right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        x = right;
    } else if (p.x < bandW) {
        SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        x = bandW + 1;
    } else {
        return;
    }
    y = std::min(bottom, std::max(p.y, r.top));
    ExtendSelection(CellAtPoint(Point{x, y}, TRUE));
}

bool CCellGrid::OnMouseWheel(UINT flags, short delta, Point screenPt) {
    // Touchpads report fractions of a notch: what does not make a whole line (or page) yet is
    // kept for the next event, and dropped when the direction turns.
    if ((wheelRemainder < 0 && delta > 0) || (wheelRemainder > 0 && delta < 0))
        wheelRemainder = 0;
    UINT up, down;
    if (wheelLines == -1) {
        wheelRemainder += delta;
        up = SB_PAGEUP;
        down = SB_PAGEDOWN;
    } else {
        wheelRemainder += delta * wheelLines;
        up = SB_LINEUP;
        down = SB_LINEDOWN;
    }
    int n = wheelRemainder / WHEEL_DELTA;
    wheelRemainder -= n * WHEEL_DELTA;
    for (int i = 0; i < n; ++i)
        PostMessage(WM_VSCROLL, MAKEWPARAM(up, 0), 0);
    for (int i = 0; i < -n; ++i)
        PostMessage(WM_VSCROLL, MAKEWPARAM(down, 0), 0);
    return CWnd::OnMouseWheel(flags, delta, screenPt);
}

bool CCellGrid::OnSetCursor(CWnd* wnd, UINT hitTest, UINT msg) {
    if (hitTest != 1) // HTCLIENT
        return CWnd::OnSetCursor(wnd, hitTest, msg);
    SetCursor(mouseMode == GMM_NEAR_ROW_EDGE   ? Cursor::SizeNS
              : mouseMode == GMM_NEAR_COL_EDGE ? Cursor::SizeWE
                                               : Cursor::Arrow);
    return TRUE;
}

void CCellGrid::OnCaptureChanged(CWnd* gaining) {
    if (gaining != this && autoScrollTimer != 0) {
        KillTimer(autoScrollTimer);
        autoScrollTimer = 0;
    }
}

} // namespace tnv
