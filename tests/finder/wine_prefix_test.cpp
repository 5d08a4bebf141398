// A prefix made by Wine itself, with a simulator recorded only in its registry, as an installer
// records one, deeper than the search of drive_c goes.
#include "tests/finder/fake_home.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string wineProgram(const char* name) {
    for (std::string folder : {"/usr/lib/wine/", "/usr/bin/"})
        if (::access((folder + name).c_str(), X_OK) == 0)
            return folder + name;
    return {};
}

} // namespace

TEST(WinePrefix, SimulatorKnownOnlyToTheRegistry) {
    std::string wine = wineProgram("wine64"), server = wineProgram("wineserver64");
    if (wine.empty() || server.empty())
        GTEST_SKIP() << "wine64 is not installed (scripts/setup installs it)";
    fakehome::Home h;
    std::string prefix = h.at(".wine");
    std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + h.home + "' WINEPREFIX='" +
                      prefix + "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' ";
    // The registry reaches the disk when the wine server ends.
    std::string run = env + wine + " wineboot -i && " + env + wine +
                      " reg add 'HKLM\\Software\\Tarnavel Test\\Sim' /v InstallPath /t REG_SZ "
                      "/d 'C:\\Program Files\\Vendor\\Sims\\2004\\Gold\\Edition\\Sim' /f && " +
                      env + server + " -w";
    ASSERT_EQ(testsupport::runCommand("(" + run + ") >/dev/null 2>&1"), 0);
    for (const char* device : {"z:", "com1"})
        ASSERT_TRUE(testsupport::exists(prefix + "/dosdevices/" + device)) << device;
    std::string sim = h.sim(".wine/drive_c/Program Files/Vendor/Sims/2004/Gold/Edition/Sim", true);
    h.sim(".wine/drive_c/Program Files/Common Files/Shallow");

    finder::Options options = h.options();
    finder::FindResult r = finder::FindSimulators(options);
    testsupport::runCommand(env + server + " -k >/dev/null 2>&1");
    EXPECT_FALSE(r.timedOut);
    ASSERT_EQ(r.simulators.size(), 2u);
    EXPECT_EQ(r.simulators[0].folder, sim);
    EXPECT_TRUE(r.simulators[0].hasAddon);
    EXPECT_EQ(r.simulators[1].folder, h.at(".wine/drive_c/Program Files/Common Files/Shallow"));
}
