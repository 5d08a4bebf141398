#include "grid/core/grid_core.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tnv {

namespace {

// The text handed out by CopyCellText; one buffer for every grid of the process.
char copyBuffer[1024];

// The attributes the mask names, other than the text, from a cell to a cell record or back.
template <class To, class From> void copyAttributes(UINT mask, To& to, const From& from) {
    if (mask & GCIF_DATA)
        to.data = from.data;
    if (mask & GCIF_IMAGE)
        to.image = from.image;
    if (mask & GCIF_STATE)
        to.state = from.state;
    if (mask & GCIF_FORMAT)
        to.format = from.format;
    if (mask & GCIF_BACKCOLOR)
        to.backColor = from.backColor;
    if (mask & GCIF_TEXTCOLOR)
        to.textColor = from.textColor;
    if (mask & GCIF_FONT)
        to.font = from.font;
}

} // namespace

CellGridCore::CellGridCore(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : CellGridCore(GridLook{}, nRows, nCols, nFixedRows, nFixedCols) {}

CellGridCore::CellGridCore(const GridLook& look, int nRows, int nCols, int nFixedRows,
                           int nFixedCols)
    : cellTextColor(look.windowText), cellBackColor(look.window), gridBackColor(look.buttonShadow),
      fixedTextColor(look.windowText), fixedBackColor(look.buttonFace), gridFont(look.font) {
    SetNumRows(nRows);
    SetNumCols(nCols);
    SetNumFixedRows(nFixedRows);
    SetNumFixedCols(nFixedCols);
}

CGridEntry* CellGridCore::cellAt(int row, int col) const {
    if (row < 0 || col < 0 || row >= numRows || col >= numCols)
        return nullptr;
    if (std::size_t(row) >= rowStore.size() || !rowStore[std::size_t(row)])
        return nullptr;
    const CGridRowCells& cells = *rowStore[std::size_t(row)];
    if (std::size_t(col) >= cells.size())
        return nullptr;
    return cells[std::size_t(col)].get();
}

BOOL CellGridCore::IsValidCell(int row, int col) const {
    return row >= 0 && row < numRows && col >= 0 && col < numCols;
}

BOOL CellGridCore::IsValidSpan(const CGridSpan& s) const {
    return s.minRow >= 0 && s.minCol >= 0 && s.maxRow >= 0 && s.maxCol >= 0 && s.maxRow < numRows &&
           s.maxCol < numCols && s.minRow <= s.maxRow && s.minCol <= s.maxCol;
}

std::unique_ptr<CGridEntry> CellGridCore::MakeCell(int row, int col) {
    auto cell = std::make_unique<CGridEntry>();
    cell->font = gridFont;
    if (row > 0 && col >= 0 && col < numCols)
        cell->format = GetCellFormat(row - 1, col);
    return cell;
}

void CellGridCore::WipeCell(CGridEntry* cell, int row, int col) {
    SetCellState(row, col, 0);
    if (cell)
        cell->text.clear();
}

BOOL CellGridCore::SetNumRows(int n) {
    return setCount(Axis::Rows, n);
}
BOOL CellGridCore::SetNumCols(int n) {
    return setCount(Axis::Cols, n);
}
BOOL CellGridCore::SetNumFixedRows(int n) {
    return setFixedCount(Axis::Rows, n);
}
BOOL CellGridCore::SetNumFixedCols(int n) {
    return setFixedCount(Axis::Cols, n);
}

BOOL CellGridCore::setCount(Axis axis, int n) {
    const bool rows = axis == Axis::Rows;
    int& count = rows ? numRows : numCols;
    if (n < 0)
        return FALSE;
    if (n == count)
        return TRUE;
    int& fixed = rows ? numFixedRows : numFixedCols;
    if (n < fixed)
        fixed = n;
    if ((rows ? currentCell.row : currentCell.col) >= n)
        SetCurrentCell(-1, -1);
    // The cells of the rows (or columns) from..to-1, row by row: a new cell takes its format
    // from the one above it.
    auto across = [&](int from, int to, auto&& visit) {
        for (int r = rows ? from : 0; r < (rows ? to : numRows); ++r)
            for (int c = rows ? 0 : from; c < (rows ? numCols : to); ++c)
                visit(r, c);
    };
    const int old = count;
    across(n, old, [this](int r, int c) { WipeCell(cellAt(r, c), r, c); });
    if (rows)
        rowStore.resize(std::size_t(n));
    else
        for (auto& row : rowStore)
            if (row)
                row->resize(std::size_t(n));
    (rows ? rowSizes : colSizes)
        .resize(std::size_t(n), std::uint32_t(rows ? defaultRowSize : defaultColSize));
    count = n;
    if (rows)
        for (int r = old; r < n; ++r)
            rowStore[std::size_t(r)] = std::make_unique<CGridRowCells>(std::size_t(numCols));
    across(old, n, [this](int r, int c) {
        if (auto& row = rowStore[std::size_t(r)])
            (*row)[std::size_t(c)] = MakeCell(r, c);
    });
    onLayoutChanged(LayoutChange::Counts);
    return TRUE;
}

BOOL CellGridCore::setFixedCount(Axis axis, int n) {
    const bool rows = axis == Axis::Rows;
    if (n < 0)
        return FALSE;
    if (n > (rows ? numRows : numCols) && !setCount(axis, n))
        return FALSE;
    const int current = rows ? currentCell.row : currentCell.col;
    if (current >= 0 && current < n)
        SetCurrentCell(-1, -1);
    (rows ? numFixedRows : numFixedCols) = n;
    onLayoutChanged(LayoutChange::FixedCounts);
    return TRUE;
}

BOOL CellGridCore::ClearGrid() {
    ClearSelection();
    colSizes.clear();
    rowSizes.clear();
    rowStore.clear(); // the cells, whose picked marks go next
    pickedCells.clear();
    currentCell = CGridPos();
    numRows = numFixedRows = numCols = numFixedCols = 0;
    onLayoutChanged(LayoutChange::Cleared);
    return TRUE;
}

int CellGridCore::sumSizes(const std::vector<std::uint32_t>& sizes, int from, int to) {
    long long sum = 0;
    for (int i = std::max(from, 0); i < to && i < int(sizes.size()); ++i)
        sum += sizes[std::size_t(i)];
    return int(std::min<long long>(sum, INT_MAX));
}

int CellGridCore::GetFixedBandHeight() const {
    return sumSizes(rowSizes, 0, numFixedRows);
}
int CellGridCore::GetFixedBandWidth() const {
    return sumSizes(colSizes, 0, numFixedCols);
}
int CellGridCore::GetContentHeight() const {
    return sumSizes(rowSizes, 0, numRows);
}
int CellGridCore::GetContentWidth() const {
    return sumSizes(colSizes, 0, numCols);
}

int CellGridCore::GetRowSize(int row) const {
    return sizeAt(rowSizes, row);
}
int CellGridCore::GetColSize(int col) const {
    return sizeAt(colSizes, col);
}
BOOL CellGridCore::SetRowSize(int row, int pixels) {
    return setSizeAt(rowSizes, row, pixels);
}
BOOL CellGridCore::SetColSize(int col, int pixels) {
    return setSizeAt(colSizes, col, pixels);
}

int CellGridCore::sizeAt(const std::vector<std::uint32_t>& sizes, int i) {
    return i < 0 || std::size_t(i) >= sizes.size() ? -1 : int(sizes[std::size_t(i)]);
}

BOOL CellGridCore::setSizeAt(std::vector<std::uint32_t>& sizes, int i, int pixels) {
    if (i < 0 || std::size_t(i) >= sizes.size() || pixels < 0)
        return FALSE;
    sizes[std::size_t(i)] = std::uint32_t(pixels);
    return TRUE;
}

BOOL CellGridCore::SetCellInfo(const GRIDCELLINFO* info) {
    if (!info)
        return FALSE;
    CGridEntry* cell = cellAt(info->row, info->col);
    if (!cell)
        return FALSE;
    UINT mask = info->mask & 0xFFu;
    if (mask & GCIF_TEXT) {
        cell->text = info->text;
        onTextChanged(info->row, info->col);
    }
    copyAttributes(mask, *cell, *info);
    return TRUE;
}

BOOL CellGridCore::GetCellInfo(GRIDCELLINFO* info) {
    if (!info)
        return FALSE;
    CGridEntry* cell = cellAt(info->row, info->col);
    if (!cell)
        return FALSE;
    UINT mask = info->mask & 0xFFu;
    if (mask & GCIF_TEXT)
        info->text = GetCellText(info->row, info->col);
    copyAttributes(mask, *info, *cell);
    return TRUE;
}

BOOL CellGridCore::SetCellText(int row, int col, const std::string& text) {
    CGridEntry* cell = cellAt(row, col);
    if (!cell)
        return FALSE;
    cell->text = text;
    onTextChanged(row, col);
    return TRUE;
}

std::string CellGridCore::GetCellText(int row, int col) {
    CGridEntry* cell = cellAt(row, col);
    return cell ? cell->text : std::string();
}

int CellGridCore::GetCellImage(int row, int col) const {
    CGridEntry* cell = cellAt(row, col);
    return cell ? cell->image : -1;
}

BOOL CellGridCore::SetCellState(int row, int col, UINT state) {
    CGridEntry* cell = cellAt(row, col);
    if (!cell)
        return FALSE;
    bool was = (cell->state & GCS_PICKED) != 0;
    bool now = (state & GCS_PICKED) != 0;
    if (was && !now)
        pickedCells.erase(pickKey(row, col));
    else if (!was && now)
        pickedCells.emplace(pickKey(row, col), CGridPos(row, col));
    cell->state = state;
    return TRUE;
}

UINT CellGridCore::GetCellState(int row, int col) const {
    CGridEntry* cell = cellAt(row, col);
    return cell ? cell->state : 0;
}

UINT CellGridCore::GetCellFormat(int row, int col) const {
    CGridEntry* cell = cellAt(row, col);
    return cell ? cell->format : 0;
}

BOOL CellGridCore::SetCellBackColor(int row, int col, COLORREF color) {
    CGridEntry* cell = cellAt(row, col);
    if (!cell)
        return FALSE;
    cell->backColor = color;
    return TRUE;
}

BOOL CellGridCore::SetCellFont(int row, int col, const LOGFONT* font) {
    CGridEntry* cell = cellAt(row, col);
    if (!cell || !font)
        return FALSE;
    cell->font = *font;
    return TRUE;
}

const LOGFONT* CellGridCore::GetCellFont(int row, int col) const {
    CGridEntry* cell = cellAt(row, col);
    return cell ? &cell->font : &gridFont;
}

LPARAM CellGridCore::GetCellData(int row, int col) const {
    CGridEntry* cell = cellAt(row, col);
    return cell ? cell->data : 0;
}

const char* CellGridCore::CopyCellText(int row, int col, int maxLen) {
    // The buffer's last byte is always the terminator: longer texts and larger limits are cut
    // to what fits instead of writing past its end.
    constexpr int room = int(sizeof copyBuffer) - 1;
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = GCIF_TEXT;
    GetCellInfo(&info);
    std::size_t n = std::min(info.text.size(), std::size_t(room));
    std::memcpy(copyBuffer, info.text.data(), n);
    copyBuffer[n] = '\0';
    copyBuffer[std::clamp(maxLen, 0, room)] = '\0';
    return copyBuffer;
}

void CellGridCore::MarkModified(BOOL flag, int row, int col) {
    if (row <= 0 || col <= 0) {
        modified = flag;
    } else if (flag) {
        SetCellState(row, col, GetCellState(row, col) | GCS_CHANGED);
        modified = TRUE;
    } else {
        SetCellState(row, col, GetCellState(row, col) & ~GCS_CHANGED);
    }
    if (!modified) {
        for (auto& cells : rowStore) {
            if (!cells)
                continue;
            for (auto& cell : *cells)
                if (cell)
                    cell->state &= ~GCS_CHANGED;
        }
    }
}

BOOL CellGridCore::IsCellWritable(int row, int col) const {
    return editable && !(GetCellState(row, col) & GCS_LOCKED);
}

} // namespace tnv
