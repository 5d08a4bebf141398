// Helpers shared by the grid's tests.
#pragma once

#include "grid/cell_grid.h"

#include <string>
#include <vector>

// Opens the grid's protected state to the tests.
class TestGrid : public CCellGrid {
public:
    using CCellGrid::CCellGrid;
    using CCellGrid::savedPickedCells;
    std::vector<std::string> column(int col) {
        std::vector<std::string> out;
        for (int r = 0; r < GetNumRows(); ++r)
            out.push_back(GetCellText(r, col));
        return out;
    }
    void fillColumn(int col, const std::vector<std::string>& texts, int firstRow = 0) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            SetCellText(firstRow + int(i), col, texts[i]);
    }
    void saveSelection(const std::vector<CGridPos>& cells) {
        for (const CGridPos& p : cells)
            savedPickedCells[(std::uint64_t(std::uint32_t(p.col)) << 32) | std::uint32_t(p.row)] =
                p;
    }
};
