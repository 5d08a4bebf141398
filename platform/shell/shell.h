// The desktop shell as the programs use it: open a document with the user's program for its type,
// start a script that runs on its own after the program has gone, and the special folders (the
// applications menu, the temporary folder). No Qt: the desktop is reached through xdg-open.
// Paths are disk paths (as fsx::resolve returns them).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tnv {

namespace shell {

// The launcher of a document started by StartOpenDocument, running on its own; its verdict (the
// exit status) comes later. Dropping the watch leaves the launcher running.
class PendingOpen {
public:
    PendingOpen(int fd, std::string shownPath);
    ~PendingOpen();
    PendingOpen(const PendingOpen&) = delete;
    PendingOpen& operator=(const PendingOpen&) = delete;
    // Becomes readable when the verdict is in; -1 once it has been read.
    int fd() const { return fd_; }
    // Waits up to `waitMs` (0: not at all) for the verdict: nothing while the launcher still
    // runs; then true, or false with the one-line reason in `error`. The same answer after.
    std::optional<bool> check(std::string* error = nullptr, int waitMs = 0);

private:
    int fd_;
    std::string shown_;
    std::optional<bool> done_;
    std::string why_;
};

// Starts the launcher (xdg-open) on `path`, detached and hidden, and returns at once. False with
// a one-line reason in `error` when it cannot be started: the file does not exist, the launcher
// is not installed, the system refuses a process. Otherwise `pending` (when given) watches for
// what only the launcher's exit can tell: no program set for the type, a program that failed.
bool StartOpenDocument(const std::string& path, std::string* error = nullptr,
                       std::unique_ptr<PendingOpen>* pending = nullptr);

// Opens `path` with the program the user has chosen for its type (xdg-open), shown normally,
// waiting at most `waitMs` milliseconds for the launcher. False, with a one-line reason in
// `error`, when the file does not exist, no program is set for its type, the launcher fails or is
// not installed. A launcher still running after `waitMs` has started the program: success.
bool OpenDocument(const std::string& path, std::string* error = nullptr, int waitMs = 2000);

// OpenDocument, and on failure the shell's own message box (error icon, OK), titled "Open", is all
// the user sees. Returns what OpenDocument returned.
bool OpenDocumentOrTell(const std::string& path);

// Starts `argv` (argv[0] a path or a name found through PATH) detached and hidden: in a session
// and process group of its own, with no terminal, its input from /dev/null and its output
// discarded, no file of ours left open in it, and no longer our child, so it outlives the program.
// False with a reason in `error` when it cannot be started (the program cannot be run, say).
bool StartDetached(const std::vector<std::string>& argv, std::string* error = nullptr);

// Where the desktop's menu entries live: $XDG_DATA_HOME/applications when XDG_DATA_HOME is an
// absolute path, else <home>/.local/share/applications. Empty when no home folder is known.
// No separator at the end.
std::string ApplicationsFolder();

// The folder for temporary files: $TMPDIR when set and not empty, else /tmp. No separator at the
// end (except for "/" itself).
std::string TempFolder();

} // namespace shell

} // namespace tnv
