#include "grid/window/cell_grid.h"
#include "platform/window/clipboard.h"

namespace tnv {

static BOOL putOnClipboard(const GridDataSource& source) {
    std::string text = source.block;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return SetClipboardText8(text);
}

BOOL CCellGrid::CmdCopy() {
    std::unique_ptr<GridDataSource> source = MakeSelectionDataSource();
    if (!source)
        return FALSE;
    return putOnClipboard(*source);
}

BOOL CCellGrid::CmdCut() {
    if (!editable)
        return FALSE;
    std::unique_ptr<GridDataSource> source = MakeSelectionDataSource();
    if (!source)
        return FALSE;
    // Without a clipboard to hold the texts the cells keep them: a cut must not lose text.
    if (!putOnClipboard(*source))
        return FALSE;
    BlankSelectedCells();
    return TRUE;
}

BOOL CCellGrid::CmdPaste() {
    if (!editable)
        return FALSE;
    CGridPos target = currentCell;
    if (!IsValidCell(target))
        target = GetFirstScrolledCell();
    if (!IsValidCell(target))
        return FALSE;
    GridDataObject data;
    data.hasText = GetClipboardText8(&data.text) != FALSE;
    return ImportTextAt(target, data);
}

BOOL CCellGrid::CmdSelectAll() {
    SelectEverything();
    return TRUE;
}

void CCellGrid::UpdateCmdCopy(CCmdUI& ui) {
    ui.Enable(IsValidSpan(GetSelectionBounds()));
}

void CCellGrid::UpdateCmdCut(CCmdUI& ui) {
    ui.Enable(editable && IsValidSpan(GetSelectionBounds()));
}

void CCellGrid::UpdateCmdPaste(CCmdUI& ui) {
    ui.Enable(IsValidCell(currentCell) && IsCellWritable(currentCell) &&
              IsClipboardTextAvailable());
}

void CCellGrid::UpdateCmdSelectAll(CCmdUI& ui) {
    ui.Enable(selectionEnabled);
}

BOOL CCellGrid::HandleClipboardKey(UINT vk) {
    if (!(GetKeyState(VK_CONTROL) & 0x8000))
        return FALSE;
    switch (vk) {
    case 'A':
        CmdSelectAll();
        return TRUE;
    case 'C':
        CmdCopy();
        return TRUE;
    case 'V':
        CmdPaste();
        return TRUE;
    case 'X':
        CmdCut();
        return TRUE;
    default:
        return FALSE;
    }
}

bool CCellGrid::HasCommand(UINT id) const {
    return id == ID_EDIT_CUT || id == ID_EDIT_COPY || id == ID_EDIT_PASTE ||
           id == ID_EDIT_SELECT_ALL;
}

bool CCellGrid::OnCmdMsg(UINT id) {
    switch (id) {
    case ID_EDIT_CUT:
        CmdCut();
        return true;
    case ID_EDIT_COPY:
        CmdCopy();
        return true;
    case ID_EDIT_PASTE:
        CmdPaste();
        return true;
    case ID_EDIT_SELECT_ALL:
        CmdSelectAll();
        return true;
    default:
        return false;
    }
}

bool CCellGrid::OnUpdateCmdUI(CCmdUI& ui) {
    switch (ui.id()) {
    case ID_EDIT_CUT:
        UpdateCmdCut(ui);
        return true;
    case ID_EDIT_COPY:
        UpdateCmdCopy(ui);
        return true;
    case ID_EDIT_PASTE:
        UpdateCmdPaste(ui);
        return true;
    case ID_EDIT_SELECT_ALL:
        UpdateCmdSelectAll(ui);
        return true;
    default:
        return false;
    }
}

} // namespace tnv
