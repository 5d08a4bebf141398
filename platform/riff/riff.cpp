#include "platform/riff/riff.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnv {

namespace {

// Chunk offsets are 32-bit in a RIFF file; nothing beyond that is addressable as a chunk.
constexpr std::int64_t kRiffLimit = 0xFFFFFFFFll;

std::uint32_t get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void put32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

bool hasFormType(FOURCC id) {
    return id == FOURCC_RIFF || id == FOURCC_LIST;
}

} // namespace

std::unique_ptr<MmioFile> MmioFile::open(const std::string& diskPath, UINT flags, MMRESULT* error) {
    MMRESULT dummy;
    MMRESULT& err = error ? *error : dummy;
    bool create = (flags & MMIO_CREATE) != 0;
    bool writable = create || (flags & (MMIO_WRITE | MMIO_READWRITE)) != 0;
    int oflags = O_CLOEXEC | O_NONBLOCK;
    oflags |= writable ? O_RDWR : O_RDONLY;
    if (create)
        oflags |= O_CREAT | O_TRUNC;
    int fd = ::open(diskPath.c_str(), oflags, 0666);
    if (fd < 0) {
        err = errno == ENOENT ? MMIOERR_FILENOTFOUND : MMIOERR_CANNOTOPEN;
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        err = MMIOERR_CANNOTOPEN;
        return nullptr;
    }
    std::unique_ptr<MmioFile> f(new MmioFile);
    f->fd_ = fd;
    f->writable_ = writable;
    f->diskSize_ = st.st_size;
    f->buf_.assign(kDefaultBuffer, 0);
    err = MMSYSERR_NOERROR;
    return f;
}

std::unique_ptr<MmioFile> MmioFile::openMemory(std::vector<std::uint8_t> bytes) {
    std::unique_ptr<MmioFile> f(new MmioFile);
    f->memory_ = true;
    f->buf_.assign(bytes.begin(), bytes.end());
    f->endRead_ = f->buf_.size();
    f->diskSize_ = static_cast<std::int64_t>(f->buf_.size());
    return f;
}

MmioFile::~MmioFile() {
    close();
}

std::int64_t MmioFile::fileSize() const {
    if (memory_)
        return static_cast<std::int64_t>(buf_.size());
    return std::max(diskSize_, bufOffset_ + static_cast<std::int64_t>(endRead_));
}

