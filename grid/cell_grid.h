// CCellGrid: a self-drawn table of text cells with fixed (header) rows and columns, per-cell
// colours, fonts and data words, selection and sorting.
//
// The grid is usable without a window: counts, sizes, cells, selection and sorting all work on a
// grid that was never created (nothing is painted and no notification is sent then). CreateGrid
// gives it its window. One class, split over several files by concern:
//   grid_model.cpp      counts, cells, attributes, modified flags
//   grid_layout.cpp     geometry, hit test, scroll bars and scrolling, fitting to content
//   grid_paint.cpp      painting
//   grid_selection.cpp  current cell, selection, notifications
//   grid_sort.cpp       sorting rows
//   grid_window.cpp     window creation, fonts, system colours, the window's handlers
//   grid_access.cpp     what screen readers are told about the cells
#pragma once

#include "grid/grid_records.h"
#include "platform/accessible.h"
#include "platform/frame.h"
#include "platform/print.h"
#include "platform/surface.h"
#include "platform/wnd.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using CGridRowCells = std::vector<std::unique_ptr<CGridEntry>>;

// Pointer modes of the mouse handling.
enum GridMouseMode {
    GMM_IDLE,
    GMM_PICK_ALL,
    GMM_PICK_COLS,
    GMM_PICK_ROWS,
    GMM_PICK_CELLS,
    GMM_NEAR_COL_EDGE,
    GMM_NEAR_ROW_EDGE,
    GMM_SIZE_COL,
    GMM_SIZE_ROW,
    GMM_CLICK_CURRENT,
};

constexpr const char* GRID_CLASS_NAME = "TnvCellGrid";

// The clipboard data of a copy: the text as one block ending in a zero byte.
struct CGridDataSource {
    std::string block;
};
// What a paste reads: whether plain text was offered, and its bytes.
struct CGridDataObject {
    bool hasText = false;
    std::string text;
};

