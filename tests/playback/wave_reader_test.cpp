#include "playback/wave_reader.h"
#include "tests/playback/wav_fixture.h"
#include "tests/support/builtin_sounds.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace wavfixture;

namespace {

const WAVEFORMATEX kMono16 = pcm(1, 22050, 16);

struct OpenCase {
    const char* name;
    Bytes file;
    HRESULT result;
    std::uint32_t size;
    WAVEFORMATEX format = kMono16;
};

std::vector<OpenCase> openCases() {
    Bytes data = counting(100), fmt14 = fmtBody(kMono16, false);
    const Chunk fmt = fmtChunk(kMono16), d = dataChunk(data), d40 = dataChunk(counting(40));
    fmt14.resize(14);
    Chunk shortFmt{"fmt ", fmt14};
    Chunk oddNoPad{"LIST", Bytes(7, 'x'), std::nullopt, false};
    Chunk oddPadded{"LIST", Bytes(7, 'x'), std::nullopt, true};
    Chunk lyingData{"data", data, 0x7FFFFFF0};
    Bytes rifx = wav(kMono16, data);
    rifx[3] = 'X';
    const WAVEFORMATEX adpcm =
        withTag(pcm(1, 22050, 4), WAVE_FORMAT_ADPCM, 256, {0xF4, 0x01, 0x07, 0x00, 1, 2, 3, 4});
    // Float with a 16-byte fmt chunk, with an extra size larger than its chunk, and with a chunk
    // larger than the file: the extra bytes never reach beyond the fmt chunk.
    const WAVEFORMATEX flt = withTag(pcm(1, 8000, 32), WAVE_FORMAT_IEEE_FLOAT, 4, {});
    Bytes tooMuchExtra = fmtBody(flt, false);
    for (unsigned v : {0xEA60u, 9u, 8u})
        v > 255 ? put16(tooMuchExtra, v) : tooMuchExtra.push_back(std::uint8_t(v));
    return {
        {"plain", wav(kMono16, data), S_OK, 100},
        {"not RIFF", riff({fmt, d}, {}, "AVI "), E_FAIL, 0},
        {"RIFX", rifx, E_FAIL, 0},
        {"fmt shorter than 16", riff({shortFmt, d}), E_FAIL, 0},
        {"no fmt", riff({d}), E_FAIL, 0},
        {"no data", riff({fmt}), E_FAIL, 0},
        {"LIST before fmt", riff({listChunk("a comment"), fmt, d}), S_OK, 100},
        {"LIST before data", riff({fmt, listChunk("odd"), d}), S_OK, 100},
        {"odd chunk with pad", riff({fmt, oddPadded, d}), S_OK, 100},
        {"odd chunk without pad", riff({fmt, oddNoPad, d}), S_OK, 100},
        {"data claims more than the file", riff({fmt, lyingData}), S_OK, 0x7FFFFFF0},
        {"RIFF claims more than the file", riff({fmt, d}, 0xFFFFFFF0), S_OK, 100},
        {"RIFF too small for data", riff({fmt, d}, 4 + 24), E_FAIL, 0},
        {"empty file", {}, E_FAIL, 0},
        {"header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0}, E_FAIL, 0},
        {"empty data", wav(kMono16, {}), S_OK, 0},
        {"ADPCM keeps its extra bytes", wav(adpcm, counting(512)), S_OK, 512, adpcm},
        {"float fmt of 16", riff({{"fmt ", fmtBody(flt, false)}, d40}), S_OK, 40, flt},
        {"extra size beyond fmt", riff({{"fmt ", tooMuchExtra}, d40}), S_OK, 40,
         withTag(flt, WAVE_FORMAT_IEEE_FLOAT, 4, {9, 8})},
        {"fmt beyond the file", riff({Chunk{"fmt ", fmtBody(flt, false), 400}}), E_FAIL, 0},
    };
}

class WaveOpen : public ::testing::TestWithParam<OpenCase> {};

TEST_P(WaveOpen, ResultAndSize) {
    const OpenCase& c = GetParam();
    testsupport::TempDir dir;
    std::string path = dir.file("t.wav");
    testsupport::writeFile(path, str(c.file));
    CWaveReader r;
    EXPECT_EQ(r.open(path.c_str(), nullptr, WAVEFILE_READ), c.result);
    EXPECT_EQ(r.size(), c.size);
    ASSERT_EQ(r.format() != nullptr, c.result == S_OK);
    if (c.result == S_OK)
        EXPECT_EQ(*r.format(), c.format);
    else
        EXPECT_EQ(r.rewind(), CO_E_NOTINITIALIZED) << "a failed open keeps no file";
}

INSTANTIATE_TEST_SUITE_P(Files, WaveOpen, ::testing::ValuesIn(openCases()),
                         [](const ::testing::TestParamInfo<OpenCase>& i) {
                             std::string n;
                             for (char ch : std::string(i.param.name))
                                 n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return n;
                         });

using WaveFile = WavFilesTest;

TEST_F(WaveFile, ReadsInPiecesThenNothingAndAgainAfterRewind) {
    Bytes data = counting(1000);
    std::string p = write(riff({listChunk("before fmt"), fmtChunk(kMono16), listChunk("x"),
                                dataChunk(data), listChunk("after")}));
    CWaveReader r;
    ASSERT_EQ(r.open(p.c_str(), nullptr, WAVEFILE_READ), S_OK);
    ASSERT_EQ(r.size(), 1000u);
    Bytes got(4096, 0xEE);
    std::uint32_t n = 99;
    ASSERT_EQ(r.read(got.data(), 4096, &n), S_OK);
    EXPECT_EQ(n, 1000u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), got.begin()));
    EXPECT_EQ(got[1000], 0xEE) << "nothing written past the data";
    EXPECT_EQ(r.read(got.data(), 4096, &n), S_OK);
    EXPECT_EQ(n, 0u);

