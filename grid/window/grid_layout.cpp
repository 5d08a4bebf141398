#include "grid/window/cell_grid.h"

#include <algorithm>
#include <climits>

namespace {

int capped(long long v) {
    return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

} // namespace

int CCellGrid::ReadScrollPos(int bar, BOOL track) const {
    SCROLLINFO si;
    if (!GetScrollInfo(bar, &si, track ? SIF_TRACKPOS : SIF_POS))
        return 0;
    return track ? si.nTrackPos : si.nPos;
}

int CCellGrid::WriteScrollPos(int bar, int pos, BOOL redraw) {
    return SetScrollPos(bar, pos, redraw);
}

CGridPos CCellGrid::GetFirstScrolledCell() const {
    long long hpos = ReadScrollPos(SB_HORZ);
    long long vpos = ReadScrollPos(SB_VERT);
    int c = numFixedCols;
    long long sum = 0;
    while (sum < hpos && c < numCols - 1)
        sum += colSizes[std::size_t(c++)];
    int r = numFixedRows;
    sum = 0;
    while (sum < vpos && r < numRows - 1)
        sum += rowSizes[std::size_t(r++)];
    return CGridPos(r, c);
}

CGridSpan CCellGrid::GetShownScrollableSpan(Rect* extent) const {
    CGridPos first = GetFirstScrolledCell();
    Rect client;
    GetClientRect(&client);
    long long y = GetFixedBandHeight();
    int r = first.row;
    for (; r < numRows; ++r) {
        y += rowSizes[std::size_t(r)];
        if (y >= client.bottom) {
            y = client.bottom;
            break;
        }
    }
    long long x = GetFixedBandWidth();
    int c = first.col;
    for (; c < numCols; ++c) {
        x += colSizes[std::size_t(c)];
        if (x >= client.right) {
            x = client.right;
            break;
        }
    }
    if (extent)
        *extent = Rect{0, 0, capped(x), capped(y)};
    return CGridSpan(first.row, first.col, std::min(r, numRows - 1), std::min(c, numCols - 1));
}

CGridSpan CCellGrid::GetFullyShownSpan() const {
    CGridPos first = GetFirstScrolledCell();
    Rect client;
    GetClientRect(&client);
    long long y = GetFixedBandHeight();
    int r = first.row;
    for (; r < numRows; ++r) {
        y += rowSizes[std::size_t(r)];
        if (y >= client.bottom)
            break;
    }
    r = std::min(r, numRows - 1);
    if (r > 0 && y > client.bottom)
        --r;
    long long x = GetFixedBandWidth();
    int c = first.col;
    for (; c < numCols; ++c) {
        x += colSizes[std::size_t(c)];
        if (x >= client.right)
            break;
    }
    c = std::min(c, numCols - 1);
    if (c > 0 && x > client.right)
        --c;
    return CGridSpan(first.row, first.col, r, c);
}

BOOL CCellGrid::GetCellCorner(int row, int col, Point* corner) const {
    if (!IsValidCell(row, col))
        return FALSE;
    CGridPos first = GetFirstScrolledCell();
    if ((row >= numFixedRows && row < first.row) || (col >= numFixedCols && col < first.col))
        return FALSE;
    int x = col < numFixedCols
                ? sumSizes(colSizes, 0, col)
                : capped((long long)GetFixedBandWidth() + sumSizes(colSizes, first.col, col));
    int y = row < numFixedRows
                ? sumSizes(rowSizes, 0, row)
                : capped((long long)GetFixedBandHeight() + sumSizes(rowSizes, first.row, row));
    if (corner)
        *corner = Point{x, y};
    return TRUE;
}

BOOL CCellGrid::GetCellBox(int row, int col, Rect* box) const {
    Point p;
    if (!GetCellCorner(row, col, &p))
        return FALSE;
    if (box)
        *box = Rect{p.x, p.y, capped((long long)p.x + GetColSize(col) - 1),
                    capped((long long)p.y + GetRowSize(row) - 1)};
    return TRUE;
}

CGridPos CCellGrid::CellAtPoint(Point p, BOOL includeFixed) const {
    CGridPos first = GetFirstScrolledCell();
    auto locate = [&](int v, int fixedCount, int count, int firstScrolled,
                      const std::vector<std::uint32_t>& sizes) {
        int band = sumSizes(sizes, 0, fixedCount);
        if (v < 0 || (!includeFixed && v < band))
            return -1;
        long long sum = 0;
        if (v < band) {
            for (int i = 0; i < fixedCount; ++i) {
                sum += sizes[std::size_t(i)];
                if (sum > v)
                    return i;
            }
            return -1;
        }
        sum = band;
        for (int i = firstScrolled; i < count; ++i) {
            sum += sizes[std::size_t(i)];
            if (sum > v)
                return i;
        }
        return -1;
    };
    return CGridPos(locate(p.y, numFixedRows, numRows, first.row, rowSizes),
                    locate(p.x, numFixedCols, numCols, first.col, colSizes));
}

BOOL CCellGrid::IsCellOnScreen(int row, int col) const {
    if (!hasWindow())
        return FALSE;
    Point corner;
    if (!GetCellCorner(row, col, &corner))
        return FALSE;
    Rect client;
    GetClientRect(&client);
    return corner.x < client.right && corner.y < client.bottom;
}

BOOL CCellGrid::InvalidateCellArea(const CGridPos& pos) {
    if (!hasWindow() || !drawEnabled || !IsCellOnScreen(pos.row, pos.col))
        return FALSE;
    Rect box;
    if (!GetCellBox(pos.row, pos.col, &box))
        return FALSE;
    Rect area{box.left, box.top, box.right + 1, box.bottom + 1};
    InvalidateRect(&area, TRUE);
    return TRUE;
}

void CCellGrid::RecalcScrollBars() {
    if (!drawEnabled || !hasWindow())
        return;
    Rect client;
    GetClientRect(&client);
    int bandW = GetFixedBandWidth();
    int bandH = GetFixedBandHeight();
    if (bandW >= client.right || bandH >= client.bottom)
        return;
    if (!IsValidSpan(GetFullyShownSpan()))
        return;
    int hPage = client.right - bandW;
    int vPage = client.bottom - bandH;
    SCROLLINFO si;
    si.fMask = SIF_PAGE;
    si.nPage = UINT(hPage);
    SetScrollInfo(SB_HORZ, si, FALSE);
    si.nPage = UINT(vPage);
    SetScrollInfo(SB_VERT, si, FALSE);
    long long scrollH = (long long)GetContentHeight() - bandH;
    long long scrollW = (long long)GetContentWidth() - bandW;
    vScrollMax = vPage < scrollH ? capped(scrollH - 1) : 0;
    hScrollMax = hPage < scrollW ? capped(scrollW - 1) : 0;
    SetScrollRange(SB_VERT, 0, vScrollMax, TRUE);
    SetScrollRange(SB_HORZ, 0, hScrollMax, TRUE);
}

// One scroll message for either bar; the vertical and horizontal handlers are twins. Longer than
// most: one case per scroll code, each a few lines over the band and page geometry worked out
// once at the top, which split-out helpers would have to be handed piece by piece.
void CCellGrid::scrollBy(int bar, UINT code) {
    if (GetFocus() != this)
        SetFocus();
    bool vert = bar == SB_VERT;
    int pos = ReadScrollPos(bar, FALSE);
    CGridPos first = GetFirstScrolledCell();
    int c0 = vert ? first.row : first.col;
    int fixedCount = vert ? numFixedRows : numFixedCols;
    int scrollMax = vert ? vScrollMax : hScrollMax;
    Rect client;
    GetClientRect(&client);
    int band = vert ? GetFixedBandHeight() : GetFixedBandWidth();
    int extent = vert ? client.bottom : client.right;
    int page = extent - band;
    // The part of the client area beyond the fixed band, and a strip of it.
    auto beyondBand = [&]() {
        return vert ? Rect{0, band, client.right, client.bottom}
                    : Rect{band, 0, client.right, client.bottom};
    };
    auto size = [&](int i) { return vert ? GetRowSize(i) : GetColSize(i); };

    switch (code) {
    case SB_LINEDOWN: {
        if (pos >= scrollMax)
            break;
        int step = size(c0);
        WriteScrollPos(bar, pos + step, TRUE);
        if (ReadScrollPos(bar, FALSE) == pos)
            break;
        Rect moving = vert ? Rect{0, band + step, client.right, client.bottom}
                           : Rect{band + step, 0, client.right, client.bottom};
        Rect clip = beyondBand();
        if (vert)
            ScrollWindow(0, -step, &moving, &clip);
        else
            ScrollWindow(-step, 0, &moving, &clip);
        Rect strip = vert ? Rect{0, client.bottom - step, client.right, client.bottom}
                          : Rect{client.right - step, 0, client.right, client.bottom};
        InvalidateRect(&strip, TRUE);
        break;
    }
    case SB_LINEUP: {
        if (pos <= 0 || c0 <= fixedCount)
            break;
        int step = size(c0 - 1);
        WriteScrollPos(bar, std::max(0, pos - step), TRUE);
        Rect moving = beyondBand();
        Rect clip = beyondBand();
        if (vert)
            ScrollWindow(0, step, &moving, &clip);
        else
            ScrollWindow(step, 0, &moving, &clip);
        Rect strip = vert ? Rect{0, band, client.right, band + step}
                          : Rect{band, 0, band + step, client.bottom};
        InvalidateRect(&strip, TRUE);
        break;
    }
    case SB_PAGEDOWN: {
        if (pos >= scrollMax)
            break;
        WriteScrollPos(bar, int(std::min<long long>(scrollMax, (long long)pos + page)), TRUE);
        Rect r = beyondBand();
        InvalidateRect(&r, TRUE);
        break;
    }
    case SB_PAGEUP: {
        if (pos <= 0)
            break;
        WriteScrollPos(bar, int(std::max<long long>(0, (long long)pos - page)), TRUE);
        Rect r = beyondBand();
        InvalidateRect(&r, TRUE);
        break;
    }
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        WriteScrollPos(bar, ReadScrollPos(bar, TRUE), TRUE);
        if (!(GetFirstScrolledCell() == first)) {
            Rect r = beyondBand();
            InvalidateRect(&r, TRUE);
        }
        break;
    }
    case SB_TOP:
        if (pos > 0) {
            WriteScrollPos(bar, 0, TRUE);
            Invalidate(TRUE);
        }
        break;
    case SB_BOTTOM:
        if (pos < scrollMax) {
            WriteScrollPos(bar, scrollMax, TRUE);
            Invalidate(TRUE);
        }
        break;
    default:
        break;
    }
}

