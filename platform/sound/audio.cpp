#include "platform/sound/audio.h"

#include "platform/sound/audio_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

namespace tnv {

using audio_detail::MixerCore;
using audio_detail::Samples;
using audio_detail::Voice;

namespace {

void SDLCALL mixCallback(void* user, Uint8* stream, int len) {
    auto* core = static_cast<MixerCore*>(user);
    unsigned frameBytes = core->output.frameBytes();
    std::size_t frames = static_cast<std::size_t>(len) / frameBytes;
    core->render(stream, frames);
    // A partial frame at the end, should SDL ever ask for one, is silence.
    std::size_t done = frames * frameBytes;
    if (done < static_cast<std::size_t>(len))
        std::memset(stream + done, core->output.bits == 8 ? 128 : 0, len - done);
}

bool validDescriptionSize(DWORD size) {
    return size == DSBUFFERDESC_SIZE || size == DSBUFFERDESC1_SIZE;
}

} // namespace

// ---- device ----

DirectSound::DirectSound() : core_(std::make_shared<MixerCore>()) {}

DirectSound::~DirectSound() {
    closeOutput();
    if (audioInitialised_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

HRESULT DirectSoundCreate8(std::unique_ptr<DirectSound>& out) {
    out.reset();
    // SDL would otherwise turn Ctrl+C and SIGTERM into events nobody reads: the programs decide
    // what a signal does (a command ends, a window is asked to close).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return DSERR_NODRIVER;
    std::unique_ptr<DirectSound> ds(new DirectSound);
    ds->audioInitialised_ = true;
    // The device plays in the primary buffer's default format until it is given another.
    if (!ds->openOutput(2, 22050, 16))
        return DSERR_NODRIVER;
    out = std::move(ds);
    return DS_OK;
}

std::unique_ptr<DirectSound> DirectSound::CreateOffline() {
    return std::unique_ptr<DirectSound>(new DirectSound);
}

bool DirectSound::openOutput(int channels, int rate, int bits) {
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(channels);
    // About 20 ms a period: short enough that a preview starts at once.
    want.samples = 256;
    while (want.samples < rate / 50 && want.samples < 4096)
        want.samples = static_cast<Uint16>(want.samples * 2);
    want.callback = mixCallback;
    want.userdata = core_.get();
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        core_->output = {static_cast<unsigned>(channels), static_cast<unsigned>(rate),
                         static_cast<unsigned>(bits)};
    }
    SDL_AudioSpec have{};
    SDL_AudioDeviceID dev = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (dev == 0)
        return false;
    outputDevice_ = dev;
    periodMs_ = static_cast<DWORD>(have.samples * 1000u / static_cast<unsigned>(rate)) + 1;
    SDL_PauseAudioDevice(dev, 0);
    return true;
}

void DirectSound::closeOutput() {
    if (outputDevice_ != 0) {
        SDL_CloseAudioDevice(outputDevice_);
        outputDevice_ = 0;
    }
}

HRESULT DirectSound::SetCooperativeLevel(const void* /*window*/, DWORD level) {
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY)
        return DSERR_INVALIDPARAM;
    level_ = level;
    return DS_OK;
}

HRESULT DirectSound::CreateSoundBuffer(const DSBUFFERDESC* desc,
                                       std::unique_ptr<DirectSoundBuffer>& out) {
    out.reset();
    if (!desc || !validDescriptionSize(desc->dwSize))
        return DSERR_INVALIDPARAM;
    if (level_ == 0)
        return DSERR_PRIOLEVELNEEDED;
    std::unique_ptr<DirectSoundBuffer> buffer(new DirectSoundBuffer);
    buffer->core_ = core_;
    buffer->voice_ = std::make_unique<Voice>();
    buffer->voice_->caps = desc->dwFlags;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
        if (desc->lpwfxFormat || desc->dwBufferBytes != 0)
            return DSERR_INVALIDPARAM;
        buffer->device_ = this;
        out = std::move(buffer);
        return DS_OK;
    }
    if (!desc->lpwfxFormat || desc->dwBufferBytes < DSBSIZE_MIN ||
        desc->dwBufferBytes > DSBSIZE_MAX)
        return DSERR_INVALIDPARAM;
    const WAVEFORMATEX& f = *desc->lpwfxFormat;
    auto samples = std::make_shared<Samples>();
    if (!audio_detail::decodableFormat(f, samples->encoding))
        return DSERR_BADFORMAT;
    samples->channels = f.nChannels;
    samples->bytesPerSample = f.wBitsPerSample / 8u;
    samples->blockAlign = f.nBlockAlign;
    samples->rate = f.nSamplesPerSec;
    try {
        samples->bytes.assign(desc->dwBufferBytes, samples->silence());
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    buffer->voice_->samples = std::move(samples);
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        core_->voices.push_back(buffer->voice_.get());
    }
    out = std::move(buffer);
    return DS_OK;
}

