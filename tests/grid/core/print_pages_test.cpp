#include "grid/core/print_pages.h"

#include <gtest/gtest.h>

using namespace tnv::printpages;

TEST(PrintPages, BreaksBetweenRows) {
    struct Case {
        const char* name;
        std::vector<int> heights;
        int body;
        // first row of each page, then one past the last row
        std::vector<std::size_t> starts;
    } cases[] = {
        {"rows filling the body exactly", {50, 50, 50, 50}, 100, {0, 2, 4}},
        {"one row exactly the body", {100, 1}, 100, {0, 1, 2}},
        {"a row taller than the body gets a page of its own", {40, 150, 40}, 100, {0, 1, 2, 3}},
        {"a tall first row", {150, 40}, 100, {0, 1, 2}},
        {"zero-height rows ride along", {0, 100, 0, 0, 1}, 100, {0, 4, 5}},
        {"no rows: one empty page", {}, 100, {0, 0}},
        {"twice the body: half as many pages", {40, 40, 40, 40}, 200, {0, 4}},
    };
    for (const Case& c : cases) {
        const int pages = int(c.starts.size()) - 1;
        EXPECT_EQ(CountPages(c.heights, c.body), pages) << c.name;
        for (int p = 1; p <= pages; ++p) {
            std::size_t first = FirstRowOfPage(c.heights, c.body, p);
            if (c.heights.empty()) {
                EXPECT_EQ(first, 0u) << c.name;
                continue;
            }
            EXPECT_EQ(first, c.starts[std::size_t(p - 1)]) << c.name << " page " << p;
            EXPECT_EQ(RowsOnPage(c.heights, c.body, first),
                      c.starts[std::size_t(p)] - c.starts[std::size_t(p - 1)])
                << c.name << " page " << p;
        }
        EXPECT_EQ(FirstRowOfPage(c.heights, c.body, pages + 1), c.heights.size()) << c.name;
    }
}

TEST(PrintPages, EveryRowPrintedOnce) {
    std::vector<int> heights;
    for (int i = 0; i < 300; ++i)
        heights.push_back((i * 37) % 90 + (i % 17 == 0 ? 250 : 0));
    const int pages = CountPages(heights, 200);
    std::size_t printed = 0;
    for (int p = 1; p <= pages; ++p) {
        std::size_t first = FirstRowOfPage(heights, 200, p);
        EXPECT_EQ(first, printed) << "page " << p;
        std::size_t n = RowsOnPage(heights, 200, first);
        EXPECT_GE(n, 1u) << "page " << p;
        printed += n;
    }
    EXPECT_EQ(printed, heights.size());
}
