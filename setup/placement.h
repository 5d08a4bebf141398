// Placing the installed programs into a simulator, as the add-on's installer did (the editor and
// the browser in the add-on's bin folder, the uninstaller in the add-on's folder), with the
// simulator's menu group and its line in the list of set-up simulators. No Qt.
#pragma once

#include "finder/finder.h"
#include "setup/sim_menu.h"

#include <string>
#include <vector>

namespace tnv {

namespace placement {

struct Plan {
    std::string sim; // the simulator's folder, links resolved
    struct Program {
        std::string installed, placed;
    };
    std::vector<Program> programs;
    std::vector<simmenu::File> menu;
    std::string registrationFile;
    finder::Environment env;
    // Every file the set-up writes, one a line, in the order it writes them.
    std::vector<std::string> Lines() const;
};

// Works out what setting up `simFolder` writes, checking everything first: the programs are
// installed in `installedFolder`, the simulator folder holds an Aircraft folder, and nothing in
// the way is other than a file or a link (a file or link there is replaced: setting up again
// refreshes). False with the lines to say in `errors`.
bool MakePlan(const std::string& simFolder, const std::string& installedFolder,
              const finder::Environment& env, Plan& plan, std::vector<std::string>& errors);

// Places the programs (links, or copies with `copy`), each through a new file renamed over the
// old one, writes the menu files and registers the simulator. False with the reason in `error`
// at the first step that fails.
bool Carry(const Plan& plan, bool copy, std::string* error);

// A path as one line of text: as it is, or quoted for the shell when it holds a control
// character.
std::string Printable(const std::string& path);

} // namespace placement

} // namespace tnv
