// Sound output in the manner of DirectSound 8: a device with a primary buffer whose format is the
// output format, and secondary buffers that hold samples in their own format and play once or
// looped, mixed in software and sent to the sound card through SDL2 audio.
//
// Buffers of 8, 16, 24 and 32-bit PCM and 32/64-bit IEEE float, of any rate and 1 to 8
// channels (only the first two are heard) are played; any other format (a compressed one) is
// refused with DSERR_BADFORMAT, and DecodeToPcm turns the usual compressed ones into PCM first.
// All calls come from one thread; the mixer runs on SDL's.
#pragma once

#include "platform/base/types.h"
#include "platform/riff/riff.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tnv {

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};
    friend bool operator==(const GUID&, const GUID&) = default;
};
constexpr GUID DS3DALG_DEFAULT{};

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DS_NO_VIRTUALIZATION = 0x0878000A;
constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_PRIOLEVELNEEDED = static_cast<HRESULT>(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSSCL_PRIORITY = 2;
constexpr DWORD DSSCL_EXCLUSIVE = 3;
constexpr DWORD DSSCL_WRITEPRIMARY = 4;

constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;
constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;
constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

// The sizes callers put into dwSize: 36 for the full description record, 20 for the short one.
constexpr DWORD DSBUFFERDESC_SIZE = 36;
constexpr DWORD DSBUFFERDESC1_SIZE = 20;

struct DSBUFFERDESC {
    DWORD dwSize = 0;
    DWORD dwFlags = 0;
    DWORD dwBufferBytes = 0;
    const WAVEFORMATEX* lpwfxFormat = nullptr;
    GUID guid3DAlgorithm{};
};

namespace audio_detail {
class MixerCore;
struct Voice;
} // namespace audio_detail

class DirectSound;

// A sound buffer. Releasing it is destroying it; duplicates share the samples.
class DirectSoundBuffer {
public:
    ~DirectSoundBuffer();
    DirectSoundBuffer(const DirectSoundBuffer&) = delete;
    DirectSoundBuffer& operator=(const DirectSoundBuffer&) = delete;

    HRESULT GetStatus(DWORD* status) const;
    HRESULT Restore();
    // One outstanding lock per buffer; a new Lock drops an old one that was never unlocked.
    HRESULT Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2, DWORD* bytes2,
                 DWORD flags);
    HRESULT Unlock(void* ptr1, DWORD bytes1, void* ptr2, DWORD bytes2);
    HRESULT SetCurrentPosition(DWORD position);
    HRESULT GetCurrentPosition(DWORD* play, DWORD* write) const;
    HRESULT SetVolume(LONG hundredthsOfDecibel);
    HRESULT GetVolume(LONG* volume) const;
    HRESULT SetFrequency(DWORD samplesPerSecond);
    HRESULT GetFrequency(DWORD* frequency) const;
    HRESULT SetFormat(const WAVEFORMATEX* format);
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags);
    HRESULT Stop();

    // Test hook: the buffer's memory is taken away as when another program takes the device;
    // the next `failingRestores` calls of Restore answer DSERR_BUFFERLOST.
    void SimulateLoss(unsigned failingRestores = 0);

private:
    friend class DirectSound;
    DirectSoundBuffer() = default;

    std::shared_ptr<audio_detail::MixerCore> core_;
    std::unique_ptr<audio_detail::Voice> voice_;
    DirectSound* device_ = nullptr; // primary buffers only
    std::unique_ptr<std::uint8_t[]> lockCopy_;
    DWORD lockOffset_ = 0;
    DWORD lockBytes_ = 0;
};

class DirectSound {
public:
    ~DirectSound();
    DirectSound(const DirectSound&) = delete;
    DirectSound& operator=(const DirectSound&) = delete;

    HRESULT SetCooperativeLevel(const void* window, DWORD level);
    HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, std::unique_ptr<DirectSoundBuffer>& out);
    HRESULT DuplicateSoundBuffer(const DirectSoundBuffer* original,
                                 std::unique_ptr<DirectSoundBuffer>& out);

    // Waits, at most `timeoutMs`, until no buffer plays and the sound card has been handed all
    // that was mixed.
    void WaitForOutput(DWORD timeoutMs);

    // Test hooks: a device with no sound card behind it, whose mix is taken by Render.
    static std::unique_ptr<DirectSound> CreateOffline();
    // Mixes `frames` frames of the output format into `out`.
    void Render(void* out, DWORD frames);

private:
    friend HRESULT DirectSoundCreate8(std::unique_ptr<DirectSound>& out);
    friend class DirectSoundBuffer;
    DirectSound();
    HRESULT setOutputFormat(const WAVEFORMATEX& format);
    bool openOutput(int channels, int rate, int bits);
    void closeOutput();

    std::shared_ptr<audio_detail::MixerCore> core_;
    DWORD level_ = 0;
    std::uint32_t outputDevice_ = 0; // SDL device id, 0 = none
    DWORD periodMs_ = 0;
    bool audioInitialised_ = false;
};

// Opens the default sound device; DSERR_NODRIVER when there is none.
HRESULT DirectSoundCreate8(std::unique_ptr<DirectSound>& out);

// The most compressed sound data DecodeToPcm takes: decoded to 16 bits it still fits a buffer.
constexpr std::size_t kMaxCompressedBytes = DSBSIZE_MAX / 4;

// Sound data that no buffer plays as it is, in the compressed formats recorders commonly write
// (IMA and Microsoft ADPCM, mu-law, A-law, also as extensible formats), decoded to 16-bit PCM of
// the same rate and channels. `frames`, when not 0, is the count of sample frames the file says
// it holds (its "fact" chunk), so that the padding of a last block is not heard. DS_OK;
// DSERR_BADFORMAT for any other format; DSERR_INVALIDPARAM for more than kMaxCompressedBytes;
// E_FAIL for data that does not decode.
HRESULT DecodeToPcm(const WAVEFORMATEX& format, const std::uint8_t* data, std::size_t size,
                    std::uint32_t frames, WAVEFORMATEX& pcm, std::vector<std::uint8_t>& samples);

} // namespace tnv