void CCellGrid::OnHScroll(UINT code, UINT) {
    scrollBy(SB_HORZ, code);
}
void CCellGrid::OnVScroll(UINT code, UINT) {
    scrollBy(SB_VERT, code);
}

void CCellGrid::BringCellIntoView(int row, int col) {
    if (!hasWindow())
        return;
    CGridSpan shown = GetShownScrollableSpan();
    for (int n = col - shown.maxCol; n > 0; --n)
        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    for (int n = shown.minCol - col; n > 0; --n)
        SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    for (int n = row - shown.maxRow; n > 0; --n)
        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    for (int n = shown.minRow - row; n > 0; --n)
        SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    Rect box;
    Rect client;
    GetClientRect(&client);
    if (GetCellBox(row, col, &box)) {
        if (box.right > client.right)
            SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
        if (box.bottom > client.bottom)
            SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    }
}

Size CCellGrid::MeasureCell(int row, int col, Surface& dc) {
    FontDesc font = *GetCellFont(row, col);
    if (isFixed(row, col))
        font.weight = FW_SEMIBOLD;
    FontDesc old = dc.SelectFont(font);
    Size ext = dc.GetTextExtent(GetCellText(row, col));
    dc.SelectFont(old);
    // No image list is ever attached, so cells have no image extent.
    return Size{ext.cx + 4 * cellMargin, ext.cy + 2 * cellMargin};
}

BOOL CCellGrid::FitColumnWidth(int col) {
    if (col < 0 || col >= numCols)
        return FALSE;
    std::unique_ptr<Surface> dc = GetDC();
    if (!dc)
        return FALSE;
    int width = 0;
    for (int r = 0; r < numRows; ++r)
        width = std::max(width, MeasureCell(r, col, *dc).cx);
    dc.reset();
    SetColSize(col, width);
    RecalcScrollBars();
    return TRUE;
}

BOOL CCellGrid::FitRowHeight(int row) {
    if (row < 0 || row >= numRows)
        return FALSE;
    std::unique_ptr<Surface> dc = GetDC();
    if (!dc)
        return FALSE;
    int height = 0;
    for (int c = 0; c < numCols; ++c)
        height = std::max(height, MeasureCell(row, c, *dc).cy);
    dc.reset();
    SetRowSize(row, height);
    RecalcScrollBars();
    return TRUE;
}