    ASSERT_EQ(r.rewind(), S_OK);
    Bytes again(1000);
    std::uint32_t total = 0;
    while (total < 1000) {
        ASSERT_EQ(r.read(again.data() + total, 333, &n), S_OK);
        ASSERT_GT(n, 0u);
        total += n;
    }
    EXPECT_EQ(again, data);
    EXPECT_EQ(r.close(), S_OK);
    EXPECT_EQ(r.size(), 0u);
    EXPECT_EQ(r.read(got.data(), 1, &n), CO_E_NOTINITIALIZED);
    // Data larger than the I/O buffer reads whole.
    Bytes big = counting(3 * MmioFile::kDefaultBuffer + 17);
    p = write(wav(kMono16, big), "big.wav");
    ASSERT_EQ(r.open(p.c_str(), nullptr, WAVEFILE_READ), S_OK);
    got.assign(big.size(), 0);
    ASSERT_EQ(r.read(got.data(), static_cast<std::uint32_t>(got.size()), &n), S_OK);
    EXPECT_EQ(n, big.size());
    EXPECT_EQ(got, big);
}

TEST_F(WaveFile, DataBeyondTheFileEndFailsTheRead) {
    std::string p = write(riff({fmtChunk(kMono16), Chunk("data", counting(50), 5000)}));
    CWaveReader r;
    ASSERT_EQ(r.open(p.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(r.size(), 5000u);
    Bytes got(5000);
    std::uint32_t n = 7;
    EXPECT_EQ(r.read(got.data(), 5000, &n), E_FAIL);
    EXPECT_EQ(n, 0u);
    // What is there still reads.
    ASSERT_EQ(r.rewind(), S_OK);
    EXPECT_EQ(r.read(got.data(), 50, &n), S_OK);
    EXPECT_EQ(n, 50u);
}

TEST_F(WaveFile, ArgumentsAndState) {
    CWaveReader r;
    std::uint8_t b[4];
    std::uint32_t n;
    EXPECT_EQ(r.open(nullptr, nullptr, WAVEFILE_READ), E_INVALIDARG);
    EXPECT_EQ(r.read(b, 4, &n), CO_E_NOTINITIALIZED);
    EXPECT_EQ(r.rewind(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(r.close(), CO_E_NOTINITIALIZED);
    std::string p = write(wav(kMono16, counting(10)));
    ASSERT_EQ(r.open(p.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(r.read(nullptr, 4, &n), E_INVALIDARG);
    EXPECT_EQ(r.read(b, 4, nullptr), E_INVALIDARG);
    // Opening again replaces the first file.
    std::string q = write(wav(kMono16, counting(20)), "q.wav");
    ASSERT_EQ(r.open(q.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(r.size(), 20u);
    EXPECT_EQ(r.open(dir.path().c_str(), nullptr, WAVEFILE_READ), E_FAIL) << "a folder";
    EXPECT_EQ(r.format(), nullptr);
    // 8-bit names and another letter case find the file.
    p = write(wav(kMono16, counting(10)), "Caf\xC3\xA9.WAV");
    std::string name = dir.path() + "/caf\xE9.wav"; // Windows-1252, other letter case
    EXPECT_EQ(r.open(name.c_str(), nullptr, WAVEFILE_READ), S_OK);
    EXPECT_EQ(r.size(), 10u);
}

TEST_F(WaveFile, BuiltInSoundsStandInForMissingFiles) {
    builtin_sounds::clear();
    Bytes data = counting(30);
    builtin_sounds::add("CLICK", "WAV", wav(kMono16, data));
    builtin_sounds::add("EMPTY", "WAVE", {});
    CWaveReader r;
    ASSERT_EQ(r.open("click", nullptr, WAVEFILE_READ), S_OK);
    Bytes got(64);
    std::uint32_t n = 0;
    ASSERT_EQ(r.read(got.data(), 64, &n), S_OK);
    EXPECT_EQ(n, 30u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), got.begin()));
    ASSERT_EQ(r.rewind(), S_OK);
    ASSERT_EQ(r.read(got.data(), 64, &n), S_OK);
    EXPECT_EQ(n, 30u);
    EXPECT_EQ(r.close(), S_OK);
    EXPECT_EQ(r.open("empty", nullptr, WAVEFILE_READ), E_FAIL);
    EXPECT_EQ(r.open("nothing", nullptr, WAVEFILE_READ), E_FAIL);
    builtin_sounds::clear();
    EXPECT_EQ(r.open("click", nullptr, WAVEFILE_READ), E_FAIL)
        << "without a store, as the programs";
}

TEST_F(WaveFile, WrittenFileReadsBackAndNeedsAFormatAndAWritablePlace) {
    // Odd extra bytes: the fmt chunk needs its pad byte.
    const WAVEFORMATEX adpcm = withTag(pcm(2, 44100, 4), WAVE_FORMAT_ADPCM, 1024, {1, 2, 3});
    for (const WAVEFORMATEX& f : {pcm(1, 22050, 8), pcm(2, 48000, 16), adpcm}) {
        std::string p = dir.file("out.wav");
        CWaveReader w;
        ASSERT_EQ(w.open(p.c_str(), &f, WAVEFILE_WRITE), S_OK);
        std::uint8_t b[4];
        std::uint32_t n = 5;
        EXPECT_EQ(w.read(b, 4, &n), S_OK);
        EXPECT_EQ(n, 0u);
        EXPECT_EQ(w.rewind(), S_OK) << "a second rewind starts the same data chunk";
        ASSERT_EQ(w.close(), S_OK);

        std::string bytes = testsupport::readFile(p);
        ASSERT_GE(bytes.size(), 12u);
        EXPECT_EQ(bytes.substr(0, 4), "RIFF");
        EXPECT_EQ(bytes.substr(8, 4), "WAVE");
        EXPECT_EQ((std::uint8_t(bytes[4]) | std::uint8_t(bytes[5]) << 8) + 8u, bytes.size());
        std::size_t fact = bytes.find("fact");
        ASSERT_NE(fact, std::string::npos);
        EXPECT_EQ(bytes.substr(fact + 4, 8), std::string("\x04\0\0\0\0\0\0\0", 8));
        EXPECT_EQ(bytes.substr(bytes.size() - 8), std::string("data\0\0\0\0", 8));

        CWaveReader r;
        ASSERT_EQ(r.open(p.c_str(), nullptr, WAVEFILE_READ), S_OK);
        EXPECT_EQ(*r.format(), f);
        EXPECT_EQ(r.size(), 0u);
    }
    // Writing needs a format and a writable place.
    CWaveReader w;
    const WAVEFORMATEX f = pcm(1, 8000, 8);
    EXPECT_EQ(w.open(dir.file("a.wav").c_str(), nullptr, WAVEFILE_WRITE), E_INVALIDARG);
    EXPECT_EQ(w.open(dir.file("no/such/folder.wav").c_str(), &f, WAVEFILE_WRITE), E_FAIL);
    EXPECT_FALSE(w.isOpen());
}

} // namespace
