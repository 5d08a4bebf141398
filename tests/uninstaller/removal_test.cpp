#include "tests/uninstaller/sim_tree.h"
#include "uninstaller/removal.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

using simtree::exists;
using simtree::SimTree;
using testsupport::writeFile;

namespace {

std::string cwd() {
    return std::filesystem::current_path().string();
}

struct RecordingView : uninst::RemovalView {
    std::vector<std::string> calls;
    void DisableUninstall() override { calls.push_back("disable"); }
    void ShowLabel(const std::string& text) override { calls.push_back("label:" + text); }
    void ShowFinish() override { calls.push_back("finish"); }
};

struct RecordingStarter {
    std::vector<std::string> started;
    uninst::ScriptStarter starter() {
        return [this](const std::string& path) {
            started.push_back(path);
            return true;
        };
    }
};

} // namespace

TEST(SimFolder, IsTheProgramPathLessTwoComponentsWithLinksResolved) {
    SimTree t;
    std::filesystem::create_directory_symlink(t.sim, t.base + "/dosdevices");
    struct Case {
        std::string program;
        std::string expected;
    } cases[] = {
        {t.sim + "/Tarnavel/UninstallTarnavel", t.sim + "/"},
        {t.base + "/dosdevices/Tarnavel/UninstallTarnavel", t.sim + "/"},
        {t.base + "/dosdevices/Downloads/UninstallTarnavel", t.sim + "/"},
        {"/UninstallTarnavel", "/"},
        {"/Tarnavel/UninstallTarnavel", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(uninst::SimFolderOf(c.program), c.expected) << c.program;
}

TEST(Plan, ScriptTakesTheProgramAwayOnlyFromTheAddonFolder) {
    SimTree t;
    t.dir.mkdir("sim/Downloads");
    t.dir.mkdir("sim/tarnavel");
    std::filesystem::create_directory_symlink(t.sim, t.base + "/dosdevices");
    t.dir.mkdir("linked");
    std::filesystem::create_directory_symlink(t.outside, t.base + "/linked/Tarnavel");
    struct Case {
        std::string program;
        bool removesSelf;
    } cases[] = {
        {t.program, true},
        {t.base + "/dosdevices/Tarnavel/UninstallTarnavel", true}, // same folder by a link
        {t.sim + "/Downloads/UninstallTarnavel", false},
        {t.sim + "/tarnavel/UninstallTarnavel", false},         // letter case differs
        {t.base + "/linked/Tarnavel/UninstallTarnavel", false}, // the add-on folder is a link
        {"/usr/bin/UninstallTarnavel", false},
    };
    for (const Case& c : cases) {
        uninst::RemovalPlan plan = uninst::MakePlan(t.env(c.program));
        EXPECT_EQ(!plan.selfFolder.empty(), c.removesSelf) << c.program;
        EXPECT_EQ(plan.selfProgram.empty(), plan.selfFolder.empty());
        if (c.removesSelf) {
            EXPECT_EQ(plan.selfFolder, t.sim + "/Tarnavel");
            EXPECT_EQ(plan.selfProgram, t.sim + "/Tarnavel/UninstallTarnavel");
        }
    }

    // Never the home folder, nor a folder holding it.
    for (const std::string& home : {t.sim + "/Tarnavel", t.sim + "/Tarnavel/bin"}) {
        uninst::Environment env = t.env();
        env.homeFolder = home;
        EXPECT_TRUE(uninst::MakePlan(env).selfFolder.empty()) << home;
    }
}

TEST(Plan, ListsEveryPathInTheOrderOfRemoval) {
    SimTree t;
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    EXPECT_EQ(uninst::PlanPaths(plan),
              (std::vector<std::string>{t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel",
                                        t.sim + "/Gauges/Tarnavel2004.gau",
                                        t.sim + "/Modules/Tarnavel.dll", t.apps + "/Tarnavel/Tools",
                                        t.apps + "/Tarnavel", t.tmp + "/_uninsep.sh", t.program,
                                        t.sim + "/Tarnavel"}));
    uninst::Environment env = t.env(t.sim + "/Downloads/UninstallTarnavel");
    env.programsFolder.clear();
    EXPECT_EQ(uninst::PlanPaths(uninst::MakePlan(env)),
              (std::vector<std::string>{t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel",
                                        t.sim + "/Gauges/Tarnavel2004.gau",
                                        t.sim + "/Modules/Tarnavel.dll", t.tmp + "/_uninsep.sh"}));
}

TEST(RemoveTree, RemovesEverythingButDotFoldersAndTheFileInUse) {
    SimTree t;
    t.dir.mkdir("sim/Tarnavel/.cache/deep");
    writeFile(t.sim + "/Tarnavel/.cache/deep/x", "x");
    std::string before = cwd();

    uninst::RemoveTree(t.sim + "/Flights/Tarnavel");
    EXPECT_FALSE(exists(t.sim + "/Flights/Tarnavel"));
    EXPECT_TRUE(exists(t.sim + "/Flights/Other/keep.flt"));

    uninst::RemoveTree(t.sim + "/Tarnavel", uninst::FileId::of(t.program));
    EXPECT_TRUE(exists(t.program));                         // in use
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/.cache/deep/x")); // never entered
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/.settings"));    // a file, whatever its name
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/bin"));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/Sound"));
    EXPECT_EQ(cwd(), before);
}

