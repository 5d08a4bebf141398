#include "uninstaller/removal.h"

#include "finder/finder.h"
#include "platform/base/fs.h"
#include "platform/shell/shell.h"
#include "uninstaller/menu_removal.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tnv::uninstall {

namespace {

struct Entry {
    std::string name;
    struct stat st;
};

// The entries of an open folder in the order the Windows file system lists them, each with its
// own status (a link is a link, not what it points to).
std::vector<Entry> listEntries(int dirFd) {
    std::vector<Entry> entries;
    int fd = ::dup(dirFd);
    if (fd < 0)
        return entries;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return entries;
    }
    ::rewinddir(dir);
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        Entry entry{name, {}};
        if (::fstatat(dirFd, e->d_name, &entry.st, AT_SYMLINK_NOFOLLOW) == 0)
            entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return fsx::nameLess(fsx::fromDisk(a.name), fsx::fromDisk(b.name));
    });
    return entries;
}

std::string joined(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool isLink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A folder of the simulator's own (Flights, Gauges, Modules): where the simulator keeps those
// files, so a link to a folder is followed. No separator at the end.
std::string simulatorFolder(const std::string& simFolder, const std::string& name) {
    std::string path = FindEntry(simFolder, name);
    if (isLink(path) && fsx::isDirectory(path)) {
        std::string real = fsx::realPath(path);
        if (!real.empty())
            return real;
    }
    return path;
}

// Whether an unlink that failed with `err` left something behind.
bool leftBehind(int err) {
    return err != ENOENT && err != ENOTDIR;
}

// Deletes the files of an open folder, links as links; folders stay. Returns how many stayed.
int deleteFilesAt(int dirFd) {
    int failed = 0;
    for (const Entry& e : listEntries(dirFd))
        if (!S_ISDIR(e.st.st_mode) && ::unlinkat(dirFd, e.name.c_str(), 0) != 0 &&
            leftBehind(errno))
            ++failed;
    return failed;
}

// Opens the menu group `name` in an open folder. A link there is deleted as a link, and -1 is
// returned, as it is when there is no such folder.
int openGroup(int parentFd, const char* name) {
    struct stat st;
    if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (S_ISLNK(st.st_mode)) {
        ::unlinkat(parentFd, name, 0);
        return -1;
    }
    return ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

FileId FileId::of(const std::string& path) {
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
}

Environment CurrentEnvironment(const char* argv0) {
    Environment env;
    env.programPath = fsx::programPath(argv0);
    env.programsFolder = shell::ApplicationsFolder();
    env.tempFolder = shell::TempFolder();
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        env.runtimeFolder = runtime;
    if (const char* home = std::getenv("HOME"); home && *home)
        env.homeFolder = home;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        env.homeFolder = pw->pw_dir;
    env.pid = static_cast<long>(::getpid());
    std::string exe = fsx::realPath("/proc/self/exe"); // gone when the file was deleted
    if (!exe.empty() && fsx::isFile(exe))
        env.realProgramPath = exe;
    finder::Environment user = finder::Environment::FromProcess();
    env.dataHome = user.dataHome;
    env.configHome = user.configHome;
    return env;
}

std::string SimFolderOf(const std::string& programPath) {
    std::string folder = fsx::parentFolder(fsx::parentFolder(programPath));
    if (folder.empty())
        return "/";
    std::string real = fsx::realPath(folder);
    if (!real.empty())
        folder = real;
    return folder.back() == '/' ? folder : folder + '/';
}

std::string AddonSimFolder(const std::string& programPath) {
    std::string own = fsx::parentFolder(programPath);
    if (own.empty() || !fsx::equalNoCase(fsx::fromDisk(fsx::lastComponent(own)), "Tarnavel"))
        return {};
    std::string sim = SimFolderOf(programPath);
    return fsx::isDirectory(FindEntry(sim, "Aircraft")) ? sim : std::string();
}

std::string FindEntry(const std::string& folder, const std::string& name) {
    std::string exact = joined(folder, name);
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0 || errno != ENOENT)
        return exact;
    std::vector<std::string> matches;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(dir))
            if (fsx::equalNoCase(fsx::fromDisk(e->d_name), name))
                matches.push_back(e->d_name);
        ::closedir(dir);
    }
    if (matches.empty())
        return exact;
    return joined(folder, *std::min_element(matches.begin(), matches.end(),
                                            [](const std::string& a, const std::string& b) {
                                                return fsx::nameLess(fsx::fromDisk(a),
                                                                     fsx::fromDisk(b));
                                            }));
}

