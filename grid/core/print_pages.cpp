#include "grid/core/print_pages.h"
#include "grid/core/grid_core.h"

namespace tnv {

namespace printpages {

// A page breaks before a row that would end below the body, unless the page has no row yet: a
// row taller than the body then gets a page of its own instead of never being printed.
int CountPages(const std::vector<int>& heights, int bodyHeight) {
    int pages = 1;
    long long acc = 0;
    bool empty = true;
    for (int h : heights) {
        if (!empty && acc + h > bodyHeight) {
            ++pages;
            acc = 0;
        }
        acc += h;
        empty = false;
    }
    return pages;
}

std::size_t FirstRowOfPage(const std::vector<int>& heights, int bodyHeight, int page) {
    if (page < 1)
        return heights.size();
    int at = 1;
    std::size_t r = 0;
    while (at < page && r < heights.size()) {
        r += RowsOnPage(heights, bodyHeight, r);
        ++at;
    }
    return at == page ? r : heights.size();
}

std::size_t RowsOnPage(const std::vector<int>& heights, int bodyHeight, std::size_t first) {
    std::size_t n = 0;
    long long top = 0;
    for (std::size_t r = first; r < heights.size(); ++r, ++n) {
        if (n > 0 && top + heights[r] > bodyHeight)
            break;
        top += heights[r];
    }
    return n;
}

} // namespace printpages

std::vector<int> CellGridCore::GetBodyRowHeights() const {
    std::vector<int> heights;
    for (int r = numFixedRows; r < numRows; ++r)
        heights.push_back(GetRowSize(r));
    return heights;
}

} // namespace tnv
