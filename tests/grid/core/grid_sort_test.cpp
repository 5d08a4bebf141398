// Sorting whole rows by text and by data word.
#include "tests/grid/core/grid_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>

using namespace tnv;

namespace {

using Texts = std::vector<std::string>;

// Header row 0, a numbering column 0, keys in column 1.
std::unique_ptr<TestGrid> numbered(const Texts& keys) {
    auto grid = std::make_unique<TestGrid>(int(keys.size()) + 1, 3, 1, 1);
    TestGrid& g = *grid;
    g.SetCellText(0, 1, "Name");
    for (std::size_t i = 0; i < keys.size(); ++i) {
        int r = int(i) + 1;
        g.SetCellText(r, 0, std::to_string(r));
        g.SetCellText(r, 1, keys[i]);
        g.SetRowSize(r, 10 + r);
    }
    return grid;
}

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
    } cases[] = {
        {{"b", "B", "a", "A"}, true, {"A", "B", "a", "b"}},
        {{"b", "B", "a", "A"}, false, {"b", "a", "B", "A"}},
        {{"ab", "a", "abc", ""}, true, {"", "a", "ab", "abc"}},
        {{"\xE9t\xE9", "zoo", "Zoo", "\x80"}, true, {"Zoo", "zoo", "\x80", "\xE9t\xE9"}},
        {{"3", "1", "2", "1"}, true, {"1", "1", "2", "3"}},
    };
    for (const Case& c : cases) {
        auto gp = numbered(c.in);
        TestGrid& g = *gp;
        EXPECT_TRUE(g.SortRowsByText(1, c.ascending));
        EXPECT_EQ(body(g, 1), c.out);
    }
}

TEST(GridSort, WholeRowsMoveAndFixedRowsStay) {
    auto gp = numbered({"c", "a", "b"});
    TestGrid& g = *gp;
    g.SetCellState(1, 2, GCS_LOCKED);
    g.SetCellBackColor(1, 2, RGB(255, 0, 0));
    ASSERT_TRUE(g.SortRowsByText(1, TRUE));
    EXPECT_EQ(g.GetCellText(0, 1), "Name");
    EXPECT_EQ(body(g, 0), (Texts{"2", "3", "1"})); // the numbering column travelled
    EXPECT_EQ(g.GetRowSize(3), 11);                // and so did the height of row "c"
    EXPECT_EQ(g.GetRowSize(1), 12);
    EXPECT_EQ(g.GetCellState(3, 2), GCS_LOCKED);
    GRIDCELLINFO info;
    info.row = 3;
    info.col = 2;
    info.mask = GCIF_BACKCOLOR;
    g.GetCellInfo(&info);
    EXPECT_EQ(info.backColor, RGB(255, 0, 0));
}

TEST(GridSort, RefusesButStillClearsTheSelection) {
    struct Case {
        Texts keys;
        int col;
    } cases[] = {{{}, 1}, {{"only"}, 1}, {{"b", "a"}, 3}, {{"b", "a"}, 7}};
    for (const Case& c : cases) {
        auto gp = numbered(c.keys);
        TestGrid& g = *gp;
        g.SetNumRows(std::max(g.GetNumRows(), 2));
        g.SetCurrentCell(1, 1);
        g.SetCellState(1, 2, GCS_PICKED);
        EXPECT_FALSE(g.SortRowsByText(c.col, TRUE));
        EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
        EXPECT_EQ(g.GetPickedCount(), 0u);
    }
    auto gp = numbered({"b", "a"});
    TestGrid& g = *gp;
    EXPECT_FALSE(g.SortRowsByTextRange(1, TRUE, -1, 2));
    EXPECT_FALSE(g.SortRowsByTextRange(1, TRUE, 1, 9)); // past the last row
    EXPECT_FALSE(g.SortRowsByTextRange(-1, TRUE, 1, 2));
    EXPECT_FALSE(g.SortRowsByData(nullptr, 1, TRUE, 0));
    EXPECT_EQ(body(g, 1), (Texts{"b", "a"}));
}

TEST(GridSort, EqualKeysEndNextToEachOther) {
    auto gp = numbered({"x", "a", "x", "b", "x", "a"});
    TestGrid& g = *gp;
    ASSERT_TRUE(g.SortRowsByText(1, TRUE));
    EXPECT_EQ(body(g, 1), (Texts{"a", "a", "b", "x", "x", "x"}));
    Texts numbers = body(g, 0);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (Texts{"1", "2", "3", "4", "5", "6"})); // nothing lost or doubled
}

