// Page breaks of a printed grid, without any window: rows are never split, a page takes rows
// while their heights add up to at most the body height.
#pragma once

#include <vector>

namespace tnv {

namespace printpages {

// The number of pages for body rows of these heights; at least 1.
int CountPages(const std::vector<int>& heights, int bodyHeight);

// The index of the row that opens `page` (1-based); heights.size() when the page has no rows.
std::size_t FirstRowOfPage(const std::vector<int>& heights, int bodyHeight, int page);

// How many rows from `first` on are printed on one page; the first always is.
std::size_t RowsOnPage(const std::vector<int>& heights, int bodyHeight, std::size_t first);

} // namespace printpages

} // namespace tnv
