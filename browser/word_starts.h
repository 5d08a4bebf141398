// Where one of a list of folded words may start in a text: at every place where one starts, and
// at few others. The first four bytes of each place are looked up in small tables, one per byte
// of a word, by their low and high four bits; each table entry holds one bit per group of words
// that may have such a byte there (the Teddy method). With AVX2 the tables are looked up for 32
// places at once; without it, or with FLEETVALUER_SCALAR_SCAN=1, a byte at a time, with the same
// answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tnv::fleet {

class WordStarts {
public:
    static constexpr std::size_t kBytes = 4; // bytes of each word looked at

    // The words folded (FoldChar), none empty. `scalar` keeps to the byte-at-a-time path.
    void assign(const std::vector<std::string>& foldedWords, bool scalar);

    // The first place at or after `from` where a word may start, or `n` when there is none.
    // Bytes past the end read as zero bytes.
    std::size_t next(const unsigned char* text, std::size_t n, std::size_t from) const;

    bool vectorPath() const { return vector_; }

    struct Tables {
        std::uint8_t low[kBytes][16];
        std::uint8_t high[kBytes][16];
    };

private:
    std::size_t nextScalar(const unsigned char* text, std::size_t n, std::size_t from) const;

    Tables tables_ = {};
    std::uint8_t byByte_[kBytes][256] = {}; // low and high together, for the scalar path
    bool vector_ = false;
};

// True when FLEETVALUER_SCALAR_SCAN=1 asks for the byte-at-a-time path.
bool ScalarScanForced();

} // namespace tnv::fleet
