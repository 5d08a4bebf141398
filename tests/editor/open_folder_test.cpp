#include "editor/open_folder.h"
#include "tests/finder/fake_home.h"

#include <gtest/gtest.h>

using namespace tnv;
using namespace tnv::cueline;

// Started without a file outside a simulator, File, Open begins in the crew packs of the
// simulator with the add-on (letter case aside); inside one, in the program's folder as always.
TEST(OpenFolder, CrewPacksOfTheSimulatorWithTheAddon) {
    struct Row {
        const char* what;
        int addons, kept = -1;
        bool inside = false;
        const char* packs = "Tarnavel/Sound/Crewpack";
        std::string want; // below the simulator; "~" the home folder, "" none (the program's own)
    } rows[] = {
        {"none", 0, -1, false, "", "~"},
        {"one", 1, -1, false, "TARNAVEL/sound/CrewPack", "TARNAVEL/sound/CrewPack"},
        {"one without crew packs", 1, -1, false, "Tarnavel/Sound", "Tarnavel/Sound"},
        {"several", 2, -1, false, "Tarnavel/Sound/Crewpack", "first"},
        {"several, one kept", 2, 1, false, "Tarnavel/Sound/Crewpack", "kept"},
        {"inside a simulator", 2, 1, true, "Tarnavel/Sound/Crewpack", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fakehome::Home h;
        h.prefix(".wine");
        std::vector<std::string> sims;
        for (int i = 0; i < row.addons; ++i) {
            sims.push_back(h.sim(".wine/drive_c/Sim" + std::to_string(i)));
            h.mkdir(".wine/drive_c/Sim" + std::to_string(i) + "/" + row.packs);
        }
        std::string error;
        if (row.kept >= 0) {
            ASSERT_TRUE(finder::KeepChoice(h.options().env, sims[std::size_t(row.kept)], &error));
        }
        std::string program = h.at("bin/TnvCueLine");
        if (row.inside) {
            h.mkdir("Sim/Aircraft");
            program = h.mkdir("Sim/Tarnavel/bin") + "/TnvCueLine";
        }
        finder::AddonSimulators found = finder::SimulatorsWithAddon(h.options());
        std::string want = row.want == "~"       ? h.home
                           : row.want == "first" ? found.folders.front() + "/" + row.packs
                           : row.want == "kept"  ? found.kept + "/" + row.packs
                           : row.want.empty()    ? ""
                                                 : sims[0] + "/" + row.want;
        EXPECT_EQ(OpenFolderOutsideSimulator(program, h.options()), want);
    }
}
