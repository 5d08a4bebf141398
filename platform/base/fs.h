// File system helpers: folders list in one order everywhere, names are looked up regardless of
// letter case when the exact name is absent, and names are 8-bit Windows-1252 text inside the
// programs while the disk holds UTF-8.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tnv {

namespace fsx {

constexpr char kSeparator = '/';

struct DirEntry {
    std::string name;     // 8-bit name, as the programs see it
    std::string diskName; // the name on disk
    bool isDir = false;
};

// Folder listing by name, letter case aside, then byte order; "." and ".." are left out.
// A folder that cannot be read lists nothing. At most `limit` entries are read.
std::vector<DirEntry> listFolder(const std::string& folder, std::size_t limit = 1'000'000);

// The ordering used by listFolder, on 8-bit names.
bool nameLess(std::string_view a, std::string_view b);

// Case-blind equality of two 8-bit names (ASCII and the Latin-1 letters).
bool equalNoCase(std::string_view a, std::string_view b);

// True when the 8-bit name ends in `ext` (with its dot), letter case aside.
bool hasExtension(std::string_view name, std::string_view ext);

// Folder and name joined with the platform separator.
std::string joinPath(const std::string& folder, const std::string& name);

// The last component of a path.
std::string lastComponent(const std::string& path);

// The folder part of a path (everything before the last separator); empty when there is none.
std::string parentFolder(const std::string& path);

// Conversions between the programs' 8-bit names and the disk's names. A disk name that is not
// representable passes through unchanged, and comes back unchanged.
std::string fromDisk(const std::string& diskName);
std::string toDisk(const std::string& name);

// The path of `name` in `folder` (both 8-bit), for reading or writing: the exact name when it
// exists, else an entry whose name matches regardless of letter case, else the exact name.
// The result is a disk path.
std::string resolve(const std::string& folder, const std::string& name);

// A disk path for an 8-bit path whose every component may differ in letter case from the disk.
std::string resolvePath(const std::string& path);

bool isDirectory(const std::string& diskPath);
bool isFile(const std::string& diskPath);

// The working folder, absolute, as a disk path.
std::string currentFolder();

// The program `name` in the folders of PATH, as a shell finds it: the first executable file; an
// empty entry is the current folder, no PATH the usual folders. Empty when there is none; a
// path (a name with a separator) is given back as it is.
std::string findInPath(const std::string& name);

// argv[0] made absolute without resolving links: the path the program was started by.
std::string programPath(const char* argv0);

// Makes every missing folder of `diskPath` with `mode`. False when it is not a folder after,
// with the reason in `error`.
bool makeFolders(const std::string& diskPath, unsigned mode, std::string* error = nullptr);

// The path with every link, "." and ".." resolved; empty when it does not exist.
std::string realPath(const std::string& diskPath);

// Reads at most `limit` bytes of a file. False when it cannot be opened or is no regular file.
bool readFile(const std::string& diskPath, std::string& out, std::size_t limit = SIZE_MAX);

// Opens a file for reading without ever waiting on it: a FIFO, a device, a socket or a folder
// in its place is refused as a file that cannot be read (errno EISDIR for a folder, else
// EINVAL). -1 on failure. The descriptor keeps O_NONBLOCK, which a regular file ignores: it
// reads blocking, as usual.
int openRegularFile(const std::string& diskPath);
// The same for a path relative to the folder open as `dirFd`, with the file's size if asked.
int openRegularFileAt(int dirFd, const std::string& path, std::uint64_t* size = nullptr);
// The same as a stdio stream for binary reading; nullptr on failure.
std::FILE* openRegularStream(const std::string& diskPath);

} // namespace fsx

} // namespace tnv
