#include "uninstaller/removal.h"

#include "platform/fs.h"
#include "platform/shell.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace uninst {
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

bool sameFile(const struct stat& st, const FileId& id) {
    return id.valid && static_cast<std::uint64_t>(st.st_dev) == id.device &&
           static_cast<std::uint64_t>(st.st_ino) == id.inode;
}

void removeContents(int dirFd, dev_t device, const FileId& inUse) {
    for (const Entry& e : listEntries(dirFd))
        if (!S_ISDIR(e.st.st_mode) && !sameFile(e.st, inUse))
            ::unlinkat(dirFd, e.name.c_str(), 0);
    for (const Entry& e : listEntries(dirFd)) {
        if (!S_ISDIR(e.st.st_mode) || e.name[0] == '.' || e.st.st_dev != device)
            continue;
        int sub = ::openat(dirFd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0)
            continue;
        removeContents(sub, device, inUse);
        ::close(sub);
        ::unlinkat(dirFd, e.name.c_str(), AT_REMOVEDIR);
    }
}

// The current folder, kept so that it can be made current again.
class CurrentFolder {
public:
    CurrentFolder() {
        fd_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
        if (fd_ < 0)
            fd_ = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
        if (fd_ < 0)
            path_ = read();
    }
    ~CurrentFolder() {
        if (fd_ >= 0 && ::fchdir(fd_) == 0) {
            ::close(fd_);
            return;
        }
        if (fd_ >= 0)
            ::close(fd_);
        if (path_.empty() || ::chdir(path_.c_str()) != 0)
            (void)!::chdir("/");
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

    static std::string read() {
        std::string path;
        if (char* cwd = ::getcwd(nullptr, 0)) {
            path = cwd;
            std::free(cwd);
        }
        return path;
    }

private:
    int fd_ = -1;
    std::string path_;
};

std::string canonical(const std::string& path) {
    std::string out;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        out = real;
        std::free(real);
    }
    return out;
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
    if (const char* home = std::getenv("HOME"); home && *home)
        env.homeFolder = home;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        env.homeFolder = pw->pw_dir;
    env.pid = static_cast<long>(::getpid());
    return env;
}

std::string SimFolderOf(const std::string& programPath) {
    std::string folder = fsx::parentFolder(fsx::parentFolder(programPath));
    if (folder.empty())
        return "/";
    std::string real = canonical(folder);
    if (!real.empty())
        folder = real;
    return folder.back() == '/' ? folder : folder + '/';
}

RemovalPlan MakePlan(const Environment& env) {
    RemovalPlan plan;
    plan.simFolder = SimFolderOf(env.programPath);
    plan.addonFolder = plan.simFolder + "Tarnavel";
    plan.flightsFolder = plan.simFolder + "Flights/Tarnavel";
    plan.gaugeFile = plan.simFolder + "Gauges/Tarnavel2004.gau";
    plan.moduleFile = plan.simFolder + "Modules/Tarnavel.dll";
    if (!env.programsFolder.empty()) {
        plan.menuToolsFolder = fsx::joinPath(env.programsFolder, "Tarnavel/Tools");
        plan.menuGroupFolder = fsx::joinPath(env.programsFolder, "Tarnavel");
    }
    plan.scriptPath = fsx::joinPath(env.tempFolder.empty() ? "/tmp" : env.tempFolder, kScriptName);
    plan.inUse = FileId::of(env.programPath);
    plan.pid = env.pid;

    // The script takes the uninstaller's folder away only when that is the add-on's folder:
    // run from a download folder or a system folder, it must leave that folder alone.
    std::string ownFolder = canonical(fsx::parentFolder(env.programPath));
    std::string home = env.homeFolder.empty() ? std::string() : canonical(env.homeFolder);
    bool holdsHome =
        !home.empty() && (home == plan.addonFolder || home.rfind(plan.addonFolder + "/", 0) == 0);
    if (!ownFolder.empty() && ownFolder == plan.addonFolder && !holdsHome) {
        plan.selfFolder = plan.addonFolder;
        plan.selfProgram = plan.addonFolder + "/" + fsx::lastComponent(env.programPath);
    }
    return plan;
}

std::vector<std::string> PlanPaths(const RemovalPlan& plan) {
    std::vector<std::string> paths{plan.addonFolder, plan.flightsFolder, plan.gaugeFile,
                                   plan.moduleFile};
    if (!plan.menuToolsFolder.empty()) {
        paths.push_back(plan.menuToolsFolder);
        paths.push_back(plan.menuGroupFolder);
    }
    paths.push_back(plan.scriptPath);
    if (!plan.selfFolder.empty()) {
        paths.push_back(plan.selfProgram);
        paths.push_back(plan.selfFolder);
    }
    return paths;
}

void RemoveTree(const std::string& folder, const FileId& inUse) {
    int top = -1;
    {
        CurrentFolder remembered;
        if (folder.empty() || ::chdir(folder.c_str()) != 0)
            return;
        // Exact comparison: a link on the way, or a name differing in letter case, is not it.
        if (CurrentFolder::read() != folder)
            return;
        top = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (top < 0)
        return;
    struct stat st;
    if (::fstat(top, &st) == 0)
        removeContents(top, st.st_dev, inUse);
    ::close(top);
    ::rmdir(folder.c_str());
}

void DeleteFilesIn(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir))
        names.push_back(e->d_name);
    ::closedir(dir);
    for (const std::string& name : names)
        ::unlink((folder + "/" + name).c_str()); // folders, "." and ".." fail, as they should
}

void RemoveStartMenuGroup(const std::string& programsFolder) {
    if (programsFolder.empty())
        return;
    for (const char* group : {"Tarnavel/Tools", "Tarnavel"}) {
        std::string folder = fsx::joinPath(programsFolder, group);
        DeleteFilesIn(folder);
        ::rmdir(folder.c_str());
    }
}

void RunRemoval(const Environment& env, RemovalView& view, const ScriptStarter& start,
                const ScriptTiming& timing) {
    RemovalPlan plan = MakePlan(env);
    view.DisableUninstall();
    view.ShowLabel(kRemovingText);
    RemoveTree(plan.addonFolder, plan.inUse);
    RemoveTree(plan.flightsFolder, plan.inUse);
    ::unlink(plan.gaugeFile.c_str());
    ::unlink(plan.moduleFile.c_str());
    RemoveStartMenuGroup(env.programsFolder);
    WriteSelfRemovalScript(plan, start, timing);
    view.ShowFinish();
    view.ShowLabel(kDoneText);
}

} // namespace uninst
