// CellGridCore: the grid's table without a window, as an item model is without its view.
// Counts, sizes, cells and their attributes, the current cell and the selection, sorting, the
// clipboard text of a copy and a paste, and the pages of a printout. No Qt: it links nothing of
// the window system, so data code and its tests use it alone.
//
// CCellGrid (cell_grid.h) adds the window. The core tells it about changes through the protected
// hooks at the end of the class, which do nothing here. Files:
//   grid_model.cpp      counts, sizes, cells, attributes, modified flags
//   grid_selection.cpp  current cell, selection, fixed-cell presses
//   grid_sort.cpp       sorting rows
//   clipboard_text.cpp  the text of a copy, the cells of a paste
//   print_pages.cpp     page breaks of a printout
#pragma once

#include "grid/core/grid_records.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tnv {

using CGridRowCells = std::vector<std::unique_ptr<CGridEntry>>;

// What a pointer press started: which lines or cells dragging selects, or a divider being moved.
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

// The clipboard data of a copy: the text as one block ending in a zero byte.
struct GridDataSource {
    std::string block;
};
// What a paste reads: whether plain text was offered, and its bytes.
struct GridDataObject {
    bool hasText = false;
    std::string text;
};

// The colours and font a grid starts with. A grid on screen takes them from the desktop; one
// without a window starts with Windows' classic scheme.
struct GridLook {
    COLORREF windowText = RGB(0, 0, 0);
    COLORREF window = RGB(255, 255, 255);
    COLORREF buttonFace = RGB(212, 208, 200);
    COLORREF buttonShadow = RGB(128, 128, 128);
    LOGFONT font;
};

class CellGridCore {
public:
    CellGridCore(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    virtual ~CellGridCore() = default;
    CellGridCore(const CellGridCore&) = delete;
    CellGridCore& operator=(const CellGridCore&) = delete;

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
    // Sums of the sizes, capped at INT_MAX.
    int GetFixedBandHeight() const;
    int GetFixedBandWidth() const;
    int GetContentHeight() const;
    int GetContentWidth() const;

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
    const LOGFONT& GetGridFont() const { return gridFont; }
    int GetSortColumn() const { return sortColumn; }
    BOOL IsSortAscending() const { return sortAscending; }

    // --- current cell, selection and notifications ------------------------------------------
    // Sends a notification about a cell to the owner; 0 without one (an LRESULT).
    virtual std::intptr_t NotifyParent(int row, int col, int code);
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

    // --- clipboard text ---------------------------------------------------------------------
    // The text of the selection's bounding range; null when nothing is selected.
    virtual std::unique_ptr<GridDataSource> MakeSelectionDataSource();
    virtual void BlankSelectedCells();
    // Pastes lines and fields into the cells from pos on; what falls outside the grid is dropped.
    virtual BOOL ImportTextAt(const CGridPos& pos, const GridDataObject& data);

    // --- printing ---------------------------------------------------------------------------
    // The heights of the rows below the fixed ones, as the page breaks count them.
    std::vector<int> GetBodyRowHeights() const;

protected:
    CellGridCore(const GridLook& look, int nRows, int nCols, int nFixedRows, int nFixedCols);

    virtual std::unique_ptr<CGridEntry> MakeCell(int row, int col);
    virtual void WipeCell(CGridEntry* cell, int row, int col);
    CGridEntry* cellAt(int row, int col) const;
    bool isFixed(int row, int col) const { return row < numFixedRows || col < numFixedCols; }

    // --- what the view hears; nothing happens here ------------------------------------------
    enum class LayoutChange {
        Counts,      // rows or columns added or removed
        FixedCounts, // the number of fixed rows or columns changed
        Cleared,     // ClearGrid emptied the table
        RowsMoved,   // a sort reordered rows
    };
    virtual void onLayoutChanged(LayoutChange) {}
    virtual void onTextChanged(int /*row*/, int /*col*/) {}
    virtual void onCurrentMoved(int /*row*/, int /*col*/) {}
    virtual void onSelectionChanged() {}
    // One cell looks different (its state changed).
    virtual void redrawCell(int /*row*/, int /*col*/) {}
    // Cells whose selection changed: drawn at once when `now`, else when the window next paints.
    virtual void redrawCells(const std::vector<CGridPos>& /*cells*/, bool /*now*/) {}
    // Many cells changed (a sort, a paste, a cut).
    virtual void redrawAll() {}
    // A header sort runs; the view may show that it is busy.
    virtual void sortBusy(bool /*busy*/) {}

    // Sizes are summed in 64 bits and capped, so absurd sizes cannot wrap around.
    static int sumSizes(const std::vector<std::uint32_t>& sizes, int from, int to);
    // Rows and columns work alike; one body serves both.
    enum class Axis { Rows, Cols };
    BOOL setCount(Axis axis, int n);
    BOOL setFixedCount(Axis axis, int n);
    // A row's or column's size; -1 (FALSE) for one that does not exist.
    static int sizeAt(const std::vector<std::uint32_t>& sizes, int i);
    static BOOL setSizeAt(std::vector<std::uint32_t>& sizes, int i, int pixels);
    void repaintFixedRowCells(int col);
    void repaintFixedColCells(int row);
    void followMovedRows(int lo, const std::vector<int>& origin);

    COLORREF cellTextColor;
    COLORREF cellBackColor;
    COLORREF gridBackColor;
    COLORREF fixedTextColor;
    COLORREF fixedBackColor;
    COLORREF gridLineColor = RGB(192, 192, 192);
    int gridLines = GRIDLINES_BOTH;
    BOOL editable = TRUE;
    BOOL modified = FALSE;
    BOOL listMode = FALSE;
    BOOL singleRowSel = TRUE;
    BOOL selectionEnabled = TRUE;
    BOOL headerSort = TRUE;
    int numRows = 0;
    int numFixedRows = 0;
    int numCols = 0;
    int numFixedCols = 0;
    std::vector<std::uint32_t> rowSizes;
    std::vector<std::uint32_t> colSizes;
    int defaultColSize = 30;
    int defaultRowSize = 10;
    LOGFONT gridFont;
    std::vector<std::unique_ptr<CGridRowCells>> rowStore;
    GridMouseMode mouseMode = GMM_IDLE;
    CGridPos selectionAnchor;
    CGridPos currentCell;
    // Selected cells by position. Keyed by the whole (row, column) pair, so no two cells ever
    // share an entry however large the table grows.
    std::map<std::uint64_t, CGridPos> pickedCells;
    std::map<std::uint64_t, CGridPos> savedPickedCells;
    BOOL sortAscending = TRUE;
    int sortColumn = -1;
    std::function<void(const std::string&)> fixedColumnHook;

    static std::uint64_t pickKey(int row, int col) {
        return (std::uint64_t(std::uint32_t(col)) << 32) | std::uint32_t(row);
    }
};

} // namespace tnv
