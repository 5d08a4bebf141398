// In-place editing: when an edit starts, the editor window, and how the grid takes its result.
#include "grid/window/cell_grid.h"
#include "grid/window/grid_inplace_edit.h"

#include <algorithm>

namespace tnv {

namespace {

bool carriesOn(UINT key) {
    return key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN);
}

} // namespace

// --- the grid's side ------------------------------------------------------------------------

void CCellGrid::BeginCellEdit(int row, int col, UINT startCode) {
    // Checked first: scrolling toward a cell that does not exist would move the view.
    if (!IsValidCell(row, col))
        return;
    BringCellIntoView(row, col);
    CellBox box;
    if (!IsCellWritable(row, col) || !IsCellOnScreen(row, col) || !GetCellBox(row, col, &box))
        return;
    NotifyParent(row, col, GN_BEGINEDIT);
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = GCIF_TEXT | GCIF_FORMAT;
    if (!GetCellInfo(&info))
        return;
    DWORD align = (info.format & DT_RIGHT) ? ES_RIGHT : (info.format & DT_CENTER) ? ES_CENTER : 0;
    MakeInPlaceEditor(box.Inside(), align | WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                      IDC_GRID_INPLACE_EDIT, row, col, info.text, startCode);
}

CWnd* CCellGrid::MakeInPlaceEditor(const Rect& rect, DWORD style, UINT id, int row, int col,
                                   const std::string& text, UINT startCode) {
    auto* edit = new CGridInPlaceEdit(row, col, text, startCode, rect);
    if (editHooks.created)
        editHooks.created();
    edit->SetTypedHook(editHooks.typed);
    edit->SetAccessibleName(AccCellName(row, col));
    if (!edit->Open(this, style, id, startCode)) {
        delete edit;
        return nullptr;
    }
    return edit;
}

void CCellGrid::CommitCellEdit(int row, int col, const std::string& text) {
    if (GetCellText(row, col) == text)
        return;
    MarkModified(TRUE, row, col);
    SetCellText(row, col, text);
}

BOOL CCellGrid::EndCellEdit() {
    CWnd* focus = GetFocus();
    if (!hasWindow() || !focus || focus == this || focus->GetParent() != this ||
        !dynamic_cast<CGridInPlaceEdit*>(focus))
        return FALSE;
    SetFocus();
    return TRUE;
}

bool CCellGrid::OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result) {
    if (hdr && hdr->code == GN_ENDEDIT && id == IDC_GRID_INPLACE_EDIT &&
        hdr->idFrom == IDC_GRID_INPLACE_EDIT) {
        OnInPlaceEditEnd(hdr, result);
        return TRUE;
    }
    return CWnd::OnNotify(id, hdr, result);
}

void CCellGrid::OnInPlaceEditEnd(NMHDR* hdr, LRESULT* result) {
    *result = 0;
    if (!hasWindow())
        return;
    const GRIDCELLINFO& info = reinterpret_cast<NMGRIDEDIT*>(hdr)->info;
    int row = info.row, col = info.col;
    UINT key = UINT(info.data);
    CommitCellEdit(row, col, info.text);
    InvalidateCellArea(CGridPos(row, col));
    NotifyParent(row, col, GN_ENDEDIT);
    if (carriesOn(key)) {
        SendMessage(WM_KEYDOWN, key, 1);
        BeginCellEdit(currentCell.row, currentCell.col, key);
    }
}

// --- the editor window ----------------------------------------------------------------------

CGridInPlaceEdit::CGridInPlaceEdit(int row, int col, const std::string& text, UINT startCode,
                                   const Rect& rect)
    : editRow_(row), editCol_(col), initialText_(text), exitOnArrows_(startCode != 1),
      editRect_(rect) {}