HRESULT DirectSound::DuplicateSoundBuffer(const DirectSoundBuffer* original,
                                          std::unique_ptr<DirectSoundBuffer>& out) {
    out.reset();
    if (!original || !original->voice_ || original->core_ != core_)
        return DSERR_INVALIDPARAM;
    if (!original->voice_->samples)
        return DSERR_INVALIDCALL;
    std::unique_ptr<DirectSoundBuffer> buffer(new DirectSoundBuffer);
    buffer->core_ = core_;
    buffer->voice_ = std::make_unique<Voice>();
    std::lock_guard<std::mutex> lock(core_->mutex);
    const Voice& from = *original->voice_;
    buffer->voice_->samples = from.samples;
    buffer->voice_->caps = from.caps;
    buffer->voice_->volume = from.volume;
    buffer->voice_->frequency = from.frequency;
    core_->voices.push_back(buffer->voice_.get());
    out = std::move(buffer);
    return DS_OK;
}

HRESULT DirectSound::setOutputFormat(const WAVEFORMATEX& f) {
    if (level_ < DSSCL_PRIORITY)
        return DSERR_PRIOLEVELNEEDED;
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels < 1 || f.nChannels > 2 ||
        (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) || f.nSamplesPerSec < DSBFREQUENCY_MIN ||
        f.nSamplesPerSec > DSBFREQUENCY_MAX)
        return DSERR_BADFORMAT;
    audio_detail::OutputFormat now;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        now = core_->output;
    }
    if (now.channels == f.nChannels && now.rate == f.nSamplesPerSec && now.bits == f.wBitsPerSample)
        return DS_OK;
    if (outputDevice_ == 0 && !audioInitialised_) {
        // The offline device simply mixes in the new format.
        std::lock_guard<std::mutex> lock(core_->mutex);
        core_->output = {f.nChannels, f.nSamplesPerSec, f.wBitsPerSample};
        return DS_OK;
    }
    closeOutput();
    if (openOutput(f.nChannels, static_cast<int>(f.nSamplesPerSec), f.wBitsPerSample))
        return DS_OK;
    openOutput(static_cast<int>(now.channels), static_cast<int>(now.rate),
               static_cast<int>(now.bits));
    return DSERR_GENERIC;
}

void DirectSound::WaitForOutput(DWORD timeoutMs) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (core_->anyPlaying() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (outputDevice_ == 0)
        return;
    // What the last periods mixed is handed to the card when the next period is asked for.
    std::uint64_t start = core_->periodsMixed.load(std::memory_order_acquire);
    while (core_->periodsMixed.load(std::memory_order_acquire) < start + 2 &&
           Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // The sound server and the card hold a little more; closing the device would cut it off.
    auto rest = std::min<Clock::duration>(std::chrono::milliseconds(2 * periodMs_),
                                          std::max<Clock::duration>(deadline - Clock::now(), {}));
    std::this_thread::sleep_for(rest);
}

void DirectSound::Render(void* out, DWORD frames) {
    core_->render(static_cast<std::uint8_t*>(out), frames);
}

// ---- buffers ----

DirectSoundBuffer::~DirectSoundBuffer() {
    if (core_ && voice_) {
        std::lock_guard<std::mutex> lock(core_->mutex);
        auto& v = core_->voices;
        v.erase(std::remove(v.begin(), v.end(), voice_.get()), v.end());
    }
}

HRESULT DirectSoundBuffer::GetStatus(DWORD* status) const {
    if (!status)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mutex);
    *status = 0;
    const Voice& v = *voice_;
    if (v.samples && v.samples->lost)
        *status |= DSBSTATUS_BUFFERLOST;
    else if (v.playing)
        *status |= DSBSTATUS_PLAYING | (v.looping ? DSBSTATUS_LOOPING : 0);
    return DS_OK;
}

HRESULT DirectSoundBuffer::Restore() {
    std::lock_guard<std::mutex> lock(core_->mutex);
    Samples* s = voice_->samples.get();
    if (!s || !s->lost)
        return DS_OK;
    if (s->failingRestores > 0) {
        --s->failingRestores;
        return DSERR_BUFFERLOST;
    }
    s->lost = false;
    return DS_OK;
}

void DirectSoundBuffer::SimulateLoss(unsigned failingRestores) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const std::shared_ptr<Samples>& s = voice_->samples;
    if (!s)
        return;
    s->lost = true;
    s->failingRestores = failingRestores;
    std::fill(s->bytes.begin(), s->bytes.end(), s->silence());
    for (Voice* v : core_->voices)
        if (v->samples == s)
            v->playing = false;
}