TEST(RemoveTree, NeverFollowsALink) {
    SimTree t;
    std::filesystem::create_directory_symlink(t.outside + "/folder", t.sim + "/Tarnavel/dirlink");
    std::filesystem::create_symlink(t.outside + "/precious.txt", t.sim + "/Tarnavel/filelink");
    std::filesystem::create_directory_symlink(t.outside, t.sim + "/Tarnavel/bin/.hidden");
    std::filesystem::create_symlink(t.base + "/nowhere", t.sim + "/Tarnavel/dangling");

    uninst::RemoveTree(t.sim + "/Tarnavel");
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
}

TEST(RemoveTree, RemovesNothingUnlessTheFolderIsExactlyThePathGiven) {
    SimTree t;
    t.dir.mkdir("sim/CASE");
    writeFile(t.sim + "/CASE/f", "x");
    std::filesystem::create_directory_symlink(t.sim + "/CASE", t.sim + "/case");
    std::filesystem::create_directory_symlink(t.sim, t.base + "/simlink");
    std::string before = cwd();
    const std::string paths[] = {
        t.sim + "/tarnavel",          // letter case differs: absent on this file system
        t.sim + "/case",              // entering it leads to ".../CASE"
        t.base + "/simlink/Tarnavel", // a link on the way
        t.sim + "/Tarnavel/",         // not the same text
        t.sim + "/Absent",
        "",
    };
    for (const std::string& p : paths) {
        uninst::RemoveTree(p);
        EXPECT_EQ(cwd(), before) << p;
    }
    EXPECT_TRUE(exists(t.sim + "/CASE/f"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/bin/FleetScout.txt"));
}

TEST(RemoveTree, HandlesADeepTree) {
    SimTree t;
    std::string rel = "sim/Tarnavel";
    for (int i = 0; i < 200; ++i)
        rel += "/d";
    t.dir.mkdir(rel);
    writeFile(t.base + "/" + rel + "/leaf", "x");
    uninst::RemoveTree(t.sim + "/Tarnavel");
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
}

TEST(MenuGroup, DeletesTheGroupsFilesAndFolders) {
    SimTree t;
    t.dir.mkdir("data/applications/Tarnavel/Sub");
    uninst::RemoveStartMenuGroup(t.apps);
    EXPECT_FALSE(exists(t.apps + "/Tarnavel/Tools"));
    EXPECT_FALSE(exists(t.apps + "/Tarnavel/Uninstall.desktop"));
    EXPECT_TRUE(exists(t.apps + "/Tarnavel/Sub")); // no recursion: the group stays
    EXPECT_TRUE(exists(t.apps + "/other.desktop"));
    uninst::RemoveStartMenuGroup(""); // unknown menu folder: nothing, no crash
    uninst::DeleteFilesIn(t.base + "/absent");
}

TEST(Flow, RemovesTheAddonInOrderAndStartsTheScript) {
    SimTree t;
    RecordingView view;
    RecordingStarter starter;
    uninst::RunRemoval(t.env(), view, starter.starter());

    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"disable", "label:Removing Tarnavel.. wait", "finish",
                                        "label:Uninstall Completed click finish"}));
    for (const std::string& p : t.addonPaths()) {
        if (p != t.sim + "/Tarnavel") {
            EXPECT_FALSE(exists(p)) << p;
        }
    }
    EXPECT_TRUE(exists(t.program)); // left to the script
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
    ASSERT_EQ(starter.started, std::vector<std::string>{t.tmp + "/_uninsep.sh"});
    EXPECT_NE(testsupport::readFile(t.tmp + "/_uninsep.sh").find(t.program), std::string::npos);
}

TEST(Flow, WithNothingLeftStillEndsDoneAndStartsTheScript) {
    SimTree t;
    std::filesystem::remove_all(t.sim);
    std::filesystem::remove_all(t.apps);
    RecordingView view;
    RecordingStarter starter;
    uninst::RunRemoval(t.env(), view, starter.starter());
    EXPECT_EQ(view.calls.back(), "label:Uninstall Completed click finish");
    EXPECT_EQ(starter.started.size(), 1u);
    EXPECT_TRUE(exists(t.tmp + "/_uninsep.sh"));
}

TEST(Flow, NoScriptWhenItCannotBeWritten) {
    SimTree t;
    uninst::Environment env = t.env();
    env.tempFolder = t.base + "/no/such/folder";
    RecordingView view;
    RecordingStarter starter;
    uninst::RunRemoval(env, view, starter.starter());
    EXPECT_TRUE(starter.started.empty());
    EXPECT_EQ(view.calls.back(), "label:Uninstall Completed click finish");
    EXPECT_FALSE(exists(t.sim + "/Flights/Tarnavel"));
}
