#include "editor/sound_cli.h"
#include "tests/playback/wav_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tnv::cueline;

using namespace wavfixture;

namespace {

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream ss(line);
    std::string f;
    while (std::getline(ss, f, '\t'))
        out.push_back(f);
    return out;
}

std::string soxi(const std::string& flag, const std::string& path) {
    std::string out;
    testsupport::runCommand("soxi " + flag + " '" + path + "' 2>/dev/null", &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

using WavInfo = WavFilesTest;

TEST_F(WavInfo, AgreesWithSoxi) {
    if (testsupport::runCommand("command -v sox >/dev/null && command -v soxi >/dev/null") != 0)
        GTEST_SKIP() << "sox is not installed";
    const struct {
        const char* name;
        const char* soxArgs;
        bool pcm;
    } cases[] = {
        {"m8.wav", "-r 22050 -b 8 -c 1", true},
        {"s16.wav", "-r 44100 -b 16 -c 2", true},
        {"s16_48k.wav", "-r 48000 -b 16 -c 2", true},
        {"list.wav", nullptr, true}, // LIST chunks before "fmt " and before "data"
        {"s24.wav", "-r 48000 -b 24 -c 1", true},
        {"f32.wav", "-r 44100 -e floating-point -b 32 -c 2", false},
        {"adpcm.wav", "-r 22050 -e ms-adpcm -c 1", false},
    };
    std::vector<std::string> files;
    for (const auto& c : cases) {
        files.push_back(dir.file(c.name));
        if (!c.soxArgs) {
            write(riff({listChunk("recorded by the first officer"), fmtChunk(pcm(2, 48000, 16)),
                        listChunk("odd"), dataChunk(counting(4800))}),
                  c.name);
            continue;
        }
        std::string sox = std::string("sox -n ") + c.soxArgs + " '" + files.back() + "' synth 0.05";
        ASSERT_EQ(testsupport::runCommand(sox + " sine 440"), 0) << c.name;
    }
    std::ostringstream out, err;
    ASSERT_EQ(runWavInfo(files, out, err), 0) << err.str();
    std::stringstream lines(out.str());
    std::string line;
    for (std::size_t i = 0; i < files.size(); ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        std::vector<std::string> f = fields(line);
        ASSERT_EQ(f.size(), 8u) << line;
        SCOPED_TRACE(line);
        EXPECT_EQ(f[0], files[i]);
        EXPECT_EQ(f[1], "00000000");
        EXPECT_EQ(f[3], soxi("-c", files[i]));
        EXPECT_EQ(f[4], soxi("-r", files[i]));
        EXPECT_EQ(f[5], soxi("-b", files[i]));
        if (cases[i].pcm) {
            EXPECT_EQ(std::stoul(f[7]), std::stoul(soxi("-s", files[i])) * std::stoul(f[6]));
        }
    }
    EXPECT_FALSE(std::getline(lines, line));
}

TEST_F(WavInfo, FailedFilesAndExitStatus) {
    std::string good = write(
        riff({listChunk("before fmt"), fmtChunk(pcm(2, 22050, 16)), dataChunk(counting(40))}));
    std::string bad = write({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'X'}, "b.wav");
    std::ostringstream out, err;
    EXPECT_EQ(runWavInfo({good, bad, dir.file("none.wav")}, out, err), 1);
    EXPECT_EQ(out.str(), good + "\t00000000\t1\t2\t22050\t16\t4\t40\n" + bad + "\t80004005\n" +
                             dir.file("none.wav") + "\t80004005\n");
    std::ostringstream out2, err2;
    EXPECT_EQ(runWavInfo({}, out2, err2), 2);
    EXPECT_EQ(out2.str(), "");
    EXPECT_NE(err2.str().find("usage"), std::string::npos);
}

} // namespace
