// The indexed keyword matcher gives the plain word-by-word search's answer on every line, and a
// scan with it accepts the same folders and records as a scan with the plain search.
#include "browser/aircraft_scan.h"
#include "browser/keyword_match.h"
#include "browser/text_lines.h"
#include "tests/robustness/plain_scan.h"
#include "tests/support/sim_tree.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::string foldText(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return out;
}

void expectSameAnswers(const std::vector<std::string>& words,
                       const std::vector<std::string>& lines) {
    KeywordMatcher m;
    m.assign(words);
    for (const std::string& line : lines) {
        ASSERT_EQ(m.anyIn(line), AnyWordInLine(words, line))
            << "line '" << line << "' with " << words.size() << " words";
        // The same line in capitals and with other blanks: folded as it is read.
        std::string shouted = line;
        for (char& c : shouted)
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c == ' ' ? '\t' : c;
        ASSERT_EQ(m.anyIn(shouted), AnyWordInLine(words, line)) << "line '" << shouted << "'";
    }
}

} // namespace

TEST(KeywordMatch, EdgeCases) {
    struct Case {
        std::vector<std::string> words;
        std::string line;
        bool found;
    } cases[] = {
        {{}, "anything", false},
        {{""}, "", true}, // an empty keyword is in every line, even an empty one
        {{""}, "title=x", true},
        {{"x"}, "", false},
        {{"x"}, "abcx", true}, // a one-byte word in the last position
        {{"ab"}, "a", false},
        {{"ab"}, "xab", true},
        {{"abc"}, "xab", false},        // cut short by the end of the line
        {{"abcd", "ab"}, "xxab", true}, // the shorter word of a shared start
        {{"abcd", "abce"}, "abce", true},
        {{"ai "}, "title=ai traffic", true},
        {{"ai "}, "title=airbus", false},
        {{"\xe9t\xe9"}, "r\xe9t\xe9", true}, // bytes above 127 as they are
        {{"\xe9t\xe9"}, "r\xc9T\xc9", false},
        {{"aa"}, "aaa", true},
        {{"aab"}, "aaab", true}, // overlapping starts
    };
    for (const Case& c : cases) {
        KeywordMatcher m;
        m.assign(c.words);
        EXPECT_EQ(m.anyIn(c.line), c.found) << c.line;
        EXPECT_EQ(AnyWordInLine(c.words, c.line), c.found) << c.line;
    }
}

TEST(KeywordMatch, RandomWordsOverASmallAlphabet) {
    // Few letters, so that words start, overlap and end everywhere in the lines.
    simtree::Rng rng(7);
    const std::string alphabet = std::string("ab c\xe9", 5);
    auto randomText = [&](int maxLen) {
        std::string s(static_cast<std::size_t>(rng.below(maxLen + 1)), ' ');
        for (char& ch : s)
            ch = alphabet[static_cast<std::size_t>(rng.below(5))];
        return s;
    };
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> words(static_cast<std::size_t>(rng.below(12)));
        for (std::string& w : words)
            w = randomText(round % 50 == 0 ? 2 : 6);
        std::vector<std::string> lines(40);
        for (std::string& l : lines)
            l = randomText(30);
        ASSERT_NO_FATAL_FAILURE(expectSameAnswers(words, lines));
    }
}

TEST(KeywordMatch, RealisticKeywordsOverAircraftCfgLines) {
    ExcludeKeywords keys = plainscan::Keywords(simtree::KeywordFile(kMaxKeywords));
    ASSERT_EQ(keys.words().size(), static_cast<std::size_t>(kMaxKeywords));
    simtree::Rng rng(11);
    std::vector<std::string> lines;
    int matched = 0;
    for (int i = 0; i < 60; ++i) {
        std::string cfg = simtree::AircraftCfg(rng, i, i % 7 == 0);
        std::FILE* f = fmemopen(cfg.data(), cfg.size(), "rb");
        TextLines reader(f);
        std::string_view line;
        while (reader.next(line, kCfgLineChars)) {
            std::string folded = foldText(line);
            bool plain = AnyWordInLine(keys.foldedWords(), folded);
            ASSERT_EQ(keys.matchesFolded(folded), plain) << folded;
            ASSERT_EQ(keys.find(line) != std::string_view::npos, plain) << line; // as on disk
            matched += plain ? 1 : 0;
        }
        std::fclose(f);
    }
    EXPECT_GT(matched, 0); // the AI models were found
}

TEST(KeywordMatch, ScanAcceptsTheSameFoldersAsThePlainSearch) {
    // Reference: a folder is left out exactly when one of its lines holds a keyword; otherwise
    // it gives what it gives with no keywords at all.
    ExcludeKeywords keys = plainscan::Keywords(simtree::KeywordFile(kMaxKeywords));
    ExcludeKeywords none;
    simtree::Rng rng(3);
    auto withKeys = std::make_unique<AircraftTable>();
    auto without = std::make_unique<AircraftTable>();
    int left = 0;
    for (int i = 0; i < 200; ++i) {
        std::string cfg = simtree::AircraftCfg(rng, i, i % 9 == 0);
        bool excluded = false;
        {
            std::FILE* f = fmemopen(cfg.data(), cfg.size(), "rb");
            TextLines reader(f);
            std::string_view line;
            while (reader.next(line, kCfgLineChars))
                excluded = excluded || AnyWordInLine(keys.foldedWords(), foldText(line));
            std::fclose(f);
        }
        withKeys->NbrAircraftCfgFilled = 0;
        without->NbrAircraftCfgFilled = 0;
        std::FILE* f = fmemopen(cfg.data(), cfg.size(), "rb");
        ReadAircraftCfgFrom(f, "folder", *withKeys, keys);
        std::fclose(f);
        f = fmemopen(cfg.data(), cfg.size(), "rb");
        ReadAircraftCfgFrom(f, "folder", *without, none);
        std::fclose(f);
        if (excluded) {
            ++left;
            EXPECT_EQ(withKeys->NbrAircraftCfgFilled, 0) << i;
        } else {
            ASSERT_EQ(withKeys->NbrAircraftCfgFilled, without->NbrAircraftCfgFilled) << i;
            for (int k = 0; k < without->NbrAircraftCfgFilled; ++k) {
                EXPECT_STREQ((*withKeys)[k].title, (*without)[k].title);
                EXPECT_EQ((*withKeys)[k].emptyWeightLbs, (*without)[k].emptyWeightLbs);
            }
        }
    }
    EXPECT_EQ(left, 23); // every ninth of 200 is an AI model, and only those
}
