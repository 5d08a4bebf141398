#include "platform/sound/audio.h"
#include "tests/playback/wav_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace tnv;

using namespace wavfixture;

namespace {

DSBUFFERDESC describe(const WAVEFORMATEX* f, DWORD bytes, DWORD flags = 0) {
    return {DSBUFFERDESC_SIZE, flags, bytes, f, {}};
}

class Mixer : public ::testing::Test {
protected:
    void SetUp() override {
        ds = DirectSound::CreateOffline();
        ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    }

    std::unique_ptr<DirectSoundBuffer> buffer(const WAVEFORMATEX& f, const Bytes& samples,
                                              DWORD flags = DSBCAPS_CTRLVOLUME |
                                                            DSBCAPS_CTRLFREQUENCY) {
        DSBUFFERDESC d = describe(&f, static_cast<DWORD>(samples.size()), flags);
        std::unique_ptr<DirectSoundBuffer> b;
        EXPECT_EQ(ds->CreateSoundBuffer(&d, b), DS_OK);
        void *p1, *p2;
        DWORD n1, n2;
        // A buffer that cannot take the samples is none: the test's check of it fails.
        if (!b || b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0) != DS_OK)
            return nullptr;
        std::memcpy(p1, samples.data(), n1);
        return b->Unlock(p1, n1, p2, n2) == DS_OK ? std::move(b) : nullptr;
    }

    static DWORD status(DirectSoundBuffer& b) {
        DWORD s = ~0u;
        EXPECT_EQ(b.GetStatus(&s), DS_OK);
        return s;
    }

    std::vector<Frame> render(DWORD frames) {
        Bytes out(frames * 4);
        ds->Render(out.data(), frames);
        return stereoFrames(out.data(), out.size());
    }

    std::unique_ptr<DirectSound> ds;
};

struct ConvertCase {
    const char* name;
    WAVEFORMATEX format;
    Bytes oneFrame;
    Frame expected;
};

WAVEFORMATEX floatFormat(unsigned channels, unsigned bits) {
    WAVEFORMATEX f = pcm(channels, 22050, bits);
    f.wFormatTag = WAVE_FORMAT_IEEE_FLOAT;
    return f;
}

