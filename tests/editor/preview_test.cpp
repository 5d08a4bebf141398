#include "preview_fixture.h"

#include <algorithm>

using namespace tnv;
using namespace tnv::cueline;

namespace {

int positives(const std::vector<std::int16_t>& s) {
    return int(std::count_if(s.begin(), s.end(), [](std::int16_t v) { return v > 0; }));
}
int negatives(const std::vector<std::int16_t>& s) {
    return int(std::count_if(s.begin(), s.end(), [](std::int16_t v) { return v < 0; }));
}

} // namespace

TEST_F(PreviewFixture, NameClickCopiesExactlyTheNameAndPlaysIt) {
    click(rowOf("b.wav"), 1);
    EXPECT_EQ(clipboard(), "b.wav");
    ASSERT_NE(view().preview().clip(), nullptr);
    EXPECT_EQ(view().preview().lastPath(), pack + "/b.wav");
    EXPECT_TRUE(view().preview().timerRunning());
    auto s = mix(2000);
    EXPECT_GT(negatives(s), 3000);
    EXPECT_EQ(positives(s), 0);
}

TEST_F(PreviewFixture, CompressedRecordingPlaysLikeAnyOther) {
    if (testsupport::runCommand("command -v sox >/dev/null") != 0)
        GTEST_SKIP() << "sox is not installed";
    // Recorded again by another tool, as IMA ADPCM.
    ASSERT_EQ(testsupport::runCommand("cd '" + pack +
                                      "' && sox b.wav -e ima-adpcm b2.wav && mv b2.wav b.wav"),
              0);
    click(rowOf("b.wav"), 1);
    EXPECT_EQ(clipboard(), "b.wav");
    ASSERT_NE(view().preview().clip(), nullptr);
    auto s = mix(2000);
    EXPECT_GT(negatives(s), 3000);
    EXPECT_EQ(positives(s), 0);
}

TEST_F(PreviewFixture, RowNumberPlaysTheSameSoundAsTheName) {
    int row = rowOf("a.wav");
    click(row, 0);
    EXPECT_EQ(clipboard(), "a.wav");
    std::string byNumber = view().preview().lastPath();
    EXPECT_GT(positives(mix(500)), 500);
    click(row, 1);
    EXPECT_EQ(view().preview().lastPath(), byNumber);
}

TEST_F(PreviewFixture, TextCellNeitherPlaysNorCopies) {
    click(rowOf("a.wav"), 2);
    EXPECT_EQ(clipboard(), "before");
    EXPECT_EQ(view().preview().clip(), nullptr);
    EXPECT_FALSE(view().preview().timerRunning());
}

TEST_F(PreviewFixture, SecondClickStopsTheFirstSound) {
    click(rowOf("a.wav"), 1);
    click(rowOf("b.wav"), 1);
    auto s = mix(4000);
    EXPECT_EQ(positives(s), 0) << "a.wav still heard";
    EXPECT_GT(negatives(s), 7000);
}

TEST_F(PreviewFixture, FinishedSoundIsFreedByTheTimer) {
    click(rowOf("c.wav"), 1);
    ASSERT_NE(view().preview().clip(), nullptr);
    mix(4000); // plays the 2000 frames to their end
    EXPECT_TRUE(WndApp::WaitUntil([&] { return !view().preview().timerRunning(); }, 2000));
    EXPECT_EQ(view().preview().clip(), nullptr);
}

TEST_F(PreviewFixture, MissingWavStillCopiesAndTheFirstTickStopsTheTimer) {
    click(rowOf("missing.wav"), 1);
    EXPECT_EQ(clipboard(), "missing.wav");
    EXPECT_EQ(view().preview().clip(), nullptr);
    EXPECT_TRUE(view().preview().timerRunning());
    EXPECT_TRUE(WndApp::WaitUntil([&] { return !view().preview().timerRunning(); }, 2000));
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(PreviewFixture, WithoutSoundDeviceTheCopyStillWorksSilently) {
    view().preview().setDevice(nullptr);
    click(rowOf("a.wav"), 1);
    EXPECT_EQ(clipboard(), "a.wav");
    EXPECT_EQ(view().preview().clip(), nullptr);
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(PreviewFixture, PathOverTheSoundLayersLimitIsRefused) {
    PreviewSlot slot;
    slot.setDevice(&offline);
    std::string folder(250, 'f');
    slot.previewSound(folder, "a.wav"); // 256 characters with the separator
    EXPECT_EQ(slot.lastPath(), "");
    EXPECT_EQ(slot.clip(), nullptr);
    EXPECT_EQ(clipboard(), "a.wav");
    slot.previewSound(pack, "a.wav");
    EXPECT_NE(slot.clip(), nullptr);
}