HRESULT DirectSoundBuffer::Lock(DWORD offset, DWORD bytes, void** ptr1, DWORD* bytes1, void** ptr2,
                                DWORD* bytes2, DWORD flags) {
    if (!ptr1 || !bytes1)
        return DSERR_INVALIDPARAM;
    *ptr1 = nullptr;
    *bytes1 = 0;
    if (ptr2)
        *ptr2 = nullptr;
    if (bytes2)
        *bytes2 = 0;
    if (!voice_->samples)
        return DSERR_INVALIDCALL;
    // The caller writes into a private copy that Unlock hands to the mixer, so the mixer never
    // reads memory that is being written.
    std::lock_guard<std::mutex> lock(core_->mutex);
    Samples& s = *voice_->samples;
    if (s.lost)
        return DSERR_BUFFERLOST;
    auto size = static_cast<DWORD>(s.bytes.size());
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = size;
    } else if (flags & DSBLOCK_FROMWRITECURSOR) {
        offset = static_cast<DWORD>(std::min<std::uint64_t>(voice_->position >> 32, s.frames()) *
                                    s.blockAlign) %
                 size;
    }
    if (offset >= size || bytes == 0 || bytes > size)
        return DSERR_INVALIDPARAM;
    DWORD first = std::min(bytes, size - offset);
    if (first < bytes && (!ptr2 || !bytes2))
        return DSERR_INVALIDPARAM;
    try {
        lockCopy_.reset(new std::uint8_t[bytes]);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    std::memcpy(lockCopy_.get(), s.bytes.data() + offset, first);
    if (first < bytes)
        std::memcpy(lockCopy_.get() + first, s.bytes.data(), bytes - first);
    lockOffset_ = offset;
    lockBytes_ = bytes;
    *ptr1 = lockCopy_.get();
    *bytes1 = first;
    if (first < bytes) {
        *ptr2 = lockCopy_.get() + first;
        *bytes2 = bytes - first;
    }
    return DS_OK;
}

HRESULT DirectSoundBuffer::Unlock(void* ptr1, DWORD bytes1, void* ptr2, DWORD bytes2) {
    if (!lockCopy_ || ptr1 != lockCopy_.get())
        return DSERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        Samples& s = *voice_->samples;
        auto size = static_cast<DWORD>(s.bytes.size());
        DWORD firstLocked = std::min(lockBytes_, size - lockOffset_);
        std::memcpy(s.bytes.data() + lockOffset_, lockCopy_.get(), std::min(bytes1, firstLocked));
        if (ptr2 && ptr2 == lockCopy_.get() + firstLocked)
            std::memcpy(s.bytes.data(), lockCopy_.get() + firstLocked,
                        std::min(bytes2, lockBytes_ - firstLocked));
    }
    lockCopy_.reset();
    lockBytes_ = 0;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetCurrentPosition(DWORD position) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const Samples* s = voice_->samples.get();
    if (!s)
        return DSERR_INVALIDCALL;
    if (position >= s->bytes.size() && position != 0)
        return DSERR_INVALIDPARAM;
    voice_->position = static_cast<std::uint64_t>(position / s->blockAlign) << 32;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetCurrentPosition(DWORD* play, DWORD* write) const {
    std::lock_guard<std::mutex> lock(core_->mutex);
    const Samples* s = voice_->samples.get();
    if (!s)
        return DSERR_INVALIDCALL;
    std::uint64_t frame = std::min<std::uint64_t>(voice_->position >> 32, s->frames());
    auto bytes = static_cast<DWORD>(frame * s->blockAlign);
    if (play)
        *play = bytes;
    if (write)
        *write = s->bytes.empty() ? 0 : static_cast<DWORD>(bytes % s->bytes.size());
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetVolume(LONG volume) {
    if (!(voice_->caps & DSBCAPS_CTRLVOLUME))
        return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mutex);
    voice_->volume = volume;
    if (!voice_->samples)
        core_->masterVolume = volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetVolume(LONG* volume) const {
    if (!volume)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mutex);
    *volume = voice_->volume;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFrequency(DWORD frequency) {
    if (!(voice_->caps & DSBCAPS_CTRLFREQUENCY) || !voice_->samples)
        return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL &&
        (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mutex);
    voice_->frequency = frequency;
    return DS_OK;
}

HRESULT DirectSoundBuffer::GetFrequency(DWORD* frequency) const {
    if (!frequency)
        return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (!voice_->samples)
        *frequency = core_->output.rate;
    else
        *frequency = voice_->frequency ? voice_->frequency : voice_->samples->rate;
    return DS_OK;
}

HRESULT DirectSoundBuffer::SetFormat(const WAVEFORMATEX* format) {
    if (!device_)
        return DSERR_INVALIDCALL;
    if (!format)
        return DSERR_INVALIDPARAM;
    return device_->setOutputFormat(*format);
}

HRESULT DirectSoundBuffer::Play(DWORD /*reserved*/, DWORD priority, DWORD flags) {
    std::lock_guard<std::mutex> lock(core_->mutex);
    Voice& v = *voice_;
    if (!v.samples)
        return DS_OK; // the primary buffer plays whenever the device does
    if (v.samples->lost)
        return DSERR_BUFFERLOST;
    v.priority = priority;
    v.looping = (flags & DSBPLAY_LOOPING) != 0;
    if ((v.position >> 32) >= v.samples->frames())
        v.position = 0;
    v.playing = true;
    return DS_OK;
}

HRESULT DirectSoundBuffer::Stop() {
    std::lock_guard<std::mutex> lock(core_->mutex);
    voice_->playing = false;
    return DS_OK;
}

} // namespace tnv
