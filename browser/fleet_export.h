// The table written out without a window: the start-up loading and the redraw into a grid that
// never gets a window, then its rows as CSV.
#pragma once

#include "browser/fleet_table.h"

#include <string>

namespace tnv::fleet {

// The table as CSV after the start-up sequence, in UTF-8 with `utf8` (see GridToCsv). `path` "-"
// is standard output. Returns the exit status: 0, or 1 (with the reason on standard error) when
// the file cannot be written.
int ExportFleet(FleetState& state, const std::string& path, bool utf8 = false);

// Writes `bytes` to a file: a regular file (or a new one) is replaced only once every byte is
// written; anything else (a pipe, a device) is written directly. False with `error` set.
bool WriteExport(const std::string& diskPath, const std::string& bytes, std::string* error);

} // namespace tnv::fleet
