// The aircraft installed in the simulator: every subfolder of its Aircraft folder whose
// aircraft.cfg names a piston, turboprop or jet aircraft, less the folders that mention a word of
// the user's list of AI traffic models.
#pragma once

#include "browser/keyword_match.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tnv::fleet {

class BrowserConfig;

constexpr int kAircraftSlots = 2048;
constexpr int kReadLimit = 2000;  // no folder is read once this many records are held
constexpr int kMaxFolders = 2040; // subfolders taken from the listing
constexpr int kMaxTitles = 20;    // titles kept per folder
constexpr int kMaxKeywords = 200;
constexpr std::size_t kKeywordLineChars = 239;
constexpr std::size_t kCfgLineChars = 253;

constexpr std::int32_t kEnginePiston = 0;
constexpr std::int32_t kEngineJet = 1;
constexpr std::int32_t kEngineTurboprop = 5;

struct AircraftRecord {
    char title[256];
    char folder[256];
    std::int32_t emptyWeightLbs;
    std::int32_t engineType;
    std::int32_t engineCount;
};

// Position of the leftmost occurrence of `word` in `line` with FoldChar applied to both, or npos.
std::size_t FindNoCase(std::string_view line, std::string_view word);

// The words the scan looks for in each line: those of the user's list of AI traffic models, from
// the add-on's bin/FleetScout.txt, which leave an aircraft folder out, then the keys of the lines
// that tell something (kCfgKeys), all in one matcher.
class ExcludeKeywords {
public:
    ExcludeKeywords() { clear(); }
    void LoadExcludeKeywords(const BrowserConfig& config);
    void read(std::FILE* file);
    void clear();
    const std::vector<std::string>& words() const { return words_; }
    // True when any keyword is found in the line, folded (FoldChar) or not.
    bool matches(std::string_view line) const { return find(line) != std::string_view::npos; }
    // Where the leftmost keyword starts in a text, folded or not, or npos.
    std::size_t find(std::string_view text) const;
    const std::vector<std::string>& foldedWords() const { return folded_; }
    // The keywords and the keys together.
    const KeywordMatcher& scanWords() const { return scanWords_; }

private:
    std::vector<std::string> words_;
    std::vector<std::string> folded_;
    KeywordMatcher scanWords_;
};

// What the scan made of one folder of the Aircraft folder, for a user who asks why an aircraft
// is not listed.
enum class FolderOutcome {
    Listed,
    Keyword,    // `keyword` is in `line`
    EngineType, // `line` gives an engine type that is not listed
    NoTitle,
    LightWeight, // an empty weight of 10 lb or less
    NoEngine,
    NoCfg,          // no aircraft.cfg, whatever its letter case
    NotOpened,      // `error` tells why (EISDIR or EINVAL: not a regular file)
    TableFull,      // kReadLimit records were held
    TooManyFolders, // past the first kMaxFolders
};

struct CfgFindings;

struct FolderReport {
    explicit FolderReport(FolderOutcome o, int e = 0) : outcome(o), error(e) {}
    FolderOutcome outcome;
    const CfgFindings* found = nullptr; // what the aircraft.cfg told, once it was read
    std::string_view line;
    std::size_t keyword = 0;
    int error = 0;
};

// Told each folder's outcome, in the order the scan takes the folders.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    virtual void Folder(std::string_view name, const FolderReport& report) = 0;
};

// One preallocated table, refilled by every scan.
struct AircraftTable {
    std::array<AircraftRecord, kAircraftSlots> records;
    int NbrAircraftCfgFilled = 0;
    bool showAllVariations = false;
    const AircraftRecord& operator[](int k) const { return records[static_cast<std::size_t>(k)]; }
};

// The parent of the add-on's folder followed by Aircraft.
std::string AircraftFolder(const BrowserConfig& config);

// Empties the table and reads every subfolder of `folder` (8-bit path); returns the record count.
int GrabDataFromAircraftCfg(const std::string& folder, AircraftTable& table,
                            const ExcludeKeywords& keywords, ScanObserver* observer = nullptr);

// Appends the records of one subfolder's aircraft.cfg.
void ReadAircraftCfg(const std::string& folder, const std::string& subfolder, AircraftTable& table,
                     const ExcludeKeywords& keywords);

// The same for an aircraft.cfg that is already open; `subfolder` is the name the records carry.
void ReadAircraftCfgFrom(std::FILE* file, std::string_view subfolder, AircraftTable& table,
                         const ExcludeKeywords& keywords);

// What the scan and the view tell along the way: the base folder, the aircraft folder, the counts.
// Discarded unless FLEETVALUER_TRACE=1, then one line each on stderr, for a user whose aircraft
// do not show.
void TraceLine(std::string_view text);
void TraceLine(std::string_view text, long value);

} // namespace tnv::fleet
