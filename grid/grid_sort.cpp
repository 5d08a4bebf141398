#include "grid/cell_grid.h"

#include <cstring>
#include <unordered_map>
#include <utility>

namespace {

// Plain byte-string order: unsigned bytes, case-sensitive, a prefix first.
int compareText(const std::string& a, const std::string& b) {
    return std::strcmp(a.c_str(), b.c_str());
}

} // namespace

BOOL CCellGrid::SortRowsByText(int col, BOOL ascending) {
    ClearSelection();
    SetCurrentCell(-1, -1);
    return SortRowsByTextRange(col, ascending, numFixedRows, -1);
}

BOOL CCellGrid::SortRowsByData(GridCompareFn compare, int col, BOOL ascending, LPARAM user) {
    ClearSelection();
    SetCurrentCell(-1, -1);
    return SortRowsByDataRange(compare, col, ascending, user, numFixedRows, -1);
}

// Both sorts are the same in-place quicksort over whole rows; only the key differs. Rows are
// exchanged by their cell arrays and heights. The smaller part is sorted by recursion and the
// larger one by the loop, so the stack stays shallow even on already sorted tables.
template <typename Key, typename Less>
static void quickSortRows(Key key, Less cmp, bool ascending, int lo, int hi,
                          std::vector<std::unique_ptr<CGridRowCells>>& rows,
                          std::vector<std::uint32_t>& heights) {
    while (lo < hi) {
        auto pivot = key((lo + hi) / 2);
        int i = lo;
        int j = hi;
        auto before = [&](int r) {
            int c = cmp(key(r), pivot);
            return ascending ? c < 0 : c > 0;
        };
        auto after = [&](int r) {
            int c = cmp(key(r), pivot);
            return ascending ? c > 0 : c < 0;
        };
        while (i <= j) {
            while (i < hi && before(i))
                ++i;
            while (j > lo && after(j))
                --j;
            if (j < i)
                break;
            if (cmp(key(i), key(j)) != 0) {
                std::swap(rows[std::size_t(i)], rows[std::size_t(j)]);
                std::swap(heights[std::size_t(i)], heights[std::size_t(j)]);
            }
            ++i;
            --j;
        }
        if (j - lo < hi - i) {
            if (lo < j)
                quickSortRows(key, cmp, ascending, lo, j, rows, heights);
            lo = i;
        } else {
            if (i < hi)
                quickSortRows(key, cmp, ascending, i, hi, rows, heights);
            hi = j;
        }
    }
}

// A range sort may run with cells selected: their state bits travel with the rows, so the
// selected-cell map, the current cell and the anchor are moved to the rows' new places.
void CCellGrid::followMovedRows(int lo, const std::vector<CGridRowCells*>& before) {
    std::unordered_map<const CGridRowCells*, int> oldIndex;
    for (std::size_t k = 0; k < before.size(); ++k)
        oldIndex[before[k]] = lo + int(k);
    std::unordered_map<int, int> moved;
    for (std::size_t k = 0; k < before.size(); ++k) {
        int now = lo + int(k);
        int was = oldIndex[rowStore[std::size_t(now)].get()];
        if (was != now)
            moved[was] = now;
    }
    if (moved.empty())
        return;
    auto follow = [&](CGridPos& p) {
        auto it = moved.find(p.row);
        if (it != moved.end())
            p.row = it->second;
    };
    std::map<std::uint64_t, CGridPos> picked;
    for (auto [key, pos] : pickedCells) {
        follow(pos);
        picked.emplace(pickKey(pos.row, pos.col), pos);
    }
    pickedCells.swap(picked);
    follow(currentCell);
    follow(selectionAnchor);
}

BOOL CCellGrid::SortRowsByTextRange(int col, BOOL ascending, int lo, int hi) {
    if (col < 0 || col >= numCols)
        return FALSE;
    if (hi == -1)
        hi = numRows - 1;
    if (lo < 0 || hi >= numRows || lo >= hi)
        return FALSE;
    std::vector<CGridRowCells*> before;
    for (int r = lo; r <= hi; ++r)
        before.push_back(rowStore[std::size_t(r)].get());
    auto key = [this, col](int r) { return GetCellText(r, col); };
    quickSortRows(key, compareText, ascending != FALSE, lo, hi, rowStore, rowSizes);
    followMovedRows(lo, before);
    return TRUE;
}

BOOL CCellGrid::SortRowsByDataRange(GridCompareFn compare, int col, BOOL ascending, LPARAM user,
                                    int lo, int hi) {
    if (!compare || col < 0 || col >= numCols)
        return FALSE;
    if (hi == -1)
        hi = numRows - 1;
    if (lo < 0 || hi >= numRows || lo >= hi)
        return FALSE;
    std::vector<CGridRowCells*> before;
    for (int r = lo; r <= hi; ++r)
        before.push_back(rowStore[std::size_t(r)].get());
    auto key = [this, col](int r) { return GetCellData(r, col); };
    auto cmp = [compare, user](LPARAM a, LPARAM b) { return compare(a, b, user); };
    quickSortRows(key, cmp, ascending != FALSE, lo, hi, rowStore, rowSizes);
    followMovedRows(lo, before);
    return TRUE;
}

void CCellGrid::SortByHeader(int col) {
    if (col == sortColumn) {
        sortAscending = !sortAscending;
    } else {
        sortAscending = TRUE;
        sortColumn = col;
    }
    Wnd::BeginWaitCursor();
    SortRowsByText(sortColumn, sortAscending);
    Invalidate(TRUE);
    Wnd::EndWaitCursor();
}
