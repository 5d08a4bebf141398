#include "browser/aircraft_scan.h"

#include "browser/config.h"
#include "browser/text_lines.h"
#include "platform/fs.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <strings.h>

namespace {

// Lines are at most a few hundred characters: folded into a buffer of the caller's.
std::string_view foldInto(char (&buf)[1024], std::string_view s) {
    std::size_t n = std::min(s.size(), sizeof buf);
    for (std::size_t i = 0; i < n; ++i)
        buf[i] = static_cast<char>(FoldChar(static_cast<unsigned char>(s[i])));
    return std::string_view(buf, n);
}

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return out;
}

void copyField(char (&field)[256], std::string_view text) {
    std::size_t n = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

// aircraft.cfg in a folder given as a disk path, whatever its letter case.
std::FILE* openAircraftCfg(const std::string& diskFolder) {
    if (std::FILE* f = std::fopen((diskFolder + "/aircraft.cfg").c_str(), "rb"))
        return f;
    DIR* dir = opendir(diskFolder.c_str());
    if (!dir)
        return nullptr;
    std::FILE* f = nullptr;
    while (dirent* e = readdir(dir)) {
        if (strcasecmp(e->d_name, "aircraft.cfg") == 0) {
            f = std::fopen((diskFolder + "/" + e->d_name).c_str(), "rb");
            if (f)
                break;
        }
    }
    closedir(dir);
    return f;
}

// What a folder's aircraft.cfg has told so far.
struct CfgFindings {
    std::array<char[256], kMaxTitles> titleText;
    int titleCount = 0;
    std::int32_t weight = 0;
    std::int32_t engineType = kEnginePiston;
    std::int32_t engineCount = 0;
};

} // namespace

unsigned char FoldChar(unsigned char c) {
    if (c <= 32 || c == 127)
        return ' ';
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    return c;
}

std::size_t FindNoCase(std::string_view line, std::string_view word) {
    if (word.size() > line.size())
        return std::string_view::npos;
    std::string l = fold(line);
    std::string w = fold(word);
    return std::string_view(l).find(w);
}

void ExcludeKeywords::clear() {
    words_.clear();
    folded_.clear();
    matcher_.clear();
}

void ExcludeKeywords::LoadExcludeKeywords(const BrowserConfig& config) {
    clear();
    if (std::FILE* f = OpenCaseBlind(config.MakeBasePath("/bin/FleetScout.txt"))) {
        read(f);
        std::fclose(f);
    }
}

void ExcludeKeywords::read(std::FILE* file) {
    TextLines lines(file);
    std::string_view line;
    while (words_.size() < static_cast<std::size_t>(kMaxKeywords) &&
           lines.next(line, kKeywordLineChars)) {
        if (line.empty() || line.front() == '/' || line.front() == ' ')
            continue; // comment
        auto semi = line.find(';');
        if (semi == std::string_view::npos)
            continue;
        words_.emplace_back(line.substr(0, semi));
        folded_.push_back(fold(words_.back()));
    }
    matcher_.assign(folded_);
}

bool ExcludeKeywords::matches(std::string_view line) const {
    if (folded_.empty())
        return false;
    return matchesFolded(fold(line));
}

bool ExcludeKeywords::matchesFolded(std::string_view foldedLine) const {
    return matcher_.anyIn(foldedLine);
}

std::string AircraftFolder(const BrowserConfig& config) {
    const std::string& base = config.baseFolder();
    auto pos = base.find_last_of('/');
    std::string parent = pos == std::string::npos ? std::string() : base.substr(0, pos);
    return parent + "/Aircraft";
}

