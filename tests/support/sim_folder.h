// A simulator laid out on disk for the tests: the add-on's folder with its settings and keyword
// list, and an Aircraft folder.
#pragma once

#include "tests/support/test_support.h"

#include <cstdint>
#include <string>

namespace testsupport {

// An aircraft.cfg with one livery `title` (and the lines `moreTitles` after it), an engine type
// and count, and an empty weight in pounds.
std::string aircraftCfgText(const std::string& title, int weight, int engineType, int engines,
                            const std::string& moreTitles = "");

// "Sim/Tarnavel" (the add-on) and "Sim/Aircraft" in a temporary folder. Each writer returns the
// path of the file it wrote.
struct SimFolder {
    TempDir dir;
    std::string base = dir.mkdir("Sim/Tarnavel");

    // Sim/Aircraft/`folder`/aircraft.cfg.
    std::string aircraft(const std::string& folder, const std::string& text) const;
    // The add-on's settings block with a currency name and the unit flag.
    std::string settings(const std::string& currency, std::int32_t unitFlag) const;
    std::string currencies(const std::string& text) const;
    std::string keywords(const std::string& text) const;
    // The program's path as if it were installed in the add-on's bin folder.
    std::string programPath() const { return base + "/bin/FleetValuer"; }
};

} // namespace testsupport
