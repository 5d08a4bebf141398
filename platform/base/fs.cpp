#include "platform/base/fs.h"

#include "platform/base/codepage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tnv {

namespace fsx {
namespace {

unsigned char foldUpper(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    return c;
}

bool isValidUtf8(std::string_view s, bool& allRepresentable) {
    allRepresentable = true;
    std::size_t pos = 0;
    while (pos < s.size()) {
        char32_t cp;
        if (!cp1252::decodeUtf8(s, pos, cp))
            return false;
        if (cp1252::fromUnicode(cp) < 0)
            allRepresentable = false;
    }
    return true;
}

} // namespace

bool nameLess(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = foldUpper(static_cast<unsigned char>(a[i]));
        unsigned char y = foldUpper(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldUpper(static_cast<unsigned char>(a[i])) !=
            foldUpper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool hasExtension(std::string_view name, std::string_view ext) {
    return name.size() >= ext.size() && equalNoCase(name.substr(name.size() - ext.size()), ext);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    // Appended piece by piece: gcc 12 at -O3 sees overlapping copies in `a + b + c` that are not.
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!folder.empty() && folder.back() != kSeparator)
        path.push_back(kSeparator);
    path.append(name);
    return path;
}

std::string lastComponent(const std::string& path) {
    auto pos = path.find_last_of(kSeparator);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string parentFolder(const std::string& path) {
    auto pos = path.find_last_of(kSeparator);
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string fromDisk(const std::string& diskName) {
    if (std::all_of(diskName.begin(), diskName.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return diskName; // ASCII reads the same in both
    std::string out;
    if (cp1252::fromUtf8(diskName, out))
        return out;
    return diskName;
}

std::string toDisk(const std::string& name) {
    bool representable = true;
    if (isValidUtf8(name, representable) && !representable)
        return name; // a disk name that passed through unchanged
    return cp1252::toUtf8(name);
}

std::vector<DirEntry> listFolder(const std::string& folder, std::size_t limit) {
    std::vector<DirEntry> entries;
    DIR* dir = opendir(toDisk(folder).c_str());
    if (!dir)
        return entries;
    while (entries.size() < limit) {
        errno = 0;
        dirent* e = readdir(dir);
        if (!e)
            break;
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        DirEntry entry;
        entry.diskName = e->d_name;
        entry.name = fromDisk(entry.diskName);
        if (e->d_type == DT_DIR) {
            entry.isDir = true;
        } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            std::string full = joinPath(toDisk(folder), entry.diskName);
            entry.isDir = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    // In nameLess's order: the names folded, then as they are; each name folded once, and the
    // entries moved once, when their order is known.
    std::vector<std::string> keys(entries.size());
    std::vector<std::uint32_t> order(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        keys[i] = entries[i].name;
        for (char& c : keys[i])
            c = static_cast<char>(foldUpper(static_cast<unsigned char>(c)));
        order[i] = static_cast<std::uint32_t>(i);
    }
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : entries[a].name < entries[b].name;
    });
    std::vector<DirEntry> sorted;
    sorted.reserve(entries.size());
    for (std::uint32_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
    return entries;
}

bool isDirectory(const std::string& diskPath) {
    struct stat st;
    return ::stat(diskPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& diskPath) {
    struct stat st;
    return ::stat(diskPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string resolve(const std::string& folder, const std::string& name) {
    std::string diskFolder = toDisk(folder);
    std::string exact = joinPath(diskFolder, toDisk(name));
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0)
        return exact;
    for (const DirEntry& e : listFolder(folder))
        if (equalNoCase(e.name, name))
            return joinPath(diskFolder, e.diskName);
    return exact;
}

std::string resolvePath(const std::string& path) {
    if (path.empty())
        return path;
    std::size_t start = path.front() == kSeparator ? 1 : 0;
    std::string folder8 = start ? "/" : ""; // 8-bit view of the resolved folder so far
    while (start <= path.size()) {
        std::size_t end = path.find(kSeparator, start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (!part.empty()) {
            std::string resolved = resolve(folder8.empty() ? "." : folder8, part);
            std::string name = lastComponent(resolved);
            folder8 = joinPath(folder8, fromDisk(name));
        }
        start = end + 1;
    }
    return toDisk(folder8);
}

std::string currentFolder() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string(".") : p.string();
}

std::string findInPath(const std::string& name) {
    if (name.empty() || name.find(kSeparator) != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        // An empty entry means the current folder.
        std::string candidate = joinPath(end > start ? dirs.substr(start, end - start) : ".", name);
        if (::access(candidate.c_str(), X_OK) == 0 && isFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

std::string programPath(const char* argv0) {
    std::string arg = argv0 ? argv0 : "";
    // A bare name was found through PATH, as the shell did.
    if (std::string found = findInPath(arg); !found.empty())
        arg = found;
    std::filesystem::path p(arg);
    if (p.is_relative())
        p = std::filesystem::path(currentFolder()) / p;
    return p.lexically_normal().string();
}

int openRegularFileAt(int dirFd, const std::string& path, std::uint64_t* size) {
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    int fd = ::openat(dirFd, path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = err;
        return -1;
    }
    // A regular file reads the same with O_NONBLOCK set, so it stays: two calls fewer a file
    // when thousands of aircraft.cfg files are read.
    if (size)
        *size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

int openRegularFile(const std::string& diskPath) {
    return openRegularFileAt(AT_FDCWD, diskPath);
}

std::FILE* openRegularStream(const std::string& diskPath) {
    int fd = openRegularFile(diskPath);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f)
        ::close(fd);
    return f;
}

bool readFile(const std::string& diskPath, std::string& out, std::size_t limit) {
    out.clear();
    FILE* f = openRegularStream(diskPath);
    if (!f)
        return false;
    char buf[65536];
    while (out.size() < limit) {
        std::size_t want = std::min(sizeof buf, limit - out.size());
        std::size_t got = std::fread(buf, 1, want, f);
        out.append(buf, got);
        if (got < want)
            break;
    }
    std::fclose(f);
    return true;
}

bool makeFolders(const std::string& diskPath, unsigned mode, std::string* error) {
    int err = 0;
    std::string failedAt;
    for (std::size_t at = diskPath.find(kSeparator, 1);; at = diskPath.find(kSeparator, at + 1)) {
        std::string folder = diskPath.substr(0, at);
        if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST && err == 0)
            err = errno, failedAt = folder;
        if (at == std::string::npos)
            break;
    }
    if (isDirectory(diskPath))
        return true;
    if (error)
        *error = "cannot create " + (failedAt.empty() ? diskPath : failedAt) + ": " +
                 std::strerror(err ? err : ENOTDIR);
    return false;
}

std::string realPath(const std::string& diskPath) {
    std::string out;
    if (char* real = ::realpath(diskPath.c_str(), nullptr)) {
        out = real;
        std::free(real);
    }
    return out;
}

} // namespace fsx

} // namespace tnv
