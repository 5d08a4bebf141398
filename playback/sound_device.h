// The program's connection to the sound device, and a loaded sound: one or more buffers holding
// the samples of one WAV file, filled from a reader that stays open so that a buffer lost to
// another program can be refilled.
#pragma once

#include "platform/base/types.h"
#include "platform/sound/audio.h"
#include "playback/wave_reader.h"

#include <memory>
#include <vector>

namespace tnv {

// Longest path a clip is made from.
constexpr std::size_t kMaxSoundPath = 255;
// Restore is tried this often (10 ms apart while the memory is not back) before giving up.
constexpr int kMaxRestoreTries = 200;

// Attenuation in hundredths of a decibel for a volume of 0 (silent end) to 255 (full).
LONG volumeToAttenuation(LONG volume);

class CSoundClip;

class CSoundDevice {
public:
    CSoundDevice() = default;
    ~CSoundDevice() { shutdown(); }
    CSoundDevice(const CSoundDevice&) = delete;
    CSoundDevice& operator=(const CSoundDevice&) = delete;

    // Opens the default device and sets the output format. A failure leaves no device.
    HRESULT start(const void* window, DWORD cooperativeLevel, DWORD channels,
                  DWORD samplesPerSecond, DWORD bitsPerSample);
    // The same on a given device (tests use an offline one).
    HRESULT startWith(std::unique_ptr<DirectSound> device, const void* window,
                      DWORD cooperativeLevel, DWORD channels, DWORD samplesPerSecond,
                      DWORD bitsPerSample);
    HRESULT createClip(const char* path, DWORD bufferFlags, const GUID& algorithm3D, DWORD count,
                       std::unique_ptr<CSoundClip>& clip);
    void shutdown();

    DirectSound* directSound() const { return device_.get(); }

private:
    std::unique_ptr<DirectSound> device_;
    std::unique_ptr<DirectSoundBuffer> primary_;
};

class CSoundClip {
public:
    ~CSoundClip();
    CSoundClip(const CSoundClip&) = delete;
    CSoundClip& operator=(const CSoundClip&) = delete;

    // Plays a free buffer (a random one when all play) once or looped (flag 1).
    HRESULT play(DWORD priority, DWORD playFlags, LONG volume, DWORD frequency);
    HRESULT stop();
    HRESULT rewind();
    // A buffer played once that has gone past the sound the file holds is stopped here.
    bool isPlaying() const;

    // Fills a buffer from the file; a short file is repeated or followed by silence.
    HRESULT fill(DirectSoundBuffer* buffer, bool repeatIfShort);
    // S_FALSE when the buffer was not lost; 0 and `restored` when its memory is back.
    HRESULT restoreIfLost(DirectSoundBuffer* buffer, bool* restored);

    DWORD count() const { return static_cast<DWORD>(buffers_.size()); }
    DWORD dataSize() const { return dataSize_; }
    // The bytes of the buffers that hold sound from the file; the rest is silence.
    DWORD heldBytes() const { return heldBytes_; }
    // The format of the buffers' samples: the file's, or PCM for a compressed file.
    const WAVEFORMATEX* format() const {
        return !pcm_.empty() ? &pcmFormat_ : reader_ ? reader_->format() : nullptr;
    }
    DirectSoundBuffer* buffer(DWORD index) const {
        return index < buffers_.size() ? buffers_[index].get() : nullptr;
    }

private:
    friend class CSoundDevice;
    CSoundClip(std::vector<std::unique_ptr<DirectSoundBuffer>> buffers, DWORD dataSize,
               std::unique_ptr<CWaveReader> reader);
    HRESULT rewindSource();
    HRESULT readSource(std::uint8_t* dest, DWORD length, DWORD* got);
    DirectSoundBuffer* chooseBuffer() const;
    bool pastHeldBytes(DirectSoundBuffer& buffer) const;

    std::vector<std::unique_ptr<DirectSoundBuffer>> buffers_;
    DWORD dataSize_ = 0;
    DWORD heldBytes_ = 0;
    std::unique_ptr<CWaveReader> reader_;
    // A compressed file's samples, decoded once; empty when the buffers hold the file's own.
    WAVEFORMATEX pcmFormat_;
    std::vector<std::uint8_t> pcm_;
    std::size_t pcmRead_ = 0;
};

} // namespace tnv
