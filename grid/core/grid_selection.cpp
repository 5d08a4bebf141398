#include "grid/core/grid_core.h"

#include <algorithm>
#include <set>
#include <vector>

namespace tnv {

std::intptr_t CellGridCore::NotifyParent(int, int, int) {
    return 0;
}

void CellGridCore::repaintFixedRowCells(int col) {
    for (int r = 0; r < numFixedRows; ++r)
        redrawCell(r, col);
}

void CellGridCore::repaintFixedColCells(int row) {
    for (int c = 0; c < numFixedCols; ++c)
        redrawCell(row, c);
}

CGridPos CellGridCore::SetCurrentCell(int row, int col) {
    CGridPos next(row, col);
    if (next == currentCell)
        return currentCell;
    CGridPos prev = currentCell;
    currentCell = next;
    if (IsValidCell(prev)) {
        NotifyParent(prev.row, prev.col, GN_CURRENTCHANGING);
        SetCellState(prev.row, prev.col, GetCellState(prev.row, prev.col) & ~GCS_CURRENT);
        redrawCell(prev.row, prev.col);
        if (prev.col != next.col)
            repaintFixedRowCells(prev.col);
        if (prev.row != next.row)
            repaintFixedColCells(prev.row);
    }
    if (IsValidCell(next)) {
        SetCellState(row, col, GetCellState(row, col) | GCS_CURRENT);
        redrawCell(row, col);
        if (prev.col != next.col)
            repaintFixedRowCells(col);
        if (prev.row != next.row)
            repaintFixedColCells(row);
        NotifyParent(row, col, GN_CURRENTCHANGED);
        onCurrentMoved(row, col);
    }
    return prev;
}

bool CellGridCore::IsPicked(int row, int col) const {
    return pickedCells.count(pickKey(row, col)) != 0;
}

void CellGridCore::ApplySelection(int minRow, int minCol, int maxRow, int maxCol,
                                  BOOL forceRepaint) {
    if (!selectionEnabled)
        return;
    std::vector<CGridPos> redraw;
    CGridSpan block(minRow, minCol, maxRow, maxCol);
    bool blockValid = IsValidSpan(block);
    auto inBlock = [&](const CGridPos& p) {
        return blockValid && p.row >= minRow && p.row <= maxRow && p.col >= minCol &&
               p.col <= maxCol;
    };

    std::vector<CGridPos> before;
    before.reserve(pickedCells.size());
    for (const auto& [key, pos] : pickedCells)
        before.push_back(pos);
    std::set<std::uint64_t> wasPicked;
    for (const CGridPos& p : before) {
        if (!IsValidCell(p))
            continue;
        SetCellState(p.row, p.col, GetCellState(p.row, p.col) & ~GCS_PICKED);
        wasPicked.insert(pickKey(p.row, p.col));
        if (!inBlock(p))
            redraw.push_back(p);
    }
    // Entries of cells that no longer exist cannot be cleared through their state.
    pickedCells.clear();

    if (!singleRowSel) {
        std::vector<CGridPos> saved;
        for (const auto& [key, pos] : savedPickedCells)
            saved.push_back(pos);
        for (const CGridPos& p : saved) {
            if (!IsValidCell(p))
                continue;
            SetCellState(p.row, p.col, GetCellState(p.row, p.col) | GCS_PICKED);
            redraw.push_back(p);
        }
    }

    if (blockValid) {
        for (int r = minRow; r <= maxRow; ++r) {
            for (int c = minCol; c <= maxCol; ++c) {
                UINT state = GetCellState(r, c);
                if (state & GCS_PICKED)
                    continue;
                SetCellState(r, c, state | GCS_PICKED);
                // A cell that was selected already looks the same: no need to redraw it.
                if (!wasPicked.count(pickKey(r, c)))
                    redraw.push_back(CGridPos(r, c));
            }
        }
    }
    redrawCells(redraw, forceRepaint != FALSE);
    onSelectionChanged();
}

void CellGridCore::SelectEverything() {
    if (!selectionEnabled)
        return;
    ApplySelection(numFixedRows, numFixedCols, numRows - 1, numCols - 1, FALSE);
}

void CellGridCore::SelectColumnsTo(const CGridPos& cell) {
    if (!selectionEnabled || !IsValidCell(cell) || cell.col < numFixedCols)
        return;
    const CGridPos& a = selectionAnchor;
    ApplySelection(numFixedRows, std::min(a.col, cell.col), numRows - 1, std::max(a.col, cell.col),
                   FALSE);
}

void CellGridCore::SelectRowsTo(const CGridPos& cell) {
    if (!selectionEnabled || !IsValidCell(cell) || cell.row < numFixedRows)
        return;
    const CGridPos& a = selectionAnchor;
    int r0 = std::min(a.row, cell.row);
    int r1 = std::max(a.row, cell.row);
    if (listMode && singleRowSel)
        r0 = r1 = cell.row;
    ApplySelection(r0, numFixedCols, r1, numCols - 1, FALSE);
}

void CellGridCore::SelectCellsTo(const CGridPos& cell) {
    if (!selectionEnabled || !IsValidCell(cell) || cell.row < numFixedRows ||
        cell.col < numFixedCols)
        return;
    const CGridPos& a = selectionAnchor;
    ApplySelection(std::min(a.row, cell.row), std::min(a.col, cell.col), std::max(a.row, cell.row),
                   std::max(a.col, cell.col), FALSE);
}

void CellGridCore::ClearSelection() {
    ApplySelection(-1, -1, -1, -1, FALSE);
    SetCurrentCell(-1, -1);
}

CGridSpan CellGridCore::GetSelectionBounds() const {
    CGridSpan s(numRows, numCols, -1, -1);
    for (const auto& [key, p] : pickedCells) {
        s.minRow = std::min(s.minRow, p.row);
        s.minCol = std::min(s.minCol, p.col);
        s.maxRow = std::max(s.maxRow, p.row);
        s.maxCol = std::max(s.maxCol, p.col);
    }
    return s;
}

void CellGridCore::ExtendSelection(const CGridPos& cell) {
    switch (mouseMode) {
    case GMM_PICK_ALL:
        SelectEverything();
        break;
    case GMM_PICK_COLS:
        SelectColumnsTo(cell);
        break;
    case GMM_PICK_ROWS:
        SelectRowsTo(cell);
        break;
    case GMM_PICK_CELLS:
        SelectCellsTo(cell);
        break;
    default:
        break;
    }
}

void CellGridCore::OnFixedRowHit(const CGridPos& cell) {
    if (!IsValidCell(cell))
        return;
    if (!listMode) {
        mouseMode = cell.col < numFixedCols ? GMM_PICK_ALL : GMM_PICK_COLS;
        ExtendSelection(cell);
    } else if (headerSort) {
        SortByHeader(cell.col);
    }
}

void CellGridCore::OnFixedColumnHit(const CGridPos& cell) {
    if (!IsValidCell(cell))
        return;
    mouseMode = cell.row < numFixedRows ? GMM_PICK_ALL : GMM_PICK_ROWS;
    ExtendSelection(cell);
    if (fixedColumnHook && cell.col <= 1) {
        // The preview takes a name of at most 519 bytes.
        std::string name = GetCellText(cell.row, 1);
        if (name.size() > 519)
            name.resize(519);
        fixedColumnHook(name);
    }
}

} // namespace tnv
