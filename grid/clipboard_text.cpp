#include "grid/clipboard_text.h"

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
