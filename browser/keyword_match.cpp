#include "browser/keyword_match.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint16_t pairKey(unsigned char a, unsigned char b) {
    return static_cast<std::uint16_t>(a << 8 | b);
}

bool inSet(const std::uint64_t* set, unsigned key) {
    return (set[key >> 6] >> (key & 63)) & 1u;
}

void addToSet(std::uint64_t* set, unsigned key) {
    set[key >> 6] |= std::uint64_t{1} << (key & 63);
}

} // namespace

void KeywordMatcher::clear() {
    always_ = false;
    hasWords_ = false;
    std::memset(singles_, 0, sizeof singles_);
    std::memset(pairs_, 0, sizeof pairs_);
    keys_.clear();
    words_.clear();
}

void KeywordMatcher::assign(const std::vector<std::string>& foldedWords) {
    clear();
    std::vector<std::size_t> longer;
    for (std::size_t i = 0; i < foldedWords.size(); ++i) {
        const std::string& w = foldedWords[i];
        if (w.empty())
            always_ = true;
        else if (w.size() == 1)
            addToSet(singles_, static_cast<unsigned char>(w[0]));
        else
            longer.push_back(i);
    }
    auto keyOf = [&](std::size_t i) {
        const std::string& w = foldedWords[i];
        return pairKey(static_cast<unsigned char>(w[0]), static_cast<unsigned char>(w[1]));
    };
    std::stable_sort(longer.begin(), longer.end(), [&](std::size_t a, std::size_t b) {
        return keyOf(a) != keyOf(b) ? keyOf(a) < keyOf(b)
                                    : foldedWords[a].size() < foldedWords[b].size();
    });
    for (std::size_t i : longer) {
        keys_.push_back(keyOf(i));
        words_.push_back(foldedWords[i]);
        addToSet(pairs_, keyOf(i));
    }
    hasWords_ = !foldedWords.empty();
}

bool KeywordMatcher::anyIn(std::string_view line) const {
    if (always_)
        return true;
    if (!hasWords_)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (inSet(singles_, p[i]))
            return true;
        if (i + 1 == n)
            break;
        std::uint16_t key = pairKey(p[i], p[i + 1]);
        if (!inSet(pairs_, key))
            continue;
        auto first = std::lower_bound(keys_.begin(), keys_.end(), key);
        const std::size_t rest = n - i;
        for (auto k = first; k != keys_.end() && *k == key; ++k) {
            const std::string& w = words_[static_cast<std::size_t>(k - keys_.begin())];
            if (w.size() > rest)
                break; // the others with this start are no shorter
            if (std::memcmp(w.data() + 2, p + i + 2, w.size() - 2) == 0)
                return true;
        }
    }
    return false;
}

bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine) {
    for (const std::string& w : foldedWords)
        if (foldedLine.find(w) != std::string_view::npos)
            return true;
    return false;
}
