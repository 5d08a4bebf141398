// CCellGrid: a self-drawn table of text cells with fixed (header) rows and columns, per-cell
// colours, fonts and data words, selection and sorting.
//
// The table itself is CellGridCore (grid_core.h), which works without a window; this class adds
// the window: CreateGrid gives the grid one, and until then nothing is painted and no
// notification is sent. Split over several files by concern:
//   grid_window.cpp     construction, window creation, fonts, system colours, notifications,
//                       what the table's changes do on screen
//   grid_layout.cpp     geometry, hit test, scroll bars and scrolling, fitting to content
//   grid_paint.cpp      painting
//   grid_input.cpp      the mouse and the wheel
//   grid_keys.cpp       the keyboard: moving the current cell, Delete, typing to edit
//   grid_edit.cpp       the in-place editor (its class: grid_inplace_edit.h)
//   grid_clipboard.cpp  cut, copy, paste and select all through the system clipboard
//   grid_print.cpp      printing pages
//   grid_access.cpp     what screen readers are told about the cells
#pragma once

#include "grid/core/grid_core.h"
#include "platform/access/accessible.h"
#include "platform/draw/surface.h"
#include "platform/frame/frame.h"
#include "platform/print/print.h"
#include "platform/window/wnd.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tnv {

constexpr const char* GRID_CLASS_NAME = "TnvCellGrid";

