// One aircraft.cfg: its lines as the add-on's line reader cuts them, and what each line tells.
#pragma once

#include "browser/aircraft_scan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace tnv::fleet {

// The keys of the lines that tell something, folded: a line tells what its keys say.
enum CfgKey { kKeyTitle, kKeyWeight, kKeyWeightBlank, kKeyEngineType, kKeyEngine, kCfgKeyCount };
constexpr std::string_view kCfgKeys[kCfgKeyCount] = {"title", "empty_weight=", "empty_weight ",
                                                     "engine_type", "engine."};

// The keys a line holds, and where the first "engine." starts.
struct LineKeys {
    bool title = false;
    bool weight = false;
    bool engineType = false;
    std::size_t engine = std::string_view::npos;
    void add(std::size_t key, std::size_t at);
};

// The lines of a file, their line feed kept. Lines are cut at kCfgLineChars characters: the rest
// of a longer line is read as the next line(s). CR LF reads as one line feed (a lone CR stays),
// and a line ends at its first zero byte for every test made on it. The file is read into a
// window of bytes refilled as it runs out.
class CfgLines {
public:
    static constexpr std::size_t kWindow = 64 * 1024;

    // Reads from a file descriptor or from a stream, at most `window` bytes at a time (no more
    // than kWindow, no less than one line): tests make it small so that lines meet its end. A
    // file's `size`, when known (not 0), ends the reading once that many bytes are read.
    explicit CfgLines(int fd, std::size_t window = kWindow, std::uint64_t size = 0);
    explicit CfgLines(std::FILE* file, std::size_t window = kWindow);
    CfgLines(const CfgLines&) = delete;
    CfgLines& operator=(const CfgLines&) = delete;

    // The next line, valid until the next call; false at the end of the file.
    bool next(std::string_view& line);
    // The next line in which one of the words starts; the lines passed over hold none. Always
    // called with the same words.
    bool next(std::string_view& line, const KeywordMatcher& words);
    // The next of the words in that line: where it starts, and the index of the first word of
    // the list that starts there; false when there is no more.
    bool nextWord(std::string_view line, const KeywordMatcher& words, std::size_t& at,
                  std::size_t& word);

private:
    void fill();
    void cut(std::string_view& line);
    void search(const KeywordMatcher& words, std::size_t from);
    std::size_t wordIn(std::string_view line, std::size_t at, const KeywordMatcher& words) const;

    std::FILE* file_ = nullptr;
    int fd_ = -1;
    std::size_t window_;
    std::uint64_t left_; // bytes still to read, when the size is known
    std::size_t pos_ = 0;
    std::size_t lineStart_ = 0; // of the line given last
    std::size_t len_ = 0;
    bool eof_ = false;
    bool zeroBytes_ = false; // read so far; only then are lines searched for one
    // Where the next word found in the window starts (len_ when none is), and which it is.
    std::size_t found_ = 0;
    std::size_t foundWord_ = 0;
    bool searched_ = false;
    char buf_[kWindow];
};

// What a folder's aircraft.cfg has told so far.
struct CfgFindings {
    std::array<char[256], kMaxTitles> titleText;
    int titleCount = 0;
    std::int32_t weight = 0;
    std::int32_t engineType = kEnginePiston;
    std::int32_t engineCount = 0;
};

enum class LineVerdict { Go, LeaveOut };

// What one line of at most kCfgLineChars characters tells, by the keys it holds: a title, the empty
// weight, the engine type (LeaveOut for gliders, helicopters and rockets) or one more engine.
LineVerdict ReadCfgLine(std::string_view line, const LineKeys& keys, CfgFindings& found);
// The same, each key searched for in the folded line in turn.
LineVerdict ReadCfgLine(std::string_view line, CfgFindings& found);

// Appends the records of a folder read to its end: none without a title, a weight above 10 and
// an engine; the first title only unless the table shows every variation.
void AddAircraftRecords(const CfgFindings& found, std::string_view subfolder, AircraftTable& table);

// Reads a whole aircraft.cfg, unless the table holds kReadLimit records already, and appends its
// records. A line holding a keyword (folded) leaves the folder out. The observer, if any, is told
// the outcome.
void ReadAircraftCfgLines(CfgLines& lines, std::string_view subfolder, AircraftTable& table,
                          const ExcludeKeywords& keywords, ScanObserver* observer = nullptr);

} // namespace tnv::fleet
