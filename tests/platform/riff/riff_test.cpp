#include "platform/riff/riff.h"
#include "tests/playback/wav_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace tnv;

using namespace wavfixture;

namespace {

constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

// The same checks run on a disk file and on a memory image.
class Riff : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<MmioFile> open(const Bytes& b) {
        if (GetParam())
            return MmioFile::openMemory(b);
        std::string p = dir.file("f.riff");
        testsupport::writeFile(p, str(b));
        return MmioFile::open(p, MMIO_READ);
    }
    testsupport::TempDir dir;
};

TEST_P(Riff, FindsChunksListsAndRiffsByFormTypeAndClampsToTheBytesThatExist) {
    Chunk big = dataChunk(counting(10));
    big.declaredSize = 0xFFFFFFF0;
    auto f = open(riff({{"junk", Bytes(3, 'j')}, {"abcd", Bytes(4, 'a')}, big}));
    ASSERT_TRUE(f);
    MMCKINFO top{};
    ASSERT_EQ(f->descend(top, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(top.ckid, FOURCC_RIFF);
    EXPECT_EQ(top.dwDataOffset, 8u);
    EXPECT_EQ(f->tell(), 12);
    MMCKINFO ck{.ckid = kData};
    ASSERT_EQ(f->descend(ck, &top, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(ck.cksize, 0xFFFFFFF0u);
    EXPECT_EQ(f->tell(), ck.dwDataOffset);
    ASSERT_EQ(f->ascend(ck), MMSYSERR_NOERROR);
    EXPECT_EQ(f->tell(), f->fileSize()) << "ascending stops at the end of the file";
    MMCKINFO none{.ckid = mmioFOURCC('n', 'o', 'n', 'e')};
    f->seek(12, SEEK_FROM_START);
    EXPECT_EQ(f->descend(none, &top, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(f->tell(), 12) << "a failed search leaves the position";
    auto lists = open(riff({listChunk("first"), {"LIST", Bytes{'a', 'd', 't', 'l'}}}));
    MMCKINFO wave{.fccType = mmioFOURCC('W', 'A', 'V', 'E')};
    ASSERT_EQ(lists->descend(wave, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    MMCKINFO list{.fccType = mmioFOURCC('a', 'd', 't', 'l')};
    ASSERT_EQ(lists->descend(list, &wave, MMIO_FINDLIST), MMSYSERR_NOERROR);
    EXPECT_EQ(list.ckid, FOURCC_LIST);
    EXPECT_EQ(lists->tell(), list.dwDataOffset + 4);
}

TEST_P(Riff, OddChunksWithAndWithoutPadAndTheChunkWalkIsBounded) {
    std::vector<Chunk> many(MmioFile::kMaxChunksWalked + 1, Chunk{"tiny", {}});
    many.push_back(dataChunk(counting(2)));
    for (int pad : {1, 0, -1}) {
        auto f = open(pad < 0 ? riff(many)
                              : riff({{"odd ", Bytes(5, 'o'), std::nullopt, pad == 1},
                                      dataChunk(counting(4))}));
        MMCKINFO top{};
        ASSERT_EQ(f->descend(top, nullptr, 0), MMSYSERR_NOERROR);
        MMCKINFO ck{.ckid = kData};
        MMRESULT found = f->descend(ck, &top, MMIO_FINDCHUNK);
        ASSERT_EQ(found, pad < 0 ? MMIOERR_CHUNKNOTFOUND : MMSYSERR_NOERROR) << "pad " << pad;
        if (pad < 0)
            continue;
        EXPECT_EQ(ck.cksize, 4u);
        std::uint8_t b[4];
        EXPECT_EQ(f->read(b, 4), 4);
        EXPECT_EQ(b[0], 3);
    }
}

TEST_P(Riff, DirectBufferRunsDryAtTheEnd) {
    Bytes b = counting(20000);
    auto f = open(b);
    MMIOINFO info;
    ASSERT_EQ(f->getInfo(info), MMSYSERR_NOERROR);
    std::size_t seen = 0;
    for (int guard = 0; guard < 100; ++guard) {
        while (info.pchNext < info.pchEndRead) {
            ASSERT_EQ(static_cast<std::uint8_t>(*info.pchNext), b[seen]);
            ++info.pchNext;
            ++seen;
        }
        ASSERT_EQ(f->advance(info, MMIO_READ), MMSYSERR_NOERROR);
        if (info.pchNext == info.pchEndRead)
            break;
    }
    EXPECT_EQ(seen, b.size());
    EXPECT_EQ(f->setInfo(info), MMSYSERR_NOERROR);
    MMIOINFO stale = info;
    stale.pchNext = info.pchBuffer + info.cchBuffer + 1;
    EXPECT_EQ(f->setInfo(stale), MMSYSERR_INVALPARAM);
}

INSTANTIATE_TEST_SUITE_P(DiskAndMemory, Riff, ::testing::Values(false, true),
                         [](const auto& i) { return i.param ? "memory" : "disk"; });

TEST(RiffWrite, CreatedChunksGetTheirSizesAndPadOnAscendOnlyRegularFilesOpen) {
    testsupport::TempDir dir;
    std::string p = dir.file("w.riff");
    auto f = MmioFile::open(p, MMIO_CREATE | MMIO_READWRITE);
    ASSERT_TRUE(f);
    MMCKINFO top{.fccType = mmioFOURCC('T', 'E', 'S', 'T')};
    ASSERT_EQ(f->createChunk(top, MMIO_CREATERIFF), MMSYSERR_NOERROR);
    MMCKINFO odd{.ckid = mmioFOURCC('o', 'd', 'd', ' ')};
    ASSERT_EQ(f->createChunk(odd, 0), MMSYSERR_NOERROR);
    Bytes body = counting(MmioFile::kDefaultBuffer * 2 + 1); // crosses the I/O buffer
    ASSERT_EQ(f->write(body.data(), static_cast<long>(body.size())),
              static_cast<long>(body.size()));
    ASSERT_EQ(f->ascend(odd), MMSYSERR_NOERROR);
    EXPECT_EQ(odd.cksize, body.size());
    ASSERT_EQ(f->ascend(top), MMSYSERR_NOERROR);
    ASSERT_EQ(f->close(), MMSYSERR_NOERROR);
    EXPECT_EQ(f->read(body.data(), 1), -1) << "closed";

    EXPECT_EQ(testsupport::readFile(p), str(riff({{"odd ", body}}, {}, "TEST")));

    MMRESULT err = 0;
    EXPECT_FALSE(MmioFile::open(dir.path(), MMIO_READ, &err));
    EXPECT_EQ(err, MMIOERR_CANNOTOPEN);
    EXPECT_FALSE(MmioFile::open(dir.file("none"), MMIO_READ, &err));
    EXPECT_EQ(err, MMIOERR_FILENOTFOUND);
    std::string fifo = dir.file("pipe");
    ASSERT_EQ(testsupport::runCommand("mkfifo '" + fifo + "'"), 0);
    EXPECT_FALSE(MmioFile::open(fifo, MMIO_READ, &err)) << "and without waiting for a writer";
    auto ro = MmioFile::openMemory(counting(4));
    MMCKINFO ck{};
    EXPECT_EQ(ro->createChunk(ck, MMIO_CREATERIFF), MMIOERR_CANNOTWRITE);
    EXPECT_EQ(ro->write("x", 1), -1);
}

} // namespace
