// The sound preview: pressing a row's number or file name puts the name on the clipboard and
// plays the row's WAV once. One preview plays at a time; a timer on the view frees the sound
// when it has finished.
#pragma once

#include "platform/base/types.h"

#include <memory>
#include <string>

namespace tnv {
class CSoundClip;
class CSoundDevice;
class CWnd;
} // namespace tnv

namespace tnv::cueline {

constexpr UINT kPreviewTimerId = 1;
constexpr UINT kPreviewPeriodMs = 100;

class PreviewSlot {
public:
    PreviewSlot();
    ~PreviewSlot();
    PreviewSlot(const PreviewSlot&) = delete;
    PreviewSlot& operator=(const PreviewSlot&) = delete;

    // The device to play on; null: the preview only copies names.
    void setDevice(CSoundDevice* device) { device_ = device; }
    // The window whose timer 1 watches the sound.
    void setTimerWindow(CWnd* window) { timerWindow_ = window; }

    // Copies the name to the clipboard, stops what plays, loads and plays `folder`/`name`, and
    // (re)starts the timer. A path the sound layer cannot take (over 255 characters) plays
    // nothing.
    void previewSound(const std::string& folder, const std::string& name);
    // The timer's tick: frees the sound once it has finished and stops the timer.
    void onTimer();
    // Stops and frees the sound at once (the view goes away).
    void release();

    CSoundClip* clip() const { return clip_.get(); }
    bool timerRunning() const { return timerRunning_; }
    // The path of the last sound asked for; empty when it was refused.
    const std::string& lastPath() const { return lastPath_; }

private:
    void freeClip();

    CSoundDevice* device_ = nullptr;
    CWnd* timerWindow_ = nullptr;
    std::unique_ptr<CSoundClip> clip_;
    std::string lastPath_;
    bool timerRunning_ = false;
};

} // namespace tnv::cueline
