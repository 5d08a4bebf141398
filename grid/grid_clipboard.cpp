#include "grid/cell_grid.h"
#include "grid/clipboard_text.h"
#include "platform/clipboard.h"

std::unique_ptr<CGridDataSource> CCellGrid::MakeSelectionDataSource() {
    CGridSpan range = GetSelectionBounds();
    if (!IsValidSpan(range))
        return nullptr;
    auto source = std::make_unique<CGridDataSource>();
    source->block = cliptext::BuildSelectionText(range, [this](int row, int col) {
        cliptext::CellCopy copy;
        if (const CGridEntry* cell = cellAt(row, col)) {
            copy.exists = true;
            copy.picked = (cell->state & GCS_PICKED) != 0;
            copy.text = cell->text;
        }
        return copy;
    });
    source->block.push_back('\0');
    return source;
}

static BOOL putOnClipboard(const CGridDataSource& source) {
    std::string text = source.block;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return SetClipboardText8(text);
}

BOOL CCellGrid::CmdCopy() {
    std::unique_ptr<CGridDataSource> source = MakeSelectionDataSource();
    if (!source)
        return FALSE;
    return putOnClipboard(*source);
}

BOOL CCellGrid::CmdCut() {
    if (!editable)
        return FALSE;
    std::unique_ptr<CGridDataSource> source = MakeSelectionDataSource();
    if (!source)
        return FALSE;
    // Without a clipboard to hold the texts the cells keep them: a cut must not lose text.
    if (!putOnClipboard(*source))
        return FALSE;
    BlankSelectedCells();
    return TRUE;
}

void CCellGrid::BlankSelectedCells() {
    if (!editable)
        return;
    // Wiping a cell takes it out of pickedCells; walk a copy.
    std::vector<CGridPos> picked;
    picked.reserve(pickedCells.size());
    for (const auto& [key, pos] : pickedCells)
        picked.push_back(pos);
    for (const CGridPos& pos : picked) {
        CGridEntry* cell = cellAt(pos.row, pos.col);
        if (!cell || !IsCellWritable(pos))
            continue;
        NotifyParent(pos.row, pos.col, GN_BEGINEDIT);
        WipeCell(cell, pos.row, pos.col);
        MarkModified(TRUE, pos.row, pos.col);
        NotifyParent(pos.row, pos.col, GN_ENDEDIT);
    }
    if (hasWindow())
        Invalidate();
}

BOOL CCellGrid::CmdPaste() {
    if (!editable)
        return FALSE;
    CGridPos target = currentCell;
    if (!IsValidCell(target))
        target = GetFirstScrolledCell();
    if (!IsValidCell(target))
        return FALSE;
    CGridDataObject data;
    data.hasText = GetClipboardText8(&data.text) != FALSE;
    return ImportTextAt(target, data);
}

BOOL CCellGrid::ImportTextAt(const CGridPos& pos, const CGridDataObject& data) {
    if (!IsValidCell(pos) || !IsCellWritable(pos) || !data.hasText)
        return FALSE;
    std::vector<std::vector<std::string>> lines = cliptext::SplitPastedText(data.text);
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const std::vector<std::string>& fields = lines[line];
        for (std::size_t k = 0; k < fields.size(); ++k) {
            long long row = static_cast<long long>(pos.row) + static_cast<long long>(line);
            long long col = static_cast<long long>(pos.col) + static_cast<long long>(k);
            if (row >= numRows || col >= numCols)
                continue;
            int r = int(row), c = int(col);
            NotifyParent(r, c, GN_BEGINEDIT);
            SetCellText(r, c, fields[k]);
            MarkModified(TRUE, r, c);
            NotifyParent(r, c, GN_ENDEDIT);
            SetCellState(r, c, GetCellState(r, c) & ~GCS_PICKED);
        }
        if (static_cast<long long>(pos.row) + static_cast<long long>(line) >= numRows)
            break; // every further line falls outside the grid too
    }
    if (hasWindow())
        Invalidate();
    return TRUE;
}

BOOL CCellGrid::CmdSelectAll() {
    SelectEverything();
    return TRUE;
}

void CCellGrid::UpdateCmdCopy(CmdUI& ui) {
    ui.Enable(IsValidSpan(GetSelectionBounds()));
}

void CCellGrid::UpdateCmdCut(CmdUI& ui) {
    ui.Enable(editable && IsValidSpan(GetSelectionBounds()));
}

void CCellGrid::UpdateCmdPaste(CmdUI& ui) {
    ui.Enable(IsValidCell(currentCell) && IsCellWritable(currentCell) &&
              IsClipboardTextAvailable());
}

void CCellGrid::UpdateCmdSelectAll(CmdUI& ui) {
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

bool CCellGrid::OnUpdateCmdUI(CmdUI& ui) {
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
