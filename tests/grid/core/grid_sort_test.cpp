// Sorting whole rows by text and by data word.
#include "tests/grid/core/grid_test_util.h"

#include <algorithm>
#include <random>

namespace {

using Texts = std::vector<std::string>;

// Header row 0, a numbering column 0, keys in column 1; row r is 10 + r pixels high.
struct Numbered : TestGrid {
    explicit Numbered(const Texts& keys) : TestGrid(int(keys.size()) + 1, 3, 1, 1) {
        SetCellText(0, 1, "Name");
        for (int r = 1; r <= int(keys.size()); ++r) {
            SetCellText(r, 0, std::to_string(r));
            SetCellText(r, 1, keys[std::size_t(r - 1)]);
            SetRowSize(r, 10 + r);
        }
    }
};

Texts body(TestGrid& g, int col) {
    Texts all = g.column(col);
    return Texts(all.begin() + g.GetNumFixedRows(), all.end());
}

int bySigned(LPARAM a, LPARAM b, LPARAM user) {
    return (a < b ? -1 : a > b ? 1 : 0) * user;
}

} // namespace

TEST(GridSort, ByteOrderCapitalsFirstPrefixFirstHighBytesLast) {
    struct Case {
        Texts in;
        bool ascending;
        Texts out;
        int lo = 0, hi = 0; // the rows sorted; 0: all
    } cases[] = {
        {{"b", "B", "a", "A"}, true, {"A", "B", "a", "b"}},
        {{"b", "B", "a", "A"}, false, {"b", "a", "B", "A"}},
        {{"ab", "a", "abc", ""}, true, {"", "a", "ab", "abc"}},
        {{"\xE9t\xE9", "zoo", "Zoo", "\x80"}, true, {"Zoo", "zoo", "\x80", "\xE9t\xE9"}},
        {{"3", "1", "2", "1"}, true, {"1", "1", "2", "3"}},
        {{"e", "d", "c", "b", "a"}, true, {"e", "b", "c", "d", "a"}, 2, 4}, // the rest stays
    };
    for (const Case& c : cases) {
        Numbered g(c.in);
        EXPECT_TRUE(c.hi ? g.SortRowsByTextRange(1, c.ascending, c.lo, c.hi)
                         : g.SortRowsByText(1, c.ascending));
        EXPECT_EQ(body(g, 1), c.out);
    }
}

TEST(GridSort, WholeRowsMoveAndFixedRowsStay) {
    Numbered g(Texts{"c", "a", "b"});
    g.SetCellState(1, 2, GCS_LOCKED);
    g.SetCellBackColor(1, 2, RGB(255, 0, 0));
    ASSERT_TRUE(g.SortRowsByText(1, TRUE));
    EXPECT_EQ(g.GetCellText(0, 1), "Name");
    EXPECT_EQ(body(g, 0), (Texts{"2", "3", "1"})); // the numbering column travelled
    EXPECT_EQ(g.GetRowSize(3), 11);                // and so did the height of row "c"
    EXPECT_EQ(g.GetRowSize(1), 12);
    EXPECT_EQ(g.GetCellState(3, 2), GCS_LOCKED);
    GRIDCELLINFO info = cellInfo(3, 2, GCIF_BACKCOLOR);
    g.GetCellInfo(&info);
    EXPECT_EQ(info.backColor, RGB(255, 0, 0));
}

TEST(GridSort, RefusesButStillClearsTheSelection) {
    struct Case {
        Texts keys;
        int col;
    } cases[] = {{{}, 1}, {{"only"}, 1}, {{"b", "a"}, 3}, {{"b", "a"}, 7}};
    for (const Case& c : cases) {
        Numbered g(c.keys);
        g.SetNumRows(std::max(g.GetNumRows(), 2));
        g.SetCurrentCell(1, 1);
        g.SetCellState(1, 2, GCS_PICKED);
        EXPECT_FALSE(g.SortRowsByText(c.col, TRUE));
        EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
        EXPECT_EQ(g.GetPickedCount(), 0u);
    }
    Numbered g(Texts{"b", "a"});
    EXPECT_FALSE(g.SortRowsByTextRange(1, TRUE, -1, 2));
    EXPECT_FALSE(g.SortRowsByTextRange(1, TRUE, 1, 9)); // past the last row
    EXPECT_FALSE(g.SortRowsByTextRange(-1, TRUE, 1, 2));
    EXPECT_FALSE(g.SortRowsByData(nullptr, 1, TRUE, 0));
    EXPECT_EQ(body(g, 1), (Texts{"b", "a"}));
}