class CCellGrid : public Wnd, public CmdTarget, public AccessibleTable {
public:
    CCellGrid(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CCellGrid() override;

    // The window; style as given (child + visible + border + tab stop for the programs).
    BOOL CreateGrid(const Rect& rect, Wnd* parent, UINT id,
                    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP);

    // --- counts and sizes -------------------------------------------------------------------
    BOOL SetNumRows(int n);
    BOOL SetNumCols(int n);
    BOOL SetNumFixedRows(int n);
    BOOL SetNumFixedCols(int n);
    int GetNumRows() const { return numRows; }
    int GetNumCols() const { return numCols; }
    int GetNumFixedRows() const { return numFixedRows; }
    int GetNumFixedCols() const { return numFixedCols; }
    BOOL ClearGrid();
    int GetRowSize(int row) const;
    int GetColSize(int col) const;
    BOOL SetRowSize(int row, int pixels);
    BOOL SetColSize(int col, int pixels);
    int GetDefaultRowSize() const { return defaultRowSize; }
    int GetDefaultColSize() const { return defaultColSize; }
    int GetCellMargin() const { return cellMargin; }

    // --- cells ------------------------------------------------------------------------------
    BOOL IsValidCell(int row, int col) const;
    BOOL IsValidCell(const CGridPos& pos) const { return IsValidCell(pos.row, pos.col); }
    BOOL IsValidSpan(const CGridSpan& span) const;
    BOOL SetCellInfo(const GRIDCELLINFO* info);
    BOOL GetCellInfo(GRIDCELLINFO* info);
    BOOL SetCellText(int row, int col, const std::string& text);
    virtual std::string GetCellText(int row, int col);
    int GetCellImage(int row, int col) const;
    BOOL SetCellState(int row, int col, UINT state);
    UINT GetCellState(int row, int col) const;
    UINT GetCellFormat(int row, int col) const;
    BOOL SetCellBackColor(int row, int col, COLORREF color);
    BOOL SetCellFont(int row, int col, const LOGFONT* font);
    const LOGFONT* GetCellFont(int row, int col) const;
    LPARAM GetCellData(int row, int col) const;
    // The cell's text cut to maxLen bytes, in a buffer shared by every grid; valid until the
    // next call.
    const char* CopyCellText(int row, int col, int maxLen);
    void MarkModified(BOOL modified, int row = -1, int col = -1);
    BOOL IsModified() const { return modified; }
    BOOL IsCellWritable(int row, int col) const;
    BOOL IsCellWritable(const CGridPos& pos) const { return IsCellWritable(pos.row, pos.col); }
    void AllowEditing(BOOL allow) { editable = allow; }
    BOOL IsEditable() const { return editable; }

    // --- grid-wide settings -----------------------------------------------------------------
    COLORREF GetCellTextColor() const { return cellTextColor; }
    COLORREF GetCellBackColor() const { return cellBackColor; }
    COLORREF GetGridBackColor() const { return gridBackColor; }
    COLORREF GetFixedTextColor() const { return fixedTextColor; }
    COLORREF GetFixedBackColor() const { return fixedBackColor; }
    COLORREF GetGridLineColor() const { return gridLineColor; }
    void SetCellTextColor(COLORREF c) { cellTextColor = c; }
    void SetCellBackColor(COLORREF c) { cellBackColor = c; }
    void SetGridBackColor(COLORREF c) { gridBackColor = c; }
    void SetFixedTextColor(COLORREF c) { fixedTextColor = c; }
    void SetFixedBackColor(COLORREF c) { fixedBackColor = c; }
    void SetGridLineColor(COLORREF c) { gridLineColor = c; }
    int GetGridLines() const { return gridLines; }
    void SetGridLines(int mode) { gridLines = mode; }
    BOOL GetListMode() const { return listMode; }
    void SetListMode(BOOL on) { listMode = on; }
    BOOL GetSingleRowSelection() const { return singleRowSel; }
    void SetSingleRowSelection(BOOL on) { singleRowSel = on; }
    BOOL IsSelectionEnabled() const { return selectionEnabled; }
    void EnableSelection(BOOL on) { selectionEnabled = on; }
    BOOL GetHeaderSort() const { return headerSort; }
    void SetHeaderSort(BOOL on) { headerSort = on; }
    BOOL GetHandleTab() const { return handleTab; }
    void SetHandleTab(BOOL on) { handleTab = on; }
    BOOL IsDoubleBuffered() const { return doubleBuffered; }
    void SetDoubleBuffered(BOOL on) { doubleBuffered = on; }
    BOOL IsDrawEnabled() const { return drawEnabled; }
    void EnableDraw(BOOL on) { drawEnabled = on; }
    const LOGFONT& GetGridFont() const { return gridFont; }
    int GetWheelLines() const { return wheelLines; }
    int GetSortColumn() const { return sortColumn; }
    BOOL IsSortAscending() const { return sortAscending; }

    // --- layout and scrolling ---------------------------------------------------------------
    // Cell rectangles handed around here are inclusive on all four sides.
    int GetFixedBandHeight() const;
    int GetFixedBandWidth() const;
    int GetContentHeight() const;
    int GetContentWidth() const;
    CGridPos GetFirstScrolledCell() const;
    CGridSpan GetShownScrollableSpan(Rect* extent = nullptr) const;
    CGridSpan GetFullyShownSpan() const;
    BOOL GetCellCorner(int row, int col, Point* corner) const;
    BOOL GetCellBox(int row, int col, Rect* box) const;
    CGridPos CellAtPoint(Point p, BOOL includeFixed = TRUE) const;
    BOOL IsCellOnScreen(int row, int col) const;
    BOOL InvalidateCellArea(const CGridPos& pos);
    BOOL RepaintCell(int row, int col, Surface* dc = nullptr);
    BOOL RepaintColumn(int col);
    void RecalcScrollBars();
    void BringCellIntoView(int row, int col);
    int ReadScrollPos(int bar, BOOL track = FALSE) const;
    int WriteScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetVScrollMax() const { return vScrollMax; }
    int GetHScrollMax() const { return hScrollMax; }
    BOOL FitColumnWidth(int col);
    BOOL FitRowHeight(int row);
    virtual Size MeasureCell(int row, int col, Surface& dc);

    // --- painting ---------------------------------------------------------------------------
    virtual void PaintGrid(Surface& dc);
    virtual BOOL PaintFixedCell(Surface& dc, int row, int col, Rect rect, BOOL erase);
    virtual BOOL PaintCell(Surface& dc, int row, int col, Rect rect, BOOL erase);
    void FillBackground(Surface& dc);

    // --- selection and notifications --------------------------------------------------------
    LRESULT NotifyParent(int row, int col, int code);
    // The click notification: WM_COMMAND with the control id, posted to the owner.
    void PostClickNotification();
    CGridPos SetCurrentCell(int row, int col);
    CGridPos GetCurrentCell() const { return currentCell; }
    void SetSelectionAnchor(const CGridPos& pos) { selectionAnchor = pos; }
    CGridPos GetSelectionAnchor() const { return selectionAnchor; }
    void ApplySelection(int minRow, int minCol, int maxRow, int maxCol, BOOL forceRepaint);
    void SelectEverything();
    void SelectColumnsTo(const CGridPos& cell);
    void SelectRowsTo(const CGridPos& cell);
    void SelectCellsTo(const CGridPos& cell);
    void ClearSelection();
    CGridSpan GetSelectionBounds() const;
    std::size_t GetPickedCount() const { return pickedCells.size(); }
    bool IsPicked(int row, int col) const;
    void ExtendSelection(const CGridPos& cell);
    GridMouseMode GetMouseMode() const { return mouseMode; }
    void SetMouseMode(GridMouseMode mode) { mouseMode = mode; }
    virtual void OnFixedRowHit(const CGridPos& cell);
    virtual void OnFixedColumnHit(const CGridPos& cell);
    // The editor's sound preview: called with the file-name column's text when a row's fixed
    // column is pressed (column 0 or 1).
    void SetFixedColumnHook(std::function<void(const std::string&)> hook) {
        fixedColumnHook = std::move(hook);
    }

    // --- sorting ----------------------------------------------------------------------------
    BOOL SortRowsByText(int col, BOOL ascending);
    BOOL SortRowsByTextRange(int col, BOOL ascending, int lo, int hi = -1);
    BOOL SortRowsByData(GridCompareFn compare, int col, BOOL ascending, LPARAM user);
    BOOL SortRowsByDataRange(GridCompareFn compare, int col, BOOL ascending, LPARAM user, int lo,
                             int hi = -1);
    // The header-click sort of list mode: same column again reverses the order.
    void SortByHeader(int col);

    // --- clipboard (grid_clipboard.cpp) ------------------------------------------------------
    virtual BOOL CmdCut();
    virtual BOOL CmdCopy();
    virtual BOOL CmdPaste();
    virtual BOOL CmdSelectAll();
    void UpdateCmdCut(CmdUI& ui);
    void UpdateCmdCopy(CmdUI& ui);
    void UpdateCmdPaste(CmdUI& ui);
    void UpdateCmdSelectAll(CmdUI& ui);
    virtual std::unique_ptr<CGridDataSource> MakeSelectionDataSource();
    virtual void BlankSelectedCells();
    virtual BOOL ImportTextAt(const CGridPos& pos, const CGridDataObject& data);
    // Ctrl+A, C, V and X of the key-down handling; TRUE when the key was one of them.
    BOOL HandleClipboardKey(UINT vk);
    // CmdTarget: the clipboard commands and select all.
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CmdUI& ui) override;