RemovalPlan MakePlan(const Environment& env) {
    RemovalPlan plan;
    // The path it was started by, so that a link in the add-on's folder works; else the file
    // itself, so that a desktop link to it works. Anywhere else the folders two levels up are
    // somebody's own (a home folder, say), never the simulator's.
    std::string program = env.programPath;
    std::string sim = AddonSimFolder(program);
    if (sim.empty() && !env.realProgramPath.empty() && env.realProgramPath != program) {
        program = env.realProgramPath;
        sim = AddonSimFolder(program);
    }
    if (sim.empty()) {
        std::string where = "'";
        where += fsx::parentFolder(env.programPath);
        where += "'";
        if (!env.realProgramPath.empty() &&
            fsx::parentFolder(env.realProgramPath) != fsx::parentFolder(env.programPath))
            where += " (the program file is in '" + fsx::parentFolder(env.realProgramPath) + "')";
        plan.refusal = "the uninstaller is not in the Tarnavel folder of a simulator (a folder "
                       "named Tarnavel beside an Aircraft folder): it runs from " +
                       where + "; nothing was removed";
        return plan;
    }
    plan.simFolder = sim;
    plan.addonFolder = FindEntry(sim, "Tarnavel");
    plan.flightsFolder = FindEntry(simulatorFolder(sim, "Flights"), "Tarnavel");
    plan.gaugeFile = FindEntry(simulatorFolder(sim, "Gauges"), "Tarnavel2004.gau");
    plan.moduleFile = FindEntry(simulatorFolder(sim, "Modules"), "Tarnavel.dll");
    PlanMenuRemoval(env, plan);
    std::string scriptFolder = !env.runtimeFolder.empty() && fsx::isDirectory(env.runtimeFolder)
                                   ? env.runtimeFolder
                               : env.tempFolder.empty() ? "/tmp"
                                                        : env.tempFolder;
    plan.scriptPath = fsx::joinPath(scriptFolder, kScriptPattern);
    plan.inUse = FileId::of(program);
    plan.pid = env.pid;

    // The script takes the uninstaller's folder away only when that is the add-on's folder:
    // never a folder reached through a link, nor the home folder or one holding it.
    std::string ownFolder = fsx::realPath(fsx::parentFolder(program));
    std::string home = env.homeFolder.empty() ? std::string() : fsx::realPath(env.homeFolder);
    bool holdsHome =
        !home.empty() && (home == plan.addonFolder || home.rfind(plan.addonFolder + "/", 0) == 0);
    if (!ownFolder.empty() && ownFolder == plan.addonFolder && !isLink(plan.addonFolder) &&
        !holdsHome) {
        plan.selfFolder = plan.addonFolder;
        plan.selfProgram = plan.addonFolder + "/" + fsx::lastComponent(program);
    }
    return plan;
}

std::vector<std::string> PlanPaths(const RemovalPlan& plan) {
    if (!plan.refusal.empty())
        return {};
    std::vector<std::string> paths{plan.addonFolder, plan.flightsFolder, plan.gaugeFile,
                                   plan.moduleFile};
    paths.insert(paths.end(), plan.menuFiles.begin(), plan.menuFiles.end());
    if (!plan.menuToolsFolder.empty()) {
        paths.push_back(plan.menuToolsFolder);
        paths.push_back(plan.menuGroupFolder);
    }
    if (!plan.registrationFile.empty())
        paths.push_back(plan.registrationFile);
    paths.push_back(plan.scriptPath);
    if (!plan.selfFolder.empty()) {
        paths.push_back(plan.selfProgram);
        paths.push_back(plan.selfFolder);
    }
    return paths;
}

