#include "editor/crew_pack.h"

#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "platform/base/msgbox.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

namespace tnv::cueline {

namespace {

const char* const kAppTitle = "CueLine";
const char* const kTextFileName = "CueLine.clt";
constexpr std::size_t kMaxNotesShown = 20;
// Boxes about too long names before the rest go into the one load message.
constexpr int kMaxNameBoxes = 3;
constexpr std::size_t kMaxNameShown = 60;

// Hands out the file's lines in pieces of at most kMaxPieceLen bytes; a piece ends after a line
// feed or when it is full, as a fixed-size line read does.
class PieceReader {
public:
    explicit PieceReader(std::FILE* file) : file_(file) {}
    bool next(std::string& piece) {
        piece.clear();
        while (piece.size() < static_cast<std::size_t>(kMaxPieceLen)) {
            if (pos_ == len_) {
                len_ = std::fread(buf_, 1, sizeof buf_, file_);
                pos_ = 0;
                if (len_ == 0)
                    return !piece.empty();
            }
            char c = buf_[pos_++];
            piece += c;
            if (c == '\n')
                break;
        }
        return true;
    }

private:
    std::FILE* file_;
    char buf_[65536];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
};

bool isControl(char c) {
    return static_cast<unsigned char>(c) < 32;
}

// Copies a text into a fixed field as a C string: it ends at its first zero byte or at the room.
template <std::size_t N> void copyField(char (&field)[N], const std::string& text) {
    std::size_t n = std::min(std::strlen(text.c_str()), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

// A name as a message shows it: line breaks made visible, and not longer than a message line.
std::string shownName(const std::string& name) {
    std::string out;
    for (char c : name.substr(0, kMaxNameShown)) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return name.size() > kMaxNameShown ? out + "..." : out;
}

// A name that a "name;text" line cannot carry: it would read back as another name.
bool nameFitsALine(const std::string& name) {
    return name.find_first_of(";\r\n") == std::string::npos;
}

std::string format(const char* fmt, const std::string& s) {
    std::string out = fmt;
    auto pos = out.find("%s");
    if (pos != std::string::npos)
        out.replace(pos, 2, s);
    return out;
}

} // namespace

void CCrewPack::setFolder(const std::string& folder) {
    folder_ = folder;
    while (folder_.size() > 1 && folder_.back() == fsx::kSeparator)
        folder_.pop_back();
}

std::string CCrewPack::name() const {
    return fsx::lastComponent(folder_);
}

std::string CCrewPack::textFilePath() const {
    return fsx::resolve(folder_, kTextFileName);
}

bool CCrewPack::isListed(const std::string& name) const {
    for (int i = 0; i < count_; ++i)
        if (name == entries_[static_cast<std::size_t>(i)].fileName)
            return true;
    return false;
}

void CCrewPack::markOnDisk(const std::string& name) {
    for (int i = 0; i < count_; ++i)
        if (name == entries_[static_cast<std::size_t>(i)].fileName)
            entries_[static_cast<std::size_t>(i)].onDisk = 1;
}

bool CCrewPack::appendEntry(const std::string& name, const std::string& text) {
    if (count_ >= kMaxEntries)
        return false;
    SoundEntry& e = entries_[static_cast<std::size_t>(count_++)];
    e.onDisk = 0;
    copyField(e.fileName, name);
    copyField(e.text, text);
    return true;
}

void CCrewPack::LoadNotes::add(const std::string& note) {
    if (shown.size() < kMaxNotesShown)
        shown.push_back(note);
    ++total;
}

void CCrewPack::readTextFile(std::FILE* file, LoadNotes& notes) {
    PieceReader reader(file);
    std::string piece;
    int lineNumber = 0;
    int nameBoxes = 0;
    bool pieceStartsLine = true;
    while (reader.next(piece)) {
        if (pieceStartsLine)
            ++lineNumber;
        pieceStartsLine = piece.back() == '\n';
        auto semi = piece.find(';');
        if (semi == std::string::npos)
            continue;
        std::string text = piece.substr(semi + 1, kMaxTextLen);
        if (text.size() >= 2 && isControl(text[text.size() - 2]))
            text.resize(text.size() - 2);
        else if (!text.empty() && isControl(text.back()))
            text.pop_back();
        std::string name = piece.substr(0, semi);
        if (name.size() > static_cast<std::size_t>(kMaxNameLen)) {
            // A box each for the first few; a file full of them must not bury the user in boxes.
            if (nameBoxes < kMaxNameBoxes) {
                ++nameBoxes;
                MessageBox(format("The filename %s exceed the max size of 29 character per name, "
                                  "please correct that",
                                  name),
                           "Filename Exceed size !", MB_OK | MB_ICONERROR);
            } else {
                notes.add(shownName(name) + " (line " + std::to_string(lineNumber) +
                          " of CueLine.clt: name longer than 29 characters)");
            }
            ++unlistedLines_;
            continue;
        }
        if (name.empty() || text.empty())
            continue;
        if (!appendEntry(name, text)) {
            ++unlistedLines_;
            notes.add(name + " (line " + std::to_string(lineNumber) +
                      " of CueLine.clt: the list is full)");
            notes.linesLeftOut.insert(name);
        }
    }
}

void CCrewPack::scanFolder(LoadNotes& notes) {
    bool first = true;
    for (const fsx::DirEntry& file : fsx::listFolder(folder_)) {
        if (file.isDir || !fsx::hasExtension(file.name, ".wav"))
            continue;
        if (file.name.size() > static_cast<std::size_t>(kMaxNameLen) ||
            file.name.find('\0') != std::string::npos) {
            notes.add(shownName(file.name) + " (on disk: name longer than 29 characters)");
            continue;
        }
        if (!nameFitsALine(file.name)) {
            notes.add(shownName(file.name) +
                      " (on disk: a name with a line break or \";\" cannot be saved in "
                      "CueLine.clt)");
            continue;
        }
        // Appending stops at 200 entries, but every sound on disk is still marked as present, so
        // a full list never shows existing sounds as missing.
        if (!isListed(file.name)) {
            bool room = first || count_ < kScanAppendLimit;
            // A sound already told as a line of the text file is not told again.
            if ((!room || !appendEntry(file.name, "")) && !notes.linesLeftOut.count(file.name))
                notes.add(file.name + " (on disk: the list is full)");
        }
        first = false;
        markOnDisk(file.name);
    }
}

void CCrewPack::tellKeptCopies() {
    for (const std::string& copy : packfile::keptCopiesOf(textFilePath())) {
        if (!copiesTold_.insert(copy).second)
            continue;
        MessageBox("A save of CueLine.clt in \"" + folder_ +
                       "\" did not finish. Its text from before that save is kept in\n" +
                       fsx::fromDisk(copy) +
                       "\nCompare it with CueLine.clt, and delete it once you no longer need it.",
                   "Old text of CueLine.clt kept !", MB_OK | MB_ICONEXCLAMATION);
    }
}

bool CCrewPack::loadCrewPack() {
    tellKeptCopies();
    // A FIFO or a device in its place is a file that cannot be read, never waited on.
    std::FILE* file = fsx::openRegularStream(textFilePath());
    if (!file) {
        MessageBox("File not found", kAppTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    loaded_ = packfile::Stamp::ofOpen(fileno(file));
    loadedKnown_ = true;
    loadCrewPackFrom(file);
    std::fclose(file);
    return true;
}

void CCrewPack::loadCrewPackFrom(std::FILE* file) {
    count_ = 0;
    for (SoundEntry& e : entries_)
        e = SoundEntry{};
    modified_ = false;
    unlistedLines_ = 0;

    LoadNotes notes;
    readTextFile(file, notes);
    scanFolder(notes);

    if (notes.total > 0) {
        std::string text = std::to_string(notes.total) + " sounds of the crew pack \"" + name() +
                           "\" could not be listed and are not shown:";
        for (const std::string& note : notes.shown)
            text += "\n" + note;
        if (notes.total > notes.shown.size())
            text += "\n... and " + std::to_string(notes.total - notes.shown.size()) + " more";
        MessageBox(text, "Sounds not listed !", MB_OK | MB_ICONEXCLAMATION);
    }
    if (view_)
        view_->showCrewPack();
}

CCrewPack::Tally CCrewPack::tally() {
    Tally t;
    for (int i = 0; i < count_; ++i) {
        const SoundEntry& e = entries_[static_cast<std::size_t>(i)];
        if (e.text[0] != '\0')
            ++t.withText;
        else
            ++t.withoutText;
        if (e.onDisk == 0)
            ++t.missing;
    }
    missingCount_ = t.missing;
    return t;
}

std::string CCrewPack::statusText(const Tally& t) const {
    if (count_ == 0)
        return "Ready - no Sound found";
    return "Editing crew pack \"" + name() + "\" - Sound with text: " + std::to_string(t.withText) +
           "  Sound without text: " + std::to_string(t.withoutText) +
           "  Total: " + std::to_string(t.withText + t.withoutText);
}

bool CCrewPack::saveCrewPack() {
    auto notSaved = [this] {
        if (view_)
            view_->setStatusText("File not saved");
        return false;
    };
    if (MessageBox(format("Do you want to save your modification for the crew sound pack \"%s\" ?",
                          name()),
                   "Saving CueLine.clt ?", MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return notSaved();
    if (unlistedLines_ > 0 &&
        MessageBox(std::to_string(unlistedLines_) +
                       " lines of the original cueline file could not be listed and will be lost."
                       "\ndo you want to save anyway ?",
                   "Saving will lose lines ?", MB_OKCANCEL | MB_ICONQUESTION) == IDCANCEL)
        return notSaved();
    bool writeMissing = true;
    if (missingCount_ >= 1) {
        std::string q = std::to_string(missingCount_) +
                        " wav listed in the original cueline file doesn't exist on disk..\n"
                        "do you want to save their texts anyway ?";
        writeMissing =
            MessageBox(q, "Saving with missing wav text ?", MB_YESNO | MB_ICONQUESTION) != IDNO;
    }

    std::string data;
    int lines = 0;
    int rows = view_ ? view_->rowCount() : 0;
    for (int r = 0; r < rows; ++r) {
        std::string fileName = view_->rowFileName(r);
        bool onDisk = false;
        for (int i = 0; i < count_; ++i) {
            if (fileName == entries_[static_cast<std::size_t>(i)].fileName) {
                onDisk = entries_[static_cast<std::size_t>(i)].onDisk != 0;
                break;
            }
        }
        if ((!onDisk && !writeMissing) || !nameFitsALine(fileName))
            continue;
        // A line break inside a text would start another line, read back as another sound.
        std::string text = view_->rowText(r);
        std::replace(text.begin(), text.end(), '\n', ' ');
        data += fileName + ";" + text + "\r\n";
        ++lines;
    }

    const std::string path = textFilePath();
    if (changedOnDiskAndNotReplaced(path))
        return notSaved();
    return writeTextFile(path, data, lines) || notSaved();
}

// Asks before a save replaces what another program wrote since the load (a file that vanished
// counts as changed); true when the user keeps the other text.
bool CCrewPack::changedOnDiskAndNotReplaced(const std::string& path) {
    packfile::Stamp now = packfile::Stamp::of(path);
    if (loadedKnown_ ? now == loaded_ : !now.exists)
        return false;
    return MessageBox("CueLine.clt was changed on disk since it was opened. Replace it with your "
                      "texts ?",
                      "File changed on disk !",
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES;
}

bool CCrewPack::writeTextFile(const std::string& path, const std::string& data, int lines) {
    // Temporaries of this file that a crashed save left in the pack's folder; a recent one may be
    // another editor's save under way.
    packfile::removeLeftoverTemporaries(fsx::toDisk(folder_), fsx::lastComponent(path),
                                        std::time(nullptr) - 10 * 60);
    packfile::Stamp before = packfile::Stamp::of(path);
    struct stat st;
    bool hardLinked = ::stat(path.c_str(), &st) == 0 && st.st_nlink > 1;
    fsx::WriteOptions options;
    options.inPlaceCopy = packfile::keptCopyPattern(path);
    std::string error;
    switch (fsx::writeFile(path, data, &error, options)) {
    case fsx::WriteStatus::Written:
        break;
    case fsx::WriteStatus::CannotCreate:
        MessageBox("Unable to open file (file in use ?)", kAppTitle, MB_OK | MB_ICONERROR);
        return false;
    case fsx::WriteStatus::CannotWrite:
        MessageBox("Unable to write CueLine.clt, the file is unchanged (" + error + ")", kAppTitle,
                   MB_OK | MB_ICONERROR);
        return false;
    case fsx::WriteStatus::Damaged:
        MessageBox("Unable to write CueLine.clt, and its old text could not be put back (" + error +
                       "). Save again once the disk works.",
                   kAppTitle, MB_OK | MB_ICONERROR);
        return false;
    }
    // Replaced by a new file: the file's other names (hard links) still show the old one.
    bool otherNamesKept = hardLinked && packfile::Stamp::of(path).inode != before.inode;

    loadCrewPack();
    modified_ = false;
    if (view_)
        view_->setStatusText("File saved successfully in " + folder_ + ", " +
                             std::to_string(lines) + " lines written" +
                             (otherNamesKept ? "; the other names of CueLine.clt (hard links) "
                                               "keep the old text"
                                             : ""));
    return true;
}

std::string crewPackFolderFor(const std::string& path) {
    if (fsx::isDirectory(fsx::toDisk(path))) {
        std::string folder = path;
        while (folder.size() > 1 && folder.back() == fsx::kSeparator)
            folder.pop_back();
        return folder;
    }
    auto pos = path.find_last_of(fsx::kSeparator);
    if (pos == std::string::npos)
        return fsx::fromDisk(fsx::currentFolder());
    if (pos == 0)
        return "/";
    return path.substr(0, pos);
}

} // namespace tnv::cueline
