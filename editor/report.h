// The crew pack report: the pack loaded exactly as the editor loads it, one line per sound.
#pragma once

#include <string>

namespace tnv::cueline {

// Prints the report of the pack at `path` (a crew-pack folder, or a file in it) to stdout.
// Returns the exit status: 0, or 1 when the pack's text file cannot be read.
int runReport(const std::string& path);

} // namespace tnv::cueline
