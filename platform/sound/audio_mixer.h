// The software mixer behind the sound buffers: sample memory shared by duplicate buffers, the
// play state of each buffer, and the mix into the output format. Internal to platform/audio.
#pragma once

#include "platform/riff/riff.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tnv {

namespace audio_detail {

enum class Encoding { U8, S16, S24, S32, F32, F64 };

// The format tag, or for an extensible format the tag its subtype stands for (0: none known).
std::uint16_t formatTagOf(const WAVEFORMATEX& format);

// How the mixer reads a format; false for one it cannot play.
bool decodableFormat(const WAVEFORMATEX& format, Encoding& encoding);

struct Samples {
    std::vector<std::uint8_t> bytes;
    Encoding encoding = Encoding::S16;
    unsigned channels = 1;
    unsigned bytesPerSample = 2;
    unsigned blockAlign = 2;
    std::uint32_t rate = 22050;
    bool lost = false;
    unsigned failingRestores = 0;

    std::size_t frames() const { return bytes.size() / blockAlign; }
    std::uint8_t silence() const { return encoding == Encoding::U8 ? 128 : 0; }
};

struct Voice {
    std::shared_ptr<Samples> samples; // none for a primary buffer
    std::uint32_t caps = 0;
    bool playing = false;
    bool looping = false;
    std::uint64_t position = 0; // in frames, 32.32 fixed point
    std::int32_t volume = 0;    // hundredths of a decibel
    std::uint32_t frequency = 0;
    std::uint32_t priority = 0;
};

struct OutputFormat {
    unsigned channels = 2;
    unsigned rate = 22050;
    unsigned bits = 16;
    unsigned frameBytes() const { return channels * bits / 8; }
};

class MixerCore {
public:
    // Guards everything below and the samples of every voice. Held by the mixer for one
    // period's mix and by the calling thread for short state changes only.
    std::mutex mutex;
    std::vector<Voice*> voices;
    OutputFormat output;
    std::int32_t masterVolume = 0;
    std::atomic<std::uint64_t> periodsMixed{0};

    // Mixes `frames` output frames into `out` (takes the mutex).
    void render(std::uint8_t* out, std::size_t frames);
    bool anyPlaying(); // takes the mutex

private:
    void mixVoice(Voice& v, float* mix, std::size_t frames);
};

// Amplitude factor of an attenuation in hundredths of a decibel.
float gainOf(std::int32_t hundredthsOfDecibel);

} // namespace audio_detail

} // namespace tnv