    // --- printing (grid_print.cpp) -----------------------------------------------------------
    virtual void PrintBegin(Surface* dc, CPrintInfo* info);
    virtual void PrintPage(Surface* dc, CPrintInfo* info);
    virtual void PrintEnd(Surface* dc, CPrintInfo* info);
    virtual void PrintPageHeader(Surface* dc, CPrintInfo* info);
    virtual void PrintColumnTitles(Surface* dc, CPrintInfo* info);
    virtual void PrintPageFooter(Surface* dc, CPrintInfo* info);
    int GetPrintCharWidth() const { return printCharWidth; }
    int GetPrintCharHeight() const { return printCharHeight; }
    int GetPrintPageWidth() const { return printPageWidth; }
    int GetPrintPageHeight() const { return printPageHeight; }
    int GetPrintBodyHeight() const { return printBodyHeight; }
    // The application title printed at the top right of every page.
    void SetPrintAppTitle(const std::string& title) { printAppTitle = title; }

    // --- mouse, keyboard and in-place editing -----------------------------------------------
    BOOL IsOnRowEdge(Point p) const;
    BOOL IsOnColEdge(Point p) const;
    void SetWheelLines(int lines) { wheelLines = lines; }
    void SetAutoScrollPeriod(int ms) { autoScrollPeriod = ms; }
    void AllowRowResize(BOOL on) { allowRowResize = on; }
    void AllowColResize(BOOL on) { allowColResize = on; }
    UINT GetAutoScrollTimer() const { return autoScrollTimer; }
    CGridPos GetPressCell() const { return pressCell; }
    // Opens the in-place editor on a cell; startCode 1 = the mouse, else the key that started it.
    virtual void BeginCellEdit(int row, int col, UINT startCode);
    virtual Wnd* MakeInPlaceEditor(const Rect& rect, DWORD style, UINT id, int row, int col,
                                   const std::string& text, UINT startCode);
    // Stores an edited text when it differs from the cell's.
    virtual void CommitCellEdit(int row, int col, const std::string& text);
    // Ends an open in-place edit (its text is stored as on a click elsewhere); FALSE when none
    // was open.
    BOOL EndCellEdit();
    // What a program adds to the in-place editor: called when an editor window is made, and
    // after each ordinary character typed into it.
    struct EditHooks {
        std::function<void()> created;
        std::function<void(UINT)> typed;
    };
    void SetEditHooks(EditHooks hooks) { editHooks = std::move(hooks); }
    const EditHooks& GetEditHooks() const { return editHooks; }

