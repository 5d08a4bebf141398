// One aircraft.cfg: its lines as the add-on's line reader cuts them, and what each line tells.
#pragma once

#include "browser/aircraft_scan.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

// The lines of a file, their line feed kept. Lines are cut at kCfgLineChars characters: the rest
// of a longer line is read as the next line(s). CR LF reads as one line feed (a lone CR stays),
// and a line ends at its first zero byte for every test made on it. Lines are found with memchr
// in a window of bytes refilled as it runs out.
class CfgLines {
public:
    static constexpr std::size_t kWindow = 64 * 1024;

    // Reads from a file descriptor or from a stream, at most `window` bytes at a time (no more
    // than kWindow, no less than one line): tests make it small so that lines meet its end.
    explicit CfgLines(int fd, std::size_t window = kWindow);
    explicit CfgLines(std::FILE* file, std::size_t window = kWindow);
    CfgLines(const CfgLines&) = delete;
    CfgLines& operator=(const CfgLines&) = delete;

    // The next line, valid until the next call; false at the end of the file.
    bool next(std::string_view& line);

    // The bytes read last, which hold every line given since (and more), and a number that
    // changes each time they do.
    std::string_view window() const { return {buf_, len_}; }
    int windowNumber() const { return fills_; }

private:
    void fill();

    std::FILE* file_ = nullptr;
    int fd_ = -1;
    std::size_t window_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    bool zeroBytes_ = false; // read so far; only then are lines searched for one
    int fills_ = 0;
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

// What one line of at most kCfgLineChars characters tells: a title, the empty weight, the engine
// type (LeaveOut for gliders, helicopters and rockets) or one more engine.
LineVerdict ReadCfgLine(std::string_view line, CfgFindings& found);

// Appends the records of a folder read to its end: none without a title, a weight above 10 and
// an engine; the first title only unless the table shows every variation.
void AddAircraftRecords(const CfgFindings& found, std::string_view subfolder, AircraftTable& table);

// Reads a whole aircraft.cfg, unless the table holds kReadLimit records already, and appends its
// records. A line holding a keyword (folded) leaves the folder out.
void ReadAircraftCfgLines(CfgLines& lines, std::string_view subfolder, AircraftTable& table,
                          const ExcludeKeywords& keywords);
