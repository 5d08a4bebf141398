// Ctrl+C (SIGINT) and SIGTERM for a program with windows: taken as the desktop's request to close,
// so that whatever asks before closing (unsaved texts) asks here too.
#pragma once

namespace tnv {

class CloseOnSignals {
public:
    // While the object lives, each signal closes the dialog that is open, as its close box would,
    // and then the program's windows, on the event loop; the watch starts with the application
    // when that is made later. When every window closed that way the event loop ends with
    // 128 + the signal's number. Signals the program was started with ignored stay ignored.
    // `active` false does nothing (a program that shows no window keeps the default handling).
    explicit CloseOnSignals(bool active = true);
    ~CloseOnSignals();
    CloseOnSignals(const CloseOnSignals&) = delete;
    CloseOnSignals& operator=(const CloseOnSignals&) = delete;

    // The signal whose close request closed the last window, 0 when none did.
    static int ClosedBy();
    // 128 + ClosedBy() when a signal closed the windows, else `status`.
    static int ExitStatus(int status);

private:
    bool owns_ = false;
};

} // namespace tnv
