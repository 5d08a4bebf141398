// The browser started from the add-on's bin folder of a fresh simulator, with scripted message
// boxes and file dialogs, for the tests of its real window.
#pragma once

#include "browser/fleet_shell.h"
#include "tests/browser/fleet_fixture.h"
#include "tests/support/running_program.h"

#include <memory>

struct Running : RunningProgram<CFleetValuerApp> {
    FleetSim sim;
    FleetState state;
    FleetOptions options;
    SimulatorChoice choice; // what the window asks before it shows

    explicit Running(void (*setUp)(const FleetSim&) = addMixedFleet) {
        setUp(sim);
        state.programPath = sim.programPath();
    }
    ~Running() { stop(); } // before the simulator's folder goes
    // Starts the program; false when its start failed.
    template <class App = CFleetValuerApp> [[nodiscard]] bool start() {
        auto made = std::make_unique<App>(state, options);
        made->SetSimulatorChoice(choice);
        bool started = RunningProgram::start(std::move(made));
        QApplication::processEvents();
        return started;
    }
};
