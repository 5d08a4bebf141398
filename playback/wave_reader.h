// Reads the format record and the sample data of a RIFF WAVE file; its writing side lays out an
// empty WAVE file of a given format. A name that is no readable file is looked up among the
// built-in sounds, where a store of them is set.
#pragma once

#include "platform/base/types.h"
#include "platform/riff/riff.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tnv {

constexpr std::uint32_t WAVEFILE_READ = 1;
constexpr std::uint32_t WAVEFILE_WRITE = 2;

class CWaveReader {
public:
    CWaveReader() = default;
    ~CWaveReader();
    CWaveReader(const CWaveReader&) = delete;
    CWaveReader& operator=(const CWaveReader&) = delete;

    // Mode WAVEFILE_READ opens `name` for reading (`format` unused); any other mode creates it
    // for writing with `format`. 0, E_INVALIDARG or E_FAIL.
    HRESULT open(const char* name, const WAVEFORMATEX* format, std::uint32_t mode);
    // The data size the file declares, in bytes; 0 while no file is open for reading.
    std::uint32_t size() const { return size_; }
    // The part of that data the file really holds: less than size() when the file was cut short
    // or its header lies.
    std::uint32_t heldSize() const { return held_; }
    // The sample frames a compressed file says it holds (its "fact" chunk); 0 when it says none.
    std::uint32_t factFrames() const { return factFrames_; }
    // Back to the first sample byte (reading) or the start of the "data" chunk (writing).
    HRESULT rewind();
    // Copies up to `length` bytes of sample data. Data that the file declares but does not hold
    // fails with E_FAIL.
    HRESULT read(std::uint8_t* dest, std::uint32_t length, std::uint32_t* bytesRead);
    HRESULT close();

    // The format record of the open file, or nullptr.
    const WAVEFORMATEX* format() const { return format_.get(); }
    bool isOpen() const { return file_ != nullptr; }

    // The bytes of the built-in sound `name` of resource type `type` ("WAVE" or "WAV"), or nullptr.
    using BuiltinSounds = const std::vector<std::uint8_t>* (*)(const std::string& name,
                                                               const std::string& type);
    // Where names that are no readable file are looked up. The programs carry no built-in sounds
    // and set none; nullptr takes the store away again.
    static void setBuiltinSounds(BuiltinSounds find);

private:
    HRESULT openForReading(const char* name);
    HRESULT readFormat();
    void readFactChunk();
    HRESULT openForWriting(const char* name, const WAVEFORMATEX* format);
    HRESULT finishWriting();

    std::unique_ptr<WAVEFORMATEX> format_;
    std::unique_ptr<MmioFile> file_;
    MMCKINFO dataChunk_{};
    MMCKINFO riffChunk_{};
    std::uint32_t size_ = 0;
    std::uint32_t held_ = 0;
    std::uint32_t factFrames_ = 0;
    MMIOINFO ioInfo_{};
    std::uint32_t mode_ = WAVEFILE_READ;
    bool dataStarted_ = false;
};

} // namespace tnv
