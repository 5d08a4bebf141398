// The GUI application the windows live in, for demos and tests: starts Qt's application when
// none runs yet, turns the event loop, and waits for conditions that depend on queued messages.
#pragma once

#include <functional>
#include <string>

class WndApp {
public:
    // Uses the running application, or starts one (QT_QPA_PLATFORM decides where it shows).
    WndApp(int& argc, char** argv);
    ~WndApp();
    WndApp(const WndApp&) = delete;
    WndApp& operator=(const WndApp&) = delete;

    int Run(); // the message loop, until the last window closes
    static void Quit();
    // Delivers queued messages, timers and pending deletions, without waiting.
    static void ProcessEvents();
    // Turns the loop until `done` is true or `timeoutMs` passed; returns `done()`.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // False when the platform shows nothing (offscreen, minimal).
    static bool HasDisplay();

private:
    bool owns_ = false;
};

// Ties the program's windows to its desktop entry: Wayland's app_id and X11's WM_CLASS class
// become `desktopId` (the entry's file name without ".desktop"), so docks and window switchers
// show the entry's icon and group the windows under its launcher. Call it once the application
// runs and before the first window is made.
void SetDesktopIdentity(const std::string& desktopId);
