// The finder's inner parts: looking into one folder, walking the drive_c folders of several
// prefixes breadth first, and the folders a prefix's registry names.
#pragma once

#include "finder/finder.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tnv {

namespace finder::detail {

// The search's clock, asked before each folder.
class Deadline {
public:
    Deadline(const Options& options);
    bool passed();
    bool hasPassed() const { return passed_; }

private:
    const Clock& clock_;
    std::chrono::steady_clock::time_point end_;
    bool passed_ = false;
};

// The simulators found so far, each once by real path.
class Found {
public:
    explicit Found(const Options& options) : options_(options) {}
    // Examines one folder named to the search (a registered one, one a registry names): whatever
    // file system it is on. `aircraftOnly` accepts a folder that holds Aircraft alone.
    void examine(const std::string& folder, bool aircraftOnly = false);
    // Records a simulator seen by the walk.
    void add(const std::string& folder, bool hasAddon);
    bool refused(const std::string& folder) const;
    std::vector<Simulator> take() { return std::move(list_); }

private:
    const Options& options_;
    std::vector<Simulator> list_;
    std::set<std::string> seen_;
};

// What one folder holds, from one reading of it.
struct FolderLook {
    bool readable = false;
    std::uint64_t device = 0, inode = 0;
    int simulatorFolders = 0; // how many of Aircraft, Flights, Gauges, Modules
    bool aircraft = false, addon = false;
    std::vector<std::string> folders; // subfolder names, links left out
    std::vector<std::string> links;   // names of links (to anything)
    bool isSimulator() const { return simulatorFolders == 4; }
};

// Reads one folder, opening nothing else in it. `wantChildren` fills `folders` and `links`.
FolderLook LookInto(const std::string& folder, bool wantChildren);
// The same on an open folder, which it closes.
FolderLook LookAt(int dirFd, bool wantChildren);

// Opens a folder for reading; -1 for anything else (a FIFO or a device is never opened).
int OpenFolder(const std::string& folder);

// Whether the file system of an open folder is one the walk never enters (proc, sysfs, network,
// FUSE).
bool IsForeignFileSystem(int dirFd);

// A prefix: a folder with a drive_c, by its real path.
struct Prefix {
    std::string folder;
};

// Every prefix of the home the front ends keep, each once, WINEPREFIX first.
std::vector<Prefix> KnownPrefixes(const Environment& env);

// Walks the drive_c of every prefix to a depth of 5 folders, breadth first across all of them,
// until the deadline.
void WalkDriveC(const std::vector<Prefix>& prefixes, Found& found, Deadline& deadline);

// Examines the folders the registry files of a prefix name.
void ExamineRegistry(const Prefix& prefix, Found& found, Deadline& deadline);

// The entry of `folder` named `name` letter case aside: the exact one when present, else the
// first match in byte order, else empty.
std::string FindNoCase(const std::string& folder, const std::string& name);

} // namespace finder::detail

} // namespace tnv
