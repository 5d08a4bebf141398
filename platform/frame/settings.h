// The program's own settings, kept by the desktop's settings store under a key named after the
// program: a few values and the recent-file list.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tnv {

class Settings {
public:
    // `key` and `application` name the settings (on Linux, a file under the user's configuration
    // folder); `recentSize` is the length of the recent-file list.
    Settings(const std::string& key, const std::string& application, int recentSize);
    // Settings kept in the given file instead, for tests.
    Settings(const std::string& iniFile, int recentSize);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // 8-bit paths, newest first, at most recentSize of them.
    std::vector<std::string> recentFiles() const;
    // Puts a path at the head of the list; an equal path already listed moves up.
    void addRecentFile(const std::string& path);

    std::string getString(const std::string& section, const std::string& entry,
                          const std::string& fallback) const;
    void setString(const std::string& section, const std::string& entry, const std::string& value);
    int getInt(const std::string& section, const std::string& entry, int fallback) const;
    void setInt(const std::string& section, const std::string& entry, int value);

    // Writes pending changes, whole or not at all; false when the store cannot be written. A
    // settings file that is no regular file (a FIFO, a device, a folder), or one larger than
    // 256 KiB, is neither read nor written: the values then live for this run only.
    bool sync();
    // The file that holds the settings, as a disk path.
    std::string fileName() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    int recentSize_;
};

} // namespace tnv
