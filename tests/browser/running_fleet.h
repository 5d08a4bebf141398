// The browser started from the add-on's bin folder of a fresh simulator, with scripted message
// boxes and file dialogs, for the tests of its real window.
#pragma once

#include "browser/fleet_shell.h"
#include "grid/window/cell_grid.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/filedialog.h"
#include "tests/browser/fleet_fixture.h"

#include <QApplication>

#include <memory>

using namespace tnv;
using namespace tnv::fleet;

struct Running {
    FleetSim sim;
    FleetState state;
    FleetOptions options;
    SimulatorChoice choice; // what the window asks before it shows
    ScriptedMessageBox boxes;
    ScriptedFileDialog files;
    std::unique_ptr<CFleetValuerApp> app;

    explicit Running(void (*setUp)(const FleetSim&) = addMixedFleet) {
        setUp(sim);
        state.programPath = sim.programPath();
    }
    ~Running() {
        app.reset();
        QApplication::processEvents();
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    // Starts the program; false when its start failed.
    template <class App = CFleetValuerApp> [[nodiscard]] bool start() {
        app = std::make_unique<App>(state, options);
        app->SetSimulatorChoice(choice);
        bool started = app->InitInstance();
        QApplication::processEvents();
        return started;
    }
    CMainFrame& frame() { return *app->frame(); }
    CCellGrid& grid() { return *app->view()->grid(); }
};
