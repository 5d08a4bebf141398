#include "grid/core/grid_core.h"

#include <cstring>
#include <string>
#include <utility>

namespace tnv {

BOOL CellGridCore::SortRowsByText(int col, BOOL ascending) {
    ClearSelection();
    SetCurrentCell(-1, -1);
    return SortRowsByTextRange(col, ascending, numFixedRows, -1);
}

BOOL CellGridCore::SortRowsByData(GridCompareFn compare, int col, BOOL ascending, LPARAM user) {
    ClearSelection();
    SetCurrentCell(-1, -1);
    return SortRowsByDataRange(compare, col, ascending, user, numFixedRows, -1);
}

namespace {

// What the quicksort moves around: rows lo..hi of the grid, and beside them their keys and where
// each row stood before the sort. Entry k of `keys` and `origin` belongs to row lo + k and is
// exchanged along with it, so the keys are read from the cells only once and every comparison
// works on a small contiguous array.
template <typename Key> struct SortRun {
    std::vector<std::unique_ptr<CGridRowCells>>& rows;
    std::vector<std::uint32_t>& heights;
    std::vector<Key> keys;
    std::vector<int> origin;
    int base;

    const Key& key(int r) const { return keys[std::size_t(r - base)]; }
    void exchange(int a, int b) {
        std::swap(rows[std::size_t(a)], rows[std::size_t(b)]);
        std::swap(heights[std::size_t(a)], heights[std::size_t(b)]);
        std::swap(keys[std::size_t(a - base)], keys[std::size_t(b - base)]);
        std::swap(origin[std::size_t(a - base)], origin[std::size_t(b - base)]);
    }
};

// Both sorts are the same in-place quicksort over whole rows; only the key differs. Rows are
// exchanged by their cell arrays and heights. The smaller part is sorted by recursion and the
// larger one by the loop, so the stack stays shallow even on already sorted tables.
template <typename Key, typename Less>
void quickSortRows(SortRun<Key>& run, const Less& cmp, bool ascending, int lo, int hi) {
    while (lo < hi) {
        const Key pivot = run.key((lo + hi) / 2);
        int i = lo;
        int j = hi;
        auto before = [&](int r) {
            int c = cmp(run.key(r), pivot);
            return ascending ? c < 0 : c > 0;
        };
        auto after = [&](int r) {
            int c = cmp(run.key(r), pivot);
            return ascending ? c > 0 : c < 0;
        };
        while (i <= j) {
            while (i < hi && before(i))
                ++i;
            while (j > lo && after(j))
                --j;
            if (j < i)
                break;
            if (cmp(run.key(i), run.key(j)) != 0)
                run.exchange(i, j);
            ++i;
            --j;
        }
        if (j - lo < hi - i) {
            if (lo < j)
                quickSortRows(run, cmp, ascending, lo, j);
            lo = i;
        } else {
            if (i < hi)
                quickSortRows(run, cmp, ascending, i, hi);
            hi = j;
        }
    }
}

// Plain byte-string order: unsigned bytes, case-sensitive, a prefix first. A text ends at its
// first zero byte, as it does on screen.
int compareText(const char* a, const char* b) {
    return std::strcmp(a, b);
}

} // namespace

// A range sort may run with cells selected: their state bits travel with the rows, so the
// selected-cell map, the current cell and the anchor are moved to the rows' new places.
// origin[k] is the row that now stands at lo + k.
void CellGridCore::followMovedRows(int lo, const std::vector<int>& origin) {
    onLayoutChanged(LayoutChange::RowsMoved);
    int hi = lo + int(origin.size()) - 1;
    auto inRange = [&](const CGridPos& p) { return p.row >= lo && p.row <= hi; };
    bool anyPicked = false;
    for (const auto& entry : pickedCells)
        if (inRange(entry.second)) {
            anyPicked = true;
            break;
        }
    if (!anyPicked && !inRange(currentCell) && !inRange(selectionAnchor))
        return;
    std::vector<int> now(origin.size());
    for (std::size_t k = 0; k < origin.size(); ++k)
        now[std::size_t(origin[k] - lo)] = lo + int(k);
    auto follow = [&](CGridPos& p) {
        if (inRange(p))
            p.row = now[std::size_t(p.row - lo)];
    };
    if (anyPicked) {
        std::map<std::uint64_t, CGridPos> picked;
        for (auto [key, pos] : pickedCells) {
            follow(pos);
            picked.emplace(pickKey(pos.row, pos.col), pos);
        }
        pickedCells.swap(picked);
    }
    follow(currentCell);
    follow(selectionAnchor);
}

BOOL CellGridCore::SortRowsByTextRange(int col, BOOL ascending, int lo, int hi) {
    if (col < 0 || col >= numCols)
        return FALSE;
    if (hi == -1)
        hi = numRows - 1;
    if (lo < 0 || hi >= numRows || lo >= hi)
        return FALSE;
    // The texts are copied once, end to end into one block, and the keys point into it.
    std::size_t count = std::size_t(hi - lo + 1);
    std::vector<std::size_t> offsets(count);
    std::string block;
    for (std::size_t k = 0; k < count; ++k) {
        offsets[k] = block.size();
        block += GetCellText(lo + int(k), col);
        block += '\0';
    }
    SortRun<const char*> run{rowStore, rowSizes, {}, {}, lo};
    run.keys.resize(count);
    run.origin.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        run.keys[k] = block.data() + offsets[k];
        run.origin[k] = lo + int(k);
    }
    quickSortRows(run, compareText, ascending != FALSE, lo, hi);
    followMovedRows(lo, run.origin);
    return TRUE;
}

BOOL CellGridCore::SortRowsByDataRange(GridCompareFn compare, int col, BOOL ascending, LPARAM user,
                                       int lo, int hi) {
    if (!compare || col < 0 || col >= numCols)
        return FALSE;
    if (hi == -1)
        hi = numRows - 1;
    if (lo < 0 || hi >= numRows || lo >= hi)
        return FALSE;
    std::size_t count = std::size_t(hi - lo + 1);
    SortRun<LPARAM> run{rowStore, rowSizes, {}, {}, lo};
    run.keys.resize(count);
    run.origin.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        run.keys[k] = GetCellData(lo + int(k), col);
        run.origin[k] = lo + int(k);
    }
    auto cmp = [compare, user](LPARAM a, LPARAM b) { return compare(a, b, user); };
    quickSortRows(run, cmp, ascending != FALSE, lo, hi);
    followMovedRows(lo, run.origin);
    return TRUE;
}

void CellGridCore::SortByHeader(int col) {
    if (col == sortColumn) {
        sortAscending = !sortAscending;
    } else {
        sortAscending = TRUE;
        sortColumn = col;
    }
    sortBusy(true);
    SortRowsByText(sortColumn, sortAscending);
    redrawAll();
    sortBusy(false);
}

} // namespace tnv