Bytes f32(float v) {
    Bytes b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

WAVEFORMATEX extensible(unsigned channels, unsigned bits, std::uint8_t subtype) {
    WAVEFORMATEX f = pcm(channels, 22050, bits);
    f.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    const auto b = static_cast<std::uint8_t>(bits);
    f.extra = {b, 0,    3, 0,    0, 0, subtype, 0, 0,    0,    0,
               0, 0x10, 0, 0x80, 0, 0, 0xAA,    0, 0x38, 0x9B, 0x71};
    f.cbSize = 22;
    return f;
}

TEST_F(Mixer, EveryPlayableFormatArrivesAsSixteenBitStereo) {
    const ConvertCase cases[] = {
        {"8-bit mono", pcm(1, 22050, 8), {0xC0}, {16384, 16384}},
        {"8-bit stereo", pcm(2, 22050, 8), {0x00, 0x80}, {-32768, 0}},
        {"16-bit mono", pcm(1, 22050, 16), s16({-1234}), {-1234, -1234}},
        {"16-bit stereo", pcm(2, 22050, 16), s16({32767, -32768}), {32767, -32768}},
        {"24-bit stereo", pcm(2, 22050, 24), {0, 0x10, 0x20, 0, 0, 0x80}, {0x2010, -32768}},
        {"32-bit mono", pcm(1, 22050, 32), {0, 0, 0x34, 0x12}, {0x1234, 0x1234}},
        {"float mono", floatFormat(1, 32), f32(0.5f), {16384, 16384}},
        {"float beyond full scale clips", floatFormat(1, 32), f32(3.0f), {32767, 32767}},
        {"float NaN is silence", floatFormat(1, 32), f32(std::nanf("")), {0, 0}},
        {"extensible PCM", extensible(2, 16, 1), s16({100, -100}), {100, -100}},
        {"extensible float", extensible(1, 32, 3), f32(-0.25f), {-8192, -8192}},
        {"six channels: front pair", pcm(6, 22050, 16), s16({7, 8, 900, 900, 900, 900}), {7, 8}},
    };
    for (const ConvertCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Four identical frames, so that the buffer has its minimum size.
        Bytes samples;
        for (int i = 0; i < 4; ++i)
            samples.insert(samples.end(), c.oneFrame.begin(), c.oneFrame.end());
        auto b = buffer(c.format, samples);
        ASSERT_TRUE(b);
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        std::vector<Frame> out = render(6);
        EXPECT_EQ(out[0].left, c.expected.left);
        EXPECT_EQ(out[0].right, c.expected.right);
        EXPECT_EQ(out[3].left, c.expected.left);
        EXPECT_EQ(out[4].left, 0) << "played once";
    }
}

TEST_F(Mixer, FormatsTheMixerCannotPlayAndDevicesWithoutALevelAreRefused) {
    WAVEFORMATEX adpcm = pcm(1, 22050, 4);
    adpcm.wFormatTag = WAVE_FORMAT_ADPCM;
    adpcm.nBlockAlign = 256;
    WAVEFORMATEX twelveBits = pcm(1, 22050, 12);
    WAVEFORMATEX badAlign = pcm(2, 22050, 16);
    badAlign.nBlockAlign = 3;
    WAVEFORMATEX noChannels = pcm(1, 22050, 16);
    noChannels.nChannels = 0;
    WAVEFORMATEX slow = pcm(1, 50, 16);
    WAVEFORMATEX unknownSubtype = extensible(1, 16, 2);
    WAVEFORMATEX shortExtensible = extensible(1, 16, 1);
    shortExtensible.extra.resize(10);
    for (const WAVEFORMATEX& f :
         {adpcm, twelveBits, badAlign, noChannels, slow, unknownSubtype, shortExtensible}) {
        DSBUFFERDESC d = describe(&f, 1024);
        std::unique_ptr<DirectSoundBuffer> b;
        EXPECT_EQ(ds->CreateSoundBuffer(&d, b), DSERR_BADFORMAT) << f.wFormatTag;
        EXPECT_FALSE(b);
    }
    WAVEFORMATEX ok = pcm(1, 22050, 16);
    DSBUFFERDESC d = describe(&ok, 0);
    std::unique_ptr<DirectSoundBuffer> b;
    for (DWORD size : {0u, 3u, DSBSIZE_MAX + 1}) {
        d.dwBufferBytes = size;
        EXPECT_EQ(ds->CreateSoundBuffer(&d, b), DSERR_INVALIDPARAM) << size;
    }
    d.dwBufferBytes = 64;
    d.dwSize = 24;
    EXPECT_EQ(ds->CreateSoundBuffer(&d, b), DSERR_INVALIDPARAM);
    auto fresh = DirectSound::CreateOffline();
    d.dwSize = DSBUFFERDESC_SIZE;
    EXPECT_EQ(fresh->CreateSoundBuffer(&d, b), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(fresh->CreateSoundBuffer(nullptr, b), DSERR_INVALIDPARAM);
}

TEST_F(Mixer, VolumeAttenuatesByHundredthsOfADecibelOverlappingBuffersAddUpAndClip) {
    Bytes samples = s16(std::vector<int>(64, 20000));
    auto b = buffer(pcm(1, 22050, 16), samples);
    ASSERT_NE(b, nullptr);
    for (LONG volume : {0, -600, -2470, -4980, -10000}) {
        ASSERT_EQ(b->SetVolume(volume), DS_OK);
        ASSERT_EQ(b->SetCurrentPosition(0), DS_OK);
        ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
        std::vector<Frame> out = render(8);
        double expected = 20000 * std::pow(10.0, volume / 2000.0);
        EXPECT_NEAR(out[0].left, expected, 1.0) << volume;
        ASSERT_EQ(b->Stop(), DS_OK);
    }
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
    auto fixed = buffer(pcm(1, 22050, 16), samples, 0);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(fixed->SetFrequency(11025), DSERR_CONTROLUNAVAIL);
    auto a = buffer(pcm(1, 22050, 16), s16(std::vector<int>(16, 20000)));
    ASSERT_NE(a, nullptr);
    std::unique_ptr<DirectSoundBuffer> dup;
    ASSERT_EQ(ds->DuplicateSoundBuffer(a.get(), dup), DS_OK);
    auto c = buffer(pcm(2, 22050, 16), s16(std::vector<int>(32, -5000)));
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(a->Play(0, 0, 0), DS_OK);
    render(8);
    ASSERT_EQ(dup->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(c->Play(0, 0, 0), DS_OK);
    std::vector<Frame> out = render(16);
    EXPECT_EQ(out[0].left, 32767) << "20000 + 20000 - 5000 clips";
    EXPECT_EQ(out[8].left, 15000) << "the first has ended";
    EXPECT_EQ(status(*a), 0u);
    EXPECT_EQ(status(*dup), 0u);
}

TEST_F(Mixer, OtherRatesAreResampledLoopingPositionAndStop) {
    // 11025 samples a second: every input frame lasts two output frames.
    auto b = buffer(pcm(1, 11025, 16), s16({0, 1000, 2000, 3000}));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::vector<Frame> out = render(10);
    const int expected[] = {0, 500, 1000, 1500, 2000, 2500, 3000, 3000, 0, 0};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i].left, expected[i]) << i;
    // A frequency of its own overrides the file's rate; 0 goes back to it.
    ASSERT_EQ(b->SetFrequency(22050), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    out = render(5);
    EXPECT_EQ(out[3].left, 3000);
    EXPECT_EQ(out[4].left, 0);
    EXPECT_EQ(b->SetFrequency(50), DSERR_INVALIDPARAM);
    DWORD freq = 0;
    ASSERT_EQ(b->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    ASSERT_EQ(b->GetFrequency(&freq), DS_OK);
    EXPECT_EQ(freq, 11025u);
    auto loop = buffer(pcm(1, 22050, 16), s16({1, 2, 3, 4}));
    ASSERT_NE(loop, nullptr);
    ASSERT_EQ(loop->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    out = render(10);
    EXPECT_EQ(out[9].left, 2);
    DWORD play = 0, write = 0;
    EXPECT_EQ(status(*loop), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    ASSERT_EQ(loop->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 4u);
    ASSERT_EQ(loop->Stop(), DS_OK);
    EXPECT_EQ(render(1)[0].left, 0);
    ASSERT_EQ(loop->SetCurrentPosition(6), DS_OK);
    ASSERT_EQ(loop->Play(0, 0, 0), DS_OK);
    out = render(2);
    EXPECT_EQ(out[0].left, 4);
    EXPECT_EQ(out[1].left, 0);
    EXPECT_EQ(loop->SetCurrentPosition(8), DSERR_INVALIDPARAM);
}

TEST_F(Mixer, LockWrapsAroundUnlockWritesOnlyWhatItIsGivenLostBuffersComeBackSilent) {
    auto b = buffer(pcm(1, 22050, 8), Bytes{10, 11, 12, 13, 14, 15});
    ASSERT_NE(b, nullptr);
    void *p1, *p2;
    DWORD n1, n2;
    ASSERT_EQ(b->Lock(4, 4, &p1, &n1, &p2, &n2, 0), DS_OK);
    ASSERT_EQ(n1, 2u);
    ASSERT_EQ(n2, 2u);
    EXPECT_EQ(static_cast<std::uint8_t*>(p1)[0], 14);
    EXPECT_EQ(static_cast<std::uint8_t*>(p2)[1], 11);
    std::memset(p1, 99, 2);
    std::memset(p2, 98, 2);
    ASSERT_EQ(b->Unlock(p1, 2, p2, 1), DS_OK);
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    Bytes now(static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p1) + n1);
    EXPECT_EQ(now, (Bytes{98, 11, 12, 13, 99, 99}));
    EXPECT_EQ(b->Unlock(p1, 0, nullptr, 0), DS_OK);
    EXPECT_EQ(b->Unlock(p1, 0, nullptr, 0), DSERR_INVALIDPARAM) << "not locked";
    EXPECT_EQ(b->Lock(6, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 7, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    // A lock never unlocked does not block the next one.
    ASSERT_EQ(b->Lock(0, 2, &p1, &n1, &p2, &n2, 0), DS_OK);
    ASSERT_EQ(b->Lock(0, 2, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    auto lost = buffer(pcm(1, 22050, 8), Bytes{200, 200, 200, 200});
    ASSERT_NE(lost, nullptr);
    std::unique_ptr<DirectSoundBuffer> dup;
    ASSERT_EQ(ds->DuplicateSoundBuffer(lost.get(), dup), DS_OK);
    ASSERT_EQ(lost->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    lost->SimulateLoss(2);
    EXPECT_EQ(status(*dup), DSBSTATUS_BUFFERLOST) << "duplicates share the loss";
    EXPECT_EQ(lost->Play(0, 0, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(lost->Lock(0, 4, &p1, &n1, nullptr, nullptr, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(render(1)[0].left, 0);
    EXPECT_EQ(lost->Restore(), DSERR_BUFFERLOST);
    EXPECT_EQ(dup->Restore(), DSERR_BUFFERLOST);
    EXPECT_EQ(lost->Restore(), DS_OK);
    EXPECT_EQ(status(*dup), 0u);
    ASSERT_EQ(lost->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(render(1)[0].left, 0) << "the memory came back as silence (128 for 8 bits)";
}

TEST_F(Mixer, PrimaryBufferSetsTheOutputFormatAndMasterVolume) {
    DSBUFFERDESC d = describe(nullptr, 0, DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME);
    std::unique_ptr<DirectSoundBuffer> primary;
    ASSERT_EQ(ds->CreateSoundBuffer(&d, primary), DS_OK);
    WAVEFORMATEX mono8 = pcm(1, 22050, 8);
    ASSERT_EQ(primary->SetFormat(&mono8), DS_OK);
    auto b = buffer(pcm(2, 22050, 16), s16({16384, 0, 16384, 0}));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    std::uint8_t out[3];
    ds->Render(out, 3);
    EXPECT_EQ(out[0], 128 + 32) << "left and right averaged into one 8-bit channel";
    EXPECT_EQ(out[2], 128);
    ASSERT_EQ(primary->SetVolume(-10000), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    ds->Render(out, 1);
    EXPECT_EQ(out[0], 128);

    WAVEFORMATEX bad = pcm(2, 22050, 24);
    EXPECT_EQ(primary->SetFormat(&bad), DSERR_BADFORMAT);
    EXPECT_EQ(b->SetFormat(&mono8), DSERR_INVALIDCALL);
    ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_NORMAL), DS_OK);
    WAVEFORMATEX stereo = pcm(2, 22050, 16);
    EXPECT_EQ(primary->SetFormat(&stereo), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(ds->SetCooperativeLevel(nullptr, 9), DSERR_INVALIDPARAM);
    std::unique_ptr<DirectSoundBuffer> dup;
    EXPECT_EQ(ds->DuplicateSoundBuffer(primary.get(), dup), DSERR_INVALIDCALL);
}

} // namespace
