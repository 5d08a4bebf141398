#include "grid/core/print_pages.h"
#include "grid/window/cell_grid.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace tnv {

namespace {

constexpr const char* MEASURE_TEXT = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
constexpr int MEASURE_CHARS = 52;

FontDesc printerFontDesc() {
    FontDesc f;
    f.height = -9;
    f.weight = FW_NORMAL;
    f.charSet = 1;
    f.outPrecision = 2;
    f.clipPrecision = 1;
    f.setFaceName("Times New Roman");
    return f;
}

FontDesc boldOf(const Font& font) {
    FontDesc f;
    font.GetLogFont(&f);
    f.weight = FW_BOLD;
    return f;
}

// Where a printed cell stands: its lines start one pixel back, over the neighbour's, except in
// the first column and on the first line of a band; the table's top row also gets a top line.
struct PrintedCellAt {
    bool firstCol, firstLine, topRow;
};

// The grid lines of one printed cell, whose corners `cell` gives inclusively.
void drawPrintLines(CDC& dc, int gridLines, const CellBox& cell, PrintedCellAt at) {
    if (gridLines == GRIDLINES_HORZ || gridLines == GRIDLINES_BOTH) {
        const int x0 = at.firstCol ? cell.left : cell.left - 1;
        dc.MoveTo(x0, cell.bottom);
        dc.LineTo(cell.right, cell.bottom);
        if (at.topRow) {
            dc.MoveTo(x0, cell.top);
            dc.LineTo(cell.right, cell.top);
        }
    }
    if (gridLines == GRIDLINES_VERT || gridLines == GRIDLINES_BOTH) {
        const int y0 = at.firstLine ? cell.top : cell.top - 1;
        dc.MoveTo(cell.right, y0);
        dc.LineTo(cell.right, cell.bottom);
        if (at.firstCol) {
            dc.MoveTo(cell.left, y0);
            dc.LineTo(cell.left, cell.bottom);
        }
    }
}

} // namespace

void CCellGrid::PrintBegin(CDC* dc, CPrintInfo* info) {
    if (!dc || !info || numRows == numFixedRows)
        return;
    printerFont.CreateFontIndirect(printerFontDesc());
    FontDesc old = dc->SelectFont(printerFont);
    Size ext = dc->GetTextExtent(std::string(MEASURE_TEXT, MEASURE_CHARS));
    printCharWidth = ext.cx / MEASURE_CHARS;
    printCharHeight = ext.cy;
    printerHeight = dc->GetDeviceCaps(VERTRES);
    printerWidth = dc->GetDeviceCaps(HORZRES);
    printPageWidth = GetContentWidth() + 8 * printCharWidth;
    printPageHeight = MulDiv(printPageWidth, printerHeight, printerWidth);
    printBodyHeight = printPageHeight - 6 * printCharHeight - GetFixedBandHeight();
    const std::vector<int> heights = GetBodyRowHeights();
    info->maxPage = printpages::CountPages(heights, printBodyHeight);
    info->currentPage = 1;
    dc->SelectFont(old);
}

