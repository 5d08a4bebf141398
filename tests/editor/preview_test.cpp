#include "preview_fixture.h"

#include <algorithm>

namespace {

int ofSign(const std::vector<std::int16_t>& s, int sign) {
    return int(std::count_if(s.begin(), s.end(), [sign](std::int16_t v) { return v * sign > 0; }));
}

} // namespace

// A click on a sound's name or number copies the name and plays the sound until it ends or
// another click; a click on a text does neither. a.wav sounds positive, b.wav negative.
TEST_F(PreviewFixture, ClicksCopyTheNameAndPlayTheSound) {
    struct Click {
        const char* name;
        int col;
    };
    struct Case {
        const char* name;
        bool device;
        std::vector<Click> clicks;
        std::string copied, played; // played: the file last given to the sound layer
        bool clip;
        int timer;  // -1: not looked at
        int frames; // mixed afterwards
        int heard;  // the sign of every sample heard; 0: not looked at
        bool ends;  // the timer then stops by itself and frees the clip
    } cases[] = {
        {"a name", true, {{"b.wav", 1}}, "b.wav", "b.wav", true, 1, 2000, -1, false},
        {"a row number", true, {{"a.wav", 0}}, "a.wav", "a.wav", true, 1, 500, 1, false},
        {"a text", true, {{"a.wav", 2}}, "before", "", false, 0, 0, 0, false},
        {"names", true, {{"a.wav", 1}, {"b.wav", 1}}, "b.wav", "b.wav", true, 1, 4000, -1, false},
        {"a short sound", true, {{"c.wav", 1}}, "c.wav", "c.wav", true, 1, 4000, 0, true},
        {"a missing sound", true, {{"missing.wav", 1}}, "missing.wav", "", false, 1, 0, 0, true},
        {"no sound device", false, {{"a.wav", 1}}, "a.wav", "", false, -1, 0, 0, false},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!std::exchange(first, false)) {
            TearDown();
            ASSERT_NO_FATAL_FAILURE(SetUp());
        }
        if (!c.device)
            view().preview().setDevice(nullptr);
        for (const Click& k : c.clicks)
            click(rowOf(k.name), k.col);
        EXPECT_EQ(clipboard(), c.copied);
        EXPECT_TRUE(c.played.empty() || view().preview().lastPath() == pack + "/" + c.played)
            << view().preview().lastPath();
        EXPECT_EQ(view().preview().clip() != nullptr, c.clip);
        EXPECT_TRUE(c.timer < 0 || view().preview().timerRunning() == (c.timer == 1));
        auto s = mix(c.frames);
        int same = ofSign(s, c.heard), other = ofSign(s, -c.heard);
        EXPECT_TRUE(c.heard == 0 || (same > c.frames * 7 / 4 && other == 0))
            << same << " " << other;
        if (c.ends) {
            EXPECT_TRUE(
                testsupport::waitUntil([&] { return !view().preview().timerRunning(); }, 2000));
            EXPECT_EQ(view().preview().clip(), nullptr);
        }
        EXPECT_TRUE(boxes.calls().empty());
    }
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
