// Builds WAVE files byte by byte for the playback tests, including the malformed ones.
#pragma once

#include "platform/riff/riff.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace tnv;

namespace wavfixture {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    Chunk(std::string id_, Bytes body_, std::optional<std::uint32_t> declared = {},
          bool pad_ = true)
        : id(std::move(id_)), body(std::move(body_)), declaredSize(declared), pad(pad_) {}
    std::string id;
    Bytes body;
    std::optional<std::uint32_t> declaredSize; // the size field, when it should lie
    bool pad = true;                           // the pad byte after an odd body
};

inline void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void putId(Bytes& b, const std::string& id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(i < static_cast<int>(id.size()) ? id[i] : ' '));
}

// The fmt body: 16 bytes for PCM unless `withExtraSize`, else 18 plus the extra bytes.
inline Bytes fmtBody(const WAVEFORMATEX& f, bool withExtraSize) {
    Bytes b;
    put16(b, f.wFormatTag);
    put16(b, f.nChannels);
    put32(b, f.nSamplesPerSec);
    put32(b, f.nAvgBytesPerSec);
    put16(b, f.nBlockAlign);
    put16(b, f.wBitsPerSample);
    if (withExtraSize) {
        put16(b, f.cbSize);
        b.insert(b.end(), f.extra.begin(), f.extra.end());
    }
    return b;
}

inline WAVEFORMATEX pcm(unsigned channels, unsigned rate, unsigned bits) {
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = static_cast<std::uint16_t>(channels);
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = static_cast<std::uint16_t>(bits);
    f.nBlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

// `f` with another format tag, block size and extra bytes, as compressed formats have them.
inline WAVEFORMATEX withTag(WAVEFORMATEX f, std::uint16_t tag, unsigned blockAlign,
                            const Bytes& extra = {}) {
    f.wFormatTag = tag;
    f.nBlockAlign = static_cast<std::uint16_t>(blockAlign);
    f.cbSize = static_cast<std::uint16_t>(extra.size());
    f.extra = extra;
    return f;
}

inline Chunk fmtChunk(const WAVEFORMATEX& f) {
    return {"fmt ", fmtBody(f, f.wFormatTag != WAVE_FORMAT_PCM), std::nullopt, true};
}
inline Chunk dataChunk(Bytes samples) {
    return {"data", std::move(samples), std::nullopt, true};
}
inline Chunk listChunk(const std::string& text) {
    Bytes b;
    putId(b, "INFO");
    putId(b, "ICMT");
    put32(b, static_cast<std::uint32_t>(text.size()));
    b.insert(b.end(), text.begin(), text.end());
    return {"LIST", b, std::nullopt, true};
}

// "RIFF" size "WAVE" and the chunks; the RIFF size counts what follows it unless given.
inline Bytes riff(const std::vector<Chunk>& chunks, std::optional<std::uint32_t> riffSize = {},
                  const std::string& form = "WAVE") {
    Bytes body;
    putId(body, form);
    for (const Chunk& c : chunks) {
        putId(body, c.id);
        put32(body, c.declaredSize.value_or(static_cast<std::uint32_t>(c.body.size())));
        body.insert(body.end(), c.body.begin(), c.body.end());
        if (c.pad && (c.body.size() & 1))
            body.push_back(0);
    }
    Bytes out;
    putId(out, "RIFF");
    put32(out, riffSize.value_or(static_cast<std::uint32_t>(body.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

inline Bytes wav(const WAVEFORMATEX& f, const Bytes& samples) {
    return riff({fmtChunk(f), dataChunk(samples)});
}

// Interleaved 16-bit samples.
inline Bytes s16(const std::vector<int>& values) {
    Bytes b;
    for (int v : values)
        put16(b, static_cast<unsigned>(v) & 0xFFFF);
    return b;
}

inline Bytes counting(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

inline std::string str(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

struct Frame {
    int left, right;
};

// 16-bit little-endian stereo frames, as the mixer and SDL's disk driver write them.
inline std::vector<Frame> stereoFrames(const std::uint8_t* p, std::size_t bytes) {
    auto at = [p](std::size_t k) { return int(static_cast<std::int16_t>(p[k] | p[k + 1] << 8)); };
    std::vector<Frame> frames;
    for (std::size_t i = 0; i + 4 <= bytes; i += 4)
        frames.push_back({at(i), at(i + 2)});
    return frames;
}

// Tests that write their sound files into a folder of their own.
class WavFilesTest : public ::testing::Test {
protected:
    std::string write(const Bytes& b, const std::string& name = "t.wav") {
        std::string p = dir.file(name);
        testsupport::writeFile(p, str(b));
        return p;
    }
    testsupport::TempDir dir;
};

} // namespace wavfixture
