// Helpers shared by the grid's tests.
#pragma once

#include "grid/core/grid_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tnv;

// Opens a grid's protected state to the tests: the table alone, or the grid on screen.
template <class Grid> class TestGridOf : public Grid {
public:
    using Grid::Grid;
    using Grid::savedPickedCells;
    std::vector<std::string> column(int col) {
        std::vector<std::string> out;
        for (int r = 0; r < this->GetNumRows(); ++r)
            out.push_back(this->GetCellText(r, col));
        return out;
    }
    void saveSelection(const std::vector<CGridPos>& cells) {
        for (const CGridPos& p : cells)
            savedPickedCells[(std::uint64_t(std::uint32_t(p.col)) << 32) | std::uint32_t(p.row)] =
                p;
    }
};

// What GetCellInfo and SetCellInfo take: the cell and the attributes wanted.
inline GRIDCELLINFO cellInfo(int row, int col, UINT mask = 0) {
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = mask;
    return info;
}

// The picked cells, row by row; each one's state bit says the same.
template <class Grid> std::vector<CGridPos> picked(Grid& g) {
    std::vector<CGridPos> out;
    for (int r = 0; r < g.GetNumRows(); ++r)
        for (int c = 0; c < g.GetNumCols(); ++c) {
            const bool on = g.IsPicked(r, c);
            EXPECT_EQ(g.GetCellState(r, c) & GCS_PICKED, on ? GCS_PICKED : 0u) << r << "," << c;
            if (on)
                out.push_back(CGridPos(r, c));
        }
    return out;
}

inline std::vector<CGridPos> block(int r0, int c0, int r1, int c1) {
    std::vector<CGridPos> out;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            out.push_back(CGridPos(r, c));
    return out;
}

using TestGrid = TestGridOf<CellGridCore>;