int GrabDataFromAircraftCfg(const std::string& folder, AircraftTable& table,
                            const ExcludeKeywords& keywords) {
    table.NbrAircraftCfgFilled = 0;
    std::string diskFolder = fsx::resolvePath(folder);
    if (!fsx::isDirectory(diskFolder))
        return 0;
    std::vector<fsx::DirEntry> names;
    for (fsx::DirEntry& e : fsx::listFolder(fsx::fromDisk(diskFolder))) {
        if (!e.isDir)
            continue;
        if (names.size() == static_cast<std::size_t>(kMaxFolders))
            break;
        names.push_back(std::move(e));
    }
    for (const fsx::DirEntry& e : names) {
        if (table.NbrAircraftCfgFilled >= kReadLimit)
            break;
        if (std::FILE* f = openAircraftCfg(diskFolder + "/" + e.diskName)) {
            ReadAircraftCfgFrom(f, e.name, table, keywords);
            std::fclose(f);
        }
    }
    TraceLine("GrabDataFromAircraftCfg Count=", static_cast<long>(names.size()));
    TraceLine("GrabDataFromAircraftCfg NbrAircraftCfgFilled=", table.NbrAircraftCfgFilled);
    return table.NbrAircraftCfgFilled;
}

void ReadAircraftCfg(const std::string& folder, const std::string& subfolder, AircraftTable& table,
                     const ExcludeKeywords& keywords) {
    if (std::FILE* f = openAircraftCfg(fsx::resolvePath(folder + "/" + subfolder))) {
        ReadAircraftCfgFrom(f, subfolder, table, keywords);
        std::fclose(f);
    }
}

void ReadAircraftCfgFrom(std::FILE* file, std::string_view subfolder, AircraftTable& table,
                         const ExcludeKeywords& keywords) {
    constexpr auto none = std::string_view::npos;
    CfgFindings found;
    TextLines lines(file);
    std::string_view line;
    char foldBuf[1024];
    while (table.NbrAircraftCfgFilled < kReadLimit && lines.next(line, kCfgLineChars)) {
        std::string_view folded = foldInto(foldBuf, line); // the keys below are in folded form
        if (keywords.matchesFolded(folded))
            return;

        if (found.titleCount < kMaxTitles && folded.find("title") != none) {
            auto eq = line.find('=');
            if (eq != std::string_view::npos) {
                std::string_view title = line.substr(eq + 1);
                while (!title.empty() && title.front() == ' ')
                    title.remove_prefix(1);
                if (!title.empty() && title.back() == '\n')
                    title.remove_suffix(1);
                auto& text = found.titleText[static_cast<std::size_t>(found.titleCount)];
                copyField(text, title);
                if (text[0] >= 'a' && text[0] <= 'z')
                    text[0] = static_cast<char>(text[0] - 32);
                ++found.titleCount;
            }
            continue;
        }

        if (folded.find("empty_weight=") != none || folded.find("empty_weight ") != none) {
            auto eq = line.find('=');
            if (eq != std::string_view::npos)
                found.weight = ReadInteger(line.substr(eq + 1));
        }

        if (folded.find("engine_type") != none) {
            auto eq = line.find('=');
            if (eq != std::string_view::npos) {
                found.engineType = ReadInteger(line.substr(eq + 1));
                if (found.engineType != kEnginePiston && found.engineType != kEngineJet &&
                    found.engineType != kEngineTurboprop)
                    return; // gliders, helicopters, rockets
            }
        }

        auto engine = folded.find("engine.");
        if (engine != none && engine + 7 < line.size() && line[engine + 7] >= '0' &&
            line[engine + 7] <= '9' && line.find('=') != std::string_view::npos && line[0] != '/' &&
            (line.size() < 2 || line[1] != '/'))
            ++found.engineCount;
    }

    if (found.titleCount == 0 || found.weight <= 10 || found.engineCount == 0)
        return;
    int records = table.showAllVariations ? found.titleCount : 1;
    for (int i = 0; i < records && table.NbrAircraftCfgFilled < kAircraftSlots; ++i) {
        AircraftRecord& r = table.records[static_cast<std::size_t>(table.NbrAircraftCfgFilled++)];
        copyField(r.title, found.titleText[static_cast<std::size_t>(i)]);
        copyField(r.folder, subfolder);
        r.emptyWeightLbs = found.weight;
        r.engineType = found.engineType;
        r.engineCount = found.engineCount;
    }
}
