// Finding the simulators of a home folder: in every Wine prefix the usual Wine front ends make
// (plain Wine, Steam's Proton, Bottles, Lutris, PlayOnLinux, CrossOver), in the folders their
// registries name, and in the folders the user registered with tarnavel-setup. No Qt.
//
// A simulator folder holds Aircraft, Flights, Gauges and Modules (letter case aside). The search
// never follows a link out of a prefix, never enters /proc, /sys, a network or FUSE mount (the
// folders named by Steam's library list, a registry or the user are examined all the same),
// never opens anything but folders and the few small text files it reads, and gives up a folder
// it cannot read. It ends at its deadline with what it found so far. Paths are disk paths.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tnv {

namespace finder {

// Where the user's files are; tests make one up in a temporary folder.
struct Environment {
    std::string home;       // $HOME; empty when unknown (then only WINEPREFIX is searched)
    std::string configHome; // $XDG_CONFIG_HOME when absolute, else home/.config
    std::string dataHome;   // $XDG_DATA_HOME when absolute, else home/.local/share
    std::string winePrefix; // $WINEPREFIX when absolute, else empty

    // From this process's variables (and the password file when HOME is unset).
    static Environment FromProcess();
    // The same rules on given values: "" for an unset variable.
    static Environment From(const std::string& home, const std::string& xdgConfigHome,
                            const std::string& xdgDataHome, const std::string& winePrefix);
};

using Clock = std::function<std::chrono::steady_clock::time_point()>;

struct Options {
    Environment env = Environment::FromProcess();
    std::chrono::milliseconds deadline{2000};
    // Folders examined first, whatever they are (the registered ones, say).
    std::vector<std::string> extraFolders;
    Clock clock = [] { return std::chrono::steady_clock::now(); };
    // Told once when the deadline ends the search; by default a line on stderr.
    std::function<void(const std::string&)> warn;
    // Tests only: a folder for which this returns true is unreadable (root reads everything).
    std::function<bool(const std::string&)> refuseFolder;
};

struct Simulator {
    std::string folder; // links resolved, no separator at the end
    bool hasAddon = false;
};

struct FindResult {
    std::vector<Simulator> simulators; // in the order found, each once
    bool timedOut = false;
};

// Every simulator of the home, each once by its real path. The extra folders count when they
// hold an Aircraft folder (the programs' own test); every other folder needs all four.
FindResult FindSimulators(const Options& options);

// Whether `folder` holds Aircraft, Flights, Gauges and Modules (letter case aside).
bool IsSimulator(const std::string& folder);

// Whether `folder` holds a Tarnavel folder (letter case aside).
bool HasAddon(const std::string& folder);

// The registration file: configHome/tarnavel/simulators, one absolute folder a line.
std::string RegistrationFile(const Environment& env);

// The registered folders, in file order, each once; nothing when there is no file.
std::vector<std::string> ReadRegistration(const Environment& env);

// Adds `folder` (absolute, made real) unless it is there already; the file is replaced whole.
// False with the reason in `error` when it cannot be written.
bool AddRegistration(const Environment& env, const std::string& folder, std::string* error);

// Removes every line naming `folder` (the same folder by its real path); true when the file
// holds none of them afterwards (also when there is no file).
bool RemoveRegistration(const Environment& env, const std::string& folder, std::string* error);

// The simulators a program may work on: the registered ones first, then those found, each once.
// `options.extraFolders` is filled from the registration file.
FindResult Candidates(Options options);

// The simulator kept for the programs when several have the add-on: configHome/tarnavel/chosen,
// one absolute folder.
std::string ChoiceFile(const Environment& env);

// The kept simulator; empty when none is kept.
std::string ReadChoice(const Environment& env);

// Keeps `folder` (absolute, made real); the file is replaced whole. False with the reason in
// `error` when it cannot be written.
bool KeepChoice(const Environment& env, const std::string& folder, std::string* error);

// What a program started outside a simulator may work on: the candidates with the add-on.
struct AddonSimulators {
    std::vector<std::string> folders;
    std::string kept; // the kept choice when it is one of `folders`, else empty
};
AddonSimulators SimulatorsWithAddon(Options options);

} // namespace finder

} // namespace tnv
