// A crew pack: one folder of WAV recordings and its CueLine.clt, the text shown for each sound.
// The model builds the list of sounds from the text file and the folder, counts them, and writes
// the text file back from the rows its view shows.
#pragma once

#include "editor/pack_file.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace tnv::cueline {

constexpr int kMaxEntries = 201;      // room of the list
constexpr int kScanAppendLimit = 200; // the folder scan appends while the list is below this
constexpr int kMaxNameLen = 29;
constexpr int kMaxTextLen = 255;
constexpr int kMaxPieceLen = 569; // longest piece of a line read at once

struct SoundEntry {
    std::int32_t onDisk = 0;
    char fileName[kMaxNameLen + 1] = {};
    char text[kMaxTextLen + 1] = {};
};

// What the model needs of its view: showing the list, the status text, and the rows to save.
class CrewPackView {
public:
    virtual ~CrewPackView() = default;
    virtual void showCrewPack() = 0;
    virtual void setStatusText(const std::string& text) = 0;
    // The rows as displayed: file name (column 1) and text (column 2), already cut to 29 and 255
    // characters.
    virtual int rowCount() const = 0;
    virtual std::string rowFileName(int row) const = 0;
    virtual std::string rowText(int row) const = 0;
};

class CCrewPack {
public:
    explicit CCrewPack(CrewPackView* view) : view_(view) {}

    // The folder is an 8-bit path without a trailing separator.
    void setFolder(const std::string& folder);
    const std::string& folder() const { return folder_; }
    std::string name() const; // the folder's last component

    // Returns false when the text file could not be read (the list then stays as it was).
    bool loadCrewPack();
    // Loading from an open text file (closed by the caller), then the folder's WAV files.
    void loadCrewPackFrom(std::FILE* textFile);
    // Returns true when the file was written.
    bool saveCrewPack();

    bool isListed(const std::string& name) const;
    void markOnDisk(const std::string& name);

    int count() const { return count_; }
    const SoundEntry& entry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    // Counts over the valid entries; sets missingCount.
    struct Tally {
        int withText = 0;
        int withoutText = 0;
        int missing = 0;
    };
    Tally tally();
    int missingCount() const { return missingCount_; }
    // The status text for the list as it is now ("Ready - no Sound found" or the counts).
    std::string statusText(const Tally& tally) const;

    // Lines of the text file and sounds on disk the last load could not list.
    int unlistedLineCount() const { return unlistedLines_; }

    // The path of the text file on disk (found regardless of letter case).
    std::string textFilePath() const;

private:
    // What a load could not list, told in one message: the first few by name, the rest counted.
    struct LoadNotes {
        std::vector<std::string> shown;
        std::size_t total = 0;
        std::set<std::string> linesLeftOut; // names of text lines the full list left out
        void add(const std::string& note);
    };
    void readTextFile(std::FILE* file, LoadNotes& notes);
    void tellKeptCopies();
    bool changedOnDiskAndNotReplaced(const std::string& path);
    bool writeTextFile(const std::string& path, const std::string& data, int lines);
    void scanFolder(LoadNotes& notes);
    bool appendEntry(const std::string& name, const std::string& text);

    CrewPackView* view_;
    std::string folder_;
    std::vector<SoundEntry> entries_ = std::vector<SoundEntry>(kMaxEntries);
    int count_ = 0;
    int missingCount_ = 0;
    bool modified_ = false;
    int unlistedLines_ = 0;
    // The text file as the last load read it, to see at a save whether someone changed it since.
    packfile::Stamp loaded_;
    bool loadedKnown_ = false;
    std::set<std::string> copiesTold_; // kept copies of old texts already told this run
};

// The crew pack's folder for a path given on the command line or chosen in the open dialog: the
// path itself when it is a folder, else the folder of the file (the current folder when the path
// has none).
std::string crewPackFolderFor(const std::string& path);

} // namespace tnv::cueline
