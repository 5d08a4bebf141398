#include "finder/walk.h"

#include "finder/parsers.h"
#include "platform/base/fs.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tnv {

namespace finder::detail {
namespace {

// A folder listing stops here: no simulator folder holds more.
constexpr std::size_t kMaxEntries = 100'000;
constexpr int kMaxDepth = 5;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (lower(*a) != lower(*b))
            return false;
    return *a == *b;
}

const char* const kSimulatorFolders[] = {"aircraft", "flights", "gauges", "modules"};

std::string joined(const std::string& folder, const std::string& name) {
    return folder.size() > 1 && folder.back() == '/' ? folder + name
           : folder == "/"                           ? "/" + name
                                                     : folder + "/" + name;
}

bool isInside(const std::string& path, const std::string& folder) {
    return path == folder || (path.size() > folder.size() && path.starts_with(folder) &&
                              (folder == "/" || path[folder.size()] == '/'));
}

// Notes what one entry of a folder is, from its directory record where the file system gives it.
void noteEntry(int dirFd, const dirent* e, bool wantChildren, FolderLook& look) {
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN) {
        struct stat st;
        if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    if (type != DT_DIR && type != DT_LNK)
        return;
    bool isFolder = type == DT_DIR;
    bool special = false;
    for (const char* name : kSimulatorFolders)
        special = special || sameNoCase(e->d_name, name);
    special = special || sameNoCase(e->d_name, "tarnavel");
    if (special && !isFolder) {
        // A simulator's own folder may be a link (to another disk, say): asked, never opened.
        struct stat st;
        isFolder = ::fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    if (special && isFolder) {
        if (sameNoCase(e->d_name, "tarnavel"))
            look.addon = true;
        else
            ++look.simulatorFolders,
                look.aircraft = look.aircraft || sameNoCase(e->d_name, "aircraft");
    }
    if (wantChildren) {
        if (type == DT_DIR)
            look.folders.emplace_back(e->d_name);
        else
            look.links.emplace_back(e->d_name);
    }
}

} // namespace

Deadline::Deadline(const Options& options)
    : clock_(options.clock), end_(options.clock() + options.deadline) {}

bool Deadline::passed() {
    if (!passed_ && clock_() >= end_)
        passed_ = true;
    return passed_;
}

bool IsForeignFileSystem(int dirFd) {
    struct statfs fs;
    if (::fstatfs(dirFd, &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0UL:     // proc
    case 0x62656572UL: // sysfs
    case 0x6969UL:     // NFS
    case 0x517bUL:     // SMB
    case 0xff534d42UL: // CIFS
    case 0xfe534d42UL: // SMB2
    case 0x65735546UL: // FUSE (sshfs, ntfs-3g, gvfs...)
    case 0x01021997UL: // 9p
    case 0x00c36400UL: // Ceph
    case 0x5346414fUL: // AFS
    case 0x6b414653UL: // kAFS
    case 0x73757245UL: // Coda
    case 0x564cUL:     // NCP
    case 0x1373UL:     // devfs
    case 0x74726163UL: // tracefs
    case 0x64626720UL: // debugfs
        return true;
    default:
        return false;
    }
}

FolderLook LookAt(int fd, bool wantChildren) {
    FolderLook look;
    struct stat st;
    DIR* dir = ::fstat(fd, &st) == 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        ::close(fd);
        return look;
    }
    look.device = static_cast<std::uint64_t>(st.st_dev);
    look.inode = static_cast<std::uint64_t>(st.st_ino);
    look.readable = true;
    std::size_t count = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (++count > kMaxEntries)
            break;
        if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && !e->d_name[2])))
            continue;
        noteEntry(fd, e, wantChildren, look);
    }
    ::closedir(dir);
    return look;
}

int OpenFolder(const std::string& folder) {
    // O_DIRECTORY refuses a FIFO or a device before it could be opened.
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
}

FolderLook LookInto(const std::string& folder, bool wantChildren) {
    int fd = OpenFolder(folder);
    return fd < 0 ? FolderLook() : LookAt(fd, wantChildren);
}

std::string FindNoCase(const std::string& folder, const std::string& name) {
    std::string exact = joined(folder, name);
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0)
        return exact;
    std::string best;
    if (DIR* dir = ::opendir(folder.c_str())) {
        std::size_t count = 0;
        while (const dirent* e = ::readdir(dir)) {
            if (++count > kMaxEntries)
                break;
            if (sameNoCase(e->d_name, name.c_str()) && (best.empty() || e->d_name < best))
                best = e->d_name;
        }
        ::closedir(dir);
    }
    return best.empty() ? std::string() : joined(folder, best);
}

bool Found::refused(const std::string& folder) const {
    return options_.refuseFolder && options_.refuseFolder(folder);
}

