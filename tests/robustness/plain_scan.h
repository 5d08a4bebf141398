// The straightforward aircraft.cfg reader the scan is held to: a line at a time through the line
// reader that takes one byte after the other, each line folded and every keyword searched in it
// in turn, then what the line tells by the scan's own rules (ReadCfgLine).
#pragma once

#include "browser/aircraft_cfg.h"
#include "browser/aircraft_scan.h"
#include "browser/keyword_match.h"
#include "browser/text_lines.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using namespace tnv;
using namespace tnv::fleet;

namespace plainscan {

// A keyword list read from its file text.
inline ExcludeKeywords Keywords(std::string text) {
    ExcludeKeywords k;
    std::FILE* f = fmemopen(text.data(), text.size(), "rb");
    k.read(f);
    std::fclose(f);
    return k;
}

inline std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return out;
}

// Where the leftmost of the words starts in a folded line, or npos: each word searched in turn.
inline std::size_t FirstWord(const std::vector<std::string>& foldedWords,
                             std::string_view foldedLine) {
    std::size_t first = std::string_view::npos;
    for (const std::string& w : foldedWords)
        first = std::min(first, foldedLine.find(w));
    return first;
}

// The lines of `bytes` as the line reader of one byte after the other gives them.
inline std::vector<std::string> PlainLines(std::string bytes) {
    std::vector<std::string> out;
    if (bytes.empty())
        return out;
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    TextLines lines(f);
    for (std::string_view line; lines.next(line, kCfgLineChars);)
        out.emplace_back(line);
    std::fclose(f);
    return out;
}

// The lines the scan's reader gives.
inline std::vector<std::string> ScanLines(CfgLines& lines) {
    std::vector<std::string> out;
    for (std::string_view line; lines.next(line);)
        out.emplace_back(line);
    return out;
}

// The table's records as "title|weight|type|count" lines.
inline std::vector<std::string> RecordTexts(const AircraftTable& table) {
    std::vector<std::string> out;
    for (int k = 0; k < table.NbrAircraftCfgFilled; ++k) {
        const AircraftRecord& r = table[k];
        out.push_back(std::string(r.title) + "|" + std::to_string(r.emptyWeightLbs) + "|" +
                      std::to_string(r.engineType) + "|" + std::to_string(r.engineCount));
    }
    return out;
}

// The records the straightforward reader gives for `bytes`, made in `table`.
inline std::vector<std::string> Records(const std::string& bytes,
                                        const std::vector<std::string>& foldedKeywords,
                                        bool allVariations, AircraftTable& table) {
    std::string copy = bytes.empty() ? std::string("\n") : bytes;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
    TextLines lines(f);
    std::string_view line;
    CfgFindings found;
    bool leftOut = false;
    while (!leftOut && lines.next(line, kCfgLineChars))
        leftOut = FirstWord(foldedKeywords, Fold(line)) != std::string_view::npos ||
                  ReadCfgLine(line, found) == LineVerdict::LeaveOut;
    std::fclose(f);
    table.NbrAircraftCfgFilled = 0;
    table.showAllVariations = allVariations;
    if (!leftOut)
        AddAircraftRecords(found, "folder", table);
    return RecordTexts(table);
}

// The same through the scan's reader, reading at most `window` bytes at a time.
inline std::vector<std::string> ScanRecords(const std::string& bytes,
                                            const ExcludeKeywords& keywords, bool allVariations,
                                            AircraftTable& table,
                                            std::size_t window = CfgLines::kWindow) {
    std::string copy = bytes.empty() ? std::string("\n") : bytes;
    table.NbrAircraftCfgFilled = 0;
    table.showAllVariations = allVariations;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
    {
        CfgLines lines(f, window);
        ReadAircraftCfgLines(lines, "folder", table, keywords);
    }
    std::fclose(f);
    return RecordTexts(table);
}

} // namespace plainscan
