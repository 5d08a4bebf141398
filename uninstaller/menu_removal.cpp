#include "uninstaller/menu_removal.h"

#include "finder/finder.h"
#include "finder/parsers.h"
#include "platform/base/fs.h"
#include "setup/sim_menu.h"
#include "uninstaller/removal.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tnv::uninstall {

namespace {

std::string withoutSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

finder::Environment userFolders(const Environment& env) {
    finder::Environment user;
    user.configHome = env.configHome;
    user.dataHome = env.dataHome;
    return user;
}

bool registered(const Environment& env, const std::string& sim) {
    std::vector<std::string> lines = finder::ReadRegistration(userFolders(env));
    return std::find(lines.begin(), lines.end(), sim) != lines.end();
}

} // namespace

void PlanMenuRemoval(const Environment& env, RemovalPlan& plan) {
    std::string sim = withoutSeparator(plan.simFolder);
    simmenu::Places places = simmenu::Places::From(env.dataHome, env.configHome);
    if (places.known())
        plan.menuFiles = simmenu::GroupOf(places, sim).Files();
    if (!env.programsFolder.empty() && simmenu::OldGroupBelongsTo(env.programsFolder, sim)) {
        plan.menuToolsFolder = fsx::joinPath(env.programsFolder, "Tarnavel/Tools");
        plan.menuGroupFolder = fsx::joinPath(env.programsFolder, "Tarnavel");
    }
    if (registered(env, sim))
        plan.registrationFile = finder::RegistrationFile(userFolders(env));
}

int RemoveMenuEntries(const Environment& env, const RemovalPlan& plan) {
    int failed = 0;
    for (const std::string& file : plan.menuFiles)
        if (::unlink(file.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR)
            ++failed;
    if (!plan.menuGroupFolder.empty())
        failed += RemoveStartMenuGroup(env.programsFolder);
    if (!plan.registrationFile.empty() &&
        !finder::RemoveRegistration(userFolders(env), withoutSeparator(plan.simFolder), nullptr))
        ++failed;
    return failed;
}

} // namespace tnv::uninstall
