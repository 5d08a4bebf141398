#include "browser/aircraft_scan.h"

#include "browser/aircraft_cfg.h"
#include "browser/config.h"
#include "browser/text_lines.h"
#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace {

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return out;
}

// aircraft.cfg in a folder given as a disk path relative to `base` (an open folder, or AT_FDCWD),
// whatever its letter case; -1 when there is none.
int openAircraftCfg(int base, const std::string& diskFolder) {
    int fd = fsx::openRegularFileAt(base, diskFolder + "/aircraft.cfg");
    if (fd >= 0)
        return fd;
    int folderFd = ::openat(base, diskFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return -1;
    DIR* dir = fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return -1;
    }
    while (dirent* e = readdir(dir)) {
        if (strcasecmp(e->d_name, "aircraft.cfg") == 0) {
            fd = fsx::openRegularFileAt(folderFd, e->d_name);
            if (fd >= 0)
                break;
        }
    }
    closedir(dir);
    return fd;
}

// Reads an aircraft.cfg that is open and closes it.
void readAndClose(int fd, std::string_view subfolder, AircraftTable& table,
                  const ExcludeKeywords& keywords) {
    CfgLines lines(fd);
    ReadAircraftCfgLines(lines, subfolder, table, keywords);
    ::close(fd);
}

} // namespace

std::size_t FindNoCase(std::string_view line, std::string_view word) {
    if (word.size() > line.size())
        return std::string_view::npos;
    std::string l = fold(line);
    std::string w = fold(word);
    return std::string_view(l).find(w);
}

void ExcludeKeywords::clear() {
    words_.clear();
    folded_.clear();
    matcher_.clear();
}

void ExcludeKeywords::LoadExcludeKeywords(const BrowserConfig& config) {
    clear();
    if (std::FILE* f = OpenCaseBlind(config.MakeBasePath("/bin/FleetScout.txt"))) {
        read(f);
        std::fclose(f);
    }
}

void ExcludeKeywords::read(std::FILE* file) {
    TextLines lines(file);
    std::string_view line;
    while (words_.size() < static_cast<std::size_t>(kMaxKeywords) &&
           lines.next(line, kKeywordLineChars)) {
        if (line.empty() || line.front() == '/' || line.front() == ' ')
            continue; // comment
        auto semi = line.find(';');
        if (semi == std::string_view::npos)
            continue;
        words_.emplace_back(line.substr(0, semi));
        folded_.push_back(fold(words_.back()));
    }
    matcher_.assign(folded_);
}

bool ExcludeKeywords::matches(std::string_view line) const {
    if (folded_.empty())
        return false;
    return matchesFolded(fold(line));
}

bool ExcludeKeywords::matchesFolded(std::string_view foldedLine) const {
    return matcher_.anyIn(foldedLine);
}

std::string AircraftFolder(const BrowserConfig& config) {
    const std::string& base = config.baseFolder();
    auto pos = base.find_last_of('/');
    std::string parent = pos == std::string::npos ? std::string() : base.substr(0, pos);
    return parent + "/Aircraft";
}

int GrabDataFromAircraftCfg(const std::string& folder, AircraftTable& table,
                            const ExcludeKeywords& keywords) {
    table.NbrAircraftCfgFilled = 0;
    std::string diskFolder = fsx::resolvePath(folder);
    if (!fsx::isDirectory(diskFolder))
        return 0;
    std::vector<fsx::DirEntry> names;
    for (fsx::DirEntry& e : fsx::listFolder(fsx::fromDisk(diskFolder))) {
        if (!e.isDir)
            continue;
        if (names.size() == static_cast<std::size_t>(kMaxFolders))
            break;
        names.push_back(std::move(e));
    }
    // Each aircraft.cfg is opened from the Aircraft folder: the path above it is walked once.
    int aircraftFd = ::open(diskFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const fsx::DirEntry& e : names) {
        if (table.NbrAircraftCfgFilled >= kReadLimit)
            break;
        int fd = aircraftFd >= 0 ? openAircraftCfg(aircraftFd, e.diskName) : -1;
        if (fd >= 0)
            readAndClose(fd, e.name, table, keywords);
    }
    if (aircraftFd >= 0)
        ::close(aircraftFd);
    TraceLine("GrabDataFromAircraftCfg Count=", static_cast<long>(names.size()));
    TraceLine("GrabDataFromAircraftCfg NbrAircraftCfgFilled=", table.NbrAircraftCfgFilled);
    return table.NbrAircraftCfgFilled;
}

void ReadAircraftCfg(const std::string& folder, const std::string& subfolder, AircraftTable& table,
                     const ExcludeKeywords& keywords) {
    int fd = openAircraftCfg(AT_FDCWD, fsx::resolvePath(folder + "/" + subfolder));
    if (fd >= 0)
        readAndClose(fd, subfolder, table, keywords);
}

void ReadAircraftCfgFrom(std::FILE* file, std::string_view subfolder, AircraftTable& table,
                         const ExcludeKeywords& keywords) {
    CfgLines lines(file);
    ReadAircraftCfgLines(lines, subfolder, table, keywords);
}
