#include "grid/window/cell_grid.h"

#include "platform/base/contrast.h"
#include "platform/draw/syscolors.h"

#include <algorithm>

namespace tnv {

namespace {

// Paints through an off-screen image the size of the clip box and copies it onto the target
// in one block when it goes out of scope.
class CBufferedDC {
public:
    explicit CBufferedDC(CDC& target) : target_(target) {
        if (!target.GetClipBox(&clip_) || clip_.IsRectEmpty())
            return;
        buffer_ = target.CreateCompatible(clip_.Width(), clip_.Height());
        if (buffer_)
            buffer_->SetWindowOrg(clip_.left, clip_.top);
    }
    ~CBufferedDC() {
        if (buffer_)
            target_.BitBlt(clip_.left, clip_.top, clip_.Width(), clip_.Height(), *buffer_,
                           clip_.left, clip_.top);
    }
    CDC& surface() { return buffer_ ? *buffer_ : target_; }

private:
    CDC& target_;
    Rect clip_;
    std::unique_ptr<CDC> buffer_;
};

} // namespace

void CCellGrid::OnPaint(CDC& dc) {
    if (doubleBuffered) {
        CBufferedDC buffered(dc);
        PaintGrid(buffered.surface());
    } else {
        PaintGrid(dc);
    }
}

bool CCellGrid::OnEraseBkgnd(CDC&) {
    return TRUE;
}

void CCellGrid::FillBackground(CDC& dc) {
    Rect k;
    if (!dc.GetClipBox(&k))
        return;
    int bandH = GetFixedBandHeight();
    int bandW = GetFixedBandWidth();
    Rect shown;
    GetShownScrollableSpan(&shown);
    if (k.left < bandW && k.top < shown.bottom)
        dc.FillSolidRect(Rect{k.left, k.top, bandW, shown.bottom}, fixedBackColor);
    if (k.top < bandH && k.right > bandW && k.left < shown.right)
        dc.FillSolidRect(Rect{bandW - 1, k.top, shown.right, bandH}, fixedBackColor);
    Rect cells{std::max({shown.left, k.left, bandW}), std::max({shown.top, k.top, bandH}),
               std::min(shown.right, k.right), std::min(shown.bottom, k.bottom)};
    if (!cells.IsRectEmpty())
        dc.FillSolidRect(cells, cellBackColor);
    if (shown.right < k.right)
        dc.FillSolidRect(Rect{shown.right, k.top, k.right, k.bottom}, gridBackColor);
    if (shown.bottom < k.bottom && k.left < shown.right)
        dc.FillSolidRect(Rect{k.left, shown.bottom, shown.right, k.bottom}, gridBackColor);
}

void CCellGrid::PaintGrid(CDC& dc) {
    Rect clip;
    if (!dc.GetClipBox(&clip))
        return;
    FillBackground(dc);
    int bandH = GetFixedBandHeight();
    int bandW = GetFixedBandWidth();
    Rect shownRect;
    CGridSpan shown = GetShownScrollableSpan(&shownRect);

    // Corner cells: always painted, there are few.
    int y = 0;
    for (int r = 0; r < numFixedRows; ++r) {
        int h = GetRowSize(r);
        int x = 0;
        for (int c = 0; c < numFixedCols; ++c) {
            int w = GetColSize(c);
            PaintFixedCell(dc, r, c, CellBox{x, y, x + w - 1, y + h - 1}, FALSE);
            x += w;
        }
        y += h;
    }

    // Walks rows r0..r1 from y0 and columns c0..c1 from x0, painting what meets the clip box.
    auto paintBlock = [&](int r0, int r1, int y0, int c0, int c1, int x0, bool fixed) {
        int top = y0;
        for (int r = r0; r <= r1; ++r) {
            int h = GetRowSize(r);
            if (top > clip.bottom)
                break;
            int bottom = top + h - 1;
            if (bottom >= clip.top) {
                int left = x0;
                for (int c = c0; c <= c1; ++c) {
                    int w = GetColSize(c);
                    if (left > clip.right)
                        break;
                    int right = left + w - 1;
                    if (right >= clip.left) {
                        CellBox rect{left, top, right, bottom};
                        if (fixed)
                            PaintFixedCell(dc, r, c, rect, FALSE);
                        else
                            PaintCell(dc, r, c, rect, FALSE);
                    }
                    left += w;
                }
            }
            top += h;
        }
    };
    bool haveRows = shown.minRow <= shown.maxRow && shown.minRow < numRows;
    bool haveCols = shown.minCol <= shown.maxCol && shown.minCol < numCols;
    if (haveRows)
        paintBlock(shown.minRow, shown.maxRow, bandH, 0, numFixedCols - 1, 0, true);
    if (haveCols)
        paintBlock(0, numFixedRows - 1, 0, shown.minCol, shown.maxCol, bandW, true);
    if (haveRows && haveCols)
        paintBlock(shown.minRow, shown.maxRow, bandH, shown.minCol, shown.maxCol, bandW, false);

    Pen old = dc.SelectPen(Pen{PS_SOLID, 0, gridLineColor});
    if (haveCols && (gridLines == GRIDLINES_VERT || gridLines == GRIDLINES_BOTH)) {
        int x = bandW;
        for (int c = shown.minCol; c <= shown.maxCol; ++c) {
            x += GetColSize(c);
            dc.MoveTo(x - 1, bandH);
            dc.LineTo(x - 1, shownRect.bottom);
        }
    }
    if (haveRows && (gridLines == GRIDLINES_HORZ || gridLines == GRIDLINES_BOTH)) {
        int yy = bandH;
        for (int r = shown.minRow; r <= shown.maxRow; ++r) {
            yy += GetRowSize(r);
            dc.MoveTo(bandW, yy - 1);
            dc.LineTo(shownRect.right, yy - 1);
        }
    }
    dc.SelectPen(old);
    dc.SelectStockPen(StockObject::NullPen);
}

// A cell's own text colour; on a background of its own without one, black or white, whichever
// reads better (the grid's text colour goes with the desktop's background, which may be dark);
// else the grid's.
static COLORREF textColorOf(const GRIDCELLINFO& info, COLORREF gridText) {
    if (info.textColor != CLR_DEFAULT)
        return info.textColor;
    if (info.backColor != CLR_DEFAULT)
        return contrast::textOn(info.backColor);
    return gridText;
}

// Margin, text and the restore, shared by normal and fixed cells. Texts are shown as they are:
// an ampersand is a character of the text, not a mnemonic prefix.
static void drawCellText(CDC& dc, const std::string& text, UINT format, CellBox rect, int margin) {
    rect.left += margin;
    rect.right -= margin;
    dc.PaintText(text, rect.Area(), format | DT_NOPREFIX);
}

BOOL CCellGrid::PaintCell(CDC& dc, int row, int col, CellBox rect, BOOL) {
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = GCIF_TEXT | GCIF_IMAGE | GCIF_STATE | GCIF_BACKCOLOR | GCIF_TEXTCOLOR | GCIF_FORMAT;
    if (!drawEnabled || !GetCellInfo(&info))
        return FALSE;
    COLORREF back = info.backColor == CLR_DEFAULT ? cellBackColor : info.backColor;
    COLORREF text = textColorOf(info, cellTextColor);
    bool printing = dc.IsPrinting();
    if (printing && info.backColor == CLR_DEFAULT && cellBackColor == sysColors[1]) {
        // The desktop's background is the screen's look, not ink: a dark theme would print
        // pages of dark grey. The paper's white stands in for it.
        back = RGB(255, 255, 255);
        if (info.textColor == CLR_DEFAULT)
            text = contrast::readableOn(cellTextColor, back);
    }
    int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    // The frame of the current or outlined cell: black, or white on a dark background, where
    // black would not show.
    auto frame = [&](COLORREF under) {
        Pen oldPen = dc.SelectPen(Pen{PS_SOLID, 0, contrast::textOn(under)});
        Brush oldBrush = dc.SelectStockBrush(StockObject::NullBrush);
        dc.Rectangle(rect.Inside());
        dc.SelectPen(oldPen);
        dc.SelectBrush(oldBrush);
    };
    COLORREF filled = back;
    if (!printing && (info.state & GCS_CURRENT)) {
        dc.FillSolidRect(rect.Area(), back);
        frame(back);
        dc.SetTextColor(text);
        rect.Deflate(1);
    } else if (!printing && (info.state & GCS_PICKED)) {
        filled = GetSysColor(COLOR_HIGHLIGHT);
        dc.FillSolidRect(rect.Area(), filled);
        dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        dc.FillSolidRect(rect.Area(), back);
        dc.SetTextColor(text);
    }
    if (!printing && (info.state & GCS_OUTLINED))
        frame(filled);
    dc.SelectFont(*GetCellFont(row, col));
    drawCellText(dc, info.text, info.format, rect, cellMargin);
    dc.RestoreDC(saved);
    return TRUE;
}

BOOL CCellGrid::PaintFixedCell(CDC& dc, int row, int col, CellBox rect, BOOL) {
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = GCIF_TEXT | GCIF_IMAGE | GCIF_BACKCOLOR | GCIF_TEXTCOLOR | GCIF_FORMAT;
    if (!drawEnabled || !GetCellInfo(&info))
        return FALSE;
    COLORREF text = textColorOf(info, fixedTextColor);
    if (!dc.IsPrinting()) {
        dc.FillSolidRect(rect.Inside(),
                         info.backColor == CLR_DEFAULT ? fixedBackColor : info.backColor);
    } else if (info.textColor == CLR_DEFAULT) {
        // Unfilled on paper: the desktop's light text of a dark theme would vanish there.
        text = contrast::readableOn(fixedTextColor, RGB(255, 255, 255));
    }
    int saved = dc.SaveDC();
    dc.SetTextColor(text);
    FontDesc font = *GetCellFont(row, col);
    bool inFocusLine =
        IsValidCell(currentCell) && (row == currentCell.row || col == currentCell.col);
    if (row == currentCell.row || col == currentCell.col)
        font.weight = FW_SEMIBOLD;
    if (inFocusLine) {
        Rect edge = rect.Area();
        dc.DrawEdge(&edge, BDR_SUNKENINNER, BF_RECT);
    } else {
        Pen old = dc.SelectPen(Pen{PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)});
        dc.MoveTo(rect.right, rect.top);
        dc.LineTo(rect.left, rect.top);
        dc.LineTo(rect.left, rect.bottom);
        dc.SelectPen(Pen{PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW)});
        dc.MoveTo(rect.right, rect.top);
        dc.LineTo(rect.right, rect.bottom);
        dc.LineTo(rect.left, rect.bottom);
        dc.SelectPen(old);
    }
    rect.Deflate(1);
    dc.SetBkMode(TRANSPARENT);
    dc.SelectFont(font);
    drawCellText(dc, info.text, info.format, rect, cellMargin);
    dc.RestoreDC(saved);
    return TRUE;
}

