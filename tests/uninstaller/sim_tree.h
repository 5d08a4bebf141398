// A simulator tree with the add-on installed, built in a temporary folder, with the menu folder and
// the temporary folder inside it too.
#pragma once

#include "tests/support/test_support.h"
#include "uninstaller/removal.h"

#include <string>
#include <vector>

namespace simtree {

struct SimTree {
    testsupport::TempDir dir;
    std::string base;    // <tmp>
    std::string sim;     // <tmp>/sim
    std::string apps;    // <tmp>/data/applications
    std::string tmp;     // <tmp>/tmp
    std::string outside; // <tmp>/outside, a folder no removal may touch
    std::string program; // <tmp>/sim/Tarnavel/UninstallTarnavel

    SimTree();
    // Files that belong to the add-on (all gone after a full removal).
    std::vector<std::string> addonPaths() const;
    // Files of the simulator, the desktop and the user that must survive.
    std::vector<std::string> keptPaths() const;
    uninst::Environment env(const std::string& programPath = {}) const;
};

// Makes a file impossible to delete for this user; undone when destroyed. ok() is false when the
// system does not allow it (the test then has nothing to check).
class Undeletable {
public:
    explicit Undeletable(const std::string& file);
    ~Undeletable();
    bool ok() const { return ok_; }

private:
    std::string file_;
    bool ok_ = false;
    bool immutable_ = false;
};

bool exists(const std::string& path);

} // namespace simtree
