#include "grid/window/cell_grid.h"

#include <algorithm>
#include <climits>

namespace tnv {

namespace {

int capped(long long v) {
    return int(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The first scrolled row (or column) at a scroll position: the one the position has reached.
int firstScrolled(const std::vector<std::uint32_t>& sizes, int fixedCount, int count,
                  long long pos) {
    int i = fixedCount;
    for (long long sum = 0; sum < pos && i < count - 1;)
        sum += sizes[std::size_t(i++)];
    return i;
}

// How far rows (or columns) from `first` on reach from `start` towards `limit`: the one that
// reaches it (or `count` when none does) and where that one ends.
struct Reach {
    int last;
    long long end;
};
Reach reachFrom(const std::vector<std::uint32_t>& sizes, int first, int count, long long start,
                int limit) {
    Reach reach{first, start};
    for (; reach.last < count; ++reach.last) {
        reach.end += sizes[std::size_t(reach.last)];
        if (reach.end >= limit)
            break;
    }
    return reach;
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
    return CGridPos(firstScrolled(rowSizes, numFixedRows, numRows, ReadScrollPos(SB_VERT)),
                    firstScrolled(colSizes, numFixedCols, numCols, ReadScrollPos(SB_HORZ)));
}

CGridSpan CCellGrid::GetShownScrollableSpan(Rect* extent) const {
    CGridPos first = GetFirstScrolledCell();
    Rect client;
    GetClientRect(&client);
    Reach down = reachFrom(rowSizes, first.row, numRows, GetFixedBandHeight(), client.bottom);
    Reach across = reachFrom(colSizes, first.col, numCols, GetFixedBandWidth(), client.right);
    if (extent)
        *extent = Rect{0, 0, capped(std::min<long long>(across.end, client.right)),
                       capped(std::min<long long>(down.end, client.bottom))};
    return CGridSpan(first.row, first.col, std::min(down.last, numRows - 1),
                     std::min(across.last, numCols - 1));
}

CGridSpan CCellGrid::GetFullyShownSpan() const {
    CGridPos first = GetFirstScrolledCell();
    Rect client;
    GetClientRect(&client);
    // The last row or column that reaches the edge, one back when it is cut by it.
    auto lastWhole = [](Reach reach, int count, int limit) {
        int last = std::min(reach.last, count - 1);
        return last > 0 && reach.end > limit ? last - 1 : last;
    };
    int r = lastWhole(reachFrom(rowSizes, first.row, numRows, GetFixedBandHeight(), client.bottom),
                      numRows, client.bottom);
    int c = lastWhole(reachFrom(colSizes, first.col, numCols, GetFixedBandWidth(), client.right),
                      numCols, client.right);
    return CGridSpan(first.row, first.col, r, c);
}

BOOL CCellGrid::GetCellCorner(int row, int col, Point* corner) const {
    if (!IsValidCell(row, col))
        return FALSE;
    CGridPos first = GetFirstScrolledCell();
    if ((row >= numFixedRows && row < first.row) || (col >= numFixedCols && col < first.col))
        return FALSE;
    // Fixed ones count from the edge, scrolled ones from the fixed band on.
    auto offset = [](const std::vector<std::uint32_t>& sizes, int i, int fixedCount, int first) {
        return i < fixedCount
                   ? sumSizes(sizes, 0, i)
                   : capped((long long)sumSizes(sizes, 0, fixedCount) + sumSizes(sizes, first, i));
    };
    if (corner)
        *corner = Point{offset(colSizes, col, numFixedCols, first.col),
                        offset(rowSizes, row, numFixedRows, first.row)};
    return TRUE;
}

BOOL CCellGrid::GetCellBox(int row, int col, CellBox* box) const {
    Point p;
    if (!GetCellCorner(row, col, &p))
        return FALSE;
    if (box)
        *box = CellBox{p.x, p.y, capped((long long)p.x + GetColSize(col) - 1),
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
    CellBox box;
    if (!GetCellBox(pos.row, pos.col, &box))
        return FALSE;
    Rect area = box.Area();
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
    CellBox box;
    Rect client;
    GetClientRect(&client);
    if (GetCellBox(row, col, &box)) {
        if (box.right > client.right)
            SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
        if (box.bottom > client.bottom)
            SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    }
}

Size CCellGrid::MeasureCell(int row, int col, CDC& dc) {
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
    return fitSize(Axis::Cols, col);
}
BOOL CCellGrid::FitRowHeight(int row) {
    return fitSize(Axis::Rows, row);
}

// A column as wide as its widest cell, or a row as high as its highest.
BOOL CCellGrid::fitSize(Axis axis, int index) {
    const bool rows = axis == Axis::Rows;
    if (index < 0 || index >= (rows ? numRows : numCols))
        return FALSE;
    std::unique_ptr<CDC> dc = GetDC();
    if (!dc)
        return FALSE;
    int size = 0;
    for (int i = 0; i < (rows ? numCols : numRows); ++i) {
        Size cell = rows ? MeasureCell(index, i, *dc) : MeasureCell(i, index, *dc);
        size = std::max(size, rows ? cell.cy : cell.cx);
    }
    dc.reset();
    if (rows)
        SetRowSize(index, size);
    else
        SetColSize(index, size);
    RecalcScrollBars();
    return TRUE;
}

} // namespace tnv
