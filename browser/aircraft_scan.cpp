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
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// aircraft.cfg in a folder given as a disk path relative to `base` (an open folder, or AT_FDCWD),
// whatever its letter case; -1 when there is none.
int openAircraftCfg(int base, const std::string& diskFolder) {
    int fd = ::openat(base, (diskFolder + "/aircraft.cfg").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0)
        return fd;
    int folderFd = ::openat(base, diskFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return -1;
    DIR* dir = fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return -1;
    }
    while (dirent* e = readdir(dir)) {
        if (strcasecmp(e->d_name, "aircraft.cfg") == 0) {
            fd = ::openat(folderFd, e->d_name, O_RDONLY | O_CLOEXEC);
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

// Reads aircraft.cfg files a window of bytes at a time and cuts each window into the lines the
// add-on's line reader would give (at most kCfgLineChars characters, CR LF as one line feed, a
// line ending at its first zero byte). One pass over a window notes where lines end and where a
// key can start; the window is searched for keywords whole, so only the few lines where a key or
// a keyword can be are looked at (and folded) one by one.
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
        std::size_t text;  // characters before its first zero byte (CR LF counts as one)
    };

    static constexpr std::size_t kWindow = 64 * 1024;
    static constexpr std::size_t kWords = kWindow / 64 + 1;

    bool fill(const Source& source);
    void prepare();
    std::size_t nextLineFeed(std::size_t at, std::size_t limit) const;
    std::size_t cutPieces();
    bool keywordInPieces(std::size_t to, const ExcludeKeywords& keywords) const;
    void markKeys(std::size_t to);
    std::string_view line(const Piece& p) const { return {raw_ + p.start, p.text}; }

    char raw_[kWindow];
    // One bit a byte from pos_: line feeds, and places where "tit", "emp" or "eng" starts (folded).
    std::uint64_t lineFeeds_[kWords];
    std::uint64_t keyStarts_[kWords];
    bool zeroBytes_ = false;
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

namespace {

// Whether a key can start here: "tit", "emp" or "eng" in either letter case.
bool keyStart(const char* p) {
    const unsigned char a = FoldChar(static_cast<unsigned char>(p[0]));
    const unsigned char b = FoldChar(static_cast<unsigned char>(p[1]));
    const unsigned char c = FoldChar(static_cast<unsigned char>(p[2]));
    return (a == 't' && b == 'i' && c == 't') ||
           (a == 'e' && ((b == 'm' && c == 'p') || (b == 'n' && c == 'g')));
}

// Whether the text starts with the folded key, whatever the letter case of the text.
bool startsFolded(const char* text, std::size_t size, std::string_view key) {
    if (size < key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (FoldChar(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(key[i]))
            return false;
    return true;
}

} // namespace

void CfgScanner::prepare() {
    const std::size_t n = len_ - pos_;
    std::memset(lineFeeds_, 0, (n / 64 + 1) * sizeof(std::uint64_t));
    std::memset(keyStarts_, 0, (n / 64 + 1) * sizeof(std::uint64_t));
    const char* in = raw_ + pos_;
    std::size_t i = 0;
    zeroBytes_ = false;
#if defined(__SSE2__)
    // A capital differs from its small letter in the bit 32 only, and no other byte takes the
    // same value with that bit set.
    const __m128i small = _mm_set1_epi8(32);
    __m128i zeros = _mm_setzero_si128();
    for (; i + 18 <= n; i += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i f = _mm_or_si128(c, small);
        const __m128i g =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 1)), small);
        const __m128i h =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 2)), small);
        auto is = [](__m128i v, char letter) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(letter)); };
        const __m128i keys = _mm_or_si128(
            _mm_and_si128(is(f, 't'), _mm_and_si128(is(g, 'i'), is(h, 't'))),
            _mm_and_si128(is(f, 'e'), _mm_or_si128(_mm_and_si128(is(g, 'm'), is(h, 'p')),
                                                   _mm_and_si128(is(g, 'n'), is(h, 'g')))));
        const auto shift = i & 63;
        lineFeeds_[i / 64] |=
            std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(c, _mm_set1_epi8('\n')))))
            << shift;
        keyStarts_[i / 64] |= std::uint64_t(unsigned(_mm_movemask_epi8(keys))) << shift;
        zeros = _mm_or_si128(zeros, _mm_cmpeq_epi8(c, _mm_setzero_si128()));
    }
    zeroBytes_ = _mm_movemask_epi8(zeros) != 0;
#endif
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c == '\n')
            lineFeeds_[i / 64] |= std::uint64_t{1} << (i & 63);
        if (c == 0)
            zeroBytes_ = true;
        if (i + 2 < n && keyStart(in + i))
            keyStarts_[i / 64] |= std::uint64_t{1} << (i & 63);
    }
}

// The first line feed in [at, limit), or limit.
std::size_t CfgScanner::nextLineFeed(std::size_t at, std::size_t limit) const {
    const std::size_t b = at - pos_;
    const std::size_t e = limit - pos_;
    std::size_t w = b / 64;
    std::uint64_t word = lineFeeds_[w] & (~std::uint64_t{0} << (b & 63));
    for (;;) {
        if (word) {
            std::size_t found = w * 64 + static_cast<std::size_t>(__builtin_ctzll(word));
            return found < e ? pos_ + found : limit;
        }
        if (++w * 64 >= e)
            return limit;
        word = lineFeeds_[w];
    }
}

