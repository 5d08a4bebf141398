#include "grid/cell_grid.h"

#include "platform/msgbox.h"
#include "platform/syscolors.h"

#include <new>

namespace {

// One guard for every grid: a size change delivered while a grid handles one is ignored.
bool sizeGuard = false;

} // namespace

BOOL CCellGrid::CreateGrid(const Rect& rect, Wnd* parent, UINT id, DWORD style) {
    // Before the window exists, so a screen reader never sees it as a blank widget.
    accessible::enableTables();
    if (!Create(GRID_CLASS_NAME, "", style, rect, parent, id))
        return FALSE;
    try {
        rowSizes.resize(std::size_t(numRows));
        colSizes.resize(std::size_t(numCols));
    } catch (const std::bad_alloc&) {
        MessageBox("Out of memory while creating the grid.", "Grid", MB_OK | MB_ICONERROR);
        return FALSE;
    }
    for (auto& h : rowSizes)
        h = std::uint32_t(defaultRowSize);
    for (auto& w : colSizes)
        w = std::uint32_t(defaultColSize);
    RecalcScrollBars();
    return TRUE;
}

int CCellGrid::OnCreate() {
    PreSubclassWindow();
    return 0;
}

void CCellGrid::PreSubclassWindow() {
    applyFont(gridFont);
    RecalcScrollBars();
}

void CCellGrid::applyFont(const FontDesc& font) {
    gridFont = font;
    for (auto& cells : rowStore) {
        if (!cells)
            continue;
        for (auto& cell : *cells)
            if (cell)
                cell->font = gridFont;
    }
    std::unique_ptr<Surface> dc = GetDC();
    if (dc) {
        windowFont.CreateFontIndirect(gridFont);
        dc->SelectFont(windowFont);
        TEXTMETRIC tm;
        dc->GetTextMetrics(&tm);
        cellMargin = dc->GetTextExtent(" ").cx;
        defaultRowSize = tm.tmHeight + tm.tmExternalLeading + 2 * cellMargin;
        defaultColSize = 2 * (cellMargin + 6 * tm.tmAveCharWidth);
    }
    if (hasWindow())
        Invalidate(TRUE);
}

void CCellGrid::OnSetFont(const FontDesc* font, BOOL redraw) {
    Wnd::OnSetFont(font, redraw);
    if (font)
        applyFont(*font);
}

const FontDesc* CCellGrid::OnGetFont() {
    return windowFont.desc();
}

void CCellGrid::OnSize(UINT type, int cx, int cy) {
    if (!hasWindow() || sizeGuard)
        return;
    sizeGuard = true;
    SetFocus();
    Wnd::OnSize(type, cx, cy);
    RecalcScrollBars();
    sizeGuard = false;
}

void CCellGrid::OnSysColorChange() {
    Wnd::OnSysColorChange();
    COLORREF now[4] = {GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
                       GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW)};
    if (cellTextColor == sysColors[0])
        cellTextColor = now[0];
    if (cellBackColor == sysColors[1])
        cellBackColor = now[1];
    if (gridBackColor == sysColors[3])
        gridBackColor = now[3];
    if (fixedTextColor == sysColors[0])
        fixedTextColor = now[0];
    if (fixedBackColor == sysColors[2])
        fixedBackColor = now[2];
    for (int i = 0; i < 4; ++i)
        sysColors[i] = now[i];
    Invalidate(TRUE);
}
