#include "editor/pack_file.h"

#include "platform/base/fs.h"
#include "platform/base/fs_write.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnv::cueline {

namespace packfile {
namespace {

Stamp stampOf(const struct stat& st) {
    return {true,
            static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec),
            static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

// The file a path names, its folder's links resolved too, so that every way to it gives one name.
std::string canonicalFile(const std::string& file) {
    std::string target = fsx::writeTarget(file);
    std::string folder = fsx::parentFolder(target);
    if (std::string real = fsx::realPath(folder.empty() ? "." : folder); !real.empty())
        folder = real;
    return fsx::joinPath(folder, fsx::lastComponent(target));
}

// FNV-1a, 64 bits, as 16 hexadecimal digits: a short name that stands for a path.
std::string hashOf(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
}

std::string copyPrefix(const std::string& file) {
    return "CueLine-" + hashOf(canonicalFile(file)) + "-";
}

constexpr const char* kCopySuffix = ".clt";

} // namespace

Stamp Stamp::ofOpen(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 ? stampOf(st) : Stamp{};
}

Stamp Stamp::of(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? stampOf(st) : Stamp{};
}

bool isOwnTemporary(const std::string& name, const std::string& fileName) {
    const std::string head = "." + fileName + ".";
    return name.size() == head.size() + 6 && name.compare(0, head.size(), head) == 0 &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(head.size()), name.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

int removeLeftoverTemporaries(const std::string& folder, const std::string& fileName,
                              std::time_t before) {
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    int listFd = ::dup(dirFd);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (dirent* e = ::readdir(dir)) {
        struct stat st;
        if (isOwnTemporary(e->d_name, fileName) &&
            ::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == ::geteuid() && st.st_mtime < before &&
            ::unlinkat(dirFd, e->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    ::close(dirFd);
    return removed;
}

std::string cacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
        return fsx::joinPath(cache, "tarnavel");
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/')
        home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        home = pw->pw_dir;
    return home.empty() ? std::string() : fsx::joinPath(home, ".cache/tarnavel");
}

std::string keptCopyPattern(const std::string& file) {
    std::string folder = cacheFolder();
    return folder.empty() ? folder
                          : fsx::joinPath(folder, copyPrefix(file) + "XXXXXX" + kCopySuffix);
}

std::vector<std::string> keptCopiesOf(const std::string& file) {
    std::vector<std::string> copies;
    std::string folder = cacheFolder();
    if (folder.empty())
        return copies;
    const std::string prefix = copyPrefix(file), suffix = kCopySuffix;
    for (const fsx::DirEntry& e : fsx::listFolder(fsx::fromDisk(folder), 10'000)) {
        const std::string& n = e.diskName;
        if (!e.isDir && n.size() == prefix.size() + 6 + suffix.size() && n.rfind(prefix, 0) == 0 &&
            n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
            copies.push_back(fsx::joinPath(folder, n));
    }
    return copies;
}

} // namespace packfile

} // namespace tnv::cueline