TEST(GridSort, LargeTablesSortedAndReversedWithoutDeepRecursion) {
    std::mt19937 rng(7);
    for (int kind = 0; kind < 3; ++kind) {
        Texts keys;
        for (int i = 0; i < 20000; ++i) {
            char buf[16];
            int v = kind == 0 ? int(rng() % 5000) : kind == 1 ? i : 20000 - i;
            std::snprintf(buf, sizeof buf, "%06d", v);
            keys.push_back(buf);
        }
        auto gp = numbered(keys);
        TestGrid& g = *gp;
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
        GRIDCELLINFO info;
        info.row = i + 1;
        info.col = 1;
        info.mask = GCIF_DATA | GCIF_TEXT;
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
    auto gp = numbered({"d", "c", "b", "a"});
    TestGrid& g = *gp;
    g.SetSelectionAnchor(CGridPos(1, 1));
    g.SelectCellsTo(CGridPos(1, 2)); // row "d"
    g.SetCurrentCell(2, 1);          // row "c"
    ASSERT_TRUE(g.SortRowsByTextRange(1, TRUE, 1, 4));
    EXPECT_EQ(body(g, 1), (Texts{"a", "b", "c", "d"}));
    EXPECT_TRUE(g.IsPicked(4, 1));
    EXPECT_TRUE(g.IsPicked(4, 2));
    EXPECT_FALSE(g.IsPicked(1, 1));
    EXPECT_EQ(g.GetCellState(4, 1) & GCS_PICKED, GCS_PICKED);
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(3, 1));
    EXPECT_EQ(g.GetSelectionAnchor(), CGridPos(4, 1));
    EXPECT_EQ(g.GetSelectionBounds(), CGridSpan(4, 1, 4, 2));
    g.ClearSelection(); // the map and the bits agree, so nothing stays behind
    for (int r = 0; r < g.GetNumRows(); ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(g.GetCellState(r, c) & (GCS_PICKED | GCS_CURRENT), 0u);
}

TEST(GridSort, PartialRangeLeavesTheRestAlone) {
    auto gp = numbered({"e", "d", "c", "b", "a"});
    TestGrid& g = *gp;
    ASSERT_TRUE(g.SortRowsByTextRange(1, TRUE, 2, 4));
    EXPECT_EQ(body(g, 1), (Texts{"e", "b", "c", "d", "a"}));
}

TEST(GridSort, HeaderClicksToggleTheDirection) {
    auto gp = numbered({"b", "c", "a"});
    TestGrid& g = *gp;
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
    auto gp = numbered({"b", "a"});
    TestGrid& g = *gp;
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

namespace {

// The row order the grid's quicksort gives, worked out on plain records: the middle element as
// pivot, a swap only between unequal keys, the smaller part first. Equal keys end in the order
// this exchange pattern leaves them in, and the grid must keep exactly that order.
struct Rec {
    std::string text;
    LPARAM data;
    int id;
};

template <typename Cmp>
void referenceSort(std::vector<Rec>& v, Cmp cmp, bool ascending, int lo, int hi) {
    while (lo < hi) {
        Rec pivot = v[std::size_t((lo + hi) / 2)];
        int i = lo, j = hi;
        auto sign = [&](int r) { return cmp(v[std::size_t(r)], pivot); };
        while (i <= j) {
            while (i < hi && (ascending ? sign(i) < 0 : sign(i) > 0))
                ++i;
            while (j > lo && (ascending ? sign(j) > 0 : sign(j) < 0))
                --j;
            if (j < i)
                break;
            if (cmp(v[std::size_t(i)], v[std::size_t(j)]) != 0)
                std::swap(v[std::size_t(i)], v[std::size_t(j)]);
            ++i;
            --j;
        }
        if (j - lo < hi - i) {
            if (lo < j)
                referenceSort(v, cmp, ascending, lo, j);
            lo = i;
        } else {
            if (i < hi)
                referenceSort(v, cmp, ascending, i, hi);
            hi = j;
        }
    }
}

int byText(const Rec& a, const Rec& b) {
    return std::strcmp(a.text.c_str(), b.text.c_str());
}
int byData(const Rec& a, const Rec& b) {
    return a.data < b.data ? -1 : a.data > b.data ? 1 : 0;
}

} // namespace

// Many duplicates, texts that differ only after an embedded zero byte, both directions, whole
// tables and ranges: rows (told apart by their number and height) land where the exchange
// pattern puts them, and a selection inside the range follows its rows.
TEST(GridSort, TiesLandWhereTheExchangePatternPutsThem) {
    std::mt19937 rng(11);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        int n = 2 + int(rng() % 300);
        int distinct = 1 + int(rng() % 6);
        bool byDataWord = round % 3 == 2;
        bool ascending = round % 2 == 0;
        TestGrid g(n + 1, 3, 1, 1);
        std::vector<Rec> recs;
        for (int k = 0; k < n; ++k) {
            int v = int(rng() % unsigned(distinct));
            std::string text = "key" + std::to_string(v);
            if (rng() % 4 == 0)
                text += std::string(1, '\0') + std::to_string(k); // invisible to the byte order
            recs.push_back(Rec{text, LPARAM(v * 1000 - 500), k + 1});
            GRIDCELLINFO info;
            info.row = k + 1;
            info.col = 1;
            info.mask = GCIF_TEXT | GCIF_DATA;
            info.text = text;
            info.data = recs.back().data;
            g.SetCellInfo(&info);
            g.SetCellText(k + 1, 0, std::to_string(k + 1));
            g.SetRowSize(k + 1, k + 1);
        }
        int lo = 1 + int(rng() % unsigned(std::max(1, n / 3)));
        int hi = round % 4 == 1 ? g.GetNumRows() - 1 - int(rng() % unsigned(std::max(1, n / 3)))
                                : g.GetNumRows() - 1;
        if (lo >= hi) {
            lo = 1;
            hi = n;
        }
        // A picked cell and the current cell inside the range, the anchor outside it if it can.
        int pickedRow = lo + int(rng() % unsigned(hi - lo + 1));
        int currentRow = lo + int(rng() % unsigned(hi - lo + 1));
        g.SetSelectionAnchor(CGridPos(pickedRow, 1));
        g.SelectCellsTo(CGridPos(pickedRow, 2));
        g.SetCurrentCell(currentRow, 2);
        g.SetSelectionAnchor(CGridPos(lo > 1 ? lo - 1 : pickedRow, 1));
        CGridPos anchorBefore = g.GetSelectionAnchor();

        std::vector<Rec> want(recs.begin(), recs.end());
        if (byDataWord) {
            referenceSort(want, byData, ascending, lo - 1, hi - 1);
            ASSERT_TRUE(g.SortRowsByDataRange(bySigned, 1, ascending, 1, lo, hi));
        } else {
            referenceSort(want, byText, ascending, lo - 1, hi - 1);
            ASSERT_TRUE(g.SortRowsByTextRange(1, ascending, lo, hi));
        }
        auto newRowOf = [&](int id) {
            for (int k = 0; k < n; ++k)
                if (want[std::size_t(k)].id == id)
                    return k + 1;
            return -1;
        };
        for (int k = 0; k < n; ++k) {
            const Rec& r = want[std::size_t(k)];
            ASSERT_EQ(g.GetCellText(k + 1, 0), std::to_string(r.id)) << "row " << k + 1;
            ASSERT_EQ(g.GetRowSize(k + 1), r.id);
            ASSERT_EQ(g.GetCellText(k + 1, 1), r.text);
        }
        EXPECT_TRUE(g.IsPicked(newRowOf(pickedRow), 1));
        EXPECT_TRUE(g.IsPicked(newRowOf(pickedRow), 2));
        EXPECT_EQ(g.GetPickedCount(), 2u);
        EXPECT_EQ(g.GetCurrentCell(), CGridPos(newRowOf(currentRow), 2));
        EXPECT_EQ(g.GetCellState(newRowOf(currentRow), 2) & GCS_CURRENT, GCS_CURRENT);
        CGridPos anchorWant = anchorBefore.row >= lo && anchorBefore.row <= hi
                                  ? CGridPos(newRowOf(anchorBefore.row), 1)
                                  : anchorBefore;
        EXPECT_EQ(g.GetSelectionAnchor(), anchorWant);
        // The whole-table sorts start from no selection at all.
        ASSERT_TRUE(byDataWord ? g.SortRowsByData(bySigned, 1, !ascending, 1)
                               : g.SortRowsByText(1, !ascending));
        EXPECT_EQ(g.GetPickedCount(), 0u);
        EXPECT_EQ(g.GetCurrentCell(), CGridPos());
    }
}
