#include "browser/word_starts.h"

#include "browser/keyword_match.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TNV_WORD_STARTS_AVX2 1
#endif

namespace tnv::fleet {

namespace {

constexpr int kGroups = 8; // one bit of a table entry each

#ifdef TNV_WORD_STARTS_AVX2

// One bit for each of the 32 places from `at` where a word may start; reads 35 bytes.
__attribute__((target("avx2"))) inline std::uint32_t marks(const __m256i* low, const __m256i* high,
                                                           const unsigned char* at) {
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    __m256i m = _mm256_set1_epi8(-1);
#pragma GCC unroll 4
    for (std::size_t j = 0; j < WordStarts::kBytes; ++j) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + j));
        const __m256i lo = _mm256_shuffle_epi8(low[j], _mm256_and_si256(v, nibble));
        const __m256i hi =
            _mm256_shuffle_epi8(high[j], _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
        m = _mm256_and_si256(m, _mm256_and_si256(lo, hi));
    }
    const __m256i none = _mm256_cmpeq_epi8(m, _mm256_setzero_si256());
    return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(none));
}

__attribute__((target("avx2"))) std::size_t
nextAvx2(const WordStarts::Tables& t, const unsigned char* p, std::size_t n, std::size_t i) {
    constexpr std::size_t step = 32;
    constexpr std::size_t reach = step + WordStarts::kBytes - 1;
    __m256i low[WordStarts::kBytes];
    __m256i high[WordStarts::kBytes];
#pragma GCC unroll 4
    for (std::size_t j = 0; j < WordStarts::kBytes; ++j) {
        low[j] = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.low[j])));
        high[j] = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.high[j])));
    }
    for (; i + reach <= n; i += step)
        if (std::uint32_t bits = marks(low, high, p + i))
            return i + static_cast<std::size_t>(__builtin_ctz(bits));
    // The last places, from a copy with zero bytes after the end.
    for (; i < n; i += step) {
        unsigned char tail[64] = {};
        std::memcpy(tail, p + i, std::min(n - i, reach));
        std::uint32_t bits = marks(low, high, tail);
        if (n - i < step)
            bits &= (std::uint32_t{1} << (n - i)) - 1;
        if (bits)
            return i + static_cast<std::size_t>(__builtin_ctz(bits));
    }
    return n;
}

bool hasAvx2() {
    return __builtin_cpu_supports("avx2");
}

#else

bool hasAvx2() {
    return false;
}

#endif

} // namespace

bool ScalarScanForced() {
    const char* value = std::getenv("FLEETVALUER_SCALAR_SCAN");
    return value && std::string_view(value) == "1";
}

void WordStarts::assign(const std::vector<std::string>& foldedWords, bool scalar) {
    tables_ = {};
    std::memset(byByte_, 0, sizeof byByte_);
    // Words that begin alike share a group, so that a group's bytes seldom combine into a
    // beginning none of its words has.
    std::vector<std::string> starts;
    for (const std::string& w : foldedWords)
        if (!w.empty())
            starts.push_back(w.substr(0, kBytes));
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const auto bit = static_cast<std::uint8_t>(1u << (k * kGroups / starts.size()));
        for (std::size_t j = 0; j < kBytes; ++j) {
            auto mark = [&](int c) {
                tables_.low[j][c & 15] |= bit;
                tables_.high[j][c >> 4] |= bit;
            };
            // The bytes that fold to the word's byte; past a short word's end, any byte.
            const int folded = j < starts[k].size() ? static_cast<unsigned char>(starts[k][j]) : -1;
            if (folded == -1 || folded == ' ') {
                for (int c = 0; c < 256; ++c)
                    if (folded == -1 || FoldChar(static_cast<unsigned char>(c)) == ' ')
                        mark(c);
            } else {
                mark(folded);
                if (folded >= 'a' && folded <= 'z')
                    mark(folded - 32);
            }
        }
    }
    for (std::size_t j = 0; j < kBytes; ++j)
        for (int c = 0; c < 256; ++c)
            byByte_[j][c] = tables_.low[j][c & 15] & tables_.high[j][c >> 4];
    vector_ = !scalar && hasAvx2();
}

std::size_t WordStarts::nextScalar(const unsigned char* p, std::size_t n, std::size_t i) const {
    for (; i + kBytes <= n; ++i)
        if (byByte_[0][p[i]] & byByte_[1][p[i + 1]] & byByte_[2][p[i + 2]] & byByte_[3][p[i + 3]])
            return i;
    for (; i < n; ++i) {
        unsigned bits = 0xff;
        for (std::size_t j = 0; j < kBytes; ++j)
            bits &= byByte_[j][i + j < n ? p[i + j] : 0];
        if (bits)
            return i;
    }
    return n;
}

std::size_t WordStarts::next(const unsigned char* text, std::size_t n, std::size_t from) const {
    if (from >= n)
        return n;
#ifdef TNV_WORD_STARTS_AVX2
    if (vector_)
        return nextAvx2(tables_, text, n, from);
#endif
    return nextScalar(text, n, from);
}

} // namespace tnv::fleet
