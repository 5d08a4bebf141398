#include "platform/fs.h"

#include "platform/codepage.h"

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
    if (folder.empty())
        return name;
    if (folder.back() == kSeparator)
        return folder + name;
    return folder + kSeparator + name;
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
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return nameLess(a.name, b.name); });
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

std::string programPath(const char* argv0) {
    std::string arg = argv0 ? argv0 : "";
    if (arg.find('/') == std::string::npos) {
        // Found through PATH, as the shell did.
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "";
        std::size_t start = 0;
        while (start <= dirs.size()) {
            std::size_t end = dirs.find(':', start);
            if (end == std::string::npos)
                end = dirs.size();
            std::string dir = dirs.substr(start, end - start);
            if (dir.empty())
                dir = ".";
            std::string candidate = joinPath(dir, arg);
            if (::access(candidate.c_str(), X_OK) == 0 && isFile(candidate)) {
                arg = candidate;
                break;
            }
            start = end + 1;
        }
    }
    std::filesystem::path p(arg);
    if (p.is_relative())
        p = std::filesystem::path(currentFolder()) / p;
    return p.lexically_normal().string();
}

int openRegularFileAt(int dirFd, const std::string& path) {
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
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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

namespace {
WriteStatus injectedStage = WriteStatus::Written;
int injectedErrno = 0;
} // namespace

void injectWriteFailure(WriteStatus stage, int err) {
    injectedStage = stage;
    injectedErrno = err;
}

WriteStatus writeFileAtomic(const std::string& diskPath, std::string_view data,
                            std::string* error) {
    auto fail = [&](const std::string& what, int err) {
        if (error)
            *error = what + ": " + std::strerror(err);
        return WriteStatus::CannotWrite;
    };
    std::string folder = parentFolder(diskPath);
    std::string tmpl =
        joinPath(folder.empty() ? "." : folder, "." + lastComponent(diskPath) + ".XXXXXX");
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = injectedStage == WriteStatus::CannotCreate ? (errno = injectedErrno, -1)
                                                        : ::mkstemp(name.data());
    if (fd < 0) {
        fail("cannot create a file in " + (folder.empty() ? std::string(".") : folder), errno);
        return WriteStatus::CannotCreate;
    }
    std::string tmp(name.data());
    struct stat st;
    if (::stat(diskPath.c_str(), &st) == 0)
        ::fchmod(fd, st.st_mode & 07777);
    else
        ::fchmod(fd, 0644);
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = injectedStage == WriteStatus::CannotWrite
                        ? (errno = injectedErrno, -1)
                        : ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(tmp.c_str());
            return fail("cannot write " + diskPath, err);
        }
        done += static_cast<std::size_t>(n);
    }
    if (injectedStage == WriteStatus::CannotWrite && data.empty()) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail("cannot write " + diskPath, injectedErrno);
    }
    if (::fsync(fd) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        return fail("cannot write " + diskPath, err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return fail("cannot write " + diskPath, err);
    }
    if (::rename(tmp.c_str(), diskPath.c_str()) != 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return fail("cannot replace " + diskPath, err);
    }
    return WriteStatus::Written;
}

} // namespace fsx
