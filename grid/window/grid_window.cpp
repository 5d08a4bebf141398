#include "grid/window/cell_grid.h"

#include "platform/base/msgbox.h"
#include "platform/draw/syscolors.h"

#include <new>
#include <stdexcept>

namespace tnv {

namespace {

// One guard for every grid: a size change delivered while a grid handles one is ignored.
bool sizeGuard = false;

// The desktop's colours and message font, handed to the table before it makes its cells so that
// they take this font.
GridLook desktopLook() {
    GridLook look;
    look.windowText = GetSysColor(COLOR_WINDOWTEXT);
    look.window = GetSysColor(COLOR_WINDOW);
    look.buttonFace = GetSysColor(COLOR_BTNFACE);
    look.buttonShadow = GetSysColor(COLOR_BTNSHADOW);
    look.font = SystemMessageFont();
    return look;
}

} // namespace

CCellGrid::CCellGrid(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : CellGridCore(desktopLook(), nRows, nCols, nFixedRows, nFixedCols) {
    if (!IsWndClassRegistered(GRID_CLASS_NAME)) {
        WndClassInfo cls;
        cls.name = GRID_CLASS_NAME;
        cls.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        cls.backgroundSysColor = COLOR_3DFACE;
        cls.cursor = Cursor::Arrow;
        if (!RegisterWndClass(cls))
            throw std::runtime_error("cannot register the grid's window class");
    }
    sysColors[0] = cellTextColor;
    sysColors[1] = cellBackColor;
    sysColors[2] = fixedBackColor;
    sysColors[3] = gridBackColor;
    wheelLines = GetWheelScrollLines();
}

CCellGrid::~CCellGrid() {
    // The window goes first: a grid being deleted sends its owner no more notifications.
    DestroyWindow();
    ClearGrid();
}

LRESULT CCellGrid::NotifyParent(int row, int col, int code) {
    if (!hasWindow())
        return 0;
    CWnd* owner = GetOwner();
    if (!owner || !owner->hasWindow())
        return 0;
    NMGRIDCELL nm;
    nm.hdr.hwndFrom = this;
    nm.hdr.idFrom = GetDlgCtrlID();
    nm.hdr.code = code;
    nm.row = row;
    nm.col = col;
    return owner->SendMessage(WM_NOTIFY, GetDlgCtrlID(), reinterpret_cast<MsgParam>(&nm));
}

void CCellGrid::PostClickNotification() {
    if (!hasWindow())
        return;
    CWnd* owner = GetOwner();
    if (!owner || !owner->hasWindow())
        return;
    CWnd* self = this;
    owner->PostMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), reinterpret_cast<MsgParam>(self));
}

void CCellGrid::onLayoutChanged(LayoutChange what) {
    switch (what) {
    case LayoutChange::Counts:
        if (hasWindow() && drawEnabled) {
            RecalcScrollBars();
            Invalidate(TRUE);
        }
        break;
    case LayoutChange::FixedCounts:
        if (hasWindow() && drawEnabled)
            Invalidate(TRUE);
        break;
    case LayoutChange::Cleared:
        RecalcScrollBars();
        break;
    case LayoutChange::RowsMoved:
        break;
    }
    accessible::layoutChanged(*this);
}

void CCellGrid::onTextChanged(int row, int col) {
    accessible::textChanged(*this, row, col);
}

void CCellGrid::onCurrentMoved(int row, int col) {
    accessible::currentMoved(*this, row, col);
}

void CCellGrid::onSelectionChanged() {
    accessible::selectionChanged(*this);
}

void CCellGrid::redrawCell(int row, int col) {
    RepaintCell(row, col);
}

void CCellGrid::redrawCells(const std::vector<CGridPos>& cells, bool now) {
    // One surface for the whole batch when drawing at once.
    std::unique_ptr<CDC> dc;
    if (now && hasWindow() && drawEnabled)
        dc = GetDC();
    for (const CGridPos& pos : cells) {
        if (now)
            RepaintCell(pos.row, pos.col, dc.get());
        else
            InvalidateCellArea(pos);
    }
}

void CCellGrid::redrawAll() {
    if (hasWindow())
        Invalidate(TRUE);
}

void CCellGrid::sortBusy(bool busy) {
    if (busy)
        CWnd::BeginWaitCursor();
    else
        CWnd::EndWaitCursor();
}

BOOL CCellGrid::CreateGrid(const Rect& rect, CWnd* parent, UINT id, DWORD style) {
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
    std::unique_ptr<CDC> dc = GetDC();
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

void CCellGrid::OnSetFont(const FontDesc* font, bool redraw) {
    CWnd::OnSetFont(font, redraw);
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
    CWnd::OnSize(type, cx, cy);
    RecalcScrollBars();
    sizeGuard = false;
}

void CCellGrid::OnSysColorChange() {
    CWnd::OnSysColorChange();
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

} // namespace tnv
