#include "platform/sound/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tnv {

namespace audio_detail {
namespace {

constexpr std::size_t kChunkFrames = 512;

// The tail of the "KSDATAFORMAT_SUBTYPE_..." identifiers, after the format tag.
constexpr std::uint8_t kSubtypeTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

float sampleAt(const std::uint8_t* p, Encoding e) {
    switch (e) {
    case Encoding::U8:
        return (static_cast<int>(p[0]) - 128) / 128.0f;
    case Encoding::S16:
        return static_cast<std::int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
    case Encoding::S24: {
        std::int32_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 8 |
                                                   static_cast<std::uint32_t>(p[1]) << 16 |
                                                   static_cast<std::uint32_t>(p[2]) << 24);
        return static_cast<float>(v / 2147483648.0);
    }
    case Encoding::S32: {
        std::uint32_t u =
            p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        return static_cast<float>(static_cast<std::int32_t>(u) / 2147483648.0);
    }
    case Encoding::F32: {
        std::uint32_t u =
            p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        float f;
        std::memcpy(&f, &u, 4);
        return std::isfinite(f) ? std::clamp(f, -8.0f, 8.0f) : 0.0f;
    }
    case Encoding::F64: {
        std::uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = (u << 8) | p[i];
        double d;
        std::memcpy(&d, &u, 8);
        return std::isfinite(d) ? static_cast<float>(std::clamp(d, -8.0, 8.0)) : 0.0f;
    }
    }
    return 0.0f;
}

void frameAt(const Samples& s, std::size_t index, float& left, float& right) {
    const std::uint8_t* p = s.bytes.data() + index * s.blockAlign;
    left = sampleAt(p, s.encoding);
    right = s.channels >= 2 ? sampleAt(p + s.bytesPerSample, s.encoding) : left;
}

} // namespace

std::uint16_t formatTagOf(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_EXTENSIBLE)
        return f.wFormatTag;
    if (f.extra.size() < 22 || !std::equal(kSubtypeTail, kSubtypeTail + 14, f.extra.begin() + 8))
        return 0;
    return static_cast<std::uint16_t>(f.extra[6] | (f.extra[7] << 8));
}

bool decodableFormat(const WAVEFORMATEX& f, Encoding& encoding) {
    std::uint16_t tag = formatTagOf(f);
    if (f.nChannels < 1 || f.nChannels > 8 || f.nSamplesPerSec < 100 || f.nSamplesPerSec > 200000)
        return false;
    if (tag == WAVE_FORMAT_PCM) {
        switch (f.wBitsPerSample) {
        case 8:
            encoding = Encoding::U8;
            break;
        case 16:
            encoding = Encoding::S16;
            break;
        case 24:
            encoding = Encoding::S24;
            break;
        case 32:
            encoding = Encoding::S32;
            break;
        default:
            return false;
        }
    } else if (tag == WAVE_FORMAT_IEEE_FLOAT) {
        if (f.wBitsPerSample == 32)
            encoding = Encoding::F32;
        else if (f.wBitsPerSample == 64)
            encoding = Encoding::F64;
        else
            return false;
    } else {
        return false;
    }
    return f.nBlockAlign == f.nChannels * (f.wBitsPerSample / 8);
}

float gainOf(std::int32_t hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= -10000)
        return 0.0f;
    if (hundredthsOfDecibel >= 0)
        return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsOfDecibel / 2000.0));
}

void MixerCore::mixVoice(Voice& v, float* mix, std::size_t frames) {
    const Samples& s = *v.samples;
    std::size_t count = s.frames();
    if (count == 0) {
        v.playing = false;
        return;
    }
    float gain = gainOf(v.volume) * gainOf(masterVolume);
    std::uint64_t rate = v.frequency ? v.frequency : s.rate;
    std::uint64_t step = (rate << 32) / output.rate;
    const std::uint64_t end = static_cast<std::uint64_t>(count) << 32;
    for (std::size_t i = 0; i < frames; ++i) {
        if (v.position >= end) {
            if (!v.looping)
                break;
            v.position %= end;
        }
        std::size_t index = static_cast<std::size_t>(v.position >> 32);
        std::uint32_t frac = static_cast<std::uint32_t>(v.position);
        float l, r;
        frameAt(s, index, l, r);
        if (frac != 0) {
            std::size_t nextIndex = index + 1 < count ? index + 1 : (v.looping ? 0 : index);
            float l2, r2;
            frameAt(s, nextIndex, l2, r2);
            float t = static_cast<float>(frac / 4294967296.0);
            l += (l2 - l) * t;
            r += (r2 - r) * t;
        }
        mix[2 * i] += l * gain;
        mix[2 * i + 1] += r * gain;
        v.position += step;
    }
    if (v.position >= end && !v.looping) {
        // A buffer played once stops at its end and starts from the beginning next time.
        v.playing = false;
        v.position = 0;
    }
}

void MixerCore::render(std::uint8_t* out, std::size_t frames) {
    float mix[2 * kChunkFrames];
    std::lock_guard<std::mutex> lock(mutex);
    const OutputFormat fmt = output;
    while (frames > 0) {
        std::size_t n = std::min(frames, kChunkFrames);
        std::fill(mix, mix + 2 * n, 0.0f);
        for (Voice* v : voices)
            if (v->playing && v->samples && !v->samples->lost)
                mixVoice(*v, mix, n);
        for (std::size_t i = 0; i < n; ++i) {
            float l = std::clamp(mix[2 * i], -1.0f, 1.0f);
            float r = std::clamp(mix[2 * i + 1], -1.0f, 1.0f);
            float values[2] = {l, r};
            unsigned channels = fmt.channels;
            if (channels == 1)
                values[0] = (l + r) / 2;
            for (unsigned c = 0; c < channels; ++c) {
                if (fmt.bits == 8) {
                    long u = std::lround(values[c] * 128.0f) + 128;
                    *out++ = static_cast<std::uint8_t>(std::clamp(u, 0L, 255L));
                } else {
                    long sv = std::clamp(std::lround(values[c] * 32768.0f), -32768L, 32767L);
                    auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(sv));
                    *out++ = static_cast<std::uint8_t>(u);
                    *out++ = static_cast<std::uint8_t>(u >> 8);
                }
            }
        }
        frames -= n;
    }
    periodsMixed.fetch_add(1, std::memory_order_release);
}

bool MixerCore::anyPlaying() {
    std::lock_guard<std::mutex> lock(mutex);
    return std::any_of(voices.begin(), voices.end(), [](const Voice* v) {
        return v->playing && v->samples && !v->samples->lost;
    });
}

} // namespace audio_detail

} // namespace tnv
