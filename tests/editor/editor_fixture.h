// The editor's real window, headless, on a crew pack laid out in a temporary folder, with
// scripted message boxes and open-file dialog.
#pragma once

#include "editor/cueline_shell.h"
#include "platform/frame/settings.h"
#include "resources/editor/cueline_resources.h"
#include "tests/support/running_program.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/crew_pack.h"
#include "tests/support/test_support.h"

using namespace tnv;
using namespace tnv::cueline;
using Texts = std::vector<std::string>;

// The demo-like pack: three listed sounds (one missing on disk) and one unlisted WAV.
inline const char* const kPackText = "a.wav;Hello\r\nb.wav;50% done\r\nmissing.wav;Gone\r\n";

struct EditorFixture : ::testing::Test, RunningProgram<CCueLineApp> {
    testsupport::TempDir dir;
    std::string pack;
    std::string openFolder; // where File, Open starts without a pack; empty: the program's

    void SetUp() override { pack = makePack("Pack", kPackText, {"a.wav", "b.wav", "c.wav"}); }
    void TearDown() override { stop(); }

    // The crew pack `name` in the test's folder; returns its folder.
    std::string makePack(const std::string& name, const std::string& text,
                         const std::vector<std::string>& wavs) {
        testsupport::writeCrewPack(dir.file(name), text, wavs);
        return dir.file(name);
    }

    virtual std::unique_ptr<CCueLineApp> newApp() { return std::make_unique<CCueLineApp>(); }

    // Starts the editor; `file` empty for none. False when the start failed.
    [[nodiscard]] bool start(const std::string& file) {
        std::unique_ptr<CCueLineApp> made = newApp();
        made->SetSettingsFile(dir.file("settings.ini"));
        made->SetProgramPath(dir.path() + "/bin/TnvCueLine");
        made->SetOpenFolder(openFolder);
        made->SetCommandLine(file);
        return RunningProgram::start(std::move(made));
    }
    // Starts the editor on the test's pack; false when the start failed.
    [[nodiscard]] bool startOnPack() { return start(pack + "/CueLine.clt"); }

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
    // The middle of a cell on the screen.
    Point at(int row, int col) {
        CellBox box;
        EXPECT_TRUE(grid().GetCellBox(row, col, &box));
        return Point{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    }
    std::string title() { return frame().GetWindowText(); }
    std::string status() { return frame().GetMessageText(); }
    std::string editingTitle(const std::string& folder, bool star = false) {
        return "Editing " + folder + "/CueLine.clt" + (star ? " *" : "");
    }
};

// The editor started on the test's pack.
struct OnPack : EditorFixture {
    void SetUp() override {
        EditorFixture::SetUp();
        ASSERT_TRUE(startOnPack());
    }
};
