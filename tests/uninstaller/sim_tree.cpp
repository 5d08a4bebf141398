#include "tests/uninstaller/sim_tree.h"

#include "platform/fs.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace simtree {

using testsupport::writeFile;

SimTree::SimTree() {
    // Resolved, so that paths compare with the ones the removal reads back.
    base = std::filesystem::canonical(dir.path()).string();
    for (const char* folder : {"sim", "data/applications", "tmp", "outside"})
        dir.mkdir(folder);
    sim = base + "/sim";
    apps = base + "/data/applications";
    tmp = base + "/tmp";
    outside = base + "/outside";
    program = sim + "/Tarnavel/UninstallTarnavel";
    dir.mkdir("sim/Tarnavel/bin");
    dir.mkdir("sim/Tarnavel/Sound/Crewpack/Demo");
    dir.mkdir("sim/Flights/Tarnavel/Career");
    dir.mkdir("sim/Flights/Other");
    dir.mkdir("sim/Gauges");
    dir.mkdir("sim/Modules");
    dir.mkdir("sim/Aircraft/c172");
    dir.mkdir("data/applications/Tarnavel/Tools");
    writeFile(program, "#!/bin/sh\n");
    writeFile(sim + "/Tarnavel/bin/FleetScout.txt", "ai;\n");
    writeFile(sim + "/Tarnavel/Sound/Crewpack/Demo/CueLine.clt", "a.wav;Hello\n");
    writeFile(sim + "/Tarnavel/Sound/Crewpack/Demo/a.wav", "RIFF");
    writeFile(sim + "/Tarnavel/.settings", "x");
    writeFile(sim + "/Flights/Tarnavel/Career/leg1.flt", "x");
    writeFile(sim + "/Flights/Tarnavel/start.flt", "x");
    writeFile(sim + "/Flights/Other/keep.flt", "x");
    writeFile(sim + "/Gauges/Tarnavel2004.gau", "x");
    writeFile(sim + "/Gauges/tarnavel2004.GAU", "x");
    writeFile(sim + "/Gauges/Other.gau", "x");
    writeFile(sim + "/Modules/Tarnavel.dll", "x");
    writeFile(sim + "/Modules/TARNAVEL.DLL", "x");
    writeFile(sim + "/Modules/Other.dll", "x");
    writeFile(sim + "/Aircraft/c172/aircraft.cfg", "x");
    writeFile(apps + "/Tarnavel/Tools/FleetScout.desktop", "x");
    writeFile(apps + "/Tarnavel/Uninstall.desktop", "x");
    writeFile(apps + "/other.desktop", "x");
    writeFile(outside + "/precious.txt", "x");
    dir.mkdir("outside/folder");
    writeFile(outside + "/folder/inside.txt", "x");
}

std::vector<std::string> SimTree::addonPaths() const {
    return {sim + "/Tarnavel",
            sim + "/Flights/Tarnavel",
            sim + "/Gauges/Tarnavel2004.gau",
            sim + "/Modules/Tarnavel.dll",
            apps + "/Tarnavel/Tools",
            apps + "/Tarnavel"};
}

std::vector<std::string> SimTree::keptPaths() const {
    return {sim + "/Flights/Other/keep.flt", sim + "/Gauges/tarnavel2004.GAU",
            sim + "/Gauges/Other.gau",       sim + "/Modules/TARNAVEL.DLL",
            sim + "/Modules/Other.dll",      sim + "/Aircraft/c172/aircraft.cfg",
            apps + "/other.desktop",         outside + "/precious.txt",
            outside + "/folder/inside.txt"};
}

uninst::Environment SimTree::env(const std::string& programPath) const {
    uninst::Environment e;
    e.programPath = programPath.empty() ? program : programPath;
    e.programsFolder = apps;
    e.tempFolder = tmp;
    e.homeFolder = base;
    e.pid = 0;
    return e;
}

Undeletable::Undeletable(const std::string& file) : file_(file) {
    if (::geteuid() == 0) {
        immutable_ = true;
        ok_ = testsupport::runCommand("chattr +i '" + file + "' 2>/dev/null") == 0;
    } else {
        ok_ = ::chmod(fsx::parentFolder(file).c_str(), 0555) == 0;
    }
}

Undeletable::~Undeletable() {
    if (!ok_)
        return;
    if (immutable_)
        testsupport::runCommand("chattr -i '" + file_ + "' 2>/dev/null");
    else
        ::chmod(fsx::parentFolder(file_).c_str(), 0755);
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace simtree
