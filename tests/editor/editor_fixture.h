// The editor's real window, headless, on a crew pack laid out in a temporary folder, with
// scripted message boxes and open-file dialog.
#pragma once

#include "editor/cueline_shell.h"
#include "grid/window/cell_grid.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/filedialog.h"
#include "platform/frame/settings.h"
#include "resources/editor/cueline_resources.h"

#include <QApplication>
#include <QMainWindow>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/crew_pack.h"
#include "tests/support/test_support.h"

using namespace tnv;
using namespace tnv::cueline;

// The demo-like pack: three listed sounds (one missing on disk) and one unlisted WAV.
inline const char* const kPackText = "a.wav;Hello\r\nb.wav;50% done\r\nmissing.wav;Gone\r\n";

struct EditorFixture : ::testing::Test {
    testsupport::TempDir dir;
    std::string pack;
    ScriptedMessageBox boxes;
    ScriptedFileDialog files;
    std::unique_ptr<CCueLineApp> app;
    std::string openFolder; // where File, Open starts without a pack; empty: the program's

    void SetUp() override { pack = makePack("Pack", kPackText, {"a.wav", "b.wav", "c.wav"}); }
    void TearDown() override {
        app.reset();
        QApplication::processEvents();
    }

    // The crew pack `name` in the test's folder; returns its folder.
    std::string makePack(const std::string& name, const std::string& text,
                         const std::vector<std::string>& wavs) {
        testsupport::writeCrewPack(dir.file(name), text, wavs);
        return dir.file(name);
    }

    virtual std::unique_ptr<CCueLineApp> newApp() { return std::make_unique<CCueLineApp>(); }

    // Starts the editor; `file` empty for none. False when the start failed.
    [[nodiscard]] bool start(const std::string& file) {
        app = newApp();
        app->SetSettingsFile(dir.file("settings.ini"));
        app->SetProgramPath(dir.path() + "/bin/TnvCueLine");
        app->SetOpenFolder(openFolder);
        app->SetCommandLine(file);
        return app->InitInstance();
    }
    // Starts the editor on the test's pack; false when the start failed.
    [[nodiscard]] bool startOnPack() { return start(pack + "/CueLine.clt"); }

    CMainFrame& frame() { return *app->frame(); }
    CCueLineView& view() { return *app->view(); }
    CCellGrid& grid() { return *app->view()->grid(); }
    QMainWindow* window() { return static_cast<QMainWindow*>(frame().nativeWindow()); }

    std::vector<std::string> column(int col) {
        std::vector<std::string> texts;
        for (int r = 0; r < grid().GetNumRows(); ++r)
            texts.push_back(grid().GetCellText(r, col));
        return texts;
    }
    // What an in-place edit of row `row` does, as the grid's editor will drive it.
    void editRow(int row, const std::string& text) {
        view().OnEditWindowCreated();
        grid().SetCellText(row, 2, text);
        for (char c : text)
            view().OnEditCharTyped(static_cast<unsigned char>(c));
    }
    std::string title() { return frame().GetWindowText(); }
    std::string status() { return frame().GetMessageText(); }
    std::string editingTitle(const std::string& folder, bool star = false) {
        return "Editing " + folder + "/CueLine.clt" + (star ? " *" : "");
    }
};