// Cuts the window into pieces for as long as a whole line can be judged (the bytes up to one
// past the longest line are there, or the file ends); returns where it stopped.
std::size_t CfgScanner::cutPieces() {
    constexpr std::size_t maxChars = kCfgLineChars;
    pieces_.clear();
    std::size_t at = pos_;
    while (at < len_ && (len_ - at > maxChars || eof_)) {
        const std::size_t avail = len_ - at;
        std::size_t size = std::min(avail, maxChars);
        std::size_t used = size;
        const std::size_t look = at + std::min(avail, maxChars + 1);
        const std::size_t nl = nextLineFeed(at, look);
        if (nl < look) {
            const std::size_t j = nl - at;
            if (j >= 1 && raw_[nl - 1] == '\r') {
                raw_[nl - 1] = '\n'; // CR LF reads as one line feed
                size = j;
                used = j + 1;
            } else if (j < maxChars) {
                size = j + 1;
                used = j + 1;
            }
        }
        pieces_.push_back({at, used, size});
        at += used;
    }
    if (zeroBytes_) {
        for (Piece& p : pieces_)
            if (auto* zero = static_cast<const char*>(std::memchr(raw_ + p.start, '\0', p.text)))
                p.text = static_cast<std::size_t>(zero - (raw_ + p.start));
    }
    return at;
}

// Whether a keyword is in one of the pieces. The whole run is searched at once; a find that
// proves to lie across two lines is passed over.
bool CfgScanner::keywordInPieces(std::size_t to, const ExcludeKeywords& keywords) const {
    std::size_t from = pos_;
    std::size_t k = 0;
    while (from < to && k < pieces_.size()) {
        std::size_t at = keywords.find(std::string_view(raw_ + from, to - from));
        if (at == std::string_view::npos)
            return false;
        at += from;
        while (pieces_[k].start + pieces_[k].used <= at)
            ++k;
        if (keywords.find(line(pieces_[k])) != std::string_view::npos)
            return true;
        from = pieces_[k].start + pieces_[k].used;
        ++k;
    }
    return false;
}

// Marks the pieces in which "title", "empty_weight" or "engine" starts (folded).
void CfgScanner::markKeys(std::size_t to) {
    std::size_t k = 0;
    const std::size_t words = (to - pos_ + 63) / 64;
    for (std::size_t w = 0; w < words; ++w) {
        for (std::uint64_t bits = keyStarts_[w]; bits; bits &= bits - 1) {
            const std::size_t q = pos_ + w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
            if (q >= to)
                return;
            const char* rest = raw_ + q;
            if (startsFolded(rest, to - q, "title") || startsFolded(rest, to - q, "empty_weight") ||
                startsFolded(rest, to - q, "engine")) {
                while (pieces_[k].start + pieces_[k].used <= q)
                    ++k;
                marked_[k] = 1;
            }
        }
    }
}

void CfgScanner::read(const Source& source, std::string_view subfolder, AircraftTable& table,
                      const ExcludeKeywords& keywords) {
    if (table.NbrAircraftCfgFilled >= kReadLimit)
        return;
    len_ = pos_ = 0;
    eof_ = false;
    CfgFindings found;
    while (fill(source)) {
        prepare();
        std::size_t end = cutPieces();
        if (pieces_.empty())
            break;
        if (!keywords.empty() && keywordInPieces(end, keywords))
            return;
        marked_.assign(pieces_.size(), 0);
        markKeys(end);
        for (std::size_t k = 0; k < pieces_.size(); ++k)
            if (marked_[k]) {
                std::string_view text = line(pieces_[k]);
                char folded[kCfgLineChars];
                FoldText(text.data(), folded, text.size());
                if (readCfgLine(text, std::string_view(folded, text.size()), found) ==
                    LineVerdict::LeaveOut)
                    return;
            }
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
    // Each aircraft.cfg is opened from the Aircraft folder: the path above it is walked once.
    int aircraftFd = ::open(diskFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const fsx::DirEntry& e : names) {
        if (table.NbrAircraftCfgFilled >= kReadLimit)
            break;
        int fd = aircraftFd >= 0 ? openAircraftCfg(aircraftFd, e.diskName) : -1;
        if (fd >= 0) {
            scanner().read({nullptr, fd}, e.name, table, keywords);
            ::close(fd);
        }
    }
    if (aircraftFd >= 0)
        ::close(aircraftFd);
    TraceLine("GrabDataFromAircraftCfg Count=", static_cast<long>(names.size()));
    TraceLine("GrabDataFromAircraftCfg NbrAircraftCfgFilled=", table.NbrAircraftCfgFilled);
    return table.NbrAircraftCfgFilled;
}

void ReadAircraftCfg(const std::string& folder, const std::string& subfolder, AircraftTable& table,
                     const ExcludeKeywords& keywords) {
    int fd = openAircraftCfg(AT_FDCWD, fsx::resolvePath(folder + "/" + subfolder));
    if (fd >= 0) {
        scanner().read({nullptr, fd}, subfolder, table, keywords);
        ::close(fd);
    }
}

void ReadAircraftCfgFrom(std::FILE* file, std::string_view subfolder, AircraftTable& table,
                         const ExcludeKeywords& keywords) {
    scanner().read({file, -1}, subfolder, table, keywords);
}
