// Whether any of a list of words occurs in a text, both already folded (FoldChar). Every byte of
// every aircraft.cfg is tested against two hundred AI-traffic words, so the words are indexed:
// the longer ones by the byte pairs they begin with, looked up only every few bytes, then by a
// hash of their first four bytes; a full comparison only where a word can start.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class KeywordMatcher {
public:
    void assign(const std::vector<std::string>& foldedWords);
    void clear();

    // Same answer as searching the line for each word in turn.
    bool anyIn(std::string_view foldedLine) const { return find(foldedLine) != npos; }

    // Where the leftmost occurrence of any word starts, or npos.
    std::size_t find(std::string_view foldedText) const;

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

    bool always_ = false; // an empty word is in every line
    bool hasWords_ = false;
    std::uint64_t singles_[4] = {};  // one-byte words, as a set of bytes
    std::uint64_t pairs_[1024] = {}; // first two bytes of two- and three-byte words
    std::uint64_t quads_[1024] = {}; // a hash of the first four bytes of the longer words
    // Byte pairs found at the offsets 0 to stride_-1 of the longer words: every occurrence of
    // one of them holds such a pair at a position that is a multiple of stride_.
    std::uint64_t strided_[1024] = {};
    std::size_t stride_ = 1;
    Group short_; // two and three bytes, keyed by two
    Group long_;  // four bytes and more, keyed by four
};

// The plain search, one word after the other: the reference the matcher is held to.
bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine);
