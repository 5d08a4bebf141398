// The simulators the user set up, one absolute folder a line.
#include "finder/finder.h"
#include "finder/parsers.h"
#include "finder/walk.h"
#include "platform/base/fs.h"
#include "platform/base/fs_write.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tnv {

namespace finder {
namespace {

std::string readText(const std::string& path) {
    std::string text;
    if (!fsx::readFile(path, text, kMaxSmallFile))
        text.clear();
    return text;
}

// The same folder: the same text, or the same real path.
bool sameFolder(const std::string& a, const std::string& realB) {
    if (a == realB)
        return true;
    std::string realA = fsx::realPath(a);
    return !realA.empty() && realA == realB;
}

bool writeLines(const std::string& file, const std::vector<std::string>& lines,
                std::string* error) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    if (!fsx::makeFolders(fsx::parentFolder(file), 0700, error))
        return false;
    std::string why;
    if (fsx::writeFile(file, text, &why) == fsx::WriteStatus::Written)
        return true;
    if (error)
        *error = "cannot write " + file + (why.empty() ? "" : ": " + why);
    return false;
}

} // namespace

std::string RegistrationFile(const Environment& env) {
    return env.configHome.empty() ? std::string()
                                  : fsx::joinPath(env.configHome, "tarnavel/simulators");
}

std::vector<std::string> ReadRegistration(const Environment& env) {
    std::string file = RegistrationFile(env);
    return file.empty() ? std::vector<std::string>() : RegistrationLines(readText(file));
}

bool AddRegistration(const Environment& env, const std::string& folder, std::string* error) {
    std::string file = RegistrationFile(env);
    std::string real = fsx::realPath(folder);
    if (file.empty() || real.empty() || real.find('\n') != std::string::npos) {
        if (error)
            *error = file.empty() ? "no home folder is known to keep the list of simulators in"
                                  : "cannot register " + folder;
        return false;
    }
    std::vector<std::string> lines = ReadRegistration(env);
    for (const std::string& line : lines)
        if (sameFolder(line, real))
            return true;
    lines.push_back(real);
    return writeLines(file, lines, error);
}

bool RemoveRegistration(const Environment& env, const std::string& folder, std::string* error) {
    std::string file = RegistrationFile(env);
    std::vector<std::string> lines = ReadRegistration(env);
    std::string real = fsx::realPath(folder);
    if (real.empty())
        real = folder;
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (!sameFolder(line, real))
            kept.push_back(line);
    if (kept.size() == lines.size())
        return true;
    return writeLines(file, kept, error);
}

std::string ChoiceFile(const Environment& env) {
    return env.configHome.empty() ? std::string()
                                  : fsx::joinPath(env.configHome, "tarnavel/chosen");
}

std::string ReadChoice(const Environment& env) {
    std::string file = ChoiceFile(env);
    std::vector<std::string> lines =
        file.empty() ? std::vector<std::string>() : RegistrationLines(readText(file));
    return lines.empty() ? std::string() : lines.front();
}

bool KeepChoice(const Environment& env, const std::string& folder, std::string* error) {
    std::string file = ChoiceFile(env);
    std::string real = fsx::realPath(folder);
    if (file.empty() || real.empty() || real.find('\n') != std::string::npos) {
        if (error)
            *error = file.empty() ? "no home folder is known to keep the choice in"
                                  : "cannot keep " + folder;
        return false;
    }
    return writeLines(file, {real}, error);
}

AddonSimulators SimulatorsWithAddon(Options options) {
    AddonSimulators result;
    std::string kept = ReadChoice(options.env);
    for (const Simulator& s : Candidates(std::move(options)).simulators)
        if (s.hasAddon)
            result.folders.push_back(s.folder);
    std::string realKept = kept.empty() ? std::string() : fsx::realPath(kept);
    for (const std::string& folder : result.folders)
        if (!realKept.empty() && sameFolder(folder, realKept))
            result.kept = folder;
    return result;
}

} // namespace finder

} // namespace tnv