BOOL CCellGrid::RepaintCell(int row, int col, CDC* dc) {
    CellBox box;
    if (!drawEnabled || !IsCellOnScreen(row, col) || !GetCellBox(row, col, &box))
        return FALSE;
    std::unique_ptr<CDC> own;
    if (!dc) {
        own = GetDC();
        if (!own) {
            Rect area = box.Area();
            InvalidateRect(&area, TRUE);
            return TRUE;
        }
        dc = own.get();
    }
    if (isFixed(row, col))
        return PaintFixedCell(*dc, row, col, box, TRUE);
    BOOL ok = PaintCell(*dc, row, col, box, TRUE);
    Pen old = dc->SelectPen(Pen{PS_SOLID, 0, gridLineColor});
    if (gridLines == GRIDLINES_HORZ || gridLines == GRIDLINES_BOTH) {
        dc->MoveTo(box.left, box.bottom);
        dc->LineTo(box.right + 1, box.bottom);
    }
    if (gridLines == GRIDLINES_VERT || gridLines == GRIDLINES_BOTH) {
        dc->MoveTo(box.right, box.top);
        dc->LineTo(box.right, box.bottom + 1);
    }
    dc->SelectPen(old);
    return ok;
}

BOOL CCellGrid::RepaintColumn(int col) {
    std::unique_ptr<CDC> dc = GetDC();
    BOOL all = TRUE;
    for (int r = 0; r < numRows; ++r)
        if (!RepaintCell(r, col, dc.get()))
            all = FALSE;
    return all;
}

} // namespace tnv
