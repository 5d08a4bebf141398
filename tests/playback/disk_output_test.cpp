// End to end: sounds played through SDL's "disk" driver, which writes the output samples to a
// file in real time. Every test has its own output file; the sounds are short.
#include "editor/sound_cli.h"
#include "playback/sound_device.h"
#include "tests/playback/wav_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include <sys/stat.h>

using namespace tnv::cueline;

using namespace wavfixture;

namespace {

constexpr DWORD kPreviewFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

class DiskOutput : public WavFilesTest {
protected:
    void SetUp() override {
        output = dir.file("out.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    }
    void TearDown() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

    // The output file as 16-bit stereo frames, without the silence before the first sound.
    std::vector<Frame> captured() const {
        std::string raw = testsupport::readFile(output);
        auto frames = stereoFrames(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());
        auto first = std::find_if(frames.begin(), frames.end(),
                                  [](const Frame& f) { return f.left || f.right; });
        frames.erase(frames.begin(), first);
        return frames;
    }

    static void waitUntilQuiet(CSoundDevice& device, CSoundClip& clip) {
        (void)testsupport::waitUntil([&] { return !clip.isPlaying(); });
        device.directSound()->WaitForOutput(2000);
    }

    // How far the furthest of a clip's buffers has played, in bytes.
    static DWORD playedBytes(const CSoundClip& clip) {
        DWORD most = 0;
        for (DWORD i = 0; i < clip.count(); ++i) {
            DWORD played = 0;
            if (clip.buffer(i) && clip.buffer(i)->GetCurrentPosition(&played, nullptr) == DS_OK)
                most = std::max(most, played);
        }
        return most;
    }

    // Plays a file as the preview does, on `buffers` buffers of one clip, each started once the
    // one before has been heard for a twentieth of a second, and returns the captured output.
    std::vector<Frame> playOnce(const std::string& path, LONG volume, DWORD buffers = 1) {
        CSoundDevice device;
        EXPECT_EQ(device.start(nullptr, DSSCL_PRIORITY, 2, 22050, 16), S_OK);
        std::unique_ptr<CSoundClip> clip;
        EXPECT_EQ(device.createClip(path.c_str(), kPreviewFlags, DS3DALG_DEFAULT, buffers, clip),
                  S_OK);
        if (!clip)
            return {};
        EXPECT_EQ(clip->play(0, 0, volume, 0), S_OK);
        for (DWORD i = 1; i < buffers; ++i) {
            EXPECT_TRUE(
                testsupport::waitUntil([&] { return playedBytes(*clip) >= 22050 / 20 * 2; }));
            EXPECT_EQ(clip->play(0, 0, volume, 0), S_OK);
        }
        waitUntilQuiet(device, *clip);
        clip.reset();
        device.shutdown();
        return captured();
    }

    std::string output;
};

int patternAt(int i) {
    return 1000 + (i * 37) % 20000;
}

// Left a ramp that never touches 0, right its negative.
Bytes pattern(int frames) {
    std::vector<int> v;
    for (int i = 0; i < frames; ++i)
        v.insert(v.end(), {patternAt(i), -patternAt(i)});
    return s16(v);
}

// Full volume leaves the samples as they are and plays them once; 128 attenuates by 24.7 dB.
TEST_F(DiskOutput, VolumeAttenuatesByTheStatedAmount) {
    const int n = 2205; // 0.1 s
    for (auto [volume, gain, tolerance] :
         {std::tuple{255, 1.0, 0.0}, std::tuple{128, std::pow(10.0, -2470 / 2000.0), 1.0}}) {
        SCOPED_TRACE(volume);
        output = dir.file(std::to_string(volume) + ".raw"); // each its own output file
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        std::vector<Frame> out =
            playOnce(write(wav(pcm(2, 22050, 16), pattern(n)), "p.wav"), volume);
        ASSERT_GE(out.size(), static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            ASSERT_NEAR(out[i].left, patternAt(i) * gain, tolerance) << i;
            ASSERT_NEAR(out[i].right, -patternAt(i) * gain, tolerance) << i;
        }
        for (std::size_t i = n; volume == 255 && i < out.size(); ++i)
            ASSERT_EQ(out[i].left, 0) << "played once, then silence";
    }
}

TEST_F(DiskOutput, OtherFormatsArriveAsTheOutputFormat) {
    // 8-bit mono at 11025 samples a second: each sample becomes two 16-bit stereo frames.
    std::vector<Frame> out =
        playOnce(write(wav(pcm(1, 11025, 8), Bytes(1102, 0xC0)), "m.wav"), 255);
    std::size_t loud = std::count_if(
        out.begin(), out.end(), [](const Frame& f) { return f.left == 16384 && f.right == 16384; });
    EXPECT_NEAR(static_cast<double>(loud), 2204.0, 2.0);
}

TEST_F(DiskOutput, TwoBuffersOfOneClipPlayOverlapped) {
    std::string p = write(wav(pcm(1, 22050, 16), s16(std::vector<int>(11025, 3000))), "c.wav");
    std::vector<Frame> out = playOnce(p, 255, 2);
    auto count = [&](int v) {
        return std::count_if(out.begin(), out.end(), [v](const Frame& f) { return f.left == v; });
    };
    EXPECT_GT(count(6000), 2205) << "both at once for a good part of the half second";
    EXPECT_EQ(count(3000) + count(6000),
              static_cast<long>(std::count_if(out.begin(), out.end(),
                                              [](const Frame& f) { return f.left != 0; })));
}

TEST_F(DiskOutput, PlayHelperPlaysAndExplainsFailures) {
    const int n = 1000;
    std::string p = write(wav(pcm(2, 22050, 16), pattern(n)), "p.wav");
    std::ostringstream err;
    EXPECT_EQ(runPlay({p, "--volume", "255"}, err), 0) << err.str();
    std::vector<Frame> out = captured();
    ASSERT_GE(out.size(), static_cast<std::size_t>(n));
    EXPECT_EQ(out[n - 1].left, patternAt(n - 1));

    std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WAVEFORMATEX mp3 = withTag(pcm(1, 22050, 0), 0x55, 1); // MPEG layer 3: no decoder here
    WAVEFORMATEX adpcm = withTag(pcm(1, 22050, 4), WAVE_FORMAT_ADPCM, 256);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{dir.file("none.wav")}, 1, "no such file"},
        {{dir.mkdir("folder.wav")}, 1, "not a regular file"},
        {{fifo}, 1, "not a regular file"},
        {{write(Bytes{'R', 'I', 'F', 'F'}, "bad.wav")}, 1, "not a WAVE file"},
        {{write(wav(mp3, counting(256)), "mp3.wav")}, 1, "format tag 85"},
        {{write(wav(adpcm, counting(256)), "adpcm.wav")}, 1, "format tag 2) does not decode"},
        {{}, 2, "usage"},
        {{p, "--volume"}, 2, "0 to 255"},
        {{p, "--volume", "256"}, 2, "0 to 255"},
        {{p, "--volume", "-1"}, 2, "0 to 255"},
        {{p, p}, 2, "usage"},
    };
    for (const auto& c : cases) {
        std::ostringstream e;
        EXPECT_EQ(runPlay(c.args, e), c.status) << e.str();
        EXPECT_NE(e.str().find(c.says), std::string::npos) << e.str();
    }
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::ostringstream e;
    EXPECT_EQ(runPlay({p}, e), 3) << "not a usage error";
    EXPECT_NE(e.str().find("no sound device"), std::string::npos) << e.str();
    CSoundDevice device;
    EXPECT_LT(device.start(nullptr, DSSCL_PRIORITY, 2, 22050, 16), 0);
    std::unique_ptr<CSoundClip> clip;
    EXPECT_EQ(device.createClip("x.wav", kPreviewFlags, DS3DALG_DEFAULT, 1, clip),
              CO_E_NOTINITIALIZED);
}

} // namespace
