// A home for the browser started outside any simulator: Wine's prefix holds a simulator without
// the add-on and `addons` with it, each with one aircraft ("Plane 0", "Plane 1"...).
#pragma once

#include "tests/finder/fake_home.h"
#include "tests/support/sim_folder.h"

using namespace tnv;

struct OutsideHome {
    fakehome::Home h;
    std::vector<std::string> sims; // with the add-on

    explicit OutsideHome(int addons) {
        h.prefix(".wine");
        h.sim(".wine/drive_c/Plain");
        for (int i = 0; i < addons; ++i) {
            std::string rel = ".wine/drive_c/Sim" + std::to_string(i);
            sims.push_back(h.sim(rel, true));
            h.file(rel + "/Aircraft/plane/aircraft.cfg",
                   testsupport::aircraftCfgText("Plane " + std::to_string(i), 1500, 0, 1));
        }
    }
    [[nodiscard]] bool keep(int i) {
        return finder::KeepChoice(h.options().env, sims[std::size_t(i)], nullptr);
    }
    // Where the program lies: a bin folder in no simulator.
    std::string programPath() const { return h.at("bin/FleetValuer"); }
    // A shell command's start that runs it in this home.
    std::string env() const {
        return "env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u WINEPREFIX HOME='" + h.home + "' ";
    }
};