TEST(GridSort, LargeTablesSortedAndReversedWithoutDeepRecursion) {
    std::mt19937 rng(7);
    for (int kind = 0; kind < 3; ++kind) {
        Texts keys;
        for (int i = 0; i < 20000; ++i) {
            int v = kind == 0 ? int(rng() % 5000) : kind == 1 ? i : 20000 - i;
            keys.push_back(std::to_string(1000000 + v).substr(1)); // six digits
        }
        Numbered g(keys);
        ASSERT_TRUE(g.SortRowsByText(1, TRUE));
        Texts sorted = keys;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(body(g, 1), sorted);
        ASSERT_TRUE(g.SortRowsByText(1, FALSE));
        std::reverse(sorted.begin(), sorted.end());
        EXPECT_EQ(body(g, 1), sorted);
    }
}

TEST(GridSort, DataWordsThroughTheCallersCompare) {
    TestGrid g(5, 2, 1, 0);
    LPARAM words[] = {300, -5, 70000, 0};
    for (int i = 0; i < 4; ++i) {
        GRIDCELLINFO info = cellInfo(i + 1, 1, GCIF_DATA | GCIF_TEXT);
        info.data = words[i];
        info.text = std::to_string(words[i]);
        g.SetCellInfo(&info);
    }
    ASSERT_TRUE(g.SortRowsByData(bySigned, 1, TRUE, 1));
    EXPECT_EQ(body(g, 1), (Texts{"-5", "0", "300", "70000"}));
    // The user value reaches the compare unchanged: -1 turns the order round.
    ASSERT_TRUE(g.SortRowsByData(bySigned, 1, TRUE, -1));
    EXPECT_EQ(body(g, 1), (Texts{"70000", "300", "0", "-5"}));
    ASSERT_TRUE(g.SortRowsByData(bySigned, 1, FALSE, 1));
    EXPECT_EQ(body(g, 1), (Texts{"70000", "300", "0", "-5"}));
}

TEST(GridSort, RangeSortTakesTheSelectionAlongWithTheRows) {
    Numbered g(Texts{"d", "c", "b", "a"});
    g.SetSelectionAnchor(CGridPos(1, 1));
    g.SelectCellsTo(CGridPos(1, 2)); // row "d"
    g.SetCurrentCell(2, 1);          // row "c"
    ASSERT_TRUE(g.SortRowsByTextRange(1, TRUE, 1, 4));
    EXPECT_EQ(body(g, 1), (Texts{"a", "b", "c", "d"}));
    EXPECT_EQ(picked(g), block(4, 1, 4, 2));
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(3, 1));
    EXPECT_EQ(g.GetSelectionAnchor(), CGridPos(4, 1));
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(4, 1, 4, 2));
    g.ClearSelection(); // the map and the bits agree, so nothing stays behind
    for (int r = 0; r < g.GetNumRows(); ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(g.GetCellState(r, c) & (GCS_PICKED | GCS_CURRENT), 0u);
}

TEST(GridSort, HeaderClicksToggleTheDirection) {
    Numbered g(Texts{"b", "c", "a"});
    g.SetCellText(1, 2, "z");
    g.SetCellText(2, 2, "y");
    g.SetCellText(3, 2, "x");
    g.SortByHeader(1);
    EXPECT_TRUE(g.IsSortAscending());
    EXPECT_EQ(body(g, 1), (Texts{"a", "b", "c"}));
    g.SortByHeader(1);
    EXPECT_FALSE(g.IsSortAscending());
    EXPECT_EQ(body(g, 1), (Texts{"c", "b", "a"}));
    g.SortByHeader(2);
    EXPECT_TRUE(g.IsSortAscending());
    EXPECT_EQ(g.GetSortColumn(), 2);
    EXPECT_EQ(body(g, 2), (Texts{"x", "y", "z"}));
}

