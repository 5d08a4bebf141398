// Buffered RIFF file services in the manner of the Windows multimedia file I/O (mmio): a file on
// disk or a read-only memory image, chunk descend/ascend/create, and direct access to the I/O
// buffer. Also the wave format record that RIFF WAVE files carry.
//
// Every size read from a file is untrusted: chunk ends are computed in 64 bits and clamped to
// the bytes that exist, and a chunk search walks a bounded number of chunks.
#pragma once

#include "platform/base/types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tnv {

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<FOURCC>(static_cast<unsigned char>(a)) |
           (static_cast<FOURCC>(static_cast<unsigned char>(b)) << 8) |
           (static_cast<FOURCC>(static_cast<unsigned char>(c)) << 16) |
           (static_cast<FOURCC>(static_cast<unsigned char>(d)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_FILENOTFOUND = 257;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = 258;
constexpr MMRESULT MMIOERR_CANNOTOPEN = 259;
constexpr MMRESULT MMIOERR_CANNOTCLOSE = 260;
constexpr MMRESULT MMIOERR_CANNOTREAD = 261;
constexpr MMRESULT MMIOERR_CANNOTWRITE = 262;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = 264;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;

// Open modes.
constexpr UINT MMIO_READ = 0x0000;
constexpr UINT MMIO_WRITE = 0x0001;
constexpr UINT MMIO_READWRITE = 0x0002;
constexpr UINT MMIO_CREATE = 0x1000;
constexpr UINT MMIO_ALLOCBUF = 0x00010000;
// Buffer state and chunk flags.
constexpr UINT MMIO_DIRTY = 0x10000000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;
constexpr UINT MMIO_CREATERIFF = 0x0020;
constexpr UINT MMIO_CREATELIST = 0x0040;

constexpr int SEEK_FROM_START = 0;
constexpr int SEEK_FROM_CURRENT = 1;
constexpr int SEEK_FROM_END = 2;

struct MMCKINFO {
    FOURCC ckid = 0;
    std::uint32_t cksize = 0;
    FOURCC fccType = 0;
    std::uint32_t dwDataOffset = 0;
    std::uint32_t dwFlags = 0;
};

// The direct-buffer state handed out by getInfo and taken back by setInfo/advance.
struct MMIOINFO {
    UINT dwFlags = 0;
    char* pchBuffer = nullptr;
    char* pchNext = nullptr;
    char* pchEndRead = nullptr;
    char* pchEndWrite = nullptr;
    std::int64_t lBufOffset = 0;
    std::int64_t lDiskOffset = 0;
    std::uint32_t cchBuffer = 0;
};

class MmioFile {
public:
    static constexpr std::uint32_t kDefaultBuffer = 8192;
    // A chunk search gives up after this many chunks.
    static constexpr int kMaxChunksWalked = 65536;

    // Opens a disk file: MMIO_READ, or MMIO_CREATE | MMIO_READWRITE to create (truncate) it.
    // Only regular files open (a pipe or a device never blocks the caller).
    static std::unique_ptr<MmioFile> open(const std::string& diskPath, UINT flags,
                                          MMRESULT* error = nullptr);
    // A read-only file over a copy of `bytes`; its buffer is the whole image.
    static std::unique_ptr<MmioFile> openMemory(std::vector<std::uint8_t> bytes);

    ~MmioFile();
    MmioFile(const MmioFile&) = delete;
    MmioFile& operator=(const MmioFile&) = delete;

    // Bytes copied (0 at the end), -1 on error.
    long read(void* dest, long count);
    long write(const void* src, long count);
    // New position, -1 on error. Seeking past the end is allowed (a later write fills the gap).
    std::int64_t seek(std::int64_t offset, int origin);
    std::int64_t tell() const { return bufOffset_ + static_cast<std::int64_t>(next_); }
    std::int64_t fileSize() const;

    MMRESULT descend(MMCKINFO& ck, const MMCKINFO* parent, UINT flags);
    MMRESULT ascend(MMCKINFO& ck);
    MMRESULT createChunk(MMCKINFO& ck, UINT flags);

    MMRESULT getInfo(MMIOINFO& info);
    MMRESULT setInfo(const MMIOINFO& info);
    // Writes the buffer when dirty, then moves it on: MMIO_READ fills it with the next bytes.
    MMRESULT advance(MMIOINFO& info, UINT flag);

    // Writes what is pending and closes; further calls fail.
    MMRESULT close();

private:
    MmioFile() = default;
    MMRESULT flush();
    bool fill();
    bool readHeader(std::int64_t pos, std::int64_t end, MMCKINFO& ck);
    bool plausibleId(std::int64_t pos, std::int64_t end, FOURCC* id = nullptr);
    std::int64_t chunkEnd(const MMCKINFO& ck, std::int64_t limit, FOURCC wanted = 0);

    int fd_ = -1;
    bool memory_ = false;
    bool writable_ = false;
    std::vector<char> buf_;
    std::int64_t bufOffset_ = 0; // file offset of buf_[0]
    std::size_t next_ = 0;       // next byte in buf_
    std::size_t endRead_ = 0;    // bytes of buf_ that mirror the file
    bool dirty_ = false;
    std::int64_t diskSize_ = 0;
};

// The wave format record: the 18 bytes of WAVEFORMATEX and the extra bytes that follow them.
constexpr std::uint16_t WAVE_FORMAT_PCM = 1;
constexpr std::uint16_t WAVE_FORMAT_ADPCM = 2;
constexpr std::uint16_t WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr std::uint16_t WAVE_FORMAT_ALAW = 6;
constexpr std::uint16_t WAVE_FORMAT_MULAW = 7;
constexpr std::uint16_t WAVE_FORMAT_IMA_ADPCM = 0x11;
constexpr std::uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
    std::vector<std::uint8_t> extra; // cbSize bytes

    // The first 16 bytes (up to the bits per sample), little-endian.
    static WAVEFORMATEX fromBytes16(const std::uint8_t* p);
    // 16 bytes for PCM, else 18 plus the extra bytes.
    std::vector<std::uint8_t> toBytes() const;
    friend bool operator==(const WAVEFORMATEX&, const WAVEFORMATEX&) = default;
};

} // namespace tnv
