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
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
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
    int fd = fsx::openRegularFileAt(base, diskFolder + "/aircraft.cfg");
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
            fd = fsx::openRegularFileAt(folderFd, e->d_name);
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

// How many bytes the scan reads at a time: the whole window but in tests.
constexpr std::size_t kWindowBytes = 64 * 1024;
std::size_t g_readWindow = kWindowBytes;

// Reads aircraft.cfg files a window of bytes at a time. The add-on's line reader gives pieces
// of at most kCfgLineChars characters (CR LF read as one line feed, a piece ending at its first
// zero byte); nearly every piece tells nothing, so pieces are not cut one after the other. One
// pass over a window notes where lines end and where a key can start, the window is searched
// for keywords whole, and only the pieces around a find are worked out and looked at.
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
        bool crlf;         // its last character is a CR read as a line feed
    };

    // Where pieces are known to start, for finds met in order: `lineStart` is where a piece
    // starts and no line feed lies from it up to `scanned`.
    struct Cursor {
        std::size_t lineStart;
        std::size_t scanned;
    };

    static constexpr std::size_t kWindow = kWindowBytes;
    static constexpr std::size_t kWords = kWindow / 64 + 1;

    bool fill(const Source& source);
    void prepare();
    std::size_t nextLineFeed(std::size_t at, std::size_t limit) const;
    std::size_t lastLineFeed(std::size_t from, std::size_t to) const;
    Piece pieceFrom(std::size_t start) const;
    Piece pieceAt(std::size_t q, Cursor& cursor) const;
    std::size_t windowEnd() const;
    std::string_view pieceText(const Piece& p, char (&copy)[kCfgLineChars]) const;
    bool keywordIn(std::size_t end, const ExcludeKeywords& keywords) const;
    LineVerdict readKeyLines(std::size_t end, CfgFindings& found) const;

    char raw_[kWindow];
    // One bit a byte from pos_: line feeds, and places where "tit", "emp" or "eng" starts (folded).
    std::uint64_t lineFeeds_[kWords];
    std::uint64_t keyStarts_[kWords];
    bool zeroBytes_ = false;
    std::size_t len_ = 0;
    std::size_t pos_ = 0;
    bool eof_ = false;
};

bool CfgScanner::fill(const Source& source) {
    std::memmove(raw_, raw_ + pos_, len_ - pos_);
    len_ -= pos_;
    pos_ = 0;
    const std::size_t window = g_readWindow;
    while (!eof_ && len_ < window) {
        std::size_t n = source.read(raw_ + len_, window - len_);
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

// The vector pass over a window: line feeds and key starts as bitmaps, from byte 0 up to where
// three bytes from `at` no longer fit a whole vector; returns where it stopped. A capital
// differs from its small letter in the bit 32 only, and no other byte takes the same value with
// that bit set.
#if defined(__SSE2__)
std::size_t markWindowSse2(const char* in, std::size_t n, std::uint64_t* lineFeeds,
                           std::uint64_t* keyStarts, bool& zeroBytes) {
    const __m128i small = _mm_set1_epi8(32);
    __m128i zeros = _mm_setzero_si128();
    std::size_t i = 0;
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
        lineFeeds[i / 64] |=
            std::uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(c, _mm_set1_epi8('\n')))))
            << shift;
        keyStarts[i / 64] |= std::uint64_t(unsigned(_mm_movemask_epi8(keys))) << shift;
        zeros = _mm_or_si128(zeros, _mm_cmpeq_epi8(c, _mm_setzero_si128()));
    }
    zeroBytes = _mm_movemask_epi8(zeros) != 0;
    return i;
}
#endif

