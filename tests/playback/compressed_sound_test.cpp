// Compressed recordings (ADPCM, mu-law, A-law), as other tools write them, decoded and played
// as PCM; the file itself still reads as what it is.
#include "playback/sound_device.h"
#include "tests/playback/wav_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace wavfixture;

namespace {

constexpr DWORD kPreviewFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

WAVEFORMATEX packed(std::uint16_t tag, unsigned channels, unsigned bits, unsigned blockAlign,
                    Bytes extra = {}) {
    WAVEFORMATEX f = pcm(channels, 22050, 8);
    f.wFormatTag = tag;
    f.wBitsPerSample = static_cast<std::uint16_t>(bits);
    f.nBlockAlign = static_cast<std::uint16_t>(blockAlign);
    f.cbSize = static_cast<std::uint16_t>(extra.size());
    f.extra = std::move(extra);
    return f;
}

Bytes le16(unsigned v) {
    Bytes b;
    put16(b, v);
    return b;
}

// mu-law carried as an extensible format.
WAVEFORMATEX extensibleMuLaw() {
    Bytes extra = le16(8);
    put32(extra, 4); // front centre
    put16(extra, WAVE_FORMAT_MULAW);
    for (std::uint8_t b :
         {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
        extra.push_back(b);
    WAVEFORMATEX f = packed(WAVE_FORMAT_EXTENSIBLE, 1, 8, 1, extra);
    return f;
}

int sample(const Bytes& b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | b[at + 1] << 8);
}

Chunk factChunk(std::uint32_t frames) {
    Bytes b;
    put32(b, frames);
    return {"fact", b};
}

class Compressed : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(
            device.startWith(DirectSound::CreateOffline(), nullptr, DSSCL_PRIORITY, 2, 22050, 16),
            S_OK);
    }
    std::string write(const Bytes& b, const std::string& name = "c.wav") {
        std::string p = dir.file(name);
        testsupport::writeFile(p, str(b));
        return p;
    }
    static Bytes contents(DirectSoundBuffer* b) {
        void* p1;
        DWORD n1;
        EXPECT_EQ(b->Lock(0, 0, &p1, &n1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        Bytes out(static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p1) + n1);
        b->Unlock(p1, 0, nullptr, 0);
        return out;
    }
    // The first channel of the next `frames` frames of the mix.
    Bytes renderLeft(DWORD frames) {
        Bytes out(frames * 4);
        device.directSound()->Render(out.data(), frames);
        Bytes left;
        for (DWORD i = 0; i < frames; ++i)
            left.insert(left.end(), out.begin() + 4 * i, out.begin() + 4 * i + 2);
        return left;
    }

    testsupport::TempDir dir;
    CSoundDevice device;
};

TEST_F(Compressed, RecordingsSoxWritesPlayAsSoxDecodesThem) {
    if (testsupport::runCommand("command -v sox >/dev/null") != 0)
        GTEST_SKIP() << "sox is not installed";
    // Microsoft's ADPCM decoder (and SDL's) cuts the prediction toward zero where sox rounds it
    // down: late in a block the two drift apart by a few hundredths of a per cent of full scale.
    const struct {
        const char* encoding;
        unsigned channels;
        std::uint16_t tag;
        int tolerance;
    } cases[] = {
        {"ima-adpcm", 1, WAVE_FORMAT_IMA_ADPCM, 0}, {"ima-adpcm", 2, WAVE_FORMAT_IMA_ADPCM, 0},
        {"ms-adpcm", 1, WAVE_FORMAT_ADPCM, 128},    {"ms-adpcm", 2, WAVE_FORMAT_ADPCM, 128},
        {"u-law", 1, WAVE_FORMAT_MULAW, 0},         {"u-law", 2, WAVE_FORMAT_MULAW, 0},
        {"a-law", 1, WAVE_FORMAT_ALAW, 0},          {"a-law", 2, WAVE_FORMAT_ALAW, 0},
    };
    const std::size_t frames = 2205; // 0.1 s
    for (const auto& c : cases) {
        std::string name = std::string(c.encoding) + std::to_string(c.channels);
        SCOPED_TRACE(name);
        std::string wav = dir.file(name + ".wav");
        std::string raw = dir.file(name + ".raw");
        // Two tones, so that a swap of the channels shows.
        ASSERT_EQ(testsupport::runCommand("sox -n -r 22050 -c " + std::to_string(c.channels) +
                                          " -e " + c.encoding + " '" + wav +
                                          "' synth 0.1 sine 440 sine 660 vol 0.5"),
                  0);
        ASSERT_EQ(
            testsupport::runCommand("sox '" + wav + "' -t raw -e signed -b 16 -L '" + raw + "'"),
            0);
        std::string decodedBySox = testsupport::readFile(raw);
        const std::size_t bytes = frames * 2 * c.channels;
        ASSERT_GE(decodedBySox.size(), bytes);
        Bytes expected(decodedBySox.begin(), decodedBySox.begin() + bytes);

        CWaveReader reader;
        ASSERT_EQ(reader.open(wav.c_str(), nullptr, WAVEFILE_READ), S_OK);
        EXPECT_EQ(reader.format()->wFormatTag, c.tag) << "the file reads as it is";
        EXPECT_EQ(reader.factFrames(), frames);

        std::unique_ptr<CSoundClip> clip;
        ASSERT_EQ(device.createClip(wav.c_str(), kPreviewFlags, DS3DALG_DEFAULT, 1, clip), S_OK);
        ASSERT_EQ(clip->format()->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(clip->format()->wBitsPerSample, 16);
        EXPECT_EQ(clip->format()->nChannels, c.channels);
        EXPECT_EQ(clip->format()->nSamplesPerSec, 22050u);
        EXPECT_EQ(clip->dataSize(), bytes) << "the last block's padding is left out";
        EXPECT_EQ(clip->heldBytes(), bytes);
        Bytes got = contents(clip->buffer(0));
        ASSERT_EQ(got.size(), bytes);
        for (std::size_t i = 0; i < bytes; i += 2)
            ASSERT_NEAR(sample(got, i), sample(expected, i), c.tolerance) << "frame " << i / 2;

        ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
        Bytes left;
        for (std::size_t i = 0; i < 300; ++i)
            left.insert(left.end(), expected.begin() + 2 * c.channels * i,
                        expected.begin() + 2 * c.channels * i + 2);
        Bytes heard = renderLeft(300);
        for (std::size_t i = 0; i < heard.size(); i += 2)
            ASSERT_NEAR(sample(heard, i), sample(left, i), c.tolerance)
                << "the mixer plays the decoded samples";
    }
}

TEST_F(Compressed, LyingAndBrokenFilesAreBoundedOrRefused) {
    const Bytes muLaw = {0x80, 0x00, 0xFF, 0x7F};
    const Bytes muLawDecoded = s16({32124, -32124, 0, 0});
    const WAVEFORMATEX mu = packed(WAVE_FORMAT_MULAW, 1, 8, 1);
    auto lying = [](Bytes samples, std::uint32_t declared) {
        Chunk c = dataChunk(std::move(samples));
        c.declaredSize = declared;
        return c;
    };
    // IMA ADPCM blocks of 36 bytes, a 4-byte header and 64 samples: 65 samples a block.
    const WAVEFORMATEX ima = packed(WAVE_FORMAT_IMA_ADPCM, 1, 4, 36, le16(65));
    const struct {
        const char* what;
        Bytes file;
        HRESULT result;
        Bytes samples;
    } cases[] = {
        {"mu-law", riff({fmtChunk(mu), dataChunk(muLaw)}), S_OK, muLawDecoded},
        {"A-law",
         riff({fmtChunk(packed(WAVE_FORMAT_ALAW, 1, 8, 1)), dataChunk({0xAA, 0x2A, 0xD5, 0x55})}),
         S_OK, s16({32256, -32256, 8, -8})},
        {"extensible mu-law", riff({fmtChunk(extensibleMuLaw()), dataChunk(muLaw)}), S_OK,
         muLawDecoded},
        {"a fact of fewer frames", riff({fmtChunk(mu), factChunk(2), dataChunk(muLaw)}), S_OK,
         s16({32124, -32124})},
        {"a fact of more frames", riff({fmtChunk(mu), factChunk(0xFFFFFFFF), dataChunk(muLaw)}),
         S_OK, muLawDecoded},
        {"a data size beyond the file", riff({fmtChunk(mu), lying(muLaw, 0x0FFFFFFF)}), S_OK,
         muLawDecoded},
        {"an unfinished data size", riff({fmtChunk(mu), lying(muLaw, 0xFFFFFFFF)}), S_OK,
         muLawDecoded},
        {"whole IMA blocks", riff({fmtChunk(ima), dataChunk(Bytes(72, 0))}), S_OK, Bytes(260, 0)},
        {"an IMA block cut short", riff({fmtChunk(ima), dataChunk(Bytes(54, 0))}), S_OK,
         Bytes(130, 0)},
        {"more IMA samples a block than it holds",
         riff({fmtChunk(packed(WAVE_FORMAT_IMA_ADPCM, 1, 4, 36, le16(65535))),
               dataChunk(Bytes(72, 0))}),
         E_FAIL,
         {}},
        {"MS ADPCM without its coefficients",
         riff({fmtChunk(packed(WAVE_FORMAT_ADPCM, 1, 4, 256)), dataChunk(Bytes(512, 0))}),
         E_FAIL,
         {}},
        {"MPEG layer 3",
         riff({fmtChunk(packed(0x55, 1, 0, 1, le16(0))), dataChunk(muLaw)}),
         DSERR_BADFORMAT,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string p = write(c.file);
        std::unique_ptr<CSoundClip> clip;
        ASSERT_EQ(device.createClip(p.c_str(), kPreviewFlags, DS3DALG_DEFAULT, 1, clip), c.result);
        if (FAILED(c.result)) {
            EXPECT_FALSE(clip);
            continue;
        }
        EXPECT_EQ(clip->dataSize(), c.samples.size());
        EXPECT_EQ(contents(clip->buffer(0)), c.samples);
    }
}

} // namespace
