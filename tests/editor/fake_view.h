// The editor's view as the crew pack tests see it, and a pack in a folder of its own.
#pragma once

#include "editor/crew_pack.h"
#include "platform/base/msgbox.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tnv;
using namespace tnv::cueline;

// Stands in for the editor's view: its rows are the entries in list order unless a test
// rearranges or edits them.
struct FakeView : CrewPackView {
    CCrewPack* pack = nullptr;
    std::string status;
    int shown = 0;
    std::vector<std::pair<std::string, std::string>> rows;
    void showCrewPack() override {
        ++shown;
        rows.clear();
        for (int i = 0; i < pack->count(); ++i)
            rows.emplace_back(pack->entry(i).fileName, pack->entry(i).text);
        status = pack->statusText(pack->tally());
    }
    void setStatusText(const std::string& text) override { status = text; }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    std::string rowFileName(int r) const override {
        return rows[static_cast<std::size_t>(r)].first;
    }
    std::string rowText(int r) const override { return rows[static_cast<std::size_t>(r)].second; }
};

// A pack in a fresh folder (`sub` of the temporary one, or that itself), shown in a FakeView,
// its questions answered by script.
struct PackTest : ::testing::Test {
    testsupport::TempDir dir;
    FakeView view;
    CCrewPack pack{&view};
    ScriptedMessageBox box;
    std::string folder;
    explicit PackTest(const std::string& sub = "")
        : folder(sub.empty() ? dir.path() : dir.mkdir(sub)) {
        view.pack = &pack;
        pack.setFolder(folder);
    }
    void wav(const std::string& name) const { testsupport::writeFile(folder + "/" + name, "RIFF"); }
    void clt(const std::string& bytes) const {
        testsupport::writeFile(folder + "/CueLine.clt", bytes);
    }
    // Edits the first row and saves, answering the first question with OK.
    bool editAndSave(const std::string& text = "Mine") {
        view.rows[0].second = text;
        pack.setModified(true);
        box.setNextAnswer(IDOK);
        return pack.saveCrewPack();
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int i = 0; i < pack.count(); ++i)
            out.push_back(pack.entry(i).fileName);
        return out;
    }
};