TEST(GridSort, FixedRowPressSortsOnlyInListModeWithHeaderSort) {
    Numbered g(Texts{"b", "a"});
    g.OnFixedRowHit(CGridPos(0, 1)); // not list mode: selects the column
    EXPECT_EQ(body(g, 1), (Texts{"b", "a"}));
    g.SetListMode(TRUE);
    g.SetHeaderSort(FALSE);
    g.OnFixedRowHit(CGridPos(0, 1));
    EXPECT_EQ(body(g, 1), (Texts{"b", "a"}));
    g.SetHeaderSort(TRUE);
    g.OnFixedRowHit(CGridPos(0, 1));
    EXPECT_EQ(body(g, 1), (Texts{"a", "b"}));
}

// Equal keys end where the quicksort's exchanges leave them (it is not stable), worked out by
// hand from its steps: the middle row's key as the pivot, both scans stopping at a key equal to
// it, two rows swapped only when their keys differ, the smaller part sorted first. Keys that
// differ only after a zero byte are equal. Rows keep their numbers, heights and texts; a picked
// cell, the current cell and an anchor inside the range follow their rows.
TEST(GridSort, TiesLandWhereTheQuicksortLeavesThem) {
    const std::string bz("b\0z", 3), az("a\0z", 3);
    struct Case {
        const char* name;
        Texts keys;
        bool byData; // the first letter's code as the data word
        bool ascending;
        int lo, hi;
        std::vector<int> rows; // the old rows, in their new order
    } cases[] = {
        {"text, ascending", {"b", "a", bz, "a", "b"}, false, true, 1, 5, {4, 2, 1, 3, 5}},
        {"text, descending", {"a", "b", "a", "b", az}, false, false, 1, 5, {4, 2, 1, 3, 5}},
        {"data words", {"b", "a", "b", "a", "b"}, true, true, 1, 5, {4, 2, 1, 3, 5}},
        {"a range", {"z", "b", "a", "b", "a", "b"}, false, true, 2, 6, {1, 5, 3, 2, 4, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Numbered g(c.keys);
        for (int r = 1; r <= int(c.keys.size()); ++r) {
            GRIDCELLINFO info = cellInfo(r, 1, GCIF_DATA);
            info.data = LPARAM(c.keys[std::size_t(r - 1)][0]);
            g.SetCellInfo(&info);
        }
        g.SetSelectionAnchor(CGridPos(2, 1));
        g.SelectCellsTo(CGridPos(2, 2));
        g.SetCurrentCell(4, 2);
        g.SetSelectionAnchor(CGridPos(c.lo > 1 ? c.lo - 1 : 2, 1));
        ASSERT_TRUE(c.byData ? g.SortRowsByDataRange(bySigned, 1, c.ascending, 1, c.lo, c.hi)
                             : g.SortRowsByTextRange(1, c.ascending, c.lo, c.hi));
        for (std::size_t k = 0; k < c.rows.size(); ++k) {
            int row = int(k) + 1, old = c.rows[k];
            EXPECT_EQ(g.GetCellText(row, 0), std::to_string(old)) << "row " << row;
            EXPECT_EQ(g.GetRowSize(row), 10 + old) << "row " << row;
            EXPECT_EQ(g.GetCellText(row, 1), c.keys[std::size_t(old - 1)]) << "row " << row;
        }
        auto newRow = [&](int old) {
            return int(std::find(c.rows.begin(), c.rows.end(), old) - c.rows.begin()) + 1;
        };
        EXPECT_EQ(picked(g), block(newRow(2), 1, newRow(2), 2));
        EXPECT_EQ(g.GetPickedCount(), 2u);
        EXPECT_EQ(g.GetCurrentCell(), CGridPos(newRow(4), 2));
        EXPECT_EQ(g.GetCellState(newRow(4), 2) & GCS_CURRENT, GCS_CURRENT);
        EXPECT_EQ(g.GetSelectionAnchor(),
                  c.lo > 1 ? CGridPos(c.lo - 1, 1) : CGridPos(newRow(2), 1));
        // The whole-table sorts start from no selection at all.
        ASSERT_TRUE(c.byData ? g.SortRowsByData(bySigned, 1, !c.ascending, 1)
                             : g.SortRowsByText(1, !c.ascending));
        EXPECT_EQ(g.GetPickedCount(), 0u);
        EXPECT_EQ(g.GetCurrentCell(), CGridPos());
    }
}
