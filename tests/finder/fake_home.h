// A made-up home folder with Wine prefixes and simulators in it, for the finder's tests.
#pragma once

#include "finder/finder.h"
#include "tests/support/test_support.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace tnv;

namespace fakehome {

namespace fs = std::filesystem;

struct Home {
    testsupport::TempDir dir;
    std::string home = fs::canonical(dir.path()).string();
    std::vector<std::string> warnings;

    std::string at(const std::string& rel) const { return home + "/" + rel; }
    std::string mkdir(const std::string& rel) const {
        fs::create_directories(at(rel));
        return at(rel);
    }
    void file(const std::string& rel, const std::string& text) const {
        fs::create_directories(fs::path(at(rel)).parent_path());
        testsupport::writeFile(at(rel), text);
    }
    // A Wine prefix: drive_c, and dosdevices with c: and z: as Wine makes them.
    std::string prefix(const std::string& rel) const {
        mkdir(rel + "/drive_c/windows");
        mkdir(rel + "/dosdevices");
        fs::create_directory_symlink("../drive_c", at(rel + "/dosdevices/c:"));
        fs::create_directory_symlink("/", at(rel + "/dosdevices/z:"));
        return at(rel);
    }
    // A simulator's four folders, in the letter case given ("aircraft" or "AIRCRAFT"...).
    std::string sim(const std::string& rel, bool addon = false,
                    const std::vector<std::string>& names = {"Aircraft", "Flights", "Gauges",
                                                             "Modules"}) const {
        for (const std::string& name : names)
            mkdir(rel + "/" + name);
        if (addon)
            mkdir(rel + "/Tarnavel");
        return at(rel);
    }
    finder::Options options() {
        finder::Options o;
        o.env = finder::Environment::From(home, "", "", "");
        o.warn = [this](const std::string& text) { warnings.push_back(text); };
        return o;
    }
};

inline std::set<std::string> folders(const finder::FindResult& r) {
    std::set<std::string> out;
    for (const finder::Simulator& s : r.simulators)
        out.insert(s.folder);
    return out;
}

} // namespace fakehome
