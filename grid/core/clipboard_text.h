// The grid's clipboard text, without any window: building the text of a selection and splitting
// pasted text into lines and fields.
#pragma once

#include "grid/core/grid_records.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tnv {

namespace cliptext {

// What the copy needs to know of one cell of the selection's bounding range.
struct CellCopy {
    bool exists = false; // the position has a cell object
    bool picked = false; // the cell is selected
    std::string text;
};

// One line per row of `range`, "\n" between lines (none after the last), "\t" between the
// fields of a line. A selected cell gives its text, or " " when that is empty; any other cell
// gives an empty field. Empty when the range is not a span.
std::string BuildSelectionText(const CGridSpan& range,
                               const std::function<CellCopy(int row, int col)>& cell);

// The fields of one pasted line: split at tabs, commas and line feeds, runs of separators
// counting as one and leading ones skipped, each field trimmed of white space.
std::vector<std::string> SplitPastedLine(std::string_view line);

// All lines of a pasted text, split at "\n". An empty line other than the last pastes as one
// empty field (it empties its first target cell); an empty last line pastes nothing. The text
// ends at its first zero byte.
std::vector<std::vector<std::string>> SplitPastedText(std::string_view text);

} // namespace cliptext

} // namespace tnv