#if defined(__x86_64__) || defined(__i386__)
#define TNV_WIDE_SCAN 1
// The same with 32 bytes a step, where the processor has AVX2.
__attribute__((target("avx2"))) std::size_t markWindowAvx2(const char* in, std::size_t n,
                                                           std::uint64_t* lineFeeds,
                                                           std::uint64_t* keyStarts,
                                                           bool& zeroBytes) {
    const __m256i small = _mm256_set1_epi8(32);
    __m256i zeros = _mm256_setzero_si256();
    std::size_t i = 0;
    for (; i + 34 <= n; i += 32) {
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        const __m256i f = _mm256_or_si256(c, small);
        const __m256i g = _mm256_or_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 1)), small);
        const __m256i h = _mm256_or_si256(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 2)), small);
        const __m256i t = _mm256_cmpeq_epi8(f, _mm256_set1_epi8('t'));
        const __m256i e = _mm256_cmpeq_epi8(f, _mm256_set1_epi8('e'));
        const __m256i it = _mm256_and_si256(_mm256_cmpeq_epi8(g, _mm256_set1_epi8('i')),
                                            _mm256_cmpeq_epi8(h, _mm256_set1_epi8('t')));
        const __m256i mp = _mm256_and_si256(_mm256_cmpeq_epi8(g, _mm256_set1_epi8('m')),
                                            _mm256_cmpeq_epi8(h, _mm256_set1_epi8('p')));
        const __m256i ng = _mm256_and_si256(_mm256_cmpeq_epi8(g, _mm256_set1_epi8('n')),
                                            _mm256_cmpeq_epi8(h, _mm256_set1_epi8('g')));
        const __m256i keys =
            _mm256_or_si256(_mm256_and_si256(t, it), _mm256_and_si256(e, _mm256_or_si256(mp, ng)));
        const auto shift = i & 63;
        lineFeeds[i / 64] |=
            std::uint64_t(
                unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(c, _mm256_set1_epi8('\n')))))
            << shift;
        keyStarts[i / 64] |= std::uint64_t(unsigned(_mm256_movemask_epi8(keys))) << shift;
        zeros = _mm256_or_si256(zeros, _mm256_cmpeq_epi8(c, _mm256_setzero_si256()));
    }
    zeroBytes = _mm256_movemask_epi8(zeros) != 0;
    return i;
}

// Set before main, so the processor's features are read here first.
bool g_wideScan = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
#endif

} // namespace