std::string PrintablePath(const std::string& path) {
    auto control = [](unsigned char c) { return c < 0x20 || c == 0x7f; };
    if (std::none_of(path.begin(), path.end(), [&](char c) { return control(c); }))
        return path;
    std::string out;
    bool inQuote = false, inDollar = false;
    for (char ch : path) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (control(c)) {
            if (inQuote)
                out += '\'', inQuote = false;
            if (!inDollar)
                out += "$'", inDollar = true;
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\a':
                out += "\\a";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\v':
                out += "\\v";
                break;
            default:
                out += '\\';
                out += static_cast<char>('0' + (c >> 6));
                out += static_cast<char>('0' + ((c >> 3) & 7));
                out += static_cast<char>('0' + (c & 7));
            }
            continue;
        }
        if (inDollar)
            out += '\'', inDollar = false;
        if (c == '\'') {
            if (inQuote)
                out += '\'', inQuote = false;
            out += "\\'";
            continue;
        }
        if (!inQuote)
            out += '\'', inQuote = true;
        out += ch;
    }
    if (inQuote || inDollar)
        out += '\'';
    return out;
}

int DeleteFilesIn(const std::string& folder) {
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    int failed = deleteFilesAt(dirFd);
    ::close(dirFd);
    return failed;
}

int RemoveStartMenuGroup(const std::string& programsFolder) {
    if (programsFolder.empty())
        return 0;
    // The menu folder itself is the desktop's and may be a link; below it, a group that is a link
    // is deleted as a link, and nothing is reached through one.
    int appsFd = ::open(programsFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (appsFd < 0)
        return 0;
    int failed = 0;
    int groupFd = openGroup(appsFd, "Tarnavel");
    if (groupFd >= 0) {
        int toolsFd = openGroup(groupFd, "Tools");
        if (toolsFd >= 0) {
            failed += deleteFilesAt(toolsFd);
            ::close(toolsFd);
            ::unlinkat(groupFd, "Tools", AT_REMOVEDIR);
        }
        failed += deleteFilesAt(groupFd);
        ::close(groupFd);
        ::unlinkat(appsFd, "Tarnavel", AT_REMOVEDIR);
    }
    ::close(appsFd);
    return failed;
}

Outcome RunRemoval(const Environment& env, RemovalView& view, const ScriptStarter& start,
                   const ScriptTiming& timing) {
    RemovalPlan plan = MakePlan(env);
    if (!plan.refusal.empty()) {
        view.DisableUninstall();
        view.ShowLabel(kRefusedText);
        return Outcome::Refused;
    }
    view.DisableUninstall();
    view.ShowLabel(kRemovingText);
    TreeResult addon = RemoveTree(plan.addonFolder, plan.inUse);
    TreeResult flights = RemoveTree(plan.flightsFolder, plan.inUse);
    bool left = flights.refused || flights.failed || flights.hidden || flights.mounts ||
                (flights.found && !flights.removed);
    for (const std::string& file : {plan.gaugeFile, plan.moduleFile})
        if (::unlink(file.c_str()) != 0 && leftBehind(errno))
            left = true;
    left = RemoveMenuEntries(env, plan) > 0 || left;
    bool scriptStarted = WriteSelfRemovalScript(plan, start, timing);
    // What stays in the add-on's folder is the script's to take when it runs from there.
    bool scriptTakesAddon = scriptStarted && plan.selfFolder == plan.addonFolder;
    left = left || addon.refused || addon.failed || addon.mounts ||
           (addon.found && !addon.removed && !scriptTakesAddon) ||
           (addon.hidden && !scriptTakesAddon) || (!plan.selfFolder.empty() && !scriptStarted);
    view.ShowFinish();
    view.ShowLabel(left ? kLeftText : kDoneText);
    return left ? Outcome::Left : Outcome::Completed;
}

} // namespace tnv::uninstall
