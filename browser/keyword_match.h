// Whether any of a list of words occurs in a line, both already folded (FoldChar). A line is
// tested against two hundred AI-traffic words for every line of every aircraft.cfg, so the words
// are indexed by their first bytes: a look-up or two in small bit tables per position of the
// line, and a full comparison only where a word can start.
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
    bool anyIn(std::string_view foldedLine) const;

private:
    // Words that start with the same key, shortest first.
    struct Group {
        std::vector<std::uint32_t> keys; // sorted
        std::vector<std::string> words;  // beside their keys
        bool startsAt(std::uint32_t key, const unsigned char* at, std::size_t room,
                      std::size_t keyLen) const;
    };

    bool always_ = false; // an empty word is in every line
    bool hasWords_ = false;
    std::uint64_t singles_[4] = {};  // one-byte words, as a set of bytes
    std::uint64_t pairs_[1024] = {}; // first two bytes of two- and three-byte words
    std::uint64_t quads_[1024] = {}; // a hash of the first four bytes of the longer words
    Group short_;                    // two and three bytes, keyed by two
    Group long_;                     // four bytes and more, keyed by four
};

// The plain search, one word after the other: the reference the matcher is held to.
bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine);