// CWnd comes first, so the grid and its window are one address as messages carry them.
class CCellGrid : public CWnd, public CCmdTarget, public AccessibleTable, public CellGridCore {
public:
    CCellGrid(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CCellGrid() override;

    // The window; style as given (child + visible + border + tab stop for the programs).
    BOOL CreateGrid(const Rect& rect, CWnd* parent, UINT id,
                    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP);

    // --- window-side settings ---------------------------------------------------------------
    int GetCellMargin() const { return cellMargin; }
    BOOL GetHandleTab() const { return handleTab; }
    void SetHandleTab(BOOL on) { handleTab = on; }
    BOOL IsDoubleBuffered() const { return doubleBuffered; }
    void SetDoubleBuffered(BOOL on) { doubleBuffered = on; }
    BOOL IsDrawEnabled() const { return drawEnabled; }
    void EnableDraw(BOOL on) { drawEnabled = on; }
    int GetWheelLines() const { return wheelLines; }

    // --- layout and scrolling (grid_layout.cpp) ----------------------------------------------
    // Cell rectangles handed around here are inclusive on all four sides.
    CGridPos GetFirstScrolledCell() const;
    CGridSpan GetShownScrollableSpan(Rect* extent = nullptr) const;
    CGridSpan GetFullyShownSpan() const;
    BOOL GetCellCorner(int row, int col, Point* corner) const;
    BOOL GetCellBox(int row, int col, CellBox* box) const;
    CGridPos CellAtPoint(Point p, BOOL includeFixed = TRUE) const;
    BOOL IsCellOnScreen(int row, int col) const;
    BOOL InvalidateCellArea(const CGridPos& pos);
    BOOL RepaintCell(int row, int col, CDC* dc = nullptr);
    BOOL RepaintColumn(int col);
    void RecalcScrollBars();
    void BringCellIntoView(int row, int col);
    int ReadScrollPos(int bar, BOOL track = FALSE) const;
    int WriteScrollPos(int bar, int pos, BOOL redraw = TRUE);
    int GetVScrollMax() const { return vScrollMax; }
    int GetHScrollMax() const { return hScrollMax; }
    BOOL FitColumnWidth(int col);
    BOOL FitRowHeight(int row);
    virtual Size MeasureCell(int row, int col, CDC& dc);

    // --- painting (grid_paint.cpp) -----------------------------------------------------------
    virtual void PaintGrid(CDC& dc);
    virtual BOOL PaintFixedCell(CDC& dc, int row, int col, CellBox rect, BOOL erase);
    virtual BOOL PaintCell(CDC& dc, int row, int col, CellBox rect, BOOL erase);
    void FillBackground(CDC& dc);

    // --- notifications (grid_window.cpp) -----------------------------------------------------
    LRESULT NotifyParent(int row, int col, int code) override;
    // The click notification: WM_COMMAND with the control id, posted to the owner.
    void PostClickNotification();

    // --- clipboard (grid_clipboard.cpp) ------------------------------------------------------
    virtual BOOL CmdCut();
    virtual BOOL CmdCopy();
    virtual BOOL CmdPaste();
    virtual BOOL CmdSelectAll();
    void UpdateCmdCut(CCmdUI& ui);
    void UpdateCmdCopy(CCmdUI& ui);
    void UpdateCmdPaste(CCmdUI& ui);
    void UpdateCmdSelectAll(CCmdUI& ui);
    // Ctrl+A, C, V and X of the key-down handling; TRUE when the key was one of them.
    BOOL HandleClipboardKey(UINT vk);
    // CCmdTarget: the clipboard commands and select all.
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    // --- printing (grid_print.cpp) -----------------------------------------------------------
    virtual void PrintBegin(CDC* dc, CPrintInfo* info);
    virtual void PrintPage(CDC* dc, CPrintInfo* info);
    virtual void PrintEnd(CDC* dc, CPrintInfo* info);
    virtual void PrintPageHeader(CDC* dc, CPrintInfo* info);
    virtual void PrintColumnTitles(CDC* dc, CPrintInfo* info);
    virtual void PrintPageFooter(CDC* dc, CPrintInfo* info);
    int GetPrintCharWidth() const { return printCharWidth; }
    int GetPrintCharHeight() const { return printCharHeight; }
    int GetPrintPageWidth() const { return printPageWidth; }
    int GetPrintPageHeight() const { return printPageHeight; }
    int GetPrintBodyHeight() const { return printBodyHeight; }
    // The application title printed at the top right of every page.
    void SetPrintAppTitle(const std::string& title) { printAppTitle = title; }

    // --- mouse, keyboard and in-place editing (grid_input.cpp, grid_keys.cpp, grid_edit.cpp) --
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
    virtual CWnd* MakeInPlaceEditor(const Rect& rect, DWORD style, UINT id, int row, int col,
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
    std::string AccName() const override { return accName; }
    std::string AccColumnTitle(int col) const override;
    // What readers are told the table holds, and each column's title where the grid shows no
    // header rows (texts in the code page).
    void SetAccessibleNames(std::string name, std::vector<std::string> columnTitles);
    // The in-place editor's name over a cell: its column's title and its row's header.
    std::string AccCellName(int row, int col) const;

protected:
    // What the table tells its window (grid_window.cpp).
    void onLayoutChanged(LayoutChange what) override;
    void onTextChanged(int row, int col) override;
    void onCurrentMoved(int row, int col) override;
    void onSelectionChanged() override;
    void redrawCell(int row, int col) override;
    void redrawCells(const std::vector<CGridPos>& cells, bool now) override;
    void redrawAll() override;
    void sortBusy(bool busy) override;

    // Window handlers.
    int OnCreate() override;
    void OnPaint(CDC& dc) override;
    bool OnEraseBkgnd(CDC& dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(CWnd* oldWnd) override;
    void OnHScroll(UINT code, UINT pos) override;
    void OnVScroll(UINT code, UINT pos) override;
    void OnSetFont(const FontDesc* font, bool redraw) override;
    const FontDesc* OnGetFont() override;
    void OnSysColorChange() override;
    virtual void PreSubclassWindow();
    void OnLButtonDown(UINT flags, Point p) override;
    void OnMouseMove(UINT flags, Point p) override;
    void OnLButtonUp(UINT flags, Point p) override;
    void OnLButtonDblClk(UINT flags, Point p) override;
    bool OnMouseWheel(UINT flags, short delta, Point screenPt) override;
    bool OnSetCursor(CWnd* wnd, UINT hitTest, UINT msg) override;
    void OnCaptureChanged(CWnd* gaining) override;
    void OnTimer(UINT id) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    UINT OnGetDlgCode() override;
    bool OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result) override;
    void OnInPlaceEditEnd(NMHDR* hdr, LRESULT* result);

    // The key-down handling (grid_keys.cpp): where a key moves the current cell, the Delete key,
    // and the scrolling that follows a move off screen.
    struct KeyMove {
        CGridPos target; // where the current cell goes; where it is when the key does not move it
        bool wrapped = false;   // Tab went round to the next or previous row
        bool unhandled = false; // the key is not the grid's: the window's default handles it
    };
    KeyMove targetOfKey(UINT vk, bool shift);
    KeyMove targetOfTab(bool backwards) const;
    KeyMove targetOfPageKey(bool down);
    bool enterBodyByKey();
    void clearCurrentCellByKey();
    void selectAlongWithKey(const CGridPos& target, UINT vk, bool shift);
    void scrollAfterKeyMove(UINT vk, bool shift, bool wrapped);

    void applyFont(const FontDesc& font);
    void scrollBy(int bar, UINT code);
    BOOL fitSize(Axis axis, int index);
    void invertDragLine(int at, bool vertical);

    COLORREF sysColors[4]; // window text, window, button face, button shadow
    BOOL drawEnabled = TRUE;
    BOOL handleTab = TRUE;
    BOOL doubleBuffered = TRUE;
    int cellMargin = 0;
    int vScrollMax = 0;
    int hScrollMax = 0;
    Font printerFont;
    Font windowFont;
    Point pressPoint;
    Point lastMousePoint;
    CGridPos pressCell;
    UINT autoScrollTimer = 0;
    int autoScrollPeriod = 25;
    int resizeMargin = 3;
    BOOL allowRowResize = TRUE;
    BOOL allowColResize = TRUE;
    int wheelLines = 3;
    int wheelRemainder = 0; // wheel movement not yet scrolled, in 1/120 notch x lines
    int printCharWidth = 0;
    int printCharHeight = 0;
    int printerWidth = 0;
    int printerHeight = 0;
    int printPageWidth = 0;
    int printPageHeight = 0;
    int printBodyHeight = 0;
    std::string printAppTitle;
    EditHooks editHooks;
    std::string accName;
    std::vector<std::string> accColumnTitles;
};

} // namespace tnv
