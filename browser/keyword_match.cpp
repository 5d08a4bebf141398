#include "browser/keyword_match.h"

#include <algorithm>
#include <unordered_map>

namespace tnv::fleet {

void FoldText(const char* in, char* out, std::size_t n) {
    const auto& table = FoldTable();
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>(table[static_cast<unsigned char>(in[i])]);
}

void KeywordMatcher::assign(const std::vector<std::string>& foldedWords, bool scalar) {
    words_ = foldedWords;
    emptyWord_ = npos;
    byFirst_.clear();
    std::unordered_map<std::string_view, std::size_t> firstIndex;
    for (std::size_t i = 0; i < words_.size(); ++i)
        firstIndex.try_emplace(words_[i], i);
    std::vector<std::string> compared;
    for (std::size_t i = 0; i < words_.size(); ++i) {
        const std::string_view w = words_[i];
        if (w.empty()) {
            emptyWord_ = std::min(emptyWord_, i);
            continue;
        }
        bool covered = false;
        for (std::size_t n = 1; n <= w.size() && !covered; ++n) {
            const auto it = firstIndex.find(w.substr(0, n));
            covered = it != firstIndex.end() && it->second < i;
        }
        if (!covered) {
            byFirst_.push_back(static_cast<std::uint32_t>(i));
            compared.emplace_back(w);
        }
    }
    std::stable_sort(byFirst_.begin(), byFirst_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return static_cast<unsigned char>(words_[a][0]) < static_cast<unsigned char>(words_[b][0]);
    });
    std::size_t k = 0;
    for (int c = 0; c < 256; ++c) {
        firstOf_[c] = static_cast<std::uint32_t>(k);
        while (k < byFirst_.size() && static_cast<unsigned char>(words_[byFirst_[k]][0]) == c)
            ++k;
    }
    firstOf_[256] = static_cast<std::uint32_t>(k);
    starts_.assign(compared, scalar);
}

// The first word in the list's order that starts at `at`, or npos.
std::size_t KeywordMatcher::wordAt(const unsigned char* at, std::size_t room) const {
    const auto& fold = FoldTable();
    const unsigned char first = fold[at[0]];
    for (std::uint32_t k = firstOf_[first]; k < firstOf_[first + 1]; ++k) {
        const std::string& w = words_[byFirst_[k]];
        if (w.size() > room)
            continue;
        std::size_t i = 1;
        while (i < w.size() && static_cast<unsigned char>(w[i]) == fold[at[i]])
            ++i;
        if (i == w.size())
            return byFirst_[k];
    }
    return npos;
}

std::size_t KeywordMatcher::find(std::string_view text, std::size_t from, std::size_t* word) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t found = npos;
    std::size_t at = from;
    if (emptyWord_ != npos && from <= n) {
        found = emptyWord_;
        if (from < n)
            found = std::min(found, wordAt(p + from, n - from));
    } else {
        for (; (at = starts_.next(p, n, at)) < n; ++at)
            if ((found = wordAt(p + at, n - at)) != npos)
                break;
    }
    if (found == npos)
        return npos;
    if (word)
        *word = found;
    return at;
}

bool AnyWordInLine(const std::vector<std::string>& foldedWords, std::string_view foldedLine) {
    for (const std::string& w : foldedWords)
        if (foldedLine.find(w) != std::string_view::npos)
            return true;
    return false;
}

} // namespace tnv::fleet
