// The grid's in-place editor: a single-line edit laid over one cell. It reports its text to the
// grid when it loses the focus, then closes and deletes itself; the grid never keeps a pointer
// to it.
#pragma once

#include "grid/core/grid_records.h"
#include "platform/dialogs/editctl.h"

#include <functional>
#include <string>

namespace tnv {

constexpr UINT IDC_GRID_INPLACE_EDIT = 8;

// The end record of an edit: only row, col, mask (GCIF_TEXT | GCIF_DATA), text and data (the key
// that ended the edit, 0 for none) of the cell record are filled.
struct NMGRIDEDIT {
    NMHDR hdr;
    GRIDCELLINFO info;
};

class CGridInPlaceEdit : public CEdit {
public:
    CGridInPlaceEdit(int row, int col, const std::string& text, UINT startCode, const Rect& rect);

    // Creates the window over the cell as a child of the grid, gives it the grid's font, the
    // text and the focus, places the caret by the start code and types the starting key. FALSE
    // when the window cannot be made; the caller then deletes the object.
    BOOL Open(CWnd* grid, DWORD style, UINT id, UINT startCode);
    // Called after every ordinary character the edit has taken.
    void SetTypedHook(std::function<void(UINT)> hook) { typedHook_ = std::move(hook); }
    // Sends the end record to the owner and closes the window (later, from the event loop).
    void FinishEdit();

    const Rect& editRectangle() const { return editRect_; }
    bool exitsOnArrows() const { return exitOnArrows_; }

protected:
    // Alt+character goes nowhere while the editor has the focus: it opens no menu mid-edit.
    bool PreTranslateMessage(UINT msg, WPARAM wp, MsgParam lp) override;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;
    void OnSysChar(UINT, UINT, UINT) override {}
    void OnKillFocus(CWnd* newWnd) override;
    UINT OnGetDlgCode() override { return DLGC_WANTALLKEYS; }
    void PostNcDestroy() override;

private:
    void endWith(UINT key);
    void growToText();

    int editRow_;
    int editCol_;
    std::string initialText_;
    UINT lastKey_ = 0;
    bool exitOnArrows_;
    Rect editRect_;
    bool finished_ = false;
    bool selfOwned_ = false;
    std::function<void(UINT)> typedHook_;
};

} // namespace tnv
