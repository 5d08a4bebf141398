// The aircraft.cfg scan gives, for every file, the records of the straightforward reader (lines
// taken one byte after the other, each keyword searched in each line): realistic files, the same
// files disfigured in the ways real ones are, and files far larger than one read window.
#include "tests/robustness/plain_scan.h"
#include "tests/support/sim_tree.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>

using namespace tnv;
using namespace tnv::fleet;

namespace {

struct Differ {
    ExcludeKeywords keys;
    std::unique_ptr<AircraftTable> table = std::make_unique<AircraftTable>();

    explicit Differ(const std::string& list) : keys(plainscan::Keywords(list)) {}

    // Read in windows of 64 KB, of 600 bytes and of one byte more than the longest line.
    void expectSame(const std::string& bytes, const std::string& what) {
        for (bool all : {false, true}) {
            auto plain = plainscan::Records(bytes, keys.foldedWords(), all, *table);
            for (std::size_t window : {CfgLines::kWindow, std::size_t{600}, kCfgLineChars + 1}) {
                auto ours = plainscan::ScanRecords(bytes, keys, all, *table, window);
                ASSERT_EQ(ours, plain) << what << (all ? " (all variations)" : "")
                                       << " in windows of " << window << " bytes";
            }
        }
    }
};

// Ways real files differ from tidy ones: CR LF line ends, lines joined into long ones, zero
// bytes, letter case, stray control bytes, and keys cut by the line reader's limit.
std::string disfigure(std::string s, simtree::Rng& rng, int how) {
    switch (how) {
    case 0: { // CR LF, and a stray CR here and there
        std::string out;
        for (char c : s)
            out += c != '\n' ? std::string(1, c) : rng.below(8) ? "\r\n" : "\r";
        return out;
    }
    case 1: // lines joined: pieces cut at the line reader's limit, keys across the cut
        for (std::size_t i = 0; i < s.size(); ++i)
            if (s[i] == '\n' && rng.below(3) == 0)
                s[i] = static_cast<char>(rng.below(2) ? ' ' : '\t');
        return s;
    case 3: // letter case and control bytes
        for (char& c : s) {
            if (c >= 'a' && c <= 'z' && rng.below(4) == 0)
                c = static_cast<char>(c - 32);
            else if (c == ' ' && rng.below(4) == 0)
                c = static_cast<char>(rng.below(2) ? '\x7f' : '\x01');
        }
        return s;
    default: // zero bytes (2), or random bytes anywhere
        for (int k = 0; k < (how == 2 ? 12 : 40); ++k)
            s[static_cast<std::size_t>(rng.below(static_cast<int>(s.size())))] =
                how == 2 ? '\0' : static_cast<char>(rng.below(256));
        return s;
    }
}

} // namespace

TEST(ScanDifferential, RealisticFilesAndTheirDisfigurements) {
    Differ d(simtree::KeywordFile(kMaxKeywords));
    simtree::Rng rng(11);
    for (int i = 0; i < 300; ++i) {
        std::string cfg = simtree::AircraftCfg(rng, i, i % 7 == 0);
        ASSERT_NO_FATAL_FAILURE(d.expectSame(cfg, "file " + std::to_string(i)));
        for (int how = 0; how < 5; ++how)
            ASSERT_NO_FATAL_FAILURE(
                d.expectSame(disfigure(cfg, rng, how),
                             "file " + std::to_string(i) + " way " + std::to_string(how)));
    }
    // Every ninth file an AI model: the keywords leave out those and only those.
    simtree::Rng ai(3);
    int left = 0;
    for (int i = 0; i < 200; ++i) {
        std::string cfg = simtree::AircraftCfg(ai, i, i % 9 == 0);
        ASSERT_NO_FATAL_FAILURE(d.expectSame(cfg, "AI file " + std::to_string(i)));
        left += plainscan::Records(cfg, d.keys.foldedWords(), false, *d.table).empty();
    }
    EXPECT_EQ(left, 23);
}

