// The desktop shell as the programs use it: open a document with the user's program for its type,
// start a script that runs on its own after the program has gone, and the special folders (the
// applications menu, the temporary folder). No Qt: the desktop is reached through xdg-open.
// Paths are disk paths (as fsx::resolve returns them).
#pragma once

#include <string>
#include <vector>

namespace shell {

// Opens `path` with the program the user has chosen for its type (xdg-open), shown normally, and
// returns without waiting for that program. False, with a one-line reason in `error`, when the
// file does not exist, no program is set for its type, the launcher fails or is not installed.
// A launcher still running after `waitMs` milliseconds has started the program: success.
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
