// The GUI application the windows live in, the one of every program (RunApplication runs a
// CWinApp on it; the uninstaller's dialog and the demos use it as it is) and of the tests:
// starts Qt's application when none runs yet, turns the event loop, and waits for conditions
// that depend on queued messages.
#pragma once

#include <functional>
#include <string>

namespace tnv {

class WndApp {
public:
    // Uses the running application, or starts one (QT_QPA_PLATFORM decides where it shows).
    // Its windows belong to the desktop entry `desktopId` when one is given (SetDesktopIdentity).
    WndApp(int& argc, char** argv, const std::string& desktopId = {});
    ~WndApp();
    WndApp(const WndApp&) = delete;
    WndApp& operator=(const WndApp&) = delete;

    int Run(); // the message loop, until the last window closes
    static void Quit();
    // Delivers queued messages, timers and pending deletions, without waiting.
    static void ProcessEvents();
    // Turns the loop until `done` is true or `timeoutMs` passed; returns `done()`.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // True when windows can be opened here: a display, or a platform named in QT_QPA_PLATFORM
    // (offscreen, say). Without, a program says so and ends rather than fail to start.
    static bool CanShowWindows();

private:
    bool owns_ = false;
};

// Ties the program's windows to its desktop entry: Wayland's app_id and X11's WM_CLASS class
// become `desktopId` (the entry's file name without ".desktop"), so docks and window switchers
// show the entry's icon and group the windows under its launcher. Call it once the application
// runs and before the first window is made.
void SetDesktopIdentity(const std::string& desktopId);

} // namespace tnv