TEST(ScanDifferential, ShortAndOddKeywords) {
    // Words of one to three bytes, a blank, one ending in a blank (as a line end), bytes above 127.
    for (const char* list : {"e;\n", "ai;\nzz;\n", "ai ;\n", "747;\nwoai ;\n", "\xe9t\xe9;\n",
                             "engine.1;\n", "x\tb;\n", "title=b;\nq;\n", ";\n"}) {
        Differ d(list);
        simtree::Rng rng(5);
        for (int i = 0; i < 40; ++i) {
            std::string cfg = simtree::AircraftCfg(rng, i, false);
            ASSERT_NO_FATAL_FAILURE(d.expectSame(cfg, list));
            ASSERT_NO_FATAL_FAILURE(d.expectSame(disfigure(cfg, rng, i % 5), list));
        }
    }
}

TEST(ScanDifferential, FilesLargerThanOneReadWindow) {
    Differ d(simtree::KeywordFile(kMaxKeywords));
    simtree::Rng rng(17);
    std::string big;
    for (int i = 0; big.size() < 300000; ++i)
        big += simtree::AircraftCfg(rng, i, false);
    ASSERT_NO_FATAL_FAILURE(d.expectSame(big, "300 KB"));
    // A keyword, an unknown engine type and long lines at every distance from the end.
    for (std::size_t at : {std::size_t{65535}, std::size_t{65536}, std::size_t{65537},
                           std::size_t{131070}, big.size() - 3}) {
        for (const char* insert :
             {"\nAIG_x\n", "\nengine_type=3\n", "AIG_", "\r\ntitle=late\r\n"}) {
            std::string s = big;
            s.insert(at, insert);
            ASSERT_NO_FATAL_FAILURE(d.expectSame(s, "insert at " + std::to_string(at)));
        }
        std::string s = big;
        s.insert(at, std::string(600, 'x') + "engine.9=1\n");
        ASSERT_NO_FATAL_FAILURE(d.expectSame(s, "long line at " + std::to_string(at)));
    }
}

TEST(ScanDifferential, RandomBytesOverASmallAlphabet) {
    // Few distinct bytes, so keys, keywords, line ends and cuts meet often.
    using namespace std::string_literals;
    const std::string alphabet = "ae\n\r=\0.tilngmpy_w1 0AI"s;
    Differ d("ai;\nIA_;\nengine;\n");
    Differ none("");
    simtree::Rng rng(23);
    for (int i = 0; i < 3000; ++i) {
        std::string s = "title=t\nempty_weight=99\nengine.0=1\n";
        for (int k = rng.below(700); k > 0; --k)
            s += alphabet[static_cast<std::size_t>(rng.below(static_cast<int>(alphabet.size())))];
        ASSERT_NO_FATAL_FAILURE(d.expectSame(s, "random " + std::to_string(i)));
        ASSERT_NO_FATAL_FAILURE(none.expectSame(s, "random, no keywords " + std::to_string(i)));
    }
}

TEST(ScanDifferential, LinesAroundTheReaderLimit) {
    // Whether a line end still belongs to a line decides whether a word ending in a blank, or
    // "empty_weight " with its blank, is found there.
    Differ d("woai ;\n");
    const std::string head = "title=t\nengine.0=1\nempty_weight=50\n";
    for (std::size_t len = kCfgLineChars - 3; len <= kCfgLineChars + 3; ++len)
        for (const char* end : {"\n", "\r\n", "\r", ""}) {
            std::string tail = std::string(len - 4, 'x') + "WoAI" + end;
            for (const char* next : {"", "next\n"})
                ASSERT_NO_FATAL_FAILURE(
                    d.expectSame(head + tail + next, "keyword, length " + std::to_string(len)));
            std::string weight = "title=t\nengine.0=1\n=7" + std::string(len - 14, ' ') +
                                 "empty_weight" + end + "x\n";
            ASSERT_NO_FATAL_FAILURE(d.expectSame(weight, "weight, length " + std::to_string(len)));
        }
}

