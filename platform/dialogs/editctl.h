// A single-line edit control: a child window that edits one line of 8-bit text, with the keys,
// caret, selection, clipboard and horizontal auto-scroll of the platform's edit field.
//
// Its keys arrive as messages: WM_KEYDOWN, then WM_CHAR for what the key types (Ctrl+letter
// types the control character). A subclass sees them first in OnKeyDown / OnChar;
// the default processing (Default()) is the edit's own: caret keys, Delete, Backspace (character
// 8), Ctrl+A (1) select all, Ctrl+C (3) copy, Ctrl+V (22) paste, Ctrl+X (24) cut, Ctrl+Z (26)
// undo, Ctrl+Insert, Shift+Insert, Shift+Delete, and any other character inserted at the caret.
// Inside a program's frame these standard keys stay with the edit instead of becoming commands.
#pragma once

#include "platform/window/wnd.h"

#include <memory>
#include <string>

namespace tnv {

constexpr const char* EDIT_CLASS_NAME = "TnvEdit";

class CEdit : public CWnd {
public:
    CEdit();
    ~CEdit() override;

    // Style: WS_CHILD, WS_VISIBLE, WS_BORDER, ES_LEFT / ES_CENTER / ES_RIGHT, ES_AUTOHSCROLL.
    bool Create(DWORD style, const Rect& rect, CWnd* parent, UINT id);

    // The edited text (these hide CWnd's title functions on purpose: an edit's window text is
    // its content).
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;

    // EM_SETSEL: characters start..end selected, the caret at end; (0, -1) selects everything,
    // (-1, ...) removes the selection and leaves the caret where it is.
    void SetSel(int start, int end, bool noScroll = false);
    void GetSel(int* start, int* end) const;
    int GetCaretPos() const;
    void ReplaceSel(const std::string& text);
    void ScrollCaret();
    void Copy();
    void Cut();
    void Paste();
    void Undo();
    // The width of a text in the edit's font.
    int MeasureText(const std::string& text) const;
    // How far the text is scrolled out at the left (0 when it all fits).
    int GetScrollOffset() const;
    // The alignment the edit shows its text with: ES_LEFT, ES_CENTER or ES_RIGHT.
    DWORD GetAlignment() const;
    // What a screen reader calls the edit (8-bit text); may be given before the window exists.
    void SetAccessibleName(const std::string& name);

protected:
    // Message pre-translation: asked for each character message the edit's keys make, before
    // anything else sees the key. true swallows it: neither the edit nor the program's menus
    // and accelerators get it (an Alt+letter then opens no menu).
    virtual bool PreTranslateMessage(UINT msg, WPARAM wp, MsgParam lp) {
        (void)msg, (void)wp, (void)lp;
        return false;
    }

    int OnCreate() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFont(const FontDesc* font, bool redraw) override;
    const FontDesc* OnGetFont() override;
    UINT OnGetDlgCode() override { return DLGC_WANTCHARS | DLGC_WANTARROWS; }
    LRESULT WindowProc(UINT msg, WPARAM wp, MsgParam lp) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wp, MsgParam lp) override;

private:
    friend class EditField;
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace tnv
