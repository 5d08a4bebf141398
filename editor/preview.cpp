#include "editor/preview.h"

#include "platform/base/fs.h"
#include "platform/window/clipboard.h"
#include "platform/window/wnd.h"
#include "playback/sound_device.h"

namespace tnv::cueline {

namespace {

// Buffer flags of the preview's clip: frequency, pan and volume control, then without pan for a
// device that refuses it.
constexpr DWORD kFlagsWithPan = 0xE0;
constexpr DWORD kFlagsNoPan = 0xA0;
constexpr LONG kFullVolume = 255;

} // namespace

PreviewSlot::PreviewSlot() = default;

PreviewSlot::~PreviewSlot() {
    freeClip();
}

void PreviewSlot::freeClip() {
    if (!clip_)
        return;
    clip_->stop();
    clip_->rewind();
    clip_.reset();
}

void PreviewSlot::previewSound(const std::string& folder, const std::string& name) {
    // A failed copy (no clipboard) does not keep the sound from playing.
    SetClipboardText8(name);

    freeClip();
    std::string path = folder + fsx::kSeparator + name;
    lastPath_.clear();
    if (path.size() <= kMaxSoundPath) {
        lastPath_ = path;
        if (device_) {
            if (FAILED(device_->createClip(path.c_str(), kFlagsWithPan, DS3DALG_DEFAULT, 1, clip_)))
                device_->createClip(path.c_str(), kFlagsNoPan, DS3DALG_DEFAULT, 1, clip_);
        }
    }
    if (clip_)
        clip_->play(0, 0, kFullVolume, 0);
    if (timerWindow_)
        timerRunning_ = timerWindow_->SetTimer(kPreviewTimerId, kPreviewPeriodMs) != 0;
}

void PreviewSlot::onTimer() {
    if (clip_ && clip_->isPlaying())
        return;
    freeClip();
    if (timerWindow_)
        timerWindow_->KillTimer(kPreviewTimerId);
    timerRunning_ = false;
}

void PreviewSlot::release() {
    freeClip();
    if (timerWindow_)
        timerWindow_->KillTimer(kPreviewTimerId);
    timerRunning_ = false;
}

} // namespace tnv::cueline
