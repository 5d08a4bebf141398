// A program's main window started in the test's own process, headless, with scripted message
// boxes and file dialogs, and torn down while the platform still runs.
#pragma once

#include "grid/window/cell_grid.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/filedialog.h"

#include <QApplication>
#include <QMainWindow>

#include <memory>

using namespace tnv;

template <class App> struct RunningProgram {
    ScriptedMessageBox boxes;
    ScriptedFileDialog files;
    std::unique_ptr<App> app;

    RunningProgram() = default;
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    ~RunningProgram() { stop(); }

    // Starts `made` as the program; false when its start failed. Its first paint is still
    // queued: a test may change a cell before it.
    [[nodiscard]] bool start(std::unique_ptr<App> made) {
        app = std::move(made);
        return app->InitInstance();
    }
    // The windows go, and what they left queued runs, before the test's files do.
    void stop() {
        app.reset();
        QApplication::processEvents();
    }

    auto& frame() { return *app->frame(); }
    auto& view() { return *app->view(); }
    CCellGrid& grid() { return *app->view()->grid(); }
    QMainWindow* window() { return static_cast<QMainWindow*>(frame().nativeWindow()); }
};