void CfgScanner::prepare() {
    const std::size_t n = len_ - pos_;
    std::memset(lineFeeds_, 0, (n / 64 + 1) * sizeof(std::uint64_t));
    std::memset(keyStarts_, 0, (n / 64 + 1) * sizeof(std::uint64_t));
    const char* in = raw_ + pos_;
    std::size_t i = 0;
    zeroBytes_ = false;
#if defined(TNV_WIDE_SCAN)
    if (g_wideScan)
        i = markWindowAvx2(in, n, lineFeeds_, keyStarts_, zeroBytes_);
#endif
#if defined(__SSE2__)
    if (i == 0)
        i = markWindowSse2(in, n, lineFeeds_, keyStarts_, zeroBytes_);
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

// The last line feed in [from, to), or npos.
std::size_t CfgScanner::lastLineFeed(std::size_t from, std::size_t to) const {
    constexpr auto none = std::string_view::npos;
    if (to <= from)
        return none;
    const std::size_t b = from - pos_;
    const std::size_t e = to - pos_; // one past the last byte looked at
    std::size_t w = (e - 1) / 64;
    std::uint64_t word = lineFeeds_[w];
    if (const std::size_t keep = (e - 1) % 64 + 1; keep < 64)
        word &= (std::uint64_t{1} << keep) - 1;
    for (;;) {
        if (word) {
            std::size_t found = w * 64 + 63 - static_cast<std::size_t>(__builtin_clzll(word));
            return found >= b ? pos_ + found : none;
        }
        if (w == 0 || (w - 1) * 64 + 63 < b)
            return none;
        word = lineFeeds_[--w];
    }
}

// The piece the line reader cuts from `start`, a place where one begins.
CfgScanner::Piece CfgScanner::pieceFrom(std::size_t start) const {
    constexpr std::size_t maxChars = kCfgLineChars;
    const std::size_t avail = len_ - start;
    std::size_t size = std::min(avail, maxChars);
    std::size_t used = size;
    bool crlf = false;
    const std::size_t look = start + std::min(avail, maxChars + 1);
    const std::size_t nl = nextLineFeed(start, look);
    if (nl < look) {
        const std::size_t j = nl - start;
        if (j >= 1 && raw_[nl - 1] == '\r') {
            size = j;
            used = j + 1;
            crlf = true;
        } else if (j < maxChars) {
            size = j + 1;
            used = j + 1;
        }
    }
    std::size_t text = size;
    if (zeroBytes_)
        if (auto* zero = static_cast<const char*>(std::memchr(raw_ + start, '\0', size)))
            text = static_cast<std::size_t>(zero - (raw_ + start));
    return {start, used, text, crlf && text == size};
}

// The piece that holds byte q, for finds given in order. Within a line, pieces follow each other
// every kCfgLineChars bytes; the line feed after a CR that ends such a stretch belongs to it.
CfgScanner::Piece CfgScanner::pieceAt(std::size_t q, Cursor& cursor) const {
    constexpr std::size_t maxChars = kCfgLineChars;
    if (q > cursor.scanned) {
        const std::size_t lf = lastLineFeed(cursor.scanned, q);
        if (lf != std::string_view::npos)
            cursor.lineStart = lf + 1;
        cursor.scanned = q;
    }
    std::size_t start = cursor.lineStart + (q - cursor.lineStart) / maxChars * maxChars;
    if (start > cursor.lineStart && raw_[start] == '\n' && raw_[start - 1] == '\r')
        start -= maxChars;
    return pieceFrom(start);
}

// Where the pieces of this window end: the first place a piece starts with no more than
// kCfgLineChars bytes after it, as the line reader needs one past the longest line to judge
// one; the end of the file once it is read.
std::size_t CfgScanner::windowEnd() const {
    constexpr std::size_t maxChars = kCfgLineChars;
    if (eof_)
        return len_;
    const std::size_t threshold = len_ - maxChars; // pieces are cut from before it
    const std::size_t lf = lastLineFeed(pos_, threshold);
    const std::size_t lineStart = lf == std::string_view::npos ? pos_ : lf + 1;
    if (lineStart >= threshold)
        return lineStart;
    const std::size_t nl = nextLineFeed(lineStart, len_);
    const std::size_t chunk =
        lineStart + (threshold - lineStart + maxChars - 1) / maxChars * maxChars;
    if (chunk < nl)
        return chunk;
    if (chunk == nl && raw_[nl - 1] != '\r')
        return chunk;
    return nl + 1;
}

// The piece's characters as the line reader gives them.
std::string_view CfgScanner::pieceText(const Piece& p, char (&copy)[kCfgLineChars]) const {
    if (!p.crlf)
        return {raw_ + p.start, p.text};
    std::memcpy(copy, raw_ + p.start, p.text);
    copy[p.text - 1] = '\n'; // CR LF reads as one line feed
    return {copy, p.text};
}

// Whether a keyword is in one of the pieces before `end`. The whole run is searched at once; a
// find that proves to lie across two pieces is passed over.
bool CfgScanner::keywordIn(std::size_t end, const ExcludeKeywords& keywords) const {
    Cursor cursor{pos_, pos_};
    std::size_t from = pos_;
    while (from < end) {
        std::size_t at = keywords.find(std::string_view(raw_ + from, end - from));
        if (at == std::string_view::npos)
            return false;
        const Piece p = pieceAt(from + at, cursor);
        char copy[kCfgLineChars];
        if (keywords.find(pieceText(p, copy)) != std::string_view::npos)
            return true;
        from = p.start + p.used;
    }
    return false;
}

// Reads, in order, the pieces before `end` in which "title", "empty_weight" or "engine" starts
// (folded).
LineVerdict CfgScanner::readKeyLines(std::size_t end, CfgFindings& found) const {
    Cursor cursor{pos_, pos_};
    std::size_t done = pos_; // the pieces before it are read
    const std::size_t words = (end - pos_ + 63) / 64;
    for (std::size_t w = 0; w < words; ++w) {
        for (std::uint64_t bits = keyStarts_[w]; bits; bits &= bits - 1) {
            const std::size_t q = pos_ + w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
            if (q >= end)
                return LineVerdict::Go;
            if (q < done)
                continue;
            const char* rest = raw_ + q;
            if (!startsFolded(rest, end - q, "title") &&
                !startsFolded(rest, end - q, "empty_weight") &&
                !startsFolded(rest, end - q, "engine"))
                continue;
            const Piece p = pieceAt(q, cursor);
            done = p.start + p.used;
            char copy[kCfgLineChars];
            const std::string_view text = pieceText(p, copy);
            char folded[kCfgLineChars];
            FoldText(text.data(), folded, text.size());
            if (readCfgLine(text, std::string_view(folded, text.size()), found) ==
                LineVerdict::LeaveOut)
                return LineVerdict::LeaveOut;
        }
    }
    return LineVerdict::Go;
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
        const std::size_t end = windowEnd();
        if (end == pos_)
            break;
        if (!keywords.empty() && keywordIn(end, keywords))
            return;
        if (readKeyLines(end, found) == LineVerdict::LeaveOut)
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

void UseWideScan(bool wide) {
#if defined(TNV_WIDE_SCAN)
    g_wideScan = wide && __builtin_cpu_supports("avx2");
#else
    (void)wide;
#endif
}

void UseReadWindow(std::size_t bytes) {
    g_readWindow = std::clamp<std::size_t>(bytes, 2 * (kCfgLineChars + 1), kWindowBytes);
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
