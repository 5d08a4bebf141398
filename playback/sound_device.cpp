#include "playback/sound_device.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

namespace tnv {

LONG volumeToAttenuation(LONG volume) {
    volume = std::clamp<LONG>(volume, 0, 255);
    return static_cast<LONG>(((255 - volume) / 2) * -39.2156);
}

namespace {

// What the file holds of its sound data, decoded to PCM.
HRESULT decodeWhole(CWaveReader& reader, WAVEFORMATEX& pcm, std::vector<std::uint8_t>& samples) {
    if (reader.heldSize() > kMaxCompressedBytes)
        return DSERR_INVALIDPARAM;
    std::vector<std::uint8_t> data;
    try {
        data.resize(reader.heldSize());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    std::uint32_t got = 0;
    HRESULT hr = reader.rewind();
    if (SUCCEEDED(hr))
        hr = reader.read(data.data(), static_cast<std::uint32_t>(data.size()), &got);
    if (FAILED(hr))
        return hr;
    return DecodeToPcm(*reader.format(), data.data(), got, reader.factFrames(), pcm, samples);
}

} // namespace

// ---- device ----

HRESULT CSoundDevice::start(const void* window, DWORD cooperativeLevel, DWORD channels,
                            DWORD samplesPerSecond, DWORD bitsPerSample) {
    shutdown();
    std::unique_ptr<DirectSound> device;
    HRESULT hr = DirectSoundCreate8(device);
    if (FAILED(hr))
        return hr;
    return startWith(std::move(device), window, cooperativeLevel, channels, samplesPerSecond,
                     bitsPerSample);
}

HRESULT CSoundDevice::startWith(std::unique_ptr<DirectSound> device, const void* window,
                                DWORD cooperativeLevel, DWORD channels, DWORD samplesPerSecond,
                                DWORD bitsPerSample) {
    shutdown();
    if (!device)
        return E_INVALIDARG;
    device_ = std::move(device);
    HRESULT hr = device_->SetCooperativeLevel(window, cooperativeLevel);
    if (SUCCEEDED(hr)) {
        DSBUFFERDESC desc;
        desc.dwSize = DSBUFFERDESC_SIZE;
        desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
        hr = device_->CreateSoundBuffer(&desc, primary_);
    }
    if (SUCCEEDED(hr)) {
        WAVEFORMATEX f;
        f.wFormatTag = WAVE_FORMAT_PCM;
        f.nChannels = static_cast<std::uint16_t>(channels);
        f.nSamplesPerSec = samplesPerSecond;
        f.wBitsPerSample = static_cast<std::uint16_t>(bitsPerSample);
        f.nBlockAlign = static_cast<std::uint16_t>(channels * (bitsPerSample / 8));
        f.nAvgBytesPerSec = samplesPerSecond * f.nBlockAlign;
        hr = primary_->SetFormat(&f);
    }
    if (FAILED(hr)) {
        shutdown();
        return hr;
    }
    primary_->SetVolume(0);
    return S_OK;
}

void CSoundDevice::shutdown() {
    primary_.reset();
    device_.reset();
}

HRESULT CSoundDevice::createClip(const char* path, DWORD bufferFlags, const GUID& algorithm3D,
                                 DWORD count, std::unique_ptr<CSoundClip>& clip) {
    clip.reset();
    if (!device_)
        return CO_E_NOTINITIALIZED;
    if (!path || count == 0)
        return E_INVALIDARG;
    if (std::strlen(path) > kMaxSoundPath)
        return E_INVALIDARG;
    std::vector<std::unique_ptr<DirectSoundBuffer>> buffers;
    std::unique_ptr<CWaveReader> reader;
    try {
        buffers.resize(count);
        reader = std::make_unique<CWaveReader>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    reader->open(path, nullptr, WAVEFILE_READ);
    DWORD dataSize = reader->size();
    // A size no buffer can take is mostly a header the recorder never finished (0xFFFFFFFF):
    // what the file holds is the sound.
    if (dataSize > DSBSIZE_MAX)
        dataSize = reader->heldSize();
    if (dataSize == 0)
        return E_FAIL;
    DSBUFFERDESC desc;
    desc.dwSize = DSBUFFERDESC_SIZE;
    desc.dwFlags = bufferFlags;
    desc.dwBufferBytes = dataSize;
    desc.lpwfxFormat = reader->format();
    desc.guid3DAlgorithm = algorithm3D;
    HRESULT created = device_->CreateSoundBuffer(&desc, buffers[0]);
    WAVEFORMATEX pcm;
    std::vector<std::uint8_t> decoded;
    if (created == DSERR_BADFORMAT) {
        // A compressed recording (ADPCM, mu-law, A-law) plays from its decoded samples.
        HRESULT hr = decodeWhole(*reader, pcm, decoded);
        if (FAILED(hr))
            return hr == DSERR_BADFORMAT ? created : hr;
        dataSize = static_cast<DWORD>(decoded.size());
        desc.dwBufferBytes = dataSize;
        desc.lpwfxFormat = &pcm;
        created = device_->CreateSoundBuffer(&desc, buffers[0]);
    }
    if (FAILED(created))
        return created;
    for (DWORD i = 1; i < count; ++i) {
        HRESULT hr = device_->DuplicateSoundBuffer(buffers[0].get(), buffers[i]);
        if (FAILED(hr))
            return hr;
    }
    clip.reset(new CSoundClip(std::move(buffers), dataSize, std::move(reader)));
    if (!decoded.empty()) {
        clip->pcmFormat_ = pcm;
        clip->pcm_ = std::move(decoded);
    }
    // A fill that comes up short leaves silence behind what could be read; the clip stands.
    clip->fill(clip->buffers_[0].get(), false);
    clip->rewind();
    return created == DS_NO_VIRTUALIZATION ? DS_NO_VIRTUALIZATION : S_OK;
}

// ---- clip ----

CSoundClip::CSoundClip(std::vector<std::unique_ptr<DirectSoundBuffer>> buffers, DWORD dataSize,
                       std::unique_ptr<CWaveReader> reader)
    : buffers_(std::move(buffers)), dataSize_(dataSize), reader_(std::move(reader)) {}

CSoundClip::~CSoundClip() {
    buffers_.clear();
    if (reader_)
        reader_->close();
}

HRESULT CSoundClip::restoreIfLost(DirectSoundBuffer* buffer, bool* restored) {
    if (restored)
        *restored = false;
    DWORD status = 0;
    HRESULT hr = buffer->GetStatus(&status);
    if (FAILED(hr))
        return hr;
    if (!(status & DSBSTATUS_BUFFERLOST))
        return S_FALSE;
    for (int tries = 0; tries < kMaxRestoreTries; ++tries) {
        hr = buffer->Restore();
        if (hr == DS_OK) {
            if (restored)
                *restored = true;
            return S_OK;
        }
        if (hr == DSERR_BUFFERLOST)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return hr;
}

HRESULT CSoundClip::fill(DirectSoundBuffer* buffer, bool repeatIfShort) {
    if (!buffer)
        return CO_E_NOTINITIALIZED;
    HRESULT hr = restoreIfLost(buffer, nullptr);
    if (FAILED(hr))
        return hr;
    void* p1 = nullptr;
    void* p2 = nullptr;
    DWORD n1 = 0;
    DWORD n2 = 0;
    hr = buffer->Lock(0, dataSize_, &p1, &n1, &p2, &n2, 0);
    if (FAILED(hr))
        return hr;
    auto* region = static_cast<std::uint8_t*>(p1);
    const WAVEFORMATEX* f = format();
    std::uint8_t silence = f && f->wBitsPerSample == 8 ? 128 : 0;
    // Whatever the file cannot give stays silence.
    std::memset(region, silence, n1);
    DWORD got = 0;
    hr = rewindSource();
    const bool rewound = SUCCEEDED(hr);
    if (rewound)
        hr = readSource(region, n1, &got);
    DWORD filled = got;
    // A failed read has still copied what the file holds.
    heldBytes_ = !rewound ? 0 : FAILED(hr) ? std::min(n1, reader_->heldSize()) : filled;
    while (SUCCEEDED(hr) && repeatIfShort && filled > 0 && filled < n1) {
        hr = rewindSource();
        if (SUCCEEDED(hr))
            hr = readSource(region + filled, n1 - filled, &got);
        if (got == 0)
            break;
        filled += got;
    }
    if (repeatIfShort && filled > 0)
        heldBytes_ = n1;
    buffer->Unlock(p1, n1, p2, n2);
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CSoundClip::rewindSource() {
    pcmRead_ = 0;
    return pcm_.empty() ? reader_->rewind() : S_OK;
}

HRESULT CSoundClip::readSource(std::uint8_t* dest, DWORD length, DWORD* got) {
    if (pcm_.empty())
        return reader_->read(dest, length, got);
    *got = static_cast<DWORD>(std::min<std::size_t>(length, pcm_.size() - pcmRead_));
    std::memcpy(dest, pcm_.data() + pcmRead_, *got);
    pcmRead_ += *got;
    return S_OK;
}

DirectSoundBuffer* CSoundClip::chooseBuffer() const {
    for (const auto& b : buffers_) {
        DWORD status = 0;
        if (FAILED(b->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING))
            return b.get();
    }
    return buffers_[static_cast<std::size_t>(std::rand()) % buffers_.size()].get();
}

HRESULT CSoundClip::play(DWORD priority, DWORD playFlags, LONG volume, DWORD frequency) {
    if (buffers_.empty())
        return CO_E_NOTINITIALIZED;
    DirectSoundBuffer* b = chooseBuffer();
    bool restored = false;
    HRESULT hr = restoreIfLost(b, &restored);
    if (FAILED(hr))
        return hr;
    if (restored) {
        fill(b, false);
        rewind();
    }
    b->SetVolume(volumeToAttenuation(volume));
    if (frequency != 0)
        b->SetFrequency(frequency);
    return b->Play(0, priority, playFlags);
}

HRESULT CSoundClip::stop() {
    HRESULT hr = S_OK;
    for (const auto& b : buffers_)
        hr |= b->Stop();
    return hr;
}

HRESULT CSoundClip::rewind() {
    HRESULT hr = S_OK;
    for (const auto& b : buffers_)
        hr |= b->SetCurrentPosition(0);
    return hr;
}

bool CSoundClip::isPlaying() const {
    DWORD playing = 0;
    for (const auto& b : buffers_) {
        DWORD status = 0;
        if (FAILED(b->GetStatus(&status)))
            continue;
        if ((status & DSBSTATUS_PLAYING) && !(status & DSBSTATUS_LOOPING) && pastHeldBytes(*b)) {
            b->Stop();
            continue;
        }
        playing |= status & DSBSTATUS_PLAYING;
    }
    return playing != 0;
}

// Past the samples the file holds, a buffer plays only the silence a lying header asked for:
// nobody waits for that.
bool CSoundClip::pastHeldBytes(DirectSoundBuffer& buffer) const {
    if (heldBytes_ >= dataSize_)
        return false;
    const WAVEFORMATEX* f = format();
    DWORD frame = f && f->nBlockAlign ? f->nBlockAlign : 1;
    DWORD position = 0;
    return SUCCEEDED(buffer.GetCurrentPosition(&position, nullptr)) &&
           position >= heldBytes_ - heldBytes_ % frame;
}

} // namespace tnv
