// The editor's command-line helpers for pack authors: check recordings and the sound set-up
// without opening the window.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tnv::cueline {

// --wav-info FILE...: one line per file,
// FILE TAB RESULT TAB TAG TAB CHANNELS TAB RATE TAB BITS TAB BLOCKALIGN TAB DATABYTES
// (only FILE and RESULT when the file did not open). 0 when every file opened, 1 when one did
// not, 2 when no file was named.
int runWavInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

// --play FILE [--volume N]: plays the file once as the editor's preview does. 0 when played,
// 1 when the sound could not be made or played, 2 on a usage error, 3 without a sound device.
int runPlay(const std::vector<std::string>& args, std::ostream& err);

// Runs the helper that argv[1] names; nothing when it names neither.
std::optional<int> runSoundCommand(int argc, char** argv);

} // namespace tnv::cueline