TEST(ScanDifferential, LongLinesAcrossReadWindows) {
    // Lines of one to several times the reader's limit, give or take a byte: pieces of one line
    // meet the end of a read window at every distance, with keys and keywords at their ends.
    Differ d("AIG_;\nai ;\n");
    simtree::Rng rng(31);
    const char* ends[] = {"\n", "\r\n", "\r", "\n\n"};
    const char* words[] = {"title=x", "engine.0=1", "empty_weight=40",
                           "AIG_",    "ai",         "engine_type=2"};
    const std::size_t limit = kCfgLineChars;
    auto below = [&](int n) { return static_cast<std::size_t>(rng.below(n)); };
    for (int file = 0; file < 60; ++file) {
        std::string s = "title=t\nengine.0=1\nempty_weight=50\n";
        while (s.size() < 140000) {
            // Short, near a multiple of the limit, up to a few limits, or near a read window.
            const std::size_t kind = below(4);
            const std::size_t len = kind == 0   ? below(40)
                                    : kind == 1 ? limit * (1 + below(3)) - 2 + below(5)
                                    : kind == 2 ? below(3000)
                                                : 65536 - 300 + below(600);
            std::string line(len, 'x');
            for (int k = rng.below(3); k > 0 && len > 0; --k) {
                const std::string w = words[rng.below(6)];
                // near a multiple of the limit, or anywhere
                std::size_t at = rng.below(2) ? limit * below(4) : below(int(len));
                at = std::min(len, at + below(7)) - std::min(at, below(7));
                line.replace(std::min(at, len), w.size(), w);
            }
            s += line + ends[rng.below(4)];
        }
        ASSERT_NO_FATAL_FAILURE(d.expectSame(s, "long lines, file " + std::to_string(file)));
    }
}

TEST(ScanDifferential, LongLinesAtEveryPlaceOfAReadWindow) {
    // A title line around the reader's limit, ending in CR LF, after fillers of every length:
    // wherever a window ends, its CR must read as the line feed it is and leave the title.
    Differ d("AIG_;\n");
    for (std::size_t len = kCfgLineChars - 2; len <= kCfgLineChars + 2; ++len)
        for (std::size_t fill = 0; fill < 700; ++fill) {
            std::string s = "engine.0=1\nempty_weight=50\n";
            for (std::size_t k = 0; k < fill; ++k)
                s += k % 40 == 39 ? '\n' : 'y';
            s += "\ntitle=" + std::string(len - 7, 'a') + "\r\nnext\n";
            ASSERT_NO_FATAL_FAILURE(d.expectSame(s, "title of " + std::to_string(len) + " after " +
                                                        std::to_string(fill)));
        }
}

TEST(ScanDifferential, LinesAsTheByteAtATimeReaderCutsThem) {
    // Line ends, CRs and zero bytes among runs of every length around the 253-character limit,
    // read in windows of every size from one line up: the same lines, byte for byte.
    using namespace std::string_literals;
    const std::string pieces[] = {"\n", "\r\n", "\r", "\0"s, "\r\r\n", "x", "ab", "\n\r"};
    simtree::Rng rng(41);
    for (int i = 0; i < 400; ++i) {
        std::string s;
        while (s.size() < static_cast<std::size_t>(i % 40 == 0 ? 70000 : 1500)) {
            if (rng.below(3) == 0)
                s += std::string(kCfgLineChars - 3 + static_cast<std::size_t>(rng.below(8)) +
                                     kCfgLineChars * static_cast<std::size_t>(rng.below(2)),
                                 'y');
            s += pieces[rng.below(8)];
        }
        const std::size_t window =
            i % 3 == 0 ? CfgLines::kWindow : kCfgLineChars + 1 + static_cast<std::size_t>(i);
        // From a stream, or from a file descriptor every other time.
        std::FILE* f = i % 2 ? nullptr : fmemopen(s.data(), s.size(), "rb");
        const int fd = i % 2 ? memfd_create("cfg", 0) : -1;
        if (i % 2) {
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size()));
            ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
        }
        auto lines =
            f ? std::make_unique<CfgLines>(f, window) : std::make_unique<CfgLines>(fd, window);
        std::vector<std::string> ours = plainscan::ScanLines(*lines);
        lines.reset();
        f ? std::fclose(f) : ::close(fd);
        ASSERT_EQ(ours, plainscan::PlainLines(s))
            << "file " << i << " in windows of " << window << " bytes";
    }
}