BOOL CGridInPlaceEdit::Open(CWnd* grid, DWORD style, UINT id, UINT startCode) {
    if (!Create(style, editRect_, grid, id))
        return FALSE;
    selfOwned_ = true;
    auto* font = reinterpret_cast<const FontDesc*>(grid->SendMessage(WM_GETFONT));
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowText(initialText_);
    SetFocus();
    int end = int(GetWindowText().size());
    // A click or Enter keeps the text, the caret at its end, and Backspace takes its last
    // character; a key that moves selects it all, and a character typed replaces it.
    const bool keep = startCode == 1 || startCode == VK_RETURN || startCode == VK_BACK;
    SetSel(keep ? end : 0, keep ? end : -1);
    ScrollCaret();
    if (startCode == VK_BACK)
        SendMessage(WM_CHAR, VK_BACK, 1);
    else if (!keep && startCode != VK_SPACE && !IsGridNavigationKey(startCode))
        SendMessage(WM_CHAR, startCode, 1);
    return TRUE;
}

void CGridInPlaceEdit::endWith(UINT key) {
    lastKey_ = key;
    if (CWnd* grid = GetParent())
        grid->SetFocus();
}

bool CGridInPlaceEdit::PreTranslateMessage(UINT msg, WPARAM wp, MsgParam lp) {
    if (msg == WM_SYSCHAR && GetFocus() == this)
        return TRUE;
    return CEdit::PreTranslateMessage(msg, wp, lp);
}

void CGridInPlaceEdit::OnKeyDown(UINT vk, UINT repeat, UINT flags) {
    switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (exitOnArrows_ || (GetKeyState(VK_CONTROL) & 0x8000)) {
            endWith(vk);
            return;
        }
        break;
    default:
        break;
    }
    CEdit::OnKeyDown(vk, repeat, flags);
}

void CGridInPlaceEdit::OnChar(UINT ch, UINT repeat, UINT flags) {
    if (ch == VK_TAB || ch == VK_RETURN) {
        endWith(ch);
        return;
    }
    if (ch == VK_ESCAPE) {
        SetWindowText(initialText_);
        endWith(ch);
        return;
    }
    CEdit::OnChar(ch, repeat, flags);
    if (!hasWindow())
        return;
    if (typedHook_)
        typedHook_(ch);
    growToText();
}

// The editor widens to show its text, up to the grid's right edge; it never narrows.
void CGridInPlaceEdit::growToText() {
    CWnd* grid = GetParent();
    if (!grid || !hasWindow())
        return;
    int measure = MeasureText(GetWindowText() + "  ");
    if (editRect_.right - editRect_.left >= measure)
        return;
    Rect client;
    grid->GetClientRect(&client);
    int right = int(std::min<long long>((long long)editRect_.left + measure, client.right));
    if (right <= editRect_.right)
        return;
    editRect_.right = right;
    MoveWindow(editRect_, TRUE);
}

void CGridInPlaceEdit::OnKillFocus(CWnd* newWnd) {
    CEdit::OnKillFocus(newWnd);
    FinishEdit();
}

void CGridInPlaceEdit::FinishEdit() {
    if (finished_ || !hasWindow())
        return;
    finished_ = true;
    NMGRIDEDIT nm;
    nm.hdr.hwndFrom = this;
    nm.hdr.idFrom = IDC_GRID_INPLACE_EDIT;
    nm.hdr.code = GN_ENDEDIT;
    nm.info.row = editRow_;
    nm.info.col = editCol_;
    nm.info.mask = GCIF_TEXT | GCIF_DATA;
    nm.info.text = GetWindowText();
    nm.info.data = LPARAM(lastKey_);
    if (CWnd* owner = GetOwner())
        owner->SendMessage(WM_NOTIFY, IDC_GRID_INPLACE_EDIT, reinterpret_cast<MsgParam>(&nm));
    PostMessage(WM_CLOSE);
}

void CGridInPlaceEdit::PostNcDestroy() {
    if (selfOwned_)
        delete this;
}

} // namespace tnv
