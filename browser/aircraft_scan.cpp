#include "browser/aircraft_scan.h"

#include "browser/config.h"
#include "browser/text_lines.h"
#include "platform/fs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <strings.h>
#include <unistd.h>

namespace {

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

// aircraft.cfg in a folder given as a disk path, whatever its letter case; -1 when there is none.
int openAircraftCfg(const std::string& diskFolder) {
    int fd = ::open((diskFolder + "/aircraft.cfg").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
        return fd;
    DIR* dir = opendir(diskFolder.c_str());
    if (!dir)
        return -1;
    while (dirent* e = readdir(dir)) {
        if (strcasecmp(e->d_name, "aircraft.cfg") == 0) {
            fd = ::open((diskFolder + "/" + e->d_name).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0)
                break;
        }
    }
    closedir(dir);
    return fd;
}

// What a folder's aircraft.cfg has told so far.
struct CfgFindings {
    std::array<char[256], kMaxTitles> titleText;
    int titleCount = 0;
    std::int32_t weight = 0;
    std::int32_t engineType = kEnginePiston;
    std::int32_t engineCount = 0;
};

enum class LineVerdict { Go, LeaveOut };

// What one line of aircraft.cfg tells, given as read and folded. Only lines holding "title",
// "empty_weight" or "engine" (folded) can tell anything.
LineVerdict readCfgLine(std::string_view line, std::string_view folded, CfgFindings& found) {
    constexpr auto none = std::string_view::npos;
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
        return LineVerdict::Go;
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
                return LineVerdict::LeaveOut; // gliders, helicopters, rockets
        }
    }

    auto engine = folded.find("engine.");
    if (engine != none && engine + 7 < line.size() && line[engine + 7] >= '0' &&
        line[engine + 7] <= '9' && line.find('=') != std::string_view::npos && line[0] != '/' &&
        (line.size() < 2 || line[1] != '/'))
        ++found.engineCount;
    return LineVerdict::Go;
}

// FoldChar over a run of bytes, sixteen at a time where the compiler offers vectors.
void foldBytes(const char* in, char* out, std::size_t n) {
    std::size_t i = 0;
#if defined(__GNUC__)
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    for (; i + 16 <= n; i += 16) {
        Bytes c;
        std::memcpy(&c, in + i, 16);
        Bytes blank = reinterpret_cast<Bytes>((c <= 32) | (c == 127));
        Bytes upper = reinterpret_cast<Bytes>((c - 'A') < 26);
        Bytes r = c + (upper & 32);
        r = (r & ~blank) | (blank & 32);
        std::memcpy(out + i, &r, 16);
    }
#endif
    for (; i < n; ++i)
        out[i] = static_cast<char>(FoldChar(static_cast<unsigned char>(in[i])));
}

// Reads aircraft.cfg files a window of bytes at a time and cuts each window into the lines the
// add-on's line reader would give (at most kCfgLineChars characters, CR LF as one line feed, a
// line ending at its first zero byte). Whole windows are folded and searched at once: only the
// few lines where a key or a keyword can be are looked at one by one.
class CfgScanner {
public:
    // Reads from a stream or from a file descriptor.
    struct Source {
        std::FILE* file = nullptr;
        int fd = -1;
        std::size_t read(char* to, std::size_t room) const {
            if (file)
                return std::fread(to, 1, room, file);
            for (;;) {
                ssize_t n = ::read(fd, to, room);
                if (n >= 0)
                    return static_cast<std::size_t>(n);
                if (errno != EINTR)
                    return 0;
            }
        }
    };

    void read(const Source& source, std::string_view subfolder, AircraftTable& table,
              const ExcludeKeywords& keywords);

private:
    struct Piece {
        std::size_t start; // in the window
        std::size_t used;  // bytes it takes from the file
        std::size_t size;  // characters as read (CR LF counts as one)
        std::size_t text;  // characters before its first zero byte
    };

    static constexpr std::size_t kWindow = 64 * 1024;

    bool fill(const Source& source);
    std::size_t cutPieces(std::size_t from);
    bool keywordInPieces(std::size_t from, std::size_t to, const ExcludeKeywords& keywords) const;
    void markKeys(std::size_t from, std::size_t to);
    std::string_view line(const Piece& p) const { return {raw_ + p.start, p.text}; }
    std::string_view foldedLine(const Piece& p) const { return {folded_ + p.start, p.text}; }

    char raw_[kWindow];
    char folded_[kWindow];
    std::size_t len_ = 0;
    std::size_t pos_ = 0;
    bool eof_ = false;
    std::vector<Piece> pieces_;
    std::vector<unsigned char> marked_;
};

bool CfgScanner::fill(const Source& source) {
    std::memmove(raw_, raw_ + pos_, len_ - pos_);
    len_ -= pos_;
    pos_ = 0;
    while (!eof_ && len_ < kWindow) {
        std::size_t n = source.read(raw_ + len_, kWindow - len_);
        if (n == 0)
            eof_ = true;
        len_ += n;
    }
    return len_ > 0;
}

