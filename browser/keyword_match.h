// Whether any of a list of folded words (FoldChar) occurs in a text, and where the leftmost
// starts, the text folded as it is read, so it may be given folded or as it is on disk. Every
// byte of every aircraft.cfg is tested against two hundred AI-traffic words, so the words are
// indexed: the longer ones by the byte pairs they begin with, looked up only every few bytes,
// then by a hash of their first four bytes; a full comparison only where a word can start.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Control characters and the blank compare as one blank, capitals as small letters; bytes above
// 127 compare as they are.
inline unsigned char FoldChar(unsigned char c) {
    if (c <= 32 || c == 127)
        return ' ';
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    return c;
}

// FoldChar over a run of bytes.
void FoldText(const char* in, char* out, std::size_t n);

class KeywordMatcher {
public:
    void assign(const std::vector<std::string>& foldedWords);
    void clear();

    // Same answer as searching the folded line for each word in turn.
    bool anyIn(std::string_view line) const { return find(line) != npos; }

    // Where the leftmost occurrence of any word starts, or npos.
    std::size_t find(std::string_view text) const;

    static constexpr std::size_t npos = std::string_view::npos;

private:
    // Words that start with the same key, shortest first.
    struct Group {
        std::vector<std::uint32_t> keys; // sorted
        std::vector<std::string> words;  // beside their keys
        bool startsAt(std::uint32_t key, const unsigned char* at, std::size_t room,
                      std::size_t keyLen) const;
    };

    std::size_t findShort(const unsigned char* p, std::size_t n, std::size_t limit) const;
    std::size_t findLong(const unsigned char* p, std::size_t n) const;
    std::size_t longWordAround(const unsigned char* p, std::size_t n, std::size_t i) const;

    bool always_ = false; // an empty word is in every line
    bool hasWords_ = false;
    std::uint64_t singles_[4] = {};  // one-byte words, as a set of bytes
    std::uint64_t pairs_[1024] = {}; // first two bytes of two- and three-byte words
    std::uint64_t quads_[1024] = {}; // a hash of the first four bytes of the longer words
    // The byte pairs, as found in the text before folding, that fold to one found at the offsets
    // 0 to stride_-1 of a longer word: every occurrence of such a word holds one of them at a
    // position that is a multiple of stride_. Indexed by the two bytes as they lie in memory.
    // kFirstPair marks the pairs the longer words begin with.
    static constexpr std::uint8_t kStrided = 1;
    static constexpr std::uint8_t kFirstPair = 2;
    std::array<std::uint8_t, 65536> strided_ = {};
    std::size_t stride_ = 1;
    Group short_; // two and three bytes, keyed by two
    Group long_;  // four bytes and more, keyed by four
};

// The plain search, one word after the other: the reference the matcher is held to.
bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine);
