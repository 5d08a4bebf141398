#include "editor/open_folder.h"

#include "platform/base/fs.h"

namespace tnv::cueline {

namespace {

bool insideSimulator(const std::string& programPath) {
    std::string addon = fsx::parentFolder(fsx::parentFolder(programPath));
    return fsx::isDirectory(fsx::resolvePath(fsx::parentFolder(addon) + "/Aircraft"));
}

// The deepest of the add-on's crew-pack folders that is there.
std::string crewPacksOf(const std::string& simulator) {
    std::string folder = fsx::fromDisk(simulator);
    for (const char* part : {"/Tarnavel", "/Sound", "/Crewpack"}) {
        std::string deeper = fsx::fromDisk(fsx::resolvePath(folder + part));
        if (!fsx::isDirectory(fsx::toDisk(deeper)))
            break;
        folder = deeper;
    }
    return folder;
}

} // namespace

std::string OpenFolderOutsideSimulator(const std::string& programPath,
                                       const finder::Options& options) {
    if (insideSimulator(programPath))
        return {};
    finder::AddonSimulators found = finder::SimulatorsWithAddon(options);
    if (found.folders.empty())
        return fsx::fromDisk(options.env.home);
    return crewPacksOf(found.kept.empty() ? found.folders.front() : found.kept);
}

} // namespace tnv::cueline
