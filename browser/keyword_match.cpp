#include "browser/keyword_match.h"

#include <algorithm>
#include <cstring>

namespace {

bool inSet(const std::uint64_t* set, unsigned key) {
    return (set[key >> 6] >> (key & 63)) & 1u;
}

void addToSet(std::uint64_t* set, unsigned key) {
    set[key >> 6] |= std::uint64_t{1} << (key & 63);
}

std::uint32_t keyAt(const unsigned char* p, std::size_t len) {
    std::uint32_t k = 0;
    for (std::size_t i = 0; i < len; ++i)
        k = k << 8 | p[i];
    return k;
}

// 16 bits of the four-byte key.
unsigned quadHash(std::uint32_t key) {
    return (key * 2654435761u) >> 16;
}

} // namespace

bool KeywordMatcher::Group::startsAt(std::uint32_t key, const unsigned char* at, std::size_t room,
                                     std::size_t keyLen) const {
    auto first = std::lower_bound(keys.begin(), keys.end(), key);
    for (auto k = first; k != keys.end() && *k == key; ++k) {
        const std::string& w = words[static_cast<std::size_t>(k - keys.begin())];
        if (w.size() > room)
            return false; // the others with this start are no shorter
        if (std::memcmp(w.data() + keyLen, at + keyLen, w.size() - keyLen) == 0)
            return true;
    }
    return false;
}

void KeywordMatcher::clear() {
    always_ = false;
    hasWords_ = false;
    std::memset(singles_, 0, sizeof singles_);
    std::memset(pairs_, 0, sizeof pairs_);
    std::memset(quads_, 0, sizeof quads_);
    short_ = Group();
    long_ = Group();
}

void KeywordMatcher::assign(const std::vector<std::string>& foldedWords) {
    clear();
    auto fill = [&](Group& g, std::size_t keyLen, auto&& select) {
        std::vector<std::pair<std::uint32_t, const std::string*>> items;
        for (const std::string& w : foldedWords)
            if (select(w.size()))
                items.emplace_back(keyAt(reinterpret_cast<const unsigned char*>(w.data()), keyLen),
                                   &w);
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : a.second->size() < b.second->size();
        });
        for (const auto& [key, word] : items) {
            g.keys.push_back(key);
            g.words.push_back(*word);
        }
    };
    for (const std::string& w : foldedWords) {
        const auto* p = reinterpret_cast<const unsigned char*>(w.data());
        if (w.empty())
            always_ = true;
        else if (w.size() == 1)
            addToSet(singles_, p[0]);
        else if (w.size() < 4)
            addToSet(pairs_, keyAt(p, 2));
        else
            addToSet(quads_, quadHash(keyAt(p, 4)));
    }
    fill(short_, 2, [](std::size_t n) { return n == 2 || n == 3; });
    fill(long_, 4, [](std::size_t n) { return n >= 4; });
    hasWords_ = !foldedWords.empty();
}

bool KeywordMatcher::anyIn(std::string_view line) const {
    if (always_)
        return true;
    if (!hasWords_)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    const bool singleWords = singles_[0] | singles_[1] | singles_[2] | singles_[3];
    const bool shortWords = !short_.keys.empty();
    const bool longWords = !long_.keys.empty() && n >= 4;
    // The four bytes from position i, rolled along the line.
    std::uint32_t window = longWords ? keyAt(p, 3) : 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t room = n - i;
        if (singleWords && inSet(singles_, p[i]))
            return true;
        if (shortWords && room >= 2) {
            std::uint32_t key = keyAt(p + i, 2);
            if (inSet(pairs_, key) && short_.startsAt(key, p + i, room, 2))
                return true;
        }
        if (longWords && room >= 4) {
            window = window << 8 | p[i + 3];
            if (inSet(quads_, quadHash(window)) && long_.startsAt(window, p + i, room, 4))
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
