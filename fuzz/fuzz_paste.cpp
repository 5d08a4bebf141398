// Pasted text: splitting never fails, fields are trimmed and never hold a separator, a copied
// table pastes back into the same shape, and a paste into a table writes only the cells from
// its target on, each with its field.
#include "grid/core/clipboard_text.h"
#include "grid/core/grid_core.h"

#include <cstdint>
#include <string>

using namespace tnv;

namespace {

void checkSplit(const std::vector<std::vector<std::string>>& lines) {
    if (lines.empty())
        __builtin_trap();
    for (const auto& fields : lines)
        for (const std::string& f : fields)
            if (f.find_first_of("\t,\n") != std::string::npos ||
                (!f.empty() && (f.front() == ' ' || f.back() == ' ' || f.back() == '\r')))
                __builtin_trap();
}

void checkPasteIntoTable(const std::string& text,
                         const std::vector<std::vector<std::string>>& lines) {
    constexpr int rows = 6, cols = 5, top = 2, left = 1;
    CellGridCore grid(rows, cols, 1, 1);
    GridDataObject data;
    data.hasText = true;
    data.text = text;
    if (!grid.ImportTextAt(CGridPos(top, left), data))
        __builtin_trap();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            std::size_t line = std::size_t(r - top), field = std::size_t(c - left);
            bool written =
                r >= top && c >= left && line < lines.size() && field < lines[line].size();
            if (grid.GetCellText(r, c) != (written ? lines[line][field] : std::string()))
                __builtin_trap();
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto lines = cliptext::SplitPastedText(text);
    checkSplit(lines);
    checkPasteIntoTable(text, lines);
    return 0;
}