MMRESULT MmioFile::flush() {
    if (!dirty_ || memory_ || fd_ < 0)
        return MMSYSERR_NOERROR;
    std::size_t done = 0;
    while (done < endRead_) {
        ssize_t n = ::pwrite(fd_, buf_.data() + done, endRead_ - done,
                             static_cast<off_t>(bufOffset_ + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return MMIOERR_CANNOTWRITE;
        done += static_cast<std::size_t>(n);
    }
    diskSize_ = std::max(diskSize_, bufOffset_ + static_cast<std::int64_t>(endRead_));
    dirty_ = false;
    return MMSYSERR_NOERROR;
}

bool MmioFile::fill() {
    if (memory_)
        return true;
    if (fd_ < 0 || flush() != MMSYSERR_NOERROR)
        return false;
    bufOffset_ += static_cast<std::int64_t>(next_);
    next_ = 0;
    endRead_ = 0;
    while (endRead_ < buf_.size()) {
        ssize_t n = ::pread(fd_, buf_.data() + endRead_, buf_.size() - endRead_,
                            static_cast<off_t>(bufOffset_ + static_cast<std::int64_t>(endRead_)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        endRead_ += static_cast<std::size_t>(n);
    }
    return true;
}

long MmioFile::read(void* dest, long count) {
    if ((!memory_ && fd_ < 0) || count < 0)
        return -1;
    auto* out = static_cast<char*>(dest);
    long total = 0;
    while (total < count) {
        std::size_t avail = endRead_ - next_;
        if (avail == 0) {
            if (memory_)
                break;
            if (!fill())
                return -1;
            avail = endRead_ - next_;
            if (avail == 0)
                break;
        }
        std::size_t n = std::min(avail, static_cast<std::size_t>(count - total));
        std::memcpy(out + total, buf_.data() + next_, n);
        next_ += n;
        total += static_cast<long>(n);
    }
    return total;
}

long MmioFile::write(const void* src, long count) {
    if (!writable_ || fd_ < 0 || count < 0)
        return -1;
    const auto* in = static_cast<const char*>(src);
    long total = 0;
    while (total < count) {
        std::size_t space = buf_.size() - next_;
        if (space == 0) {
            if (flush() != MMSYSERR_NOERROR)
                return -1;
            bufOffset_ += static_cast<std::int64_t>(next_);
            next_ = 0;
            endRead_ = 0;
            space = buf_.size();
        }
        std::size_t n = std::min(space, static_cast<std::size_t>(count - total));
        std::memcpy(buf_.data() + next_, in + total, n);
        next_ += n;
        endRead_ = std::max(endRead_, next_);
        dirty_ = true;
        total += static_cast<long>(n);
    }
    return total;
}

std::int64_t MmioFile::seek(std::int64_t offset, int origin) {
    if (!memory_ && fd_ < 0)
        return -1;
    std::int64_t base = origin == SEEK_FROM_CURRENT ? tell()
                        : origin == SEEK_FROM_END   ? fileSize()
                                                    : 0;
    if (origin < SEEK_FROM_START || origin > SEEK_FROM_END)
        return -1;
    if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
        return -1;
    std::int64_t target = base + offset;
    if (memory_) {
        next_ = static_cast<std::size_t>(std::min(target, fileSize()));
        return static_cast<std::int64_t>(next_);
    }
    if (target >= bufOffset_ && target <= bufOffset_ + static_cast<std::int64_t>(endRead_)) {
        next_ = static_cast<std::size_t>(target - bufOffset_);
        return target;
    }
    if (flush() != MMSYSERR_NOERROR)
        return -1;
    bufOffset_ = target;
    next_ = 0;
    endRead_ = 0;
    return target;
}

bool MmioFile::readHeader(std::int64_t pos, std::int64_t end, MMCKINFO& ck) {
    unsigned char h[12];
    if (pos + 8 > end || seek(pos, SEEK_FROM_START) != pos || read(h, 8) != 8)
        return false;
    ck = MMCKINFO{};
    ck.ckid = get32(h);
    ck.cksize = get32(h + 4);
    ck.dwDataOffset = static_cast<std::uint32_t>(pos + 8);
    if (hasFormType(ck.ckid) && pos + 12 <= end && read(h + 8, 4) == 4)
        ck.fccType = get32(h + 8);
    return true;
}

bool MmioFile::plausibleId(std::int64_t pos, std::int64_t end, FOURCC* id) {
    unsigned char b[4];
    if (pos + 8 > end || seek(pos, SEEK_FROM_START) != pos || read(b, 4) != 4)
        return false;
    if (id)
        *id = get32(b);
    return std::all_of(b, b + 4, [](unsigned char c) { return c >= 0x20 && c <= 0x7E; });
}

std::int64_t MmioFile::chunkEnd(const MMCKINFO& ck, std::int64_t limit, FOURCC wanted) {
    std::int64_t unpadded = static_cast<std::int64_t>(ck.dwDataOffset) + ck.cksize;
    if ((ck.cksize & 1) == 0)
        return std::min(unpadded, limit);
    // Odd chunks are followed by a pad byte, but some writers leave it out: then the next
    // header starts one byte earlier. The pad is trusted unless only the earlier place holds a
    // chunk id, or holds the very id being looked for.
    std::int64_t padded = unpadded + 1;
    FOURCC paddedId = 0;
    FOURCC unpaddedId = 0;
    bool paddedOk = plausibleId(padded, limit, &paddedId);
    bool unpaddedOk = plausibleId(unpadded, limit, &unpaddedId);
    bool early =
        unpaddedOk && (!paddedOk || (wanted != 0 && unpaddedId == wanted && paddedId != wanted));
    return std::min(early ? unpadded : padded, limit);
}

MMRESULT MmioFile::descend(MMCKINFO& ck, const MMCKINFO* parent, UINT flags) {
    if (!memory_ && fd_ < 0)
        return MMSYSERR_INVALPARAM;
    std::int64_t limit = std::min(fileSize(), kRiffLimit);
    if (parent)
        limit = std::min(limit, static_cast<std::int64_t>(parent->dwDataOffset) + parent->cksize);
    bool search = (flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF | MMIO_FINDLIST)) != 0;
    FOURCC wantId = (flags & MMIO_FINDRIFF)   ? FOURCC_RIFF
                    : (flags & MMIO_FINDLIST) ? FOURCC_LIST
                                              : ck.ckid;
    bool wantType = (flags & (MMIO_FINDRIFF | MMIO_FINDLIST)) != 0;
    std::int64_t start = tell();
    std::int64_t pos = start;
    for (int walked = 0; walked < kMaxChunksWalked; ++walked) {
        MMCKINFO found;
        if (!readHeader(pos, limit, found))
            break;
        if (!search || (found.ckid == wantId && (!wantType || found.fccType == ck.fccType))) {
            std::int64_t body =
                static_cast<std::int64_t>(found.dwDataOffset) + (hasFormType(found.ckid) ? 4 : 0);
            seek(std::min(body, std::max(limit, pos + 8)), SEEK_FROM_START);
            ck = found;
            return MMSYSERR_NOERROR;
        }
        std::int64_t next = chunkEnd(found, limit, search ? wantId : 0);
        if (next <= pos)
            break;
        pos = next;
    }
    seek(start, SEEK_FROM_START);
    return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT MmioFile::ascend(MMCKINFO& ck) {
    if (!memory_ && fd_ < 0)
        return MMSYSERR_INVALPARAM;
    if (ck.dwFlags & MMIO_DIRTY) {
        std::int64_t size = tell() - static_cast<std::int64_t>(ck.dwDataOffset);
        if (size < 0 || size > kRiffLimit || ck.dwDataOffset < 4)
            return MMIOERR_CANNOTWRITE;
        if (static_cast<std::uint32_t>(size) != ck.cksize) {
            unsigned char b[4];
            put32(b, static_cast<std::uint32_t>(size));
            if (seek(ck.dwDataOffset - 4, SEEK_FROM_START) < 0 || write(b, 4) != 4)
                return MMIOERR_CANNOTWRITE;
            ck.cksize = static_cast<std::uint32_t>(size);
        }
        if (seek(ck.dwDataOffset + size, SEEK_FROM_START) < 0)
            return MMIOERR_CANNOTSEEK;
        if (size & 1) {
            char pad = 0;
            if (write(&pad, 1) != 1)
                return MMIOERR_CANNOTWRITE;
        }
        ck.dwFlags &= ~MMIO_DIRTY;
        return MMSYSERR_NOERROR;
    }
    std::int64_t end = chunkEnd(ck, std::min(fileSize(), kRiffLimit));
    return seek(end, SEEK_FROM_START) < 0 ? MMIOERR_CANNOTSEEK : MMSYSERR_NOERROR;
}

MMRESULT MmioFile::createChunk(MMCKINFO& ck, UINT flags) {
    if (!writable_ || fd_ < 0)
        return MMIOERR_CANNOTWRITE;
    if (flags & MMIO_CREATERIFF)
        ck.ckid = FOURCC_RIFF;
    else if (flags & MMIO_CREATELIST)
        ck.ckid = FOURCC_LIST;
    std::int64_t pos = tell();
    if (pos + 8 > kRiffLimit)
        return MMIOERR_CANNOTWRITE;
    unsigned char h[12];
    put32(h, ck.ckid);
    put32(h + 4, ck.cksize);
    put32(h + 8, ck.fccType);
    long len = hasFormType(ck.ckid) ? 12 : 8;
    if (write(h, len) != len)
        return MMIOERR_CANNOTWRITE;
    ck.dwDataOffset = static_cast<std::uint32_t>(pos + 8);
    ck.dwFlags = MMIO_DIRTY;
    return MMSYSERR_NOERROR;
}

MMRESULT MmioFile::getInfo(MMIOINFO& info) {
    if (!memory_ && fd_ < 0)
        return MMSYSERR_INVALPARAM;
    info.dwFlags = dirty_ ? MMIO_DIRTY : 0;
    info.pchBuffer = buf_.data();
    info.pchNext = buf_.data() + next_;
    info.pchEndRead = buf_.data() + endRead_;
    info.pchEndWrite = writable_ ? buf_.data() + buf_.size() : info.pchEndRead;
    info.lBufOffset = bufOffset_;
    info.lDiskOffset = bufOffset_ + static_cast<std::int64_t>(endRead_);
    info.cchBuffer = static_cast<std::uint32_t>(buf_.size());
    return MMSYSERR_NOERROR;
}

MMRESULT MmioFile::setInfo(const MMIOINFO& info) {
    if (!memory_ && fd_ < 0)
        return MMSYSERR_INVALPARAM;
    if (info.pchBuffer != buf_.data() || info.pchNext < buf_.data() ||
        info.pchNext > buf_.data() + buf_.size())
        return MMSYSERR_INVALPARAM;
    auto next = static_cast<std::size_t>(info.pchNext - buf_.data());
    bool wrote = (info.dwFlags & MMIO_DIRTY) != 0 && writable_;
    if (!wrote && next > endRead_)
        return MMSYSERR_INVALPARAM;
    next_ = next;
    if (wrote) {
        dirty_ = true;
        endRead_ = std::max(endRead_, next_);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT MmioFile::advance(MMIOINFO& info, UINT flag) {
    MMRESULT r = setInfo(info);
    if (r != MMSYSERR_NOERROR)
        return r;
    if (flag == MMIO_WRITE) {
        if (!writable_)
            return MMIOERR_CANNOTWRITE;
        if (flush() != MMSYSERR_NOERROR)
            return MMIOERR_CANNOTWRITE;
        bufOffset_ += static_cast<std::int64_t>(next_);
        next_ = 0;
        endRead_ = 0;
    } else if (next_ == endRead_ && !fill()) {
        return MMIOERR_CANNOTREAD;
    }
    return getInfo(info);
}

MMRESULT MmioFile::close() {
    if (memory_) {
        memory_ = false;
        buf_.clear();
        next_ = endRead_ = 0;
        fd_ = -1;
        return MMSYSERR_NOERROR;
    }
    if (fd_ < 0)
        return MMIOERR_CANNOTCLOSE;
    MMRESULT r = flush();
    if (::close(fd_) != 0 && r == MMSYSERR_NOERROR)
        r = MMIOERR_CANNOTCLOSE;
    fd_ = -1;
    dirty_ = false;
    return r;
}

WAVEFORMATEX WAVEFORMATEX::fromBytes16(const std::uint8_t* p) {
    WAVEFORMATEX f;
    f.wFormatTag = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    f.nChannels = static_cast<std::uint16_t>(p[2] | (p[3] << 8));
    f.nSamplesPerSec = get32(p + 4);
    f.nAvgBytesPerSec = get32(p + 8);
    f.nBlockAlign = static_cast<std::uint16_t>(p[12] | (p[13] << 8));
    f.wBitsPerSample = static_cast<std::uint16_t>(p[14] | (p[15] << 8));
    return f;
}

std::vector<std::uint8_t> WAVEFORMATEX::toBytes() const {
    std::vector<std::uint8_t> b(16);
    b[0] = static_cast<std::uint8_t>(wFormatTag);
    b[1] = static_cast<std::uint8_t>(wFormatTag >> 8);
    b[2] = static_cast<std::uint8_t>(nChannels);
    b[3] = static_cast<std::uint8_t>(nChannels >> 8);
    put32(b.data() + 4, nSamplesPerSec);
    put32(b.data() + 8, nAvgBytesPerSec);
    b[12] = static_cast<std::uint8_t>(nBlockAlign);
    b[13] = static_cast<std::uint8_t>(nBlockAlign >> 8);
    b[14] = static_cast<std::uint8_t>(wBitsPerSample);
    b[15] = static_cast<std::uint8_t>(wBitsPerSample >> 8);
    if (wFormatTag == WAVE_FORMAT_PCM)
        return b;
    // The extra size written is the number of extra bytes actually held.
    auto extraSize = static_cast<std::uint16_t>(std::min<std::size_t>(extra.size(), 0xFFFF));
    b.push_back(static_cast<std::uint8_t>(extraSize));
    b.push_back(static_cast<std::uint8_t>(extraSize >> 8));
    b.insert(b.end(), extra.begin(), extra.begin() + extraSize);
    return b;
}

} // namespace tnv