void Found::add(const std::string& folder, bool hasAddon) {
    std::string real = fsx::realPath(folder);
    if (real.empty())
        real = folder;
    if (seen_.insert(real).second)
        list_.push_back({real, hasAddon});
}

void Found::examine(const std::string& folder, bool aircraftOnly) {
    if (folder.empty() || refused(folder))
        return;
    std::string real = fsx::realPath(folder);
    if (isInside(real, "/proc") || isInside(real, "/sys"))
        return;
    FolderLook look = LookInto(folder, false);
    if (look.isSimulator() || (aircraftOnly && look.aircraft))
        add(folder, look.addon);
}

namespace {

struct Visit {
    std::string path;
    int depth;
    std::size_t prefix; // index into the walk's roots
};

struct Root {
    std::string bound; // the prefix's real path: no link leads out of it
    std::uint64_t device = 0;
};

// Looks into one folder of the walk; queues its subfolders (and links that stay inside the
// prefix) while the depth allows.
void visitFolder(const Visit& v, std::vector<Root>& roots,
                 std::set<std::pair<std::uint64_t, std::uint64_t>>& seen, std::deque<Visit>& queue,
                 Found& found) {
    if (found.refused(v.path))
        return;
    int fd = OpenFolder(v.path);
    if (fd < 0)
        return;
    struct stat st;
    bool enter = ::fstat(fd, &st) == 0;
    Root& root = roots[v.prefix];
    if (enter && v.depth == 0)
        root.device = static_cast<std::uint64_t>(st.st_dev);
    else if (enter && static_cast<std::uint64_t>(st.st_dev) != root.device)
        enter = !IsForeignFileSystem(fd); // a mount inside the prefix
    if (!enter || !seen.insert({st.st_dev, st.st_ino}).second) {
        ::close(fd);
        return;
    }
    FolderLook look = LookAt(fd, v.depth < kMaxDepth);
    if (look.isSimulator()) {
        found.add(v.path, look.addon);
        return;
    }
    for (const std::string& name : look.folders)
        queue.push_back({joined(v.path, name), v.depth + 1, v.prefix});
    for (const std::string& name : look.links) {
        std::string real = fsx::realPath(joined(v.path, name));
        if (!real.empty() && isInside(real, root.bound) && real != root.bound)
            queue.push_back({real, v.depth + 1, v.prefix});
    }
}

} // namespace

void WalkDriveC(const std::vector<Prefix>& prefixes, Found& found, Deadline& deadline) {
    std::vector<Root> roots;
    std::deque<Visit> queue;
    for (const Prefix& p : prefixes) {
        queue.push_back({joined(p.folder, "drive_c"), 0, roots.size()});
        roots.push_back({p.folder, 0});
    }
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    while (!queue.empty() && !deadline.passed()) {
        Visit v = std::move(queue.front());
        queue.pop_front();
        visitFolder(v, roots, seen, queue, found);
    }
}

namespace {

// A drive path of the registry as a path on disk, through the prefix's dosdevices, each name
// matched letter case aside as Wine does. Empty when a part of it is missing.
std::string mapDrivePath(const std::string& prefix, const std::string& windowsPath) {
    std::string drive(1, lower(windowsPath[0]));
    std::string path = FindNoCase(joined(prefix, "dosdevices"), drive + ":");
    std::size_t pos = 3;
    while (!path.empty() && pos < windowsPath.size()) {
        std::size_t end = windowsPath.find_first_of("\\/", pos);
        if (end == std::string::npos)
            end = windowsPath.size();
        std::string name = windowsPath.substr(pos, end - pos);
        pos = end + 1;
        if (name.empty() || name == ".")
            continue;
        if (name == "..")
            return {};
        path = FindNoCase(path, name);
    }
    return path;
}

} // namespace

void ExamineRegistry(const Prefix& prefix, Found& found, Deadline& deadline) {
    std::set<std::string> examined;
    for (const char* file : {"system.reg", "user.reg"}) {
        std::string text;
        if (!fsx::readFile(joined(prefix.folder, file), text, kMaxInput))
            continue;
        for (const std::string& windowsPath : RegistryDrivePaths(text)) {
            if (deadline.passed())
                return;
            std::string path = mapDrivePath(prefix.folder, windowsPath);
            struct stat st;
            if (path.empty() || ::stat(path.c_str(), &st) != 0)
                continue;
            // A program's file names its folder; a FIFO or a device is never opened.
            if (S_ISREG(st.st_mode))
                path = fsx::parentFolder(path);
            else if (!S_ISDIR(st.st_mode))
                continue;
            if (examined.insert(path).second)
                found.examine(path);
        }
    }
}

} // namespace finder::detail

} // namespace tnv
