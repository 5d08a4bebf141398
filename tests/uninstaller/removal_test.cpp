#include "tests/uninstaller/sim_tree.h"

#include <gtest/gtest.h>

using simtree::exists;
using simtree::SimTree;
namespace fs = std::filesystem;

namespace {

struct Recorder : uninst::RemovalView {
    std::vector<std::string> calls, started;
    void DisableUninstall() override { calls.push_back("disable"); }
    void ShowLabel(const std::string& text) override { calls.push_back(text); }
    void ShowFinish() override { calls.push_back("finish"); }
    uninst::ScriptStarter starter() {
        return [this](const std::string& path) { return started.push_back(path), true; };
    }
};

} // namespace

TEST(Plan, SimFolderAndWhatTheScriptMayTakeAway) {
    SimTree t;
    fs::create_directory_symlink(t.sim, t.base + "/dosdevices");
    fs::create_directory_symlink(t.outside, t.make("linked/") + "Tarnavel");
    t.make("sim/tarnavel/");
    struct Case {
        std::string program, simFolder;
        bool removesSelf;
    } cases[] = {
        {t.program, t.sim + "/", true},
        {t.base + "/dosdevices/Tarnavel/UninstallTarnavel", t.sim + "/", true}, // by a link
        {t.sim + "/Downloads/UninstallTarnavel", t.sim + "/", false},
        {t.sim + "/tarnavel/UninstallTarnavel", t.sim + "/", false},
        {t.base + "/linked/Tarnavel/UninstallTarnavel", t.base + "/linked/", false}, // a link
        {"/usr/bin/UninstallTarnavel", "/usr/", false},
        {"/UninstallTarnavel", "/", false},
    };
    for (const Case& c : cases) {
        uninst::RemovalPlan plan = uninst::MakePlan(t.env(c.program));
        EXPECT_EQ(plan.simFolder, c.simFolder) << c.program;
        EXPECT_EQ(plan.selfFolder, c.removesSelf ? t.sim + "/Tarnavel" : "") << c.program;
        EXPECT_EQ(plan.selfProgram, c.removesSelf ? t.program : "") << c.program;
    }
    for (const std::string& home : {t.sim + "/Tarnavel", t.sim + "/Tarnavel/bin"}) {
        uninst::Environment env = t.env();
        env.homeFolder = home; // never the home folder, nor a folder holding it
        EXPECT_TRUE(uninst::MakePlan(env).selfFolder.empty()) << home;
    }
    uninst::Environment env = t.env(t.sim + "/Downloads/UninstallTarnavel");
    env.programsFolder.clear();
    EXPECT_EQ(uninst::PlanPaths(uninst::MakePlan(env)),
              (std::vector<std::string>{t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel",
                                        t.sim + "/Gauges/Tarnavel2004.gau",
                                        t.sim + "/Modules/Tarnavel.dll", t.tmp + "/_uninsep.sh"}));
}

TEST(RemoveTree, KeepsDotFoldersTheFileInUseAndEverythingBehindLinks) {
    SimTree t;
    t.make("sim/Tarnavel/.cache/deep/x");
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "d/";
    t.make("sim/Tarnavel/Sound/" + deep + "leaf");
    fs::create_directory_symlink(t.outside + "/folder", t.sim + "/Tarnavel/dirlink");
    fs::create_symlink(t.outside + "/precious.txt", t.sim + "/Tarnavel/bin/filelink");
    fs::create_symlink(t.base + "/nowhere", t.sim + "/Tarnavel/dangling");
    std::string before = fs::current_path();

    uninst::RemoveTree(t.sim + "/Tarnavel", uninst::FileId::of(t.program));
    EXPECT_TRUE(exists(t.program));                         // in use
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/.cache/deep/x")); // never entered
    for (const char* gone : {".settings", "bin", "Sound", "dirlink", "dangling"})
        EXPECT_FALSE(exists(t.sim + "/Tarnavel/" + gone)) << gone;
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
    EXPECT_EQ(fs::current_path(), before);
}

TEST(RemoveTree, RemovesNothingUnlessTheFolderIsExactlyThePathGiven) {
    SimTree t;
    t.make("sim/CASE/f");
    fs::create_directory_symlink(t.sim + "/CASE", t.sim + "/case");
    fs::create_directory_symlink(t.sim, t.base + "/simlink");
    std::string before = fs::current_path();
    for (const std::string& p :
         {t.sim + "/tarnavel", // letter case differs
          t.sim + "/case",     // entering it leads to ".../CASE"
          t.base + "/simlink/Tarnavel", t.sim + "/Tarnavel/", t.sim + "/Absent", std::string()}) {
        uninst::RemoveTree(p);
        EXPECT_EQ(fs::current_path(), before) << p;
    }
    EXPECT_TRUE(exists(t.sim + "/CASE/f"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/bin/FleetScout.txt"));
}

TEST(Flow, RemovesTheAddonInOrderAndStartsTheScript) {
    SimTree t;
    t.make("data/applications/Tarnavel/Sub/");
    Recorder r;
    uninst::RunRemoval(t.env(), r, r.starter());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"disable", "Removing Tarnavel.. wait", "finish",
                                                 "Uninstall Completed click finish"}));
    for (const std::string& p : t.addonPaths())
        EXPECT_EQ(exists(p), p == t.sim + "/Tarnavel" || p == t.apps + "/Tarnavel") << p;
    EXPECT_TRUE(exists(t.program));                // left to the script
    EXPECT_TRUE(exists(t.apps + "/Tarnavel/Sub")); // the menu group is not searched deeper
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
    ASSERT_EQ(r.started, std::vector<std::string>{t.tmp + "/_uninsep.sh"});
    EXPECT_NE(testsupport::readFile(r.started[0]).find(t.program), std::string::npos);
}

TEST(Flow, EndsDoneWithNothingLeftAndWithoutAScript) {
    SimTree t;
    fs::remove_all(t.sim);
    fs::remove_all(t.apps);
    Recorder r;
    uninst::RunRemoval(t.env(), r, r.starter());
    EXPECT_EQ(r.calls.back(), "Uninstall Completed click finish");
    EXPECT_EQ(r.started.size(), 1u); // nothing found, and still the script

    uninst::Environment env = SimTree().env();
    env.tempFolder = t.base + "/no/such/folder";
    Recorder r2;
    uninst::RunRemoval(env, r2, r2.starter());
    EXPECT_TRUE(r2.started.empty()); // it cannot be written: not started
    EXPECT_EQ(r2.calls.back(), "Uninstall Completed click finish");
}
