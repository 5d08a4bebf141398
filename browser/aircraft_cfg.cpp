#include "browser/aircraft_cfg.h"

#include "browser/config.h"
#include "browser/keyword_match.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

void copyField(char (&field)[256], std::string_view text) {
    std::size_t n = std::min(text.size(), sizeof field - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

// Nearly every line tells nothing: only those holding one of these words (folded) are read.
const KeywordMatcher& keyWords() {
    static const KeywordMatcher matcher = [] {
        KeywordMatcher m;
        m.assign({"title", "empty_weight", "engine"});
        return m;
    }();
    return matcher;
}

// Where the next of a list of words starts in the window the lines come from, so that the window
// is searched as a whole, and again only past a line a find fell in. A line folds as the bytes
// of the window where it lies (the line feed read for a CR LF as the CR; a zero byte only
// shortens it), so a line that ends before the next find holds none of the words.
template <class Words> class WordsAhead {
public:
    explicit WordsAhead(const Words& words) : words_(words) {}

    // False when the line holds none of the words; true when it may.
    bool mayHold(const CfgLines& lines, std::string_view line) {
        if (lines.windowNumber() != window_ || next_ < line.data()) {
            window_ = lines.windowNumber();
            const std::string_view window = lines.window();
            const char* end = window.data() + window.size();
            const std::size_t at = words_.find(
                std::string_view(line.data(), static_cast<std::size_t>(end - line.data())));
            next_ = at == std::string_view::npos ? end : line.data() + at;
        }
        return next_ <= line.data() + line.size(); // an empty word is in an empty line too
    }

private:
    const Words& words_;
    int window_ = -1;
    const char* next_ = nullptr;
};

} // namespace

CfgLines::CfgLines(int fd, std::size_t window)
    : fd_(fd), window_(std::clamp(window, kCfgLineChars + 1, kWindow)) {}

CfgLines::CfgLines(std::FILE* file, std::size_t window)
    : file_(file), window_(std::clamp(window, kCfgLineChars + 1, kWindow)) {}

void CfgLines::fill() {
    std::memmove(buf_, buf_ + pos_, len_ - pos_);
    len_ -= pos_;
    pos_ = 0;
    ++fills_;
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
        if (n == 0)
            eof_ = true;
        else if (std::memchr(buf_ + len_, '\0', n))
            zeroBytes_ = true;
        len_ += n;
    }
}

bool CfgLines::next(std::string_view& line) {
    constexpr std::size_t maxChars = kCfgLineChars;
    // A line is judged on one byte more than the longest: a CR last may pair with a line feed.
    if (!eof_ && len_ - pos_ <= maxChars)
        fill();
    const std::size_t avail = len_ - pos_;
    if (avail == 0) {
        line = {};
        return false;
    }
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
    return true;
}

LineVerdict ReadCfgLine(std::string_view line, CfgFindings& found) {
    constexpr auto none = std::string_view::npos;
    if (keyWords().find(line) == none)
        return LineVerdict::Go;
    line = line.substr(0, kCfgLineChars); // as the line reader gives them
    char foldedText[kCfgLineChars];
    FoldText(line.data(), foldedText, line.size());
    const std::string_view folded(foldedText, line.size());

    if (found.titleCount < kMaxTitles && folded.find("title") != none) {
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
                found.engineType != kEngineTurboprop)
                return LineVerdict::LeaveOut; // gliders, helicopters, rockets
        }
    }

    auto engine = folded.find("engine.");
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
                          const ExcludeKeywords& keywords) {
    if (table.NbrAircraftCfgFilled >= kReadLimit)
        return;
    CfgFindings found;
    WordsAhead<ExcludeKeywords> keywordAhead(keywords);
    WordsAhead<KeywordMatcher> keyAhead(keyWords());
    std::string_view line;
    while (lines.next(line))
        if ((keywordAhead.mayHold(lines, line) && keywords.find(line) != std::string_view::npos) ||
            (keyAhead.mayHold(lines, line) && ReadCfgLine(line, found) == LineVerdict::LeaveOut))
            return;
    AddAircraftRecords(found, subfolder, table);
}
