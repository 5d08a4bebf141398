#include "platform/sound/audio.h"

#include "platform/sound/audio_mixer.h"

#include <SDL.h>

#include <algorithm>
#include <memory>
#include <new>

namespace tnv {

namespace {

void putId(std::vector<std::uint8_t>& b, const char* id) {
    b.insert(b.end(), id, id + 4);
}

void put32(std::vector<std::uint8_t>& b, std::size_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void putChunk(std::vector<std::uint8_t>& b, const char* id, const std::uint8_t* body,
              std::size_t size) {
    putId(b, id);
    put32(b, size);
    b.insert(b.end(), body, body + size);
    if (size & 1)
        b.push_back(0);
}

// A WAVE image that says exactly what is in it: SDL's loader then never trusts a size the file
// declared, and allocates for the bytes that are really there.
std::vector<std::uint8_t> waveImage(const WAVEFORMATEX& format, const std::uint8_t* data,
                                    std::size_t size) {
    std::vector<std::uint8_t> record = format.toBytes();
    std::vector<std::uint8_t> image;
    image.reserve(size + record.size() + 32);
    putId(image, "RIFF");
    put32(image, 0);
    putId(image, "WAVE");
    putChunk(image, "fmt ", record.data(), record.size());
    putChunk(image, "data", data, size);
    std::size_t riffSize = image.size() - 8;
    for (int i = 0; i < 4; ++i)
        image[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    return image;
}

bool decodedByLoader(std::uint16_t tag) {
    return tag == WAVE_FORMAT_ADPCM || tag == WAVE_FORMAT_IMA_ADPCM || tag == WAVE_FORMAT_ALAW ||
           tag == WAVE_FORMAT_MULAW;
}

} // namespace

HRESULT DecodeToPcm(const WAVEFORMATEX& format, const std::uint8_t* data, std::size_t size,
                    std::uint32_t frames, WAVEFORMATEX& pcm, std::vector<std::uint8_t>& samples) {
    samples.clear();
    if (!decodedByLoader(audio_detail::formatTagOf(format)))
        return DSERR_BADFORMAT;
    if (size > kMaxCompressedBytes)
        return DSERR_INVALIDPARAM;
    if (!data || size == 0 || format.nChannels == 0)
        return E_FAIL;
    std::vector<std::uint8_t> image;
    try {
        image = waveImage(format, data, size);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    SDL_RWops* source = SDL_RWFromConstMem(image.data(), static_cast<int>(image.size()));
    SDL_AudioSpec spec{};
    Uint8* decoded = nullptr;
    Uint32 decodedBytes = 0;
    if (!source || !SDL_LoadWAV_RW(source, 1, &spec, &decoded, &decodedBytes))
        return E_FAIL;
    std::unique_ptr<Uint8, void (*)(Uint8*)> owned(decoded, SDL_FreeWAV);
    if (spec.format != AUDIO_S16LSB || spec.channels != format.nChannels)
        return E_FAIL;
    const std::size_t frameBytes = 2u * spec.channels;
    std::size_t bytes = decodedBytes - decodedBytes % frameBytes;
    if (frames != 0)
        bytes = std::min<std::size_t>(bytes, std::uint64_t{frames} * frameBytes);
    if (bytes == 0)
        return E_FAIL;
    if (bytes > DSBSIZE_MAX)
        return DSERR_INVALIDPARAM;
    try {
        samples.assign(decoded, decoded + bytes);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    pcm = WAVEFORMATEX{};
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    pcm.nChannels = spec.channels;
    pcm.nSamplesPerSec = static_cast<std::uint32_t>(spec.freq);
    pcm.wBitsPerSample = 16;
    pcm.nBlockAlign = static_cast<std::uint16_t>(frameBytes);
    pcm.nAvgBytesPerSec = pcm.nSamplesPerSec * pcm.nBlockAlign;
    return DS_OK;
}

} // namespace tnv
