#include "browser/aircraft_scan.h"

#include "browser/aircraft_cfg.h"
#include "browser/config.h"
#include "browser/text_lines.h"
#include "platform/base/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace tnv::fleet {

namespace {

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
    return out;
}

// aircraft.cfg in a folder given as a disk path relative to `base` (an open folder, or AT_FDCWD),
// whatever its letter case; -1 when there is none (errno ENOENT) or it cannot be read.
int openAircraftCfg(int base, const std::string& diskFolder, std::uint64_t* size) {
    int fd = fsx::openRegularFileAt(base, diskFolder + "/aircraft.cfg", size);
    if (fd >= 0)
        return fd;
    int error = errno;
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
            fd = fsx::openRegularFileAt(folderFd, e->d_name, size);
            if (fd >= 0)
                break;
            error = errno;
        }
    }
    closedir(dir);
    errno = error;
    return fd;
}

// Reads an aircraft.cfg that is open and closes it.
void readAndClose(int fd, std::uint64_t size, std::string_view subfolder, AircraftTable& table,
                  const ExcludeKeywords& keywords, ScanObserver* observer) {
    CfgLines lines(fd, CfgLines::kWindow, size);
    ReadAircraftCfgLines(lines, subfolder, table, keywords, observer);
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
    read(nullptr);
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
    while (file && words_.size() < static_cast<std::size_t>(kMaxKeywords) &&
           lines.next(line, kKeywordLineChars)) {
        if (line.empty() || line.front() == '/' || line.front() == ' ')
            continue; // comment
        auto semi = line.find(';');
        if (semi == std::string_view::npos)
            continue;
        words_.emplace_back(line.substr(0, semi));
        folded_.push_back(fold(words_.back()));
    }
    std::vector<std::string> all = folded_;
    all.insert(all.end(), std::begin(kCfgKeys), std::end(kCfgKeys));
    scanWords_.assign(all);
}

std::size_t ExcludeKeywords::find(std::string_view text) const {
    std::size_t word = 0;
    std::size_t at = 0;
    while ((at = scanWords_.find(text, at, &word)) != std::string_view::npos &&
           word >= folded_.size())
        ++at; // a key
    return at;
}

std::string AircraftFolder(const BrowserConfig& config) {
    const std::string& base = config.baseFolder();
    auto pos = base.find_last_of('/');
    std::string parent = pos == std::string::npos ? std::string() : base.substr(0, pos);
    return parent + "/Aircraft";
}

int GrabDataFromAircraftCfg(const std::string& folder, AircraftTable& table,
                            const ExcludeKeywords& keywords, ScanObserver* observer) {
    table.NbrAircraftCfgFilled = 0;
    std::string diskFolder = fsx::resolvePath(folder);
    if (!fsx::isDirectory(diskFolder))
        return 0;
    std::vector<fsx::DirEntry> names = fsx::listFolder(fsx::fromDisk(diskFolder));
    std::erase_if(names, [](const fsx::DirEntry& e) { return !e.isDir; });
    const std::size_t taken = std::min(names.size(), static_cast<std::size_t>(kMaxFolders));
    // Each aircraft.cfg is opened from the Aircraft folder: the path above it is walked once.
    int aircraftFd = ::open(diskFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (std::size_t k = 0; k < names.size(); ++k) {
        const fsx::DirEntry& e = names[k];
        if (k < taken && table.NbrAircraftCfgFilled < kReadLimit) {
            std::uint64_t size = 0;
            int fd = aircraftFd >= 0 ? openAircraftCfg(aircraftFd, e.diskName, &size) : -1;
            const int error = errno;
            if (fd >= 0)
                readAndClose(fd, size, e.name, table, keywords, observer);
            else if (observer)
                observer->Folder(e.name, FolderReport(error == ENOENT ? FolderOutcome::NoCfg
                                                                      : FolderOutcome::NotOpened,
                                                      error));
        } else if (observer) {
            observer->Folder(e.name, FolderReport(k < taken ? FolderOutcome::TableFull
                                                            : FolderOutcome::TooManyFolders));
        } else {
            break; // nothing more is read
        }
    }
    if (aircraftFd >= 0)
        ::close(aircraftFd);
    TraceLine("GrabDataFromAircraftCfg Count=", static_cast<long>(taken));
    TraceLine("GrabDataFromAircraftCfg NbrAircraftCfgFilled=", table.NbrAircraftCfgFilled);
    return table.NbrAircraftCfgFilled;
}

void ReadAircraftCfg(const std::string& folder, const std::string& subfolder, AircraftTable& table,
                     const ExcludeKeywords& keywords) {
    std::uint64_t size = 0;
    int fd = openAircraftCfg(AT_FDCWD, fsx::resolvePath(folder + "/" + subfolder), &size);
    if (fd >= 0)
        readAndClose(fd, size, subfolder, table, keywords, nullptr);
}

void ReadAircraftCfgFrom(std::FILE* file, std::string_view subfolder, AircraftTable& table,
                         const ExcludeKeywords& keywords) {
    CfgLines lines(file);
    ReadAircraftCfgLines(lines, subfolder, table, keywords);
}

} // namespace tnv::fleet
