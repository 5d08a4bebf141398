// "Why is my aircraft not listed?": the start-up scan run once more with an observer that tells,
// for every folder of the Aircraft folder, what became of it.
#pragma once

#include "browser/fleet_table.h"

#include <cstdio>

namespace tnv::fleet {

// The keyword list and the scan as at start-up, one line per outcome written to `out`:
// FOLDER, tab, "listed", tab, TITLE for each title a folder gave, or FOLDER, tab, "left out",
// tab and the reason. False when a line could not be written.
bool ExplainScan(FleetState& state, std::FILE* out);

// FleetValuer --explain: the lines on standard output. Returns the exit status: 0, or 1 with the
// reason on standard error when there is no aircraft folder or the lines cannot be written.
int ExplainFleet(FleetState& state);

} // namespace tnv::fleet
