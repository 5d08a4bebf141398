// A simulator folder with the add-on's folder, settings and aircraft, for the table and window
// tests.
#pragma once

#include "browser/fleet_table.h"
#include "tests/support/test_support.h"

#include <cstdint>
#include <cstring>
#include <string>

inline std::string aircraftCfgText(const std::string& title, int weight, int engineType,
                                   int engines, const std::string& moreTitles = "") {
    std::string s = "[fltsim.0]\ntitle=" + title + "\n" + moreTitles +
                    "[GeneralEngineData]\nengine_type=" + std::to_string(engineType) + "\n";
    for (int i = 0; i < engines; ++i)
        s += "Engine." + std::to_string(i) + "=0,0,0\n";
    return s + "[WEIGHT_AND_BALANCE]\nempty_weight=" + std::to_string(weight) + "\n";
}

struct FleetSim {
    testsupport::TempDir dir;
    std::string base;
    FleetSim() { base = dir.mkdir("Sim/Tarnavel"); }

    void aircraft(const std::string& folder, const std::string& text) const {
        testsupport::writeFile(dir.mkdir("Sim/Aircraft/" + folder) + "/aircraft.cfg", text);
    }
    void settings(const std::string& currency, std::int32_t unitFlag) const {
        std::string block(1265, '\0');
        std::memcpy(block.data() + 285, currency.data(), currency.size());
        std::memcpy(block.data() + 503, &unitFlag, 4);
        testsupport::writeFile(dir.mkdir("Sim/Tarnavel/config") + "/config.cfg", block);
    }
    void currencies(const std::string& text) const {
        testsupport::writeFile(dir.mkdir("Sim/Tarnavel/config") + "/money_currency.cfg", text);
    }
    void keywords(const std::string& text) const {
        testsupport::writeFile(dir.mkdir("Sim/Tarnavel/bin") + "/FleetScout.txt", text);
    }
    // The program's path as if it were installed in the add-on's bin folder.
    std::string programPath() const { return base + "/bin/FleetValuer"; }
};

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
