#include "playback/wave_reader.h"

#include "platform/base/fs.h"

#include <algorithm>
#include <cstring>

namespace tnv {

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kFact = mmioFOURCC('f', 'a', 'c', 't');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

CWaveReader::BuiltinSounds builtinSounds = nullptr;

std::unique_ptr<MmioFile> openBuiltin(const char* name) {
    if (!builtinSounds)
        return nullptr;
    const std::vector<std::uint8_t>* bytes = builtinSounds(name, "WAVE");
    if (!bytes)
        bytes = builtinSounds(name, "WAV");
    if (!bytes || bytes->empty())
        return nullptr;
    return MmioFile::openMemory(*bytes);
}

} // namespace

void CWaveReader::setBuiltinSounds(BuiltinSounds find) {
    builtinSounds = find;
}

CWaveReader::~CWaveReader() {
    if (file_)
        close();
}

HRESULT CWaveReader::open(const char* name, const WAVEFORMATEX* format, std::uint32_t mode) {
    if (!name)
        return E_INVALIDARG;
    if (file_)
        close();
    format_.reset();
    size_ = 0;
    held_ = 0;
    factFrames_ = 0;
    dataStarted_ = false;
    mode_ = mode;
    return mode == WAVEFILE_READ ? openForReading(name) : openForWriting(name, format);
}

HRESULT CWaveReader::openForReading(const char* name) {
    file_ = MmioFile::open(name, MMIO_READ | MMIO_ALLOCBUF);
    if (!file_) {
        // A name in the programs' 8-bit text, or in another letter case than on disk.
        std::string disk = fsx::resolvePath(name);
        if (disk != name)
            file_ = MmioFile::open(disk, MMIO_READ | MMIO_ALLOCBUF);
    }
    if (!file_)
        file_ = openBuiltin(name);
    if (!file_)
        return E_FAIL;
    if (FAILED(readFormat())) {
        format_.reset();
        file_.reset();
        return E_FAIL;
    }
    if (format_->wFormatTag != WAVE_FORMAT_PCM)
        readFactChunk();
    HRESULT hr = rewind();
    if (FAILED(hr)) {
        format_.reset();
        file_.reset();
        return hr;
    }
    size_ = dataChunk_.cksize;
    std::int64_t after = file_->fileSize() - static_cast<std::int64_t>(dataChunk_.dwDataOffset);
    held_ = static_cast<std::uint32_t>(std::clamp<std::int64_t>(after, 0, size_));
    return S_OK;
}

