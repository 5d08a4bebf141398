#include "browser/keyword_match.h"

#include <algorithm>
#include <cstring>

namespace {

// FoldChar as a table, for the inner loops, and the other way round: the bytes that fold to
// each byte.
struct FoldTable {
    unsigned char to[256];
    std::vector<unsigned char> from[256];
    FoldTable() {
        for (int c = 0; c < 256; ++c) {
            to[c] = FoldChar(static_cast<unsigned char>(c));
            from[to[c]].push_back(static_cast<unsigned char>(c));
        }
    }
};
const FoldTable kFold;

unsigned char fold(unsigned char c) {
    return kFold.to[c];
}

bool inSet(const std::uint64_t* set, unsigned key) {
    return (set[key >> 6] >> (key & 63)) & 1u;
}

void addToSet(std::uint64_t* set, unsigned key) {
    set[key >> 6] |= std::uint64_t{1} << (key & 63);
}

// The first `len` bytes (at most four) folded, the first one highest.
std::uint32_t keyAt(const unsigned char* p, std::size_t len) {
    std::uint32_t k = 0;
    for (std::size_t i = 0; i < len; ++i)
        k = k << 8 | fold(p[i]);
    return k;
}

std::uint32_t keyAt4(const unsigned char* p) {
    return std::uint32_t{fold(p[0])} << 24 | std::uint32_t{fold(p[1])} << 16 |
           std::uint32_t{fold(p[2])} << 8 | fold(p[3]);
}

// 16 bits of the four-byte key.
unsigned quadHash(std::uint32_t key) {
    return (key * 2654435761u) >> 16;
}

// Two bytes as they lie in memory.
unsigned pairAt(const unsigned char* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

// The bytes that fold to `c`.
const std::vector<unsigned char>& unfold(unsigned char c) {
    return kFold.from[c];
}

} // namespace

bool KeywordMatcher::Group::startsAt(std::uint32_t key, const unsigned char* at, std::size_t room,
                                     std::size_t keyLen) const {
    auto first = std::lower_bound(keys.begin(), keys.end(), key);
    for (auto k = first; k != keys.end() && *k == key; ++k) {
        const std::string& w = words[static_cast<std::size_t>(k - keys.begin())];
        if (w.size() > room)
            return false; // the others with this start are no shorter
        std::size_t i = keyLen;
        while (i < w.size() && static_cast<unsigned char>(w[i]) == fold(at[i]))
            ++i;
        if (i == w.size())
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
    strided_.fill(0);
    stride_ = 1;
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
    std::size_t shortestLong = 0;
    for (const std::string& w : foldedWords) {
        const auto* p = reinterpret_cast<const unsigned char*>(w.data());
        if (w.empty()) {
            always_ = true;
        } else if (w.size() == 1) {
            addToSet(singles_, p[0]);
        } else if (w.size() < 4) {
            addToSet(pairs_, keyAt(p, 2));
        } else {
            addToSet(quads_, quadHash(keyAt(p, 4)));
            if (shortestLong == 0 || w.size() < shortestLong)
                shortestLong = w.size();
        }
    }
    // A word of at least L bytes always holds one of its first L-1 pairs at a position that is a
    // multiple of L-1; beyond eight the table fills up for little gain.
    stride_ = std::min<std::size_t>(shortestLong > 1 ? shortestLong - 1 : 1, 8);
    // Each folded pair once for each mark, whatever the number of words sharing it.
    std::uint64_t seen[2][1024] = {};
    for (const std::string& w : foldedWords) {
        if (w.size() < 4)
            continue;
        const auto* p = reinterpret_cast<const unsigned char*>(w.data());
        for (std::size_t off = 0; off < stride_; ++off) {
            const unsigned key = keyAt(p + off, 2);
            const bool first = off == 0;
            if (inSet(seen[first], key))
                continue;
            addToSet(seen[first], key);
            const std::uint8_t mark = first ? kStrided | kFirstPair : kStrided;
            for (unsigned char a : unfold(static_cast<unsigned char>(key >> 8)))
                for (unsigned char b : unfold(static_cast<unsigned char>(key & 0xff))) {
                    const unsigned char raw[2] = {a, b};
                    strided_[pairAt(raw)] |= mark;
                }
        }
    }
    fill(short_, 2, [](std::size_t n) { return n == 2 || n == 3; });
    fill(long_, 4, [](std::size_t n) { return n >= 4; });
    hasWords_ = !foldedWords.empty();
}

std::size_t KeywordMatcher::findShort(const unsigned char* p, std::size_t n,
                                      std::size_t limit) const {
    const bool singleWords = singles_[0] | singles_[1] | singles_[2] | singles_[3];
    const bool shortWords = !short_.keys.empty();
    for (std::size_t i = 0; i < limit; ++i) {
        if (singleWords && inSet(singles_, fold(p[i])))
            return i;
        if (shortWords && i + 1 < n) {
            std::uint32_t key = keyAt(p + i, 2);
            if (inSet(pairs_, key) && short_.startsAt(key, p + i, n - i, 2))
                return i;
        }
    }
    return npos;
}

// The first longer word starting at i-stride_+1 to i, the positions position i stands for.
std::size_t KeywordMatcher::longWordAround(const unsigned char* p, std::size_t n,
                                           std::size_t i) const {
    for (std::size_t s = i + 1 > stride_ ? i + 1 - stride_ : 0; s <= i && s + 4 <= n; ++s) {
        if (!(strided_[pairAt(p + s)] & kFirstPair))
            continue;
        std::uint32_t key = keyAt4(p + s);
        if (inSet(quads_, quadHash(key)) && long_.startsAt(key, p + s, n - s, 4))
            return s;
    }
    return npos;
}

std::size_t KeywordMatcher::findLong(const unsigned char* p, std::size_t n) const {
    if (n < 4)
        return npos;
    const std::size_t k = stride_;
    const std::uint8_t* pairs = strided_.data();
    std::size_t i = 0;
    // Four positions a round: one test for all of them, which almost always fails.
    for (; i + 3 * k + 1 < n; i += 4 * k) {
        if ((pairs[pairAt(p + i)] | pairs[pairAt(p + i + k)] | pairs[pairAt(p + i + 2 * k)] |
             pairs[pairAt(p + i + 3 * k)]) == 0)
            continue;
        for (std::size_t j = i; j <= i + 3 * k; j += k)
            if (pairs[pairAt(p + j)]) {
                std::size_t at = longWordAround(p, n, j);
                if (at != npos)
                    return at;
            }
    }
    for (; i + 1 < n; i += k)
        if (pairs[pairAt(p + i)]) {
            std::size_t at = longWordAround(p, n, i);
            if (at != npos)
                return at;
        }
    return npos;
}

void FoldText(const char* in, char* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>(fold(static_cast<unsigned char>(in[i])));
}

std::size_t KeywordMatcher::find(std::string_view text) const {
    if (always_)
        return 0;
    if (!hasWords_)
        return npos;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t at = long_.keys.empty() ? npos : findLong(p, n);
    if (!short_.keys.empty() || (singles_[0] | singles_[1] | singles_[2] | singles_[3])) {
        std::size_t shorter = findShort(p, n, std::min(at, n));
        if (shorter != npos)
            at = shorter;
    }
    return at;
}

bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine) {
    for (const std::string& w : foldedWords)
        if (foldedLine.find(w) != std::string_view::npos)
            return true;
    return false;
}
