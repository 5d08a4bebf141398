// The straightforward aircraft.cfg reader the windowed scan is held to: a line at a time through
// the line reader, each line folded, every keyword searched in it, then the five keys.
#pragma once

#include "browser/aircraft_scan.h"
#include "browser/config.h"
#include "browser/keyword_match.h"
#include "browser/text_lines.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace plainscan {

// A keyword list read from its file text.
inline ExcludeKeywords Keywords(std::string text) {
    ExcludeKeywords k;
    std::FILE* f = fmemopen(text.data(), text.size(), "rb");
    k.read(f);
    std::fclose(f);
    return k;
}

struct Found {
    std::vector<std::string> titles;
    std::int32_t weight = 0;
    std::int32_t engineType = kEnginePiston;
    std::int32_t engineCount = 0;
    bool leftOut = false;
};

// What the reader finds in one file, before the records are made.
inline Found Read(std::FILE* file, const std::vector<std::string>& foldedKeywords) {
    constexpr auto none = std::string_view::npos;
    Found found;
    TextLines lines(file);
    std::string_view line;
    while (lines.next(line, kCfgLineChars)) {
        std::string folded(line);
        for (char& c : folded)
            c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
        if (AnyWordInLine(foldedKeywords, folded)) {
            found.leftOut = true;
            return found;
        }
        if (found.titles.size() < static_cast<std::size_t>(kMaxTitles) &&
            folded.find("title") != none) {
            auto eq = line.find('=');
            if (eq != none) {
                std::string_view title = line.substr(eq + 1);
                while (!title.empty() && title.front() == ' ')
                    title.remove_prefix(1);
                if (!title.empty() && title.back() == '\n')
                    title.remove_suffix(1);
                std::string text(title.substr(0, 255));
                if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
                    text[0] = static_cast<char>(text[0] - 32);
                found.titles.push_back(text);
            }
            continue;
        }
        if (folded.find("empty_weight=") != none || folded.find("empty_weight ") != none) {
            auto eq = line.find('=');
            if (eq != none)
                found.weight = ReadInteger(line.substr(eq + 1));
        }
        if (folded.find("engine_type") != none) {
            auto eq = line.find('=');
            if (eq != none) {
                found.engineType = ReadInteger(line.substr(eq + 1));
                if (found.engineType != kEnginePiston && found.engineType != kEngineJet &&
                    found.engineType != kEngineTurboprop) {
                    found.leftOut = true;
                    return found;
                }
            }
        }
        auto engine = folded.find("engine.");
        if (engine != none && engine + 7 < line.size() && line[engine + 7] >= '0' &&
            line[engine + 7] <= '9' && line.find('=') != none && line[0] != '/' &&
            (line.size() < 2 || line[1] != '/'))
            ++found.engineCount;
    }
    return found;
}

// The records the straightforward reader gives for `bytes`, as "title|weight|type|count" lines.
inline std::vector<std::string> Records(const std::string& bytes,
                                        const std::vector<std::string>& foldedKeywords,
                                        bool allVariations) {
    std::string copy = bytes.empty() ? std::string("\n") : bytes;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
    Found found = Read(f, foldedKeywords);
    std::fclose(f);
    std::vector<std::string> out;
    if (found.leftOut || found.titles.empty() || found.weight <= 10 || found.engineCount == 0)
        return out;
    std::size_t n = allVariations ? found.titles.size() : 1;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(std::string(found.titles[i].c_str()) + "|" + std::to_string(found.weight) +
                      "|" + std::to_string(found.engineType) + "|" +
                      std::to_string(found.engineCount));
    return out;
}

// The same through the program's reader.
inline std::vector<std::string> ScanRecords(const std::string& bytes,
                                            const ExcludeKeywords& keywords, bool allVariations,
                                            AircraftTable& table) {
    std::string copy = bytes.empty() ? std::string("\n") : bytes;
    table.NbrAircraftCfgFilled = 0;
    table.showAllVariations = allVariations;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
    ReadAircraftCfgFrom(f, "folder", table, keywords);
    std::fclose(f);
    std::vector<std::string> out;
    for (int k = 0; k < table.NbrAircraftCfgFilled; ++k) {
        const AircraftRecord& r = table[k];
        out.push_back(std::string(r.title) + "|" + std::to_string(r.emptyWeightLbs) + "|" +
                      std::to_string(r.engineType) + "|" + std::to_string(r.engineCount));
    }
    return out;
}

} // namespace plainscan