// Cuts the window from `from` into pieces for as long as a whole line can be judged (the bytes
// up to one past the longest line are there, or the file ends); returns where it stopped.
std::size_t CfgScanner::cutPieces(std::size_t from) {
    constexpr std::size_t maxChars = kCfgLineChars;
    pieces_.clear();
    std::size_t at = from;
    while (at < len_ && (len_ - at > maxChars || eof_)) {
        char* b = raw_ + at;
        std::size_t avail = len_ - at;
        std::size_t size = std::min(avail, maxChars);
        std::size_t used = size;
        if (auto* nl = static_cast<char*>(std::memchr(b, '\n', std::min(avail, maxChars + 1)))) {
            std::size_t j = static_cast<std::size_t>(nl - b);
            if (j >= 1 && b[j - 1] == '\r') {
                b[j - 1] = '\n'; // CR LF reads as one line feed
                size = j;
                used = j + 1;
            } else if (j < maxChars) {
                size = j + 1;
                used = j + 1;
            }
        }
        pieces_.push_back({at, used, size, size});
        at += used;
    }
    if (at > from && std::memchr(raw_ + from, '\0', at - from)) {
        for (Piece& p : pieces_)
            if (auto* zero = static_cast<const char*>(std::memchr(raw_ + p.start, '\0', p.size)))
                p.text = static_cast<std::size_t>(zero - (raw_ + p.start));
    }
    return at;
}

// Whether a keyword is in one of the pieces. The whole run is searched at once; a find that
// proves to lie across two lines is passed over.
bool CfgScanner::keywordInPieces(std::size_t from, std::size_t to,
                                 const ExcludeKeywords& keywords) const {
    std::size_t k = 0;
    while (from < to && k < pieces_.size()) {
        std::size_t at = keywords.findFolded(std::string_view(folded_ + from, to - from));
        if (at == std::string_view::npos)
            return false;
        at += from;
        while (pieces_[k].start + pieces_[k].used <= at)
            ++k;
        if (keywords.matchesFolded(foldedLine(pieces_[k])))
            return true;
        from = pieces_[k].start + pieces_[k].used;
        ++k;
    }
    return false;
}

// Marks the pieces in which "title", "empty_weight" or "engine" starts (folded), looking for
// their first two letters sixteen bytes at a time.
void CfgScanner::markKeys(std::size_t from, std::size_t to) {
    const char* f = folded_;
    std::size_t k = 0;
    auto check = [&](std::size_t q) {
        std::string_view rest(f + q, to - q);
        if (rest.starts_with("title") || rest.starts_with("empty_weight") ||
            rest.starts_with("engine")) {
            while (pieces_[k].start + pieces_[k].used <= q)
                ++k;
            marked_[k] = 1;
        }
    };
    std::size_t i = from;
#if defined(__GNUC__)
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    for (; i + 17 <= to; i += 16) {
        Bytes a;
        Bytes b;
        std::memcpy(&a, f + i, 16);
        std::memcpy(&b, f + i + 1, 16);
        auto hits = ((a == 't') & (b == 'i')) | ((a == 'e') & ((b == 'm') | (b == 'n')));
        std::uint64_t lanes[2];
        std::memcpy(lanes, &hits, 16);
        if ((lanes[0] | lanes[1]) == 0)
            continue;
        for (std::size_t lane = 0; lane < 16; ++lane)
            if (hits[lane])
                check(i + lane);
    }
#endif
    for (; i + 1 < to; ++i)
        if ((f[i] == 't' && f[i + 1] == 'i') ||
            (f[i] == 'e' && (f[i + 1] == 'm' || f[i + 1] == 'n')))
            check(i);
}

void CfgScanner::read(const Source& source, std::string_view subfolder, AircraftTable& table,
                      const ExcludeKeywords& keywords) {
    if (table.NbrAircraftCfgFilled >= kReadLimit)
        return;
    len_ = pos_ = 0;
    eof_ = false;
    CfgFindings found;
    while (fill(source)) {
        std::size_t end = cutPieces(pos_);
        if (pieces_.empty())
            break;
        foldBytes(raw_ + pos_, folded_ + pos_, end - pos_);
        if (!keywords.empty() && keywordInPieces(pos_, end, keywords))
            return;
        marked_.assign(pieces_.size(), 0);
        markKeys(pos_, end);
        for (std::size_t k = 0; k < pieces_.size(); ++k)
            if (marked_[k] && readCfgLine(line(pieces_[k]), foldedLine(pieces_[k]), found) ==
                                  LineVerdict::LeaveOut)
                return;
        pos_ = end;
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

// One scanner a thread, its windows reused from file to file.
CfgScanner& scanner() {
    thread_local auto instance = std::make_unique<CfgScanner>();
    return *instance;
}

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
        int fd = openAircraftCfg(diskFolder + "/" + e.diskName);
        if (fd >= 0) {
            scanner().read({nullptr, fd}, e.name, table, keywords);
            ::close(fd);
        }
    }
    TraceLine("GrabDataFromAircraftCfg Count=", static_cast<long>(names.size()));
    TraceLine("GrabDataFromAircraftCfg NbrAircraftCfgFilled=", table.NbrAircraftCfgFilled);
    return table.NbrAircraftCfgFilled;
}

void ReadAircraftCfg(const std::string& folder, const std::string& subfolder, AircraftTable& table,
                     const ExcludeKeywords& keywords) {
    int fd = openAircraftCfg(fsx::resolvePath(folder + "/" + subfolder));
    if (fd >= 0) {
        scanner().read({nullptr, fd}, subfolder, table, keywords);
        ::close(fd);
    }
}

void ReadAircraftCfgFrom(std::FILE* file, std::string_view subfolder, AircraftTable& table,
                         const ExcludeKeywords& keywords) {
    scanner().read({file, -1}, subfolder, table, keywords);
}
