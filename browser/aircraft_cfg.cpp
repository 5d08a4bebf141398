#include "browser/aircraft_cfg.h"

#include "browser/config.h"
#include "browser/keyword_match.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tnv::fleet {

namespace {

void copyField(char (&field)[256], std::string_view text) {
    std::size_t n = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

} // namespace

CfgLines::CfgLines(int fd, std::size_t window, std::uint64_t size)
    : fd_(fd), window_(std::clamp(window, kCfgLineChars + 1, kWindow)),
      left_(size ? size : UINT64_MAX) {}

CfgLines::CfgLines(std::FILE* file, std::size_t window)
    : file_(file), window_(std::clamp(window, kCfgLineChars + 1, kWindow)), left_(UINT64_MAX) {}

void CfgLines::fill() {
    std::memmove(buf_, buf_ + pos_, len_ - pos_);
    len_ -= pos_;
    pos_ = 0;
    while (!eof_ && len_ < window_) {
        std::size_t n = 0;
        if (file_) {
            n = std::fread(buf_ + len_, 1, window_ - len_, file_);
        } else {
            ssize_t got = 0;
            do
                got = ::read(fd_, buf_ + len_, window_ - len_);
            while (got < 0 && errno == EINTR);
            n = got > 0 ? static_cast<std::size_t>(got) : 0; // a failed read ends the file
        }
        if (std::memchr(buf_ + len_, '\0', n))
            zeroBytes_ = true;
        len_ += n;
        left_ -= std::min<std::uint64_t>(left_, n);
        // A file read to the size it had when opened needs no read that finds its end.
        eof_ = n == 0 || left_ == 0;
    }
}

// A line is judged on one byte more than the longest: a CR last may pair with a line feed. The
// caller makes sure that many bytes are there, unless the file ends first.
void CfgLines::cut(std::string_view& line) {
    constexpr std::size_t maxChars = kCfgLineChars;
    const std::size_t avail = len_ - pos_;
    char* start = buf_ + pos_;
    std::size_t size = std::min(avail, maxChars);
    std::size_t used = size;
    if (auto* lf = static_cast<char*>(std::memchr(start, '\n', std::min(avail, maxChars + 1)))) {
        const auto at = static_cast<std::size_t>(lf - start);
        if (at > 0 && start[at - 1] == '\r') {
            start[at - 1] = '\n'; // CR LF reads as one line feed
            size = at;
            used = at + 1;
        } else if (at < maxChars) {
            size = at + 1;
            used = at + 1;
        }
    }
    pos_ += used;
    if (zeroBytes_)
        if (auto* zero = static_cast<char*>(std::memchr(start, '\0', size)))
            size = static_cast<std::size_t>(zero - start);
    line = {start, size};
}

bool CfgLines::next(std::string_view& line) {
    if (!eof_ && len_ - pos_ <= kCfgLineChars)
        fill();
    if (pos_ == len_) {
        line = {};
        return false;
    }
    cut(line);
    return true;
}

void CfgLines::search(const KeywordMatcher& words, std::size_t from) {
    found_ = std::min(words.find({buf_, len_}, from, &foundWord_), len_);
    searched_ = true;
}

// The first word of the list that starts `at` bytes into a line, within its text (a piece of a
// longer line may end inside a word found in the window, and a zero byte ends the text).
std::size_t CfgLines::wordIn(std::string_view line, std::size_t at,
                             const KeywordMatcher& words) const {
    if (at + words.word(foundWord_).size() <= line.size())
        return foundWord_;
    std::size_t word = KeywordMatcher::npos;
    return words.find(line, at, &word) == at ? word : KeywordMatcher::npos;
}

// A line folds as the bytes of the window where it lies (the line feed read for a CR LF as the
// CR; a zero byte only shortens it), so the window is searched once, as a whole, and the lines
// that end before a find hold none of the words: they are passed over without being cut. Every
// line starts after a line feed, or kCfgLineChars bytes after the start of a line that has no
// line feed in its first kCfgLineChars + 1 bytes.
bool CfgLines::next(std::string_view& line, const KeywordMatcher& words) {
    for (;;) {
        if (!eof_ && len_ - pos_ <= kCfgLineChars) {
            fill();
            searched_ = false;
        }
        if (!searched_ || found_ < pos_) // words of the last line left unasked
            search(words, pos_);
        if (const void* lf = memrchr(buf_ + pos_, '\n', found_ - pos_))
            pos_ = static_cast<std::size_t>(static_cast<const char*>(lf) + 1 - buf_);
        if (found_ > pos_)
            pos_ += (found_ - pos_ - 1) / kCfgLineChars * kCfgLineChars;
        if (found_ == len_ && eof_) {
            pos_ = len_;
            line = {};
            return false;
        }
        if (found_ == len_ || (!eof_ && len_ - pos_ <= kCfgLineChars))
            continue; // the rest is searched again after the next fill
        lineStart_ = pos_;
        cut(line);
        if (found_ < pos_)
            return true;
        // That piece ended right before the word: the next one holds it.
    }
}

bool CfgLines::nextWord(std::string_view line, const KeywordMatcher& words, std::size_t& at,
                        std::size_t& word) {
    while (found_ < pos_) {
        at = found_ - lineStart_;
        word = wordIn(line, at, words);
        search(words, found_ + 1);
        if (word != KeywordMatcher::npos)
            return true;
    }
    return false;
}

void LineKeys::add(std::size_t key, std::size_t at) {
    title = title || key == kKeyTitle;
    weight = weight || key == kKeyWeight || key == kKeyWeightBlank;
    engineType = engineType || key == kKeyEngineType;
    if (key == kKeyEngine && engine == std::string_view::npos)
        engine = at;
}

LineVerdict ReadCfgLine(std::string_view line, CfgFindings& found) {
    line = line.substr(0, kCfgLineChars); // as the line reader gives them
    char foldedText[kCfgLineChars];
    FoldText(line.data(), foldedText, line.size());
    const std::string_view folded(foldedText, line.size());
    LineKeys keys;
    for (std::size_t k = 0; k < kCfgKeyCount; ++k)
        if (auto at = folded.find(kCfgKeys[k]); at != std::string_view::npos)
            keys.add(k, at);
    return ReadCfgLine(line, keys, found);
}

LineVerdict ReadCfgLine(std::string_view line, const LineKeys& keys, CfgFindings& found) {
    constexpr auto none = std::string_view::npos;
    if (found.titleCount < kMaxTitles && keys.title) {
        auto eq = line.find('=');
        if (eq != none) {
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
        return LineVerdict::Go;
    }

    if (keys.weight) {
        auto eq = line.find('=');
        if (eq != none)
            found.weight = ReadInteger(line.substr(eq + 1));
    }

    if (keys.engineType) {
        auto eq = line.find('=');
        if (eq != none) {
            found.engineType = ReadInteger(line.substr(eq + 1));
            if (found.engineType != kEnginePiston && found.engineType != kEngineJet &&
                found.engineType != kEngineTurboprop)
                return LineVerdict::LeaveOut; // gliders, helicopters, rockets
        }
    }

    const std::size_t engine = keys.engine;
    if (engine != none && engine + 7 < line.size() && line[engine + 7] >= '0' &&
        line[engine + 7] <= '9' && line.find('=') != none && line[0] != '/' &&
        (line.size() < 2 || line[1] != '/'))
        ++found.engineCount;
    return LineVerdict::Go;
}

void AddAircraftRecords(const CfgFindings& found, std::string_view subfolder,
                        AircraftTable& table) {
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

void ReadAircraftCfgLines(CfgLines& lines, std::string_view subfolder, AircraftTable& table,
                          const ExcludeKeywords& keywords, ScanObserver* observer) {
    FolderReport report(FolderOutcome::TableFull);
    if (table.NbrAircraftCfgFilled >= kReadLimit) {
        if (observer)
            observer->Folder(subfolder, report);
        return;
    }
    CfgFindings found;
    report.found = &found;
    const KeywordMatcher& words = keywords.scanWords();
    const std::size_t keywordCount = keywords.foldedWords().size();
    std::string_view line;
    while (lines.next(line, words)) {
        LineKeys keys;
        std::size_t at = 0;
        std::size_t word = KeywordMatcher::npos;
        while (lines.nextWord(line, words, at, word) && word >= keywordCount)
            keys.add(word - keywordCount, at);
        if (word < keywordCount)
            report.outcome = FolderOutcome::Keyword;
        else if (ReadCfgLine(line, keys, found) == LineVerdict::LeaveOut)
            report.outcome = FolderOutcome::EngineType;
        else
            continue;
        if (observer) {
            report.keyword = word;
            report.line = line;
            observer->Folder(subfolder, report);
        }
        return;
    }
    report.outcome = found.titleCount == 0    ? FolderOutcome::NoTitle
                     : found.weight <= 10     ? FolderOutcome::LightWeight
                     : found.engineCount == 0 ? FolderOutcome::NoEngine
                                              : FolderOutcome::Listed;
    if (observer)
        observer->Folder(subfolder, report);
    AddAircraftRecords(found, subfolder, table);
}

} // namespace tnv::fleet
