#include "playback/sound_device.h"
#include "tests/playback/wav_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace wavfixture;

namespace {

constexpr DWORD kPreviewFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

TEST(Volume, MapsToHundredthsOfADecibel) {
    const struct {
        LONG volume, attenuation;
    } cases[] = {{255, 0},   {254, 0},   {253, -39},  {128, -2470},
                 {1, -4980}, {0, -4980}, {-5, -4980}, {300, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(volumeToAttenuation(c.volume), c.attenuation) << c.volume;
}

// A mono compressed format of 22050 samples a second.
WAVEFORMATEX packed(std::uint16_t tag, unsigned bits, unsigned blockAlign, const Bytes& extra) {
    WAVEFORMATEX f = pcm(1, 22050, 8);
    f.wBitsPerSample = static_cast<std::uint16_t>(bits);
    return withTag(f, tag, blockAlign, extra);
}

int at16(const Bytes& b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | b[at + 1] << 8);
}

class Clip : public WavFilesTest {
protected:
    void SetUp() override {
        ASSERT_EQ(
            device.startWith(DirectSound::CreateOffline(), nullptr, DSSCL_PRIORITY, 2, 22050, 16),
            S_OK);
    }
    static Bytes contents(DirectSoundBuffer* b) {
        void* p1;
        DWORD n1;
        EXPECT_EQ(b->Lock(0, 0, &p1, &n1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        Bytes out(static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p1) + n1);
        b->Unlock(p1, 0, nullptr, 0);
        return out;
    }
    DWORD status(DWORD i) {
        DWORD s = 1;
        clip->buffer(i)->GetStatus(&s);
        return s;
    }
    std::vector<int> renderLeft(DWORD frames) {
        Bytes out(frames * 4);
        device.directSound()->Render(out.data(), frames);
        std::vector<int> left(frames);
        for (DWORD i = 0; i < frames; ++i)
            left[i] = at16(out, 4 * i);
        return left;
    }

    // Makes `clip` of `count` buffers from a file, as the preview asks for it.
    HRESULT create(const char* path, DWORD count = 1) {
        return device.createClip(path, kPreviewFlags, DS3DALG_DEFAULT, count, clip);
    }
    HRESULT create(const Bytes& file, DWORD count = 1, const std::string& name = "t.wav") {
        return create(write(file, name).c_str(), count);
    }

    CSoundDevice device;
    std::unique_ptr<CSoundClip> clip;
};

TEST_F(Clip, CreationFailures) {
    std::string good = write(wav(pcm(1, 22050, 16), counting(64)));
    EXPECT_EQ(create(nullptr), E_INVALIDARG);
    EXPECT_EQ(create(good.c_str(), 0), E_INVALIDARG);
    EXPECT_EQ(create(dir.file("none.wav").c_str()), E_FAIL);
    EXPECT_EQ(create(wav(pcm(1, 22050, 16), {}), 1, "empty.wav"), E_FAIL);
    WAVEFORMATEX mp3 = withTag(pcm(1, 22050, 0), 0x55, 1); // MPEG layer 3: no decoder here
    EXPECT_EQ(create(wav(mp3, counting(512)), 1, "mp3.wav"), DSERR_BADFORMAT);
    std::string longPath = dir.path() + "/" + std::string(kMaxSoundPath, 'x') + ".wav";
    EXPECT_EQ(create(longPath.c_str()), E_INVALIDARG);
    EXPECT_FALSE(clip);

    CSoundDevice none;
    EXPECT_EQ(none.createClip(good.c_str(), kPreviewFlags, DS3DALG_DEFAULT, 1, clip),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(none.startWith(nullptr, nullptr, DSSCL_PRIORITY, 2, 22050, 16), E_INVALIDARG);
    EXPECT_EQ(none.startWith(DirectSound::CreateOffline(), nullptr, 0, 2, 22050, 16),
              DSERR_INVALIDPARAM);
    EXPECT_EQ(none.directSound(), nullptr) << "a failed start leaves no device";
    EXPECT_EQ(none.startWith(DirectSound::CreateOffline(), nullptr, DSSCL_PRIORITY, 2, 22050, 12),
              DSERR_BADFORMAT);
}

TEST_F(Clip, FillsEveryBufferAndPlaysTheFileUnchangedAtFullVolume) {
    Bytes data = s16({100, -200, 300, -400, 500, -600});
    ASSERT_EQ(create(wav(pcm(2, 22050, 16), data), 2), S_OK);
    ASSERT_EQ(clip->count(), 2u);
    EXPECT_EQ(clip->dataSize(), data.size());
    EXPECT_EQ(contents(clip->buffer(0)), data);
    EXPECT_EQ(contents(clip->buffer(1)), data) << "duplicates share the samples";
    EXPECT_FALSE(clip->isPlaying());
    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
    EXPECT_TRUE(clip->isPlaying());
    EXPECT_EQ(renderLeft(4), (std::vector<int>{100, 300, 500, 0}));
    EXPECT_FALSE(clip->isPlaying());
}

TEST_F(Clip, PlayPicksAFreeBufferAndStopRewindCoverAll) {
    ASSERT_EQ(create(wav(pcm(1, 22050, 16), s16(std::vector<int>(100, 1000))), 3), S_OK);
    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
    renderLeft(10);
    ASSERT_EQ(clip->play(0, 0, 128, 0), S_OK);
    EXPECT_EQ(status(1) & DSBSTATUS_PLAYING, DSBSTATUS_PLAYING) << "the second buffer took it";
    LONG volume = 0;
    clip->buffer(1)->GetVolume(&volume);
    EXPECT_EQ(volume, -2470);
    EXPECT_EQ(status(2), 0u);
    EXPECT_EQ(renderLeft(1)[0], 1000 + 58) << "both heard at once";

    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK) << "all playing: one of them starts again";
    EXPECT_EQ(clip->stop(), S_OK);
    EXPECT_FALSE(clip->isPlaying());
    EXPECT_EQ(clip->rewind(), S_OK);
    DWORD pos = 1;
    for (DWORD i = 0; i < 3; ++i) {
        clip->buffer(i)->GetCurrentPosition(&pos, nullptr);
        EXPECT_EQ(pos, 0u);
    }
    ASSERT_EQ(clip->play(0, DSBPLAY_LOOPING, 255, 44100), S_OK);
    DWORD freq = 0;
    clip->buffer(0)->GetFrequency(&freq);
    EXPECT_EQ(freq, 44100u);
    renderLeft(500);
    EXPECT_TRUE(clip->isPlaying()) << "looping";
}

TEST_F(Clip, TruncatedFileKeepsTheClipWithSilenceWhereDataIsMissing) {
    for (unsigned bits : {8u, 16u}) {
        Chunk data("data", Bytes(40, 0x41), 4000);
        ASSERT_EQ(create(riff({fmtChunk(pcm(1, 22050, bits)), data})), S_OK);
        Bytes got = contents(clip->buffer(0));
        ASSERT_EQ(got.size(), 4000u);
        std::uint8_t silence = bits == 8 ? 128 : 0;
        EXPECT_EQ(std::count(got.begin() + 40, got.end(), silence), 3960) << bits;
        EXPECT_EQ(clip->fill(clip->buffer(0), false), E_FAIL);
        EXPECT_EQ(clip->fill(nullptr, false), CO_E_NOTINITIALIZED);
    }
}

TEST_F(Clip, LyingHeaderPlaysWhatTheFileHoldsAndEnds) {
    // 200 frames held, 2,000,000 declared: the buffer is made as declared, but the sound ends
    // with the file.
    Chunk data("data", s16(std::vector<int>(200, 5000)), 4000000);
    ASSERT_EQ(create(riff({fmtChunk(pcm(1, 22050, 16)), data})), S_OK);
    EXPECT_EQ(clip->dataSize(), 4000000u);
    EXPECT_EQ(clip->heldBytes(), 400u);
    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
    EXPECT_EQ(renderLeft(150), std::vector<int>(150, 5000));
    EXPECT_TRUE(clip->isPlaying());
    renderLeft(100);
    EXPECT_FALSE(clip->isPlaying()) << "past the file's end";
    EXPECT_EQ(status(0), 0u) << "and stopped, not left playing silence";

    // Looping is the caller's wish: the clip goes on.
    ASSERT_EQ(clip->play(0, DSBPLAY_LOOPING, 255, 0), S_OK);
    renderLeft(300);
    EXPECT_TRUE(clip->isPlaying());
    clip->stop();

    // Nothing held at all: nothing to wait for.
    ASSERT_EQ(create(riff({fmtChunk(pcm(1, 22050, 16)), {"data", {}, 4000000}}), 1, "none.wav"),
              S_OK);
    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
    EXPECT_FALSE(clip->isPlaying());
}

TEST_F(Clip, LostBufferIsRestoredAndRefilledBeforePlaying) {
    Bytes data = s16({7000, 7000, 7000, 7000});
    ASSERT_EQ(create(wav(pcm(1, 22050, 16), data)), S_OK);
    bool restored = true;
    EXPECT_EQ(clip->restoreIfLost(clip->buffer(0), &restored), S_FALSE);
    EXPECT_FALSE(restored);

    clip->buffer(0)->SimulateLoss(3);
    ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
    EXPECT_EQ(renderLeft(2), (std::vector<int>{7000, 7000}));
    EXPECT_EQ(contents(clip->buffer(0)), data);

    // A buffer that never comes back is given up on, not waited for forever.
    clip->buffer(0)->SimulateLoss(kMaxRestoreTries + 5);
    EXPECT_EQ(clip->play(0, 0, 255, 0), DSERR_BUFFERLOST);
    EXPECT_FALSE(clip->isPlaying());
}

// Compressed recordings, as other tools write them, play decoded; the file reads as it is.
TEST_F(Clip, CompressedRecordingsPlayAsSoxDecodesThem) {
    if (testsupport::runCommand("command -v sox >/dev/null") != 0)
        GTEST_SKIP() << "sox is not installed";
    // Microsoft's ADPCM decoder (and SDL's) cuts the prediction toward zero where sox rounds it
    // down: late in a block the two drift apart by a few hundredths of full scale.
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
    const DWORD frames = 2205; // 0.1 s, as the fact chunk says; the last block holds padding
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + std::to_string(c.channels));
        std::string wav = dir.file("c.wav"), raw = dir.file("c.raw");
        // Two tones, so that a swap of the channels shows.
        ASSERT_EQ(testsupport::runCommand("sox -n -r 22050 -c " + std::to_string(c.channels) +
                                          " -e " + c.encoding + " " + wav +
                                          " synth 0.1 sine 440 sine 660 vol 0.5 && sox " + wav +
                                          " -t raw -e signed -b 16 -L " + raw),
                  0);
        const std::string decoded = testsupport::readFile(raw);
        Bytes expected(decoded.begin(), decoded.end());
        CWaveReader reader;
        ASSERT_EQ(reader.open(wav.c_str(), nullptr, WAVEFILE_READ), S_OK);
        EXPECT_EQ(reader.format()->wFormatTag, c.tag);
        ASSERT_EQ(create(wav.c_str()), S_OK);
        EXPECT_EQ(clip->format()->wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(clip->format()->nBlockAlign, 2 * c.channels);
        Bytes got = contents(clip->buffer(0));
        ASSERT_EQ(got.size(), frames * 2 * c.channels);
        ASSERT_GE(expected.size(), got.size());
        for (std::size_t i = 0; i < got.size(); i += 2)
            ASSERT_NEAR(at16(got, i), at16(expected, i), c.tolerance) << "frame " << i / 2;
        ASSERT_EQ(clip->play(0, 0, 255, 0), S_OK);
        std::vector<int> heard = renderLeft(300);
        for (std::size_t i = 0; i < heard.size(); ++i)
            ASSERT_EQ(heard[i], at16(got, 2 * c.channels * i)) << "the mixer plays them";
    }
}

TEST_F(Clip, CompressedFilesThatLieOrBreakAreBoundedOrRefused) {
    const Bytes muLaw = {0x80, 0x00, 0xFF, 0x7F}, muLawDecoded = s16({32124, -32124, 0, 0});
    const WAVEFORMATEX mu = packed(WAVE_FORMAT_MULAW, 8, 1, {});
    auto lying = [](const Bytes& samples, std::uint32_t declared) {
        return Chunk("data", samples, declared);
    };
    auto fact = [](std::uint32_t frames) {
        return Chunk("fact", s16({int(frames & 0xFFFF), int(frames >> 16)}));
    };
    // mu-law as an extensible format: valid bits, channel mask, the subtype's identifier.
    Bytes subtype = s16({8, 4, 0, WAVE_FORMAT_MULAW, 0, 0, 0x10, 0x80, 0xAA00, 0x3800, 0x719B});
    // IMA ADPCM blocks of 36 bytes: a 4-byte header and 64 samples, 65 samples a block.
    const WAVEFORMATEX ima = packed(WAVE_FORMAT_IMA_ADPCM, 4, 36, s16({65}));
    const WAVEFORMATEX pcm16 = pcm(1, 22050, 16), alaw = packed(WAVE_FORMAT_ALAW, 8, 1, {});
    const WAVEFORMATEX ext = packed(WAVE_FORMAT_EXTENSIBLE, 8, 1, subtype);
    const WAVEFORMATEX imaOver = packed(WAVE_FORMAT_IMA_ADPCM, 4, 36, s16({65535}));
    const WAVEFORMATEX msBare = packed(WAVE_FORMAT_ADPCM, 4, 256, {}); // no coefficients
    const Bytes five = s16({1, 2, 3, 4, 5});
    const struct {
        const char* what;
        WAVEFORMATEX format;
        std::vector<Chunk> chunks; // after the fmt chunk
        HRESULT result;
        Bytes samples;
    } cases[] = {
        {"mu-law", mu, {dataChunk(muLaw)}, S_OK, muLawDecoded},
        {"A-law", alaw, {dataChunk({0xAA, 0x2A, 0xD5, 0x55})}, S_OK, s16({32256, -32256, 8, -8})},
        {"extensible mu-law", ext, {dataChunk(muLaw)}, S_OK, muLawDecoded},
        {"a fact of fewer frames", mu, {fact(2), dataChunk(muLaw)}, S_OK, s16({32124, -32124})},
        {"a fact of more frames", mu, {fact(0xFFFFFFFF), dataChunk(muLaw)}, S_OK, muLawDecoded},
        {"a data size beyond the file", mu, {lying(muLaw, 0x0FFFFFFF)}, S_OK, muLawDecoded},
        {"an unfinished data size", mu, {lying(muLaw, 0xFFFFFFFF)}, S_OK, muLawDecoded},
        {"whole IMA blocks", ima, {dataChunk(Bytes(72, 0))}, S_OK, Bytes(260, 0)},
        {"an IMA block cut short", ima, {dataChunk(Bytes(54, 0))}, S_OK, Bytes(130, 0)},
        {"more IMA samples a block than it holds", imaOver, {dataChunk(Bytes(72, 0))}, E_FAIL, {}},
        // A recorder stopped before it wrote the size leaves 0xFFFFFFFF, or the like, behind.
        {"PCM of an unfinished size", pcm16, {lying(five, 0xFFFFFFFF)}, S_OK, five},
        {"PCM of a gigabyte", pcm16, {lying(five, 0x40000000)}, S_OK, five},
        {"PCM over the largest buffer", pcm16, {lying(five, DSBSIZE_MAX + 1)}, S_OK, five},
        {"MS ADPCM without its coefficients", msBare, {dataChunk(Bytes(512, 0))}, E_FAIL, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Chunk> chunks{fmtChunk(c.format)};
        chunks.insert(chunks.end(), c.chunks.begin(), c.chunks.end());
        clip.reset();
        ASSERT_EQ(create(riff(chunks)), c.result);
        EXPECT_EQ(clip ? contents(clip->buffer(0)) : Bytes{}, c.samples);
        EXPECT_EQ(clip ? clip->dataSize() : 0u, c.samples.size());
    }
}

} // namespace
