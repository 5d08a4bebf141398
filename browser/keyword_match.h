// Whether any of a list of words occurs in a line, both already folded (FoldChar). A line is
// tested against two hundred AI-traffic words for every line of every aircraft.cfg, so the words
// are indexed by their first two bytes: one table look-up per position of the line, and a full
// comparison only where a word can start.
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
    bool always_ = false; // an empty word is in every line
    bool hasWords_ = false;
    std::uint64_t singles_[4] = {};  // one-byte words, as a set of bytes
    std::uint64_t pairs_[1024] = {}; // first two bytes of the longer words, as a set of pairs
    // Longer words by their first two bytes, sorted; ties keep the shorter word first.
    std::vector<std::uint16_t> keys_;
    std::vector<std::string> words_;
};

// The plain search, one word after the other: the reference the matcher is held to.
bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine);
