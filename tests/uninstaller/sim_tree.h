// A simulator with the add-on installed, plus the menu and temporary folders, in a temporary
// folder.
#pragma once

#include "setup/sim_menu.h"
#include "tests/support/test_support.h"
#include "uninstaller/removal.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tnv;
using namespace tnv::uninstall;

namespace simtree {

using testsupport::exists;

// Whether every one of `paths` is there (`there`) or gone; the first that is not as asked fails.
inline testing::AssertionResult present(bool there, const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        if (exists(p) != there)
            return testing::AssertionFailure() << p << (there ? " is gone" : " is still there");
    return testing::AssertionSuccess();
}

// Whether `path` is a self-removal script's name in `folder`: _uninsep.XXXXXX.sh, the X's made
// unique.
inline bool isScriptIn(const std::string& path, const std::string& folder) {
    const std::string name = path.substr(std::min(path.size(), folder.size() + 1));
    return path == folder + "/" + name && name.size() == 18 && name.starts_with("_uninsep.") &&
           name.ends_with(".sh") && std::all_of(name.begin() + 9, name.begin() + 15, [](char c) {
               return std::isalnum(static_cast<unsigned char>(c));
           });
}

// The self-removal scripts in a folder.
inline std::vector<std::string> scriptsIn(const std::string& folder) {
    std::vector<std::string> scripts;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
        if (isScriptIn(e.path().string(), folder))
            scripts.push_back(e.path().string());
    return scripts;
}

struct SimTree {
    // In `parent` (the system's temporary folder when empty).
    explicit SimTree(const std::string& parent = {}) : dir(parent) {
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

    testsupport::TempDir dir;
    // Resolved, so that paths compare with the ones the removal reads back.
    std::string base = std::filesystem::canonical(dir.path()).string();
    std::string sim = base + "/sim", apps = base + "/data/applications", tmp = base + "/tmp";
    std::string outside = base + "/outside"; // nothing may ever touch it
    std::string program = sim + "/Tarnavel/UninstallTarnavel";

    // A file, or a folder when `rel` ends in '/'.
    std::string make(const std::string& rel) const {
        std::string path = base + "/" + rel;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (rel.back() != '/')
            testsupport::writeFile(path, "x");
        return path;
    }
    // Moves `rel` to outside/`to` and leaves a link to it in its place.
    void linkOut(const std::string& rel, const std::string& to) const {
        std::filesystem::rename(base + "/" + rel, outside + "/" + to);
        std::filesystem::create_directory_symlink(outside + "/" + to, base + "/" + rel);
    }
    // Puts a folder holding a file "x" in the place of the file `rel`.
    void asFolder(const std::string& rel) const {
        std::filesystem::remove(base + "/" + rel);
        make(rel + "/x");
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
    uninstall::Environment env(const std::string& programPath = {}) const {
        uninstall::Environment env;
        env.programPath = programPath.empty() ? program : programPath;
        env.programsFolder = apps;
        env.tempFolder = tmp;
        env.homeFolder = base;
        env.dataHome = base + "/data";
        env.configHome = base + "/config";
        return env;
    }
};

// A shell command's effect while the object lives: `off` undoes `on` at the end, if `on` worked.
class Scoped {
public:
    Scoped(const std::string& on, std::string off)
        : off_(std::move(off)), ok_(testsupport::runCommand("(" + on + ") 2>/dev/null") == 0) {}
    ~Scoped() {
        if (ok_)
            testsupport::runCommand("(" + off_ + ") 2>/dev/null");
    }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    bool ok() const { return ok_; }

private:
    std::string off_;
    bool ok_;
};

// Makes a file impossible to delete for this user (root too); ok() is false when the system does
// not allow it.
struct Undeletable : Scoped {
    explicit Undeletable(const std::string& file) : Scoped(how(file, true), how(file, false)) {}
    static std::string how(const std::string& file, bool on) {
        return ::geteuid() == 0
                   ? std::string(on ? "chattr +i '" : "chattr -i '") + file + "'"
                   : std::string(on ? "chmod 555" : "chmod 755") + " \"$(dirname '" + file + "')\"";
    }
};

// A file system mounted on a folder: "tmpfs" or a bind mount of `source`. ok() is false where this
// user may not mount (tests then skip). Destroy it before the tree holding it, so that clearing
// the tree never reaches into it.
struct Mount : Scoped {
    Mount(const std::string& source, const std::string& target)
        : Scoped((std::filesystem::create_directories(target), "mount ") +
                     (source == "tmpfs" ? "-t tmpfs -o size=1m tmpfs" : "--bind '" + source + "'") +
                     " '" + target + "'",
                 "umount '" + target + "' || umount -l '" + target + "'") {}
};

// A folder in memory for deep trees, when the system has one: removing thousands of folders
// just made is many times slower on a disk that has not yet written them, and a test of the walk
// would time the disk. Empty when there is none (the system's temporary folder is used).
inline std::string memoryFolder() {
    struct stat st;
    return ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0
               ? "/dev/shm"
               : "";
}

// A chain of `depth` nested folders named "d" in `folder`, made a folder at a time through
// descriptors: its paths are far too long to be named. False when it could not be made whole.
inline bool makeChain(const std::string& folder, int depth) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; fd >= 0 && i < depth; ++i) {
        int next = ::mkdirat(fd, "d", 0755) == 0 ? ::openat(fd, "d", O_RDONLY | O_DIRECTORY) : -1;
        ::close(fd);
        fd = next;
    }
    return fd >= 0 && ::close(fd) == 0;
}

// Removes a tree of any depth at the end of a test, whatever the test left: rm walks any depth,
// where std::filesystem::remove_all keeps a descriptor a level.
struct DeepCleanup {
    std::string path;
    ~DeepCleanup() { testsupport::runCommand("rm -rf '" + path + "'"); }
};

inline constexpr const char* kCannotMount = "mounting needs root (CAP_SYS_ADMIN); not tried here";

} // namespace simtree
