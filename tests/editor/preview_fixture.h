// The editor on a pack of real WAV files, its preview playing on an offline sound device whose
// mix the tests read.
#pragma once

#include "platform/sound/audio.h"
#include "platform/window/wnd_app.h"
#include "playback/sound_device.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/sim_tree.h"
#include "tests/support/wnd_events.h"

#include <QApplication>
#include <QClipboard>

#include <cstdint>
#include <vector>

// A mono 16-bit PCM WAV at 22050 Hz of `frames` samples, all `value`.
inline std::string pcmWav(std::int16_t value, int frames) {
    return simtree::PcmWav(std::vector<std::int16_t>(static_cast<std::size_t>(frames), value));
}

struct PreviewFixture : EditorFixture {
    CSoundDevice offline;

    void SetUp() override {
        EditorFixture::SetUp();
        // a.wav sounds positive, b.wav negative, c.wav is unlisted.
        testsupport::writeFile(pack + "/a.wav", pcmWav(8000, 22050));
        testsupport::writeFile(pack + "/b.wav", pcmWav(-8000, 22050));
        testsupport::writeFile(pack + "/c.wav", pcmWav(100, 2000));
        ASSERT_TRUE(startOnPack());
        ASSERT_EQ(
            offline.startWith(DirectSound::CreateOffline(), nullptr, DSSCL_PRIORITY, 2, 22050, 16),
            S_OK);
        view().preview().setDevice(&offline);
        QApplication::clipboard()->setText("before");
    }
    void TearDown() override {
        view().preview().release();
        view().preview().setDevice(nullptr);
        EditorFixture::TearDown();
    }

    int rowOf(const std::string& name) {
        for (int r = 0; r < grid().GetNumRows(); ++r)
            if (grid().GetCellText(r, 1) == name)
                return r;
        ADD_FAILURE() << name << " not listed";
        return 0;
    }
    void click(int row, int col) {
        wndevents::Press(grid(), at(row, col));
        wndevents::Release(grid(), at(row, col));
    }
    std::string clipboard() { return QApplication::clipboard()->text().toStdString(); }
    // The next `frames` stereo frames of the mix.
    std::vector<std::int16_t> mix(int frames) {
        std::vector<std::int16_t> out(std::size_t(frames) * 2);
        offline.directSound()->Render(out.data(), DWORD(frames));
        return out;
    }
};
