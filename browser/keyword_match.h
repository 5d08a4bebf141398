// Whether any of a list of folded words (FoldChar) occurs in a text, where the leftmost starts and
// which word it is, the text folded as it is read, so it may be given folded or as it is on disk.
// Every byte of every aircraft.cfg is looked at, so the places where a word may start are found
// first (WordStarts), and only there are words compared.
#pragma once

#include "browser/word_starts.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tnv::fleet {

// Control characters and the blank compare as one blank, capitals as small letters; bytes above
// 127 compare as they are.
constexpr unsigned char FoldChar(unsigned char c) {
    if (c <= 32 || c == 127)
        return ' ';
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    return c;
}

// FoldChar for every byte, for the loops that fold many.
inline const std::array<unsigned char, 256>& FoldTable() {
    static constexpr std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(c)] = FoldChar(static_cast<unsigned char>(c));
        return t;
    }();
    return table;
}

// FoldChar over a run of bytes.
void FoldText(const char* in, char* out, std::size_t n);

class KeywordMatcher {
public:
    // `scalar` keeps the search to its byte-at-a-time path.
    void assign(const std::vector<std::string>& foldedWords, bool scalar = ScalarScanForced());

    // Same answer as searching the folded line for each word in turn.
    bool anyIn(std::string_view line) const { return find(line) != npos; }

    // Where the leftmost occurrence of any word at or after `from` starts, or npos. `word`, when
    // given, receives the index of the first word in the list that starts there.
    std::size_t find(std::string_view text, std::size_t from = 0,
                     std::size_t* word = nullptr) const;

    const std::string& word(std::size_t k) const { return words_[k]; }

    static constexpr std::size_t npos = std::string_view::npos;

private:
    std::size_t wordAt(const unsigned char* at, std::size_t room) const;

    std::vector<std::string> words_;
    std::size_t emptyWord_ = npos; // an empty word is at every place
    // The words to compare, by their first byte, each byte's in the list's order. A word that
    // begins with a word before it in the list is left out: wherever it starts, that one does.
    std::vector<std::uint32_t> byFirst_;
    std::uint32_t firstOf_[257] = {};
    WordStarts starts_;
};

// The plain search, one word after the other: the reference the matcher is held to.
bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine);

} // namespace tnv::fleet
