#include "grid/core/clipboard_text.h"
#include "grid/core/grid_core.h"

namespace tnv {

namespace cliptext {

std::string BuildSelectionText(const CGridSpan& range,
                               const std::function<CellCopy(int row, int col)>& cell) {
    std::string out;
    if (range.minRow < 0 || range.minCol < 0 || range.maxRow < range.minRow ||
        range.maxCol < range.minCol)
        return out;
    for (int r = range.minRow; r <= range.maxRow; ++r) {
        for (int c = range.minCol; c <= range.maxCol; ++c) {
            if (c > range.minCol)
                out += '\t';
            CellCopy info = cell(r, c);
            if (info.exists && info.picked)
                out += info.text.empty() ? std::string(" ") : info.text;
        }
        if (r < range.maxRow)
            out += '\n';
    }
    return out;
}

static bool isSeparator(char ch) {
    return ch == '\t' || ch == ',' || ch == '\n';
}

static bool isBlank(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

static std::string trimmed(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> SplitPastedLine(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i]))
            ++i;
        if (i == line.size())
            break;
        std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i]))
            ++i;
        fields.push_back(trimmed(line.substr(start, i - start)));
    }
    return fields;
}

std::vector<std::vector<std::string>> SplitPastedText(std::string_view text) {
    if (std::size_t zero = text.find('\0'); zero != std::string_view::npos)
        text = text.substr(0, zero);
    std::vector<std::vector<std::string>> lines;
    std::string_view rest = text;
    for (;;) {
        std::size_t nl = rest.find('\n');
        bool last = nl == std::string_view::npos;
        std::string_view line = last ? rest : rest.substr(0, nl);
        if (line.empty() && !last)
            lines.push_back({std::string()});
        else
            lines.push_back(SplitPastedLine(line));
        if (last)
            break;
        rest = rest.substr(nl + 1);
    }
    return lines;
}

} // namespace cliptext

std::unique_ptr<GridDataSource> CellGridCore::MakeSelectionDataSource() {
    CGridSpan range = GetSelectionBounds();
    if (!IsValidSpan(range))
        return nullptr;
    auto source = std::make_unique<GridDataSource>();
    source->block = cliptext::BuildSelectionText(range, [this](int row, int col) {
        cliptext::CellCopy copy;
        if (const CGridEntry* cell = cellAt(row, col)) {
            copy.exists = true;
            copy.picked = (cell->state & GCS_PICKED) != 0;
            copy.text = cell->text;
        }
        return copy;
    });
    source->block.push_back('\0');
    return source;
}

void CellGridCore::BlankSelectedCells() {
    if (!editable)
        return;
    // Wiping a cell takes it out of pickedCells; walk a copy.
    std::vector<CGridPos> picked;
    picked.reserve(pickedCells.size());
    for (const auto& [key, pos] : pickedCells)
        picked.push_back(pos);
    for (const CGridPos& pos : picked) {
        CGridEntry* cell = cellAt(pos.row, pos.col);
        if (!cell || !IsCellWritable(pos))
            continue;
        NotifyParent(pos.row, pos.col, GN_BEGINEDIT);
        WipeCell(cell, pos.row, pos.col);
        MarkModified(TRUE, pos.row, pos.col);
        NotifyParent(pos.row, pos.col, GN_ENDEDIT);
    }
    redrawAll();
}

BOOL CellGridCore::ImportTextAt(const CGridPos& pos, const GridDataObject& data) {
    if (!IsValidCell(pos) || !IsCellWritable(pos) || !data.hasText)
        return FALSE;
    std::vector<std::vector<std::string>> lines = cliptext::SplitPastedText(data.text);
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const std::vector<std::string>& fields = lines[line];
        for (std::size_t k = 0; k < fields.size(); ++k) {
            long long row = static_cast<long long>(pos.row) + static_cast<long long>(line);
            long long col = static_cast<long long>(pos.col) + static_cast<long long>(k);
            if (row >= numRows || col >= numCols)
                continue;
            int r = int(row), c = int(col);
            NotifyParent(r, c, GN_BEGINEDIT);
            SetCellText(r, c, fields[k]);
            MarkModified(TRUE, r, c);
            NotifyParent(r, c, GN_ENDEDIT);
            SetCellState(r, c, GetCellState(r, c) & ~GCS_PICKED);
        }
        if (static_cast<long long>(pos.row) + static_cast<long long>(line) >= numRows)
            break; // every further line falls outside the grid too
    }
    redrawAll();
    return TRUE;
}

} // namespace tnv