    // --- screen readers (grid_access.cpp): the whole grid, fixed rows and columns as headers --
    int AccRows() const override { return numRows; }
    int AccCols() const override { return numCols; }
    int AccHeaderRows() const override { return numFixedRows; }
    int AccHeaderCols() const override { return numFixedCols; }
    std::string AccText(int row, int col) const override;
    bool AccBox(int row, int col, Rect* box) const override;
    bool AccCellAt(Point p, int* row, int* col) const override;
    bool AccCurrent(int* row, int* col) const override;
    bool AccSelected(int row, int col) const override;
    bool AccWritable(int row, int col) const override;

protected:
    virtual std::unique_ptr<CGridEntry> MakeCell(int row, int col);
    virtual void WipeCell(CGridEntry* cell, int row, int col);

    // Window handlers.
    int OnCreate() override;
    void OnPaint(Surface& dc) override;
    BOOL OnEraseBkgnd(Surface& dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(Wnd* oldWnd) override;
    void OnHScroll(UINT code, UINT pos) override;
    void OnVScroll(UINT code, UINT pos) override;
    void OnSetFont(const FontDesc* font, BOOL redraw) override;
    const FontDesc* OnGetFont() override;
    void OnSysColorChange() override;
    virtual void PreSubclassWindow();
    void OnLButtonDown(UINT flags, Point p) override;
    void OnMouseMove(UINT flags, Point p) override;
    void OnLButtonUp(UINT flags, Point p) override;
    void OnLButtonDblClk(UINT flags, Point p) override;
    BOOL OnMouseWheel(UINT flags, short delta, Point screenPt) override;
    BOOL OnSetCursor(Wnd* wnd, UINT hitTest, UINT msg) override;
    void OnCaptureChanged(Wnd* gaining) override;
    void OnTimer(UINT id) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    UINT OnGetDlgCode() override;
    BOOL OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result) override;
    void OnInPlaceEditEnd(NMHDR* hdr, LRESULT* result);

    CGridEntry* cellAt(int row, int col) const;
    bool isFixed(int row, int col) const { return row < numFixedRows || col < numFixedCols; }
    void applyFont(const FontDesc& font);
    void scrollBy(int bar, UINT code);
    void repaintFixedRowCells(int col);
    void repaintFixedColCells(int row);
    void redrawPicked(const CGridPos& pos, bool now, Surface* dc);
    void followMovedRows(int lo, const std::vector<int>& origin);

    COLORREF cellTextColor;
    COLORREF cellBackColor;
    COLORREF gridBackColor;
    COLORREF fixedTextColor;
    COLORREF fixedBackColor;
    COLORREF gridLineColor;
    COLORREF sysColors[4]; // window text, window, button face, button shadow
    int gridLines = GRIDLINES_BOTH;
    BOOL editable = TRUE;
    BOOL modified = FALSE;
    BOOL listMode = FALSE;
    BOOL singleRowSel = TRUE;
    BOOL drawEnabled = TRUE;
    BOOL selectionEnabled = TRUE;
    BOOL headerSort = TRUE;
    BOOL handleTab = TRUE;
    BOOL doubleBuffered = TRUE;
    int numRows = 0;
    int numFixedRows = 0;
    int numCols = 0;
    int numFixedCols = 0;
    std::vector<std::uint32_t> rowSizes;
    std::vector<std::uint32_t> colSizes;
    int cellMargin = 0;
    int defaultColSize = 30;
    int defaultRowSize = 10;
    int vScrollMax = 0;
    int hScrollMax = 0;
    LOGFONT gridFont;
    Font printerFont;
    Font windowFont;
    std::vector<std::unique_ptr<CGridRowCells>> rowStore;
    GridMouseMode mouseMode = GMM_IDLE;
    Point pressPoint;
    Point lastMousePoint;
    CGridPos pressCell;
    CGridPos selectionAnchor;
    CGridPos currentCell;
    UINT autoScrollTimer = 0;
    int autoScrollPeriod = 25;
    int resizeMargin = 3;
    BOOL allowRowResize = TRUE;
    BOOL allowColResize = TRUE;
    int wheelLines = 3;
    // Selected cells by position. Keyed by the whole (row, column) pair, so no two cells ever
    // share an entry however large the table grows.
    std::map<std::uint64_t, CGridPos> pickedCells;
    std::map<std::uint64_t, CGridPos> savedPickedCells;
    BOOL sortAscending = TRUE;
    int sortColumn = -1;
    std::function<void(const std::string&)> fixedColumnHook;
    int printCharWidth = 0;
    int printCharHeight = 0;
    int printerWidth = 0;
    int printerHeight = 0;
    int printPageWidth = 0;
    int printPageHeight = 0;
    int printBodyHeight = 0;
    std::string printAppTitle;
    EditHooks editHooks;
    int wheelRemainder = 0; // wheel movement not yet scrolled, in 1/120 notch x lines
    void invertDragLine(int at, bool vertical);

    static std::uint64_t pickKey(int row, int col) {
        return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
    }
};
