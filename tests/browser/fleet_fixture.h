// The simulator of the table and window tests, and the fleet most of them start on.
#pragma once

#include "browser/fleet_table.h"
#include "tests/support/sim_folder.h"

#include <filesystem>

using namespace tnv;
using namespace tnv::fleet;

using FleetSim = testsupport::SimFolder;
using testsupport::aircraftCfgText;

inline const char* const kCsvHeader =
    "Rank,Aircraft Name,Type,Empty Weight,Aircraft Price,Fs2004 Aircraft Folder\n";

inline std::string fleetValuer() {
    return std::filesystem::absolute(testsupport::binDir() + "/FleetValuer").string();
}

// Eight aircraft of every class and both sides of the rank and weight boundaries.
inline void addMixedFleet(const FleetSim& sim) {
    sim.aircraft("a_cub", aircraftCfgText("Cub", 820, 0, 1));
    sim.aircraft("b_twin", aircraftCfgText("Baron", 3380, 0, 2));
    sim.aircraft("c_caravan", aircraftCfgText("Caravan", 4575, 5, 1));
    sim.aircraft("d_kingair", aircraftCfgText("King Air", 9999, 5, 2));
    sim.aircraft("e_bizjet", aircraftCfgText("Bizjet", 10000, 1, 2));
    sim.aircraft("f_jumbo", aircraftCfgText("Jumbo", 398000, 1, 4));
    sim.aircraft("g_single_jet", aircraftCfgText("Single jet", 11, 1, 1));
    sim.aircraft("h_bigcub", aircraftCfgText("big Cub", 3310, 0, 1));
}
