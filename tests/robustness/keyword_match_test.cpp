// The keyword matcher gives the plain word-by-word search's answer on every line, the leftmost
// place where a word starts and the first word of the list that starts there, on its vector path
// and on its byte-at-a-time path.
#include "browser/aircraft_scan.h"
#include "browser/keyword_match.h"
#include "tests/robustness/plain_scan.h"
#include "tests/support/sim_tree.h"

#include <gtest/gtest.h>

using namespace tnv;
using namespace tnv::fleet;

namespace {

using plainscan::FirstWord;
using plainscan::Fold;

// Where the search may look further: every place, whichever path finds them.
std::vector<std::size_t> places(const WordStarts& starts, const std::string& text) {
    std::vector<std::size_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; (at = starts.next(p, text.size(), at)) < text.size(); ++at)
        out.push_back(at);
    return out;
}

void expectSameAnswers(const std::vector<std::string>& words,
                       const std::vector<std::string>& lines) {
    // Each path (the vector one where the processor has it) gives the same answers.
    for (bool scalar : {false, true}) {
        KeywordMatcher m;
        m.assign(words, scalar);
        for (const std::string& line : lines) {
            const std::size_t first = FirstWord(words, line);
            std::size_t word = KeywordMatcher::npos;
            ASSERT_EQ(m.find(line, 0, &word), first)
                << "line '" << line << "' with " << words.size() << " words";
            ASSERT_EQ(m.anyIn(line), AnyWordInLine(words, line)) << "line '" << line << "'";
            if (first != KeywordMatcher::npos) // the first word of the list that starts there
                for (std::size_t k = 0; k < words.size(); ++k)
                    if (std::string_view(line).substr(first).starts_with(words[k])) {
                        ASSERT_EQ(word, k) << "line '" << line << "'";
                        break;
                    }
            // The same line in capitals and with other blanks: folded as it is read.
            std::string shouted = line;
            for (char& c : shouted)
                c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c == ' ' ? '\t' : c;
            ASSERT_EQ(m.find(shouted), first) << "line '" << shouted << "'";
        }
    }
    // Both paths look at the same places, in the lines and in all of them as one text.
    std::vector<std::string> nonEmpty = words;
    std::erase(nonEmpty, "");
    WordStarts vector, scalar;
    vector.assign(nonEmpty, false);
    scalar.assign(nonEmpty, true);
    std::string all;
    for (const std::string& line : lines) {
        ASSERT_EQ(places(vector, line), places(scalar, line)) << "line '" << line << "'";
        all += line;
    }
    ASSERT_EQ(places(vector, all), places(scalar, all));
}

} // namespace

TEST(KeywordMatch, EdgeCases) {
    constexpr auto none = KeywordMatcher::npos;
    struct Case {
        std::vector<std::string> words;
        std::string line;
        std::size_t at; // where the leftmost word starts
    } cases[] = {{{}, "anything", none},
                 {{""}, "", 0}, // an empty keyword is in every line, even an empty one
                 {{""}, "title=x", 0},
                 {{"x"}, "", none},
                 {{"x"}, "abcx", 3}, // a one-byte word in the last position
                 {{"ab"}, "a", none},
                 {{"ab"}, "xab", 1},
                 {{"abc"}, "xab", none},      // cut short by the end of the line
                 {{"abcd", "ab"}, "xxab", 2}, // the shorter word of a shared start
                 {{"abcd", "abce"}, "abce", 0},
                 {{"ai "}, "title=ai traffic", 6},
                 {{"ai "}, "title=airbus", none},
                 {{"\xe9t\xe9"}, "r\xe9t\xe9", 1}, // bytes above 127 as they are
                 {{"\xe9t\xe9"}, "r\xc9T\xc9", none},
                 {{"aa"}, "aaa", 0},
                 {{"aab"}, "aaab", 1}, // overlapping starts
                 // The leftmost, whichever kind of word it is.
                 {{"xy", "abcdefgh"}, "zabcdefghxy", 1},
                 {{"abcdefgh", "fg"}, "zabcdefgh", 1},
                 {{"ab", "abcdefgh"}, "zzabcdefgh", 2},
                 {{"bcd", "abcd"}, "abcd", 0},
                 {{"bcde", "abcd"}, "xbcdeabcd", 1},
                 {{"e", "engine"}, "ENGINE", 0}};
    for (const Case& c : cases) {
        KeywordMatcher m;
        m.assign(c.words);
        EXPECT_EQ(m.find(c.line), c.at) << c.line;
        EXPECT_EQ(m.anyIn(c.line), c.at != none) << c.line;
        EXPECT_EQ(AnyWordInLine(c.words, Fold(c.line)), c.at != none) << c.line;
    }
    // A long word at every place of a line: the index looks at every few bytes only.
    for (std::size_t len : {4, 5, 9, 12})
        for (std::size_t at = 0; at < 30; ++at) {
            KeywordMatcher m;
            m.assign({std::string("abcdefghijkl", len)});
            std::string line = std::string(at, 'z') + std::string("ABCDEFGHIJKL", len) + "zz";
            EXPECT_EQ(m.find(line), at) << line;
            EXPECT_EQ(m.find(line.substr(0, at + len)), at) << line; // at the end of the line
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
    int matched = 0;
    for (int i = 0; i < 60; ++i)
        for (const std::string& line :
             plainscan::PlainLines(simtree::AircraftCfg(rng, i, i % 7 == 0))) {
            std::string folded = Fold(line);
            bool plain = AnyWordInLine(keys.foldedWords(), folded);
            ASSERT_EQ(keys.matches(folded), plain) << folded;
            ASSERT_EQ(keys.find(line), FirstWord(keys.foldedWords(), folded)) << line; // as on disk
            matched += plain ? 1 : 0;
        }
    EXPECT_GT(matched, 0); // the AI models were found
}