HRESULT CWaveReader::readFormat() {
    riffChunk_ = MMCKINFO{};
    if (file_->descend(riffChunk_, nullptr, 0) != MMSYSERR_NOERROR ||
        riffChunk_.ckid != FOURCC_RIFF || riffChunk_.fccType != kWave)
        return E_FAIL;
    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    if (file_->descend(fmt, &riffChunk_, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || fmt.cksize < 16)
        return E_FAIL;
    std::uint8_t head[16];
    if (file_->read(head, 16) != 16)
        return E_FAIL;
    auto format = std::make_unique<WAVEFORMATEX>(WAVEFORMATEX::fromBytes16(head));
    if (format->wFormatTag != WAVE_FORMAT_PCM && fmt.cksize >= 18) {
        std::uint8_t sizeBytes[2];
        if (file_->read(sizeBytes, 2) != 2)
            return E_FAIL;
        // The extra bytes end with the chunk: a larger extra size would take the next chunk's
        // header for format bytes.
        std::uint32_t declared = static_cast<std::uint32_t>(sizeBytes[0] | (sizeBytes[1] << 8));
        auto extraSize = static_cast<std::uint16_t>(std::min(declared, fmt.cksize - 18));
        format->cbSize = extraSize;
        format->extra.resize(extraSize);
        if (extraSize > 0 && file_->read(format->extra.data(), extraSize) != extraSize)
            return E_FAIL;
    }
    if (file_->ascend(fmt) != MMSYSERR_NOERROR)
        return E_FAIL;
    format_ = std::move(format);
    return S_OK;
}

void CWaveReader::readFactChunk() {
    MMCKINFO fact{};
    fact.ckid = kFact;
    std::uint8_t count[4];
    if (file_->seek(static_cast<std::int64_t>(riffChunk_.dwDataOffset) + 4, SEEK_FROM_START) < 0 ||
        file_->descend(fact, &riffChunk_, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || fact.cksize < 4 ||
        file_->read(count, 4) != 4)
        return;
    factFrames_ = count[0] | (count[1] << 8) | (count[2] << 16) |
                  (static_cast<std::uint32_t>(count[3]) << 24);
}

HRESULT CWaveReader::openForWriting(const char* name, const WAVEFORMATEX* format) {
    if (!format)
        return E_INVALIDARG;
    file_ = MmioFile::open(name, MMIO_CREATE | MMIO_READWRITE | MMIO_ALLOCBUF);
    if (!file_)
        return E_FAIL;
    format_ = std::make_unique<WAVEFORMATEX>(*format);
    std::vector<std::uint8_t> record = format->toBytes();
    riffChunk_ = MMCKINFO{};
    riffChunk_.fccType = kWave;
    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    fmt.cksize = 16;
    MMCKINFO fact{};
    fact.ckid = kFact;
    const std::uint8_t unknownLength[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    auto recordSize = static_cast<long>(record.size());
    bool ok = file_->createChunk(riffChunk_, MMIO_CREATERIFF) == MMSYSERR_NOERROR &&
              file_->createChunk(fmt, 0) == MMSYSERR_NOERROR &&
              file_->write(record.data(), recordSize) == recordSize &&
              file_->ascend(fmt) == MMSYSERR_NOERROR &&
              file_->createChunk(fact, 0) == MMSYSERR_NOERROR &&
              file_->write(unknownLength, 4) == 4 && file_->ascend(fact) == MMSYSERR_NOERROR &&
              SUCCEEDED(rewind());
    if (!ok) {
        file_.reset();
        format_.reset();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CWaveReader::rewind() {
    if (!file_)
        return CO_E_NOTINITIALIZED;
    if (mode_ == WAVEFILE_READ) {
        if (file_->seek(static_cast<std::int64_t>(riffChunk_.dwDataOffset) + 4, SEEK_FROM_START) <
            0)
            return E_FAIL;
        dataChunk_ = MMCKINFO{};
        dataChunk_.ckid = kData;
        if (file_->descend(dataChunk_, &riffChunk_, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
            return E_FAIL;
        return S_OK;
    }
    // Writing: a second rewind starts the same data chunk again rather than nesting another.
    if (dataStarted_ &&
        file_->seek(static_cast<std::int64_t>(dataChunk_.dwDataOffset) - 8, SEEK_FROM_START) < 0)
        return E_FAIL;
    dataChunk_ = MMCKINFO{};
    dataChunk_.ckid = kData;
    if (file_->createChunk(dataChunk_, 0) != MMSYSERR_NOERROR ||
        file_->getInfo(ioInfo_) != MMSYSERR_NOERROR)
        return E_FAIL;
    dataStarted_ = true;
    return S_OK;
}

HRESULT CWaveReader::read(std::uint8_t* dest, std::uint32_t length, std::uint32_t* bytesRead) {
    if (!dest || !bytesRead)
        return E_INVALIDARG;
    if (!file_)
        return CO_E_NOTINITIALIZED;
    *bytesRead = 0;
    if (mode_ != WAVEFILE_READ)
        return S_OK;
    MMIOINFO info;
    if (file_->getInfo(info) != MMSYSERR_NOERROR)
        return E_FAIL;
    length = std::min(length, dataChunk_.cksize);
    dataChunk_.cksize -= length;
    std::uint32_t copied = 0;
    while (copied < length) {
        if (info.pchNext == info.pchEndRead) {
            if (file_->advance(info, MMIO_READ) != MMSYSERR_NOERROR ||
                info.pchNext == info.pchEndRead) {
                file_->setInfo(info);
                return E_FAIL;
            }
        }
        auto n = static_cast<std::uint32_t>(
            std::min<std::ptrdiff_t>(info.pchEndRead - info.pchNext, length - copied));
        std::memcpy(dest + copied, info.pchNext, n);
        info.pchNext += n;
        copied += n;
    }
    if (file_->setInfo(info) != MMSYSERR_NOERROR)
        return E_FAIL;
    *bytesRead = length;
    return S_OK;
}

HRESULT CWaveReader::finishWriting() {
    HRESULT hr = S_OK;
    auto step = [&hr](bool ok) {
        if (!ok)
            hr = E_FAIL;
        return ok;
    };
    ioInfo_.dwFlags |= MMIO_DIRTY;
    step(file_->setInfo(ioInfo_) == MMSYSERR_NOERROR);
    if (step(file_->ascend(dataChunk_) == MMSYSERR_NOERROR) &&
        step(file_->ascend(riffChunk_) == MMSYSERR_NOERROR) &&
        step(file_->seek(0, SEEK_FROM_START) == 0)) {
        MMCKINFO riff{};
        riff.fccType = kWave;
        if (step(file_->descend(riff, nullptr, MMIO_FINDRIFF) == MMSYSERR_NOERROR)) {
            MMCKINFO fact{};
            fact.ckid = kFact;
            if (file_->descend(fact, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR) {
                const std::uint8_t noSamples[4] = {0, 0, 0, 0};
                step(file_->write(noSamples, 4) == 4);
                step(file_->ascend(fact) == MMSYSERR_NOERROR);
            }
            step(file_->ascend(riff) == MMSYSERR_NOERROR);
        }
    }
    return hr;
}

HRESULT CWaveReader::close() {
    if (!file_)
        return CO_E_NOTINITIALIZED;
    HRESULT hr = mode_ == WAVEFILE_READ ? S_OK : finishWriting();
    if (file_->close() != MMSYSERR_NOERROR)
        hr = E_FAIL;
    file_.reset();
    format_.reset();
    size_ = 0;
    held_ = 0;
    factFrames_ = 0;
    dataStarted_ = false;
    return hr;
}

} // namespace tnv