void CCellGrid::PrintPage(CDC* dc, CPrintInfo* info) {
    // Nothing was measured for a grid without body rows: such a job prints no page content.
    if (!dc || !info || printerFont.IsNull() || printPageWidth <= 0 || printPageHeight <= 0 ||
        printerWidth <= 0 || printerHeight <= 0)
        return;
    const int cw = printCharWidth, ch = printCharHeight;
    const int W = printPageWidth, H = printPageHeight, B = printBodyHeight;
    FontDesc oldFont = dc->SelectFont(printerFont);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(W, H);
    dc->SetViewportExt(printerWidth, printerHeight);
    dc->SetWindowOrg(-4 * cw, 0);

    info->drawRect = Rect{0, 0, W - 8 * cw, 2 * ch};
    PrintPageHeader(dc, info);
    dc->OffsetWindowOrg(0, -2 * ch);
    dc->OffsetWindowOrg(0, -ch);

    info->drawRect.bottom = GetFixedBandHeight();
    PrintColumnTitles(dc, info);
    dc->OffsetWindowOrg(0, -GetFixedBandHeight());

    const std::vector<int> heights = GetBodyRowHeights();
    std::size_t first = printpages::FirstRowOfPage(heights, B, info->currentPage);
    if (first >= heights.size()) {
        dc->SetWindowOrg(0, 0);
        dc->SelectFont(oldFont);
        return;
    }
    std::size_t count = printpages::RowsOnPage(heights, B, first);
    int top = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int row = numFixedRows + int(first + i);
        const int bottom = top + heights[first + i] - 1;
        // Only a row taller than the whole body reaches below it; it is cut at the footer.
        int saved = dc->SaveDC();
        dc->IntersectClipRect(Rect{-4 * cw, top, W, std::max(top, B)});
        int left = 0;
        for (int c = 0; c < numCols; ++c) {
            const int right = left + GetColSize(c) - 1;
            CellBox rect{left, top, right, std::min(bottom, B - 1)};
            PaintCell(*dc, row, c, rect, FALSE);
            drawPrintLines(*dc, gridLines, CellBox{left, top, right, bottom},
                           {c == 0, i == 0, row == 0});
            left = right + 1;
        }
        dc->RestoreDC(saved);
        top = bottom + 1;
    }

    info->drawRect.bottom = 2 * ch;
    dc->SetWindowOrg(-4 * cw, 2 * ch - H);
    PrintPageFooter(dc, info);
    dc->SetWindowOrg(0, 0);
    dc->SelectFont(oldFont);
}

void CCellGrid::PrintEnd(CDC*, CPrintInfo*) {
    printerFont.DeleteObject();
}

void CCellGrid::PrintColumnTitles(CDC* dc, CPrintInfo* info) {
    if (!dc || !info)
        return;
    FontDesc oldFont = dc->SelectFont(printerFont);
    int top = 0;
    for (int f = 0; f < numFixedRows; ++f) {
        const int bottom = top + GetRowSize(f) - 1;
        int left = 0;
        for (int c = 0; c < numCols; ++c) {
            const int right = left + GetColSize(c) - 1;
            PaintFixedCell(*dc, f, c, CellBox{left, top, right, bottom}, FALSE);
            drawPrintLines(*dc, gridLines, CellBox{left, top, right, bottom},
                           {c == 0, f == 0, f == 0});
            left = right + 1;
        }
        top = bottom + 1;
    }
    dc->SelectFont(oldFont);
}

void CCellGrid::PrintPageHeader(CDC* dc, CPrintInfo* info) {
    if (!dc || !info)
        return;
    Rect r = info->drawRect;
    FontDesc oldFont = dc->SelectFont(boldOf(printerFont));
    int oldMode = dc->SetBkMode(TRANSPARENT);
    Rect box = r;
    dc->DrawText(printAppTitle, &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    box = r;
    dc->DrawText(PrintTitleAbove(this), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
    dc->SelectStockPen(StockObject::BlackPen);
    dc->MoveTo(r.left, r.bottom);
    dc->LineTo(r.right, r.bottom);
}

void CCellGrid::PrintPageFooter(CDC* dc, CPrintInfo* info) {
    if (!dc || !info)
        return;
    Rect r = info->drawRect;
    dc->MoveTo(r.left, r.top);
    dc->LineTo(r.right, r.top);
    FontDesc oldFont = dc->SelectFont(boldOf(printerFont));
    int oldMode = dc->SetBkMode(TRANSPARENT);
    r.OffsetRect(0, printCharHeight / 2);
    char page[64];
    std::snprintf(page, sizeof page, "Page %d of %d", info->currentPage, info->maxPage);
    Rect box = r;
    dc->DrawText(page, &box, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
    char when[128] = {};
    std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        std::strftime(when, sizeof when, "%c", local);
    box = r;
    dc->DrawText(when, &box, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    dc->SetBkMode(oldMode);
    dc->SelectFont(oldFont);
}

} // namespace tnv
