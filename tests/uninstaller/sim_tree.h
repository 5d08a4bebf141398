// A simulator with the add-on installed, plus the menu and temporary folders, in a temporary
// folder.
#pragma once

#include "setup/sim_menu.h"
#include "tests/support/test_support.h"
#include "uninstaller/removal.h"

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace simtree {

inline bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

struct SimTree {
    testsupport::TempDir dir;
    // Resolved, so that paths compare with the ones the removal reads back.
    std::string base = std::filesystem::canonical(dir.path()).string();
    std::string sim = base + "/sim", apps = base + "/data/applications", tmp = base + "/tmp";
    std::string outside = base + "/outside"; // nothing may ever touch it
    std::string program = sim + "/Tarnavel/UninstallTarnavel";

    SimTree() {
        for (const char* rel :
             {"sim/Tarnavel/UninstallTarnavel", "sim/Tarnavel/bin/FleetScout.txt",
              "sim/Tarnavel/Sound/Crewpack/a.wav", "sim/Tarnavel/.settings",
              "sim/Flights/Tarnavel/Career/leg1.flt", "sim/Flights/Other/keep.flt",
              "sim/Gauges/Tarnavel2004.gau", "sim/Gauges/tarnavel2004.GAU", "sim/Gauges/Other.gau",
              "sim/Modules/Tarnavel.dll", "sim/Modules/TARNAVEL.DLL", "sim/Aircraft/c/aircraft.cfg",
              "data/applications/Tarnavel/Tools/FleetScout.desktop",
              "data/applications/Tarnavel/Uninstall.desktop", "data/applications/other.desktop",
              "tmp/", "outside/precious.txt", "outside/folder/inside.txt"})
            make(rel);
        // The group an earlier set-up made starts the programs inside this simulator.
        testsupport::writeFile(apps + "/Tarnavel/Tools/FleetScout.desktop",
                               "[Desktop Entry]\nExec=\"" + sim + "/Tarnavel/bin/FleetValuer\"\n");
        testsupport::writeFile(apps + "/Tarnavel/Uninstall.desktop",
                               "[Desktop Entry]\nExec=\"" + program + "\"\n");
    }
    // A file, or a folder when `rel` ends in '/'.
    std::string make(const std::string& rel) const {
        std::string path = base + "/" + rel;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (rel.back() != '/')
            testsupport::writeFile(path, "x");
        return path;
    }
    std::vector<std::string> addonPaths() const {
        return {sim + "/Tarnavel",
                sim + "/Flights/Tarnavel",
                sim + "/Gauges/Tarnavel2004.gau",
                sim + "/Modules/Tarnavel.dll",
                apps + "/Tarnavel/Tools",
                apps + "/Tarnavel"};
    }
    std::vector<std::string> keptPaths() const {
        return {sim + "/Flights/Other/keep.flt",  sim + "/Gauges/tarnavel2004.GAU",
                sim + "/Gauges/Other.gau",        sim + "/Modules/TARNAVEL.DLL",
                sim + "/Aircraft/c/aircraft.cfg", apps + "/other.desktop",
                outside + "/precious.txt",        outside + "/folder/inside.txt"};
    }
    // The files of a simulator's menu group, as the removal lists them.
    std::string menuLines(const std::string& simFolder) const {
        std::string lines;
        for (const std::string& f :
             simmenu::GroupOf(simmenu::Places::From(base + "/data", base + "/config"), simFolder)
                 .Files())
            lines += f + "\n";
        return lines;
    }
    uninst::Environment env(const std::string& programPath = {}) const {
        uninst::Environment env;
        env.programPath = programPath.empty() ? program : programPath;
        env.programsFolder = apps;
        env.tempFolder = tmp;
        env.homeFolder = base;
        env.dataHome = base + "/data";
        env.configHome = base + "/config";
        return env;
    }
};

// Makes a file impossible to delete for this user (root too) until destroyed. ok() is false when
// the system does not allow it.
class Undeletable {
public:
    explicit Undeletable(std::string file) : file_(std::move(file)) {
        ok_ = root_ ? testsupport::runCommand("chattr +i '" + file_ + "' 2>/dev/null") == 0
                    : ::chmod(folder().c_str(), 0555) == 0;
    }
    ~Undeletable() {
        if (ok_ && root_)
            testsupport::runCommand("chattr -i '" + file_ + "' 2>/dev/null");
        else if (ok_)
            ::chmod(folder().c_str(), 0755);
    }
    bool ok() const { return ok_; }

private:
    std::string folder() const { return std::filesystem::path(file_).parent_path().string(); }
    std::string file_;
    bool root_ = ::geteuid() == 0;
    bool ok_ = false;
};

// A file system mounted on a folder for the life of the object: "tmpfs" or a bind mount of
// `source`. ok() is false where this user may not mount (tests then skip). Destroy it before the
// tree holding it, so that clearing the tree never reaches into it.
class Mount {
public:
    Mount(const std::string& source, std::string target) : target_(std::move(target)) {
        std::filesystem::create_directories(target_);
        std::string how =
            source == "tmpfs" ? "-t tmpfs -o size=1m tmpfs" : "--bind '" + source + "'";
        ok_ = ::geteuid() == 0 &&
              testsupport::runCommand("mount " + how + " '" + target_ + "' 2>/dev/null") == 0;
    }
    ~Mount() {
        if (ok_ && testsupport::runCommand("umount '" + target_ + "' 2>/dev/null") != 0)
            testsupport::runCommand("umount -l '" + target_ + "' 2>/dev/null");
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    bool ok() const { return ok_; }

private:
    std::string target_;
    bool ok_ = false;
};

inline constexpr const char* kCannotMount = "mounting needs root (CAP_SYS_ADMIN); not tried here";

} // namespace simtree
