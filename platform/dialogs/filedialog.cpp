#include "platform/dialogs/filedialog.h"

#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>
#include <QStringList>

namespace tnv {

namespace {

FileDialogService* current = nullptr;

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        auto end = text.find(sep, start);
        if (end == std::string::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

unsigned char fold(unsigned char c) {
    // ASCII and the Latin-1 letters fold the way the file system helpers compare names.
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 32);
    return c;
}

bool matchFrom(const std::string& name, std::size_t n, const std::string& pat, std::size_t p) {
    // Iterative wildcard match with one back-tracking point for the last '*'.
    std::size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && pat[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pat.size() &&
                   (pat[p] == '?' || fold(static_cast<unsigned char>(pat[p])) ==
                                         fold(static_cast<unsigned char>(name[n])))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    return p == pat.size();
}

// Shows folders, and files that match one of the current filter's patterns, letter case aside.
class PatternProxy : public QSortFilterProxyModel {
public:
    explicit PatternProxy(QObject* parent) : QSortFilterProxyModel(parent) {}
    void setPatterns(std::vector<std::string> patterns) {
        patterns_ = std::move(patterns);
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        QModelIndex index = sourceModel()->index(row, 0, parent);
        auto* model = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!model || model->isDir(index) || patterns_.empty())
            return true;
        std::string name = fsx::fromDisk(model->fileName(index).toStdString());
        for (const std::string& p : patterns_) {
            if (matchesPattern(name, p))
                return true;
        }
        return false;
    }

private:
    std::vector<std::string> patterns_;
};

} // namespace

std::vector<std::pair<std::string, std::vector<std::string>>>
parseFileFilter(const std::string& filter) {
    std::vector<std::pair<std::string, std::vector<std::string>>> entries;
    std::vector<std::string> parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty())
            break;
        std::vector<std::string> patterns;
        for (std::string& p : split(parts[i + 1], ';')) {
            if (!p.empty())
                patterns.push_back(p);
        }
        entries.emplace_back(parts[i], std::move(patterns));
    }
    return entries;
}

bool matchesPattern(const std::string& name, const std::string& pattern) {
    // "*.*" matches every name, also one without a dot.
    if (pattern == "*.*")
        return true;
    return matchFrom(name, 0, pattern, 0);
}

std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) {
    if (!current)
        return std::nullopt;
    return current->getOpenFileName(request);
}

std::optional<std::string> GetSaveFileName(const OpenFileRequest& request) {
    if (!current)
        return std::nullopt;
    return current->getSaveFileName(request);
}

std::string ReplaceQuestion(const std::string& path) {
    return path + " already exists.\nDo you want to replace it?";
}

namespace {

std::string saveTitle(const OpenFileRequest& request) {
    return request.title.empty() ? std::string("Save As") : request.title;
}

// Whether the user lets the save dialog replace the file at `path` (8-bit).
bool replaceAllowed(const OpenFileRequest& request, const std::string& path) {
    if (!(request.flags & OFN_OVERWRITEPROMPT) || !fsx::isFile(fsx::resolvePath(path)))
        return true;
    return MessageBox(ReplaceQuestion(path), saveTitle(request), MB_YESNO | MB_ICONWARNING) ==
           IDYES;
}

} // namespace

FileDialogService* SetFileDialogService(FileDialogService* service) {
    FileDialogService* previous = current;
    current = service;
    return previous;
}

ScriptedFileDialog::ScriptedFileDialog() : previous_(SetFileDialogService(this)) {}

ScriptedFileDialog::~ScriptedFileDialog() {
    SetFileDialogService(previous_);
}

std::optional<std::string> ScriptedFileDialog::nextAnswer() {
    if (answers_.empty())
        return std::nullopt;
    std::optional<std::string> answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedFileDialog::getOpenFileName(const OpenFileRequest& request) {
    requests_.push_back(request);
    saves_.push_back(false);
    return nextAnswer();
}

std::optional<std::string> ScriptedFileDialog::getSaveFileName(const OpenFileRequest& request) {
    requests_.push_back(request);
    saves_.push_back(true);
    for (;;) {
        std::optional<std::string> answer = nextAnswer();
        if (!answer || replaceAllowed(request, *answer))
            return answer;
    }
}

QtFileDialog::QtFileDialog() : previous_(SetFileDialogService(this)) {}

QtFileDialog::~QtFileDialog() {
    SetFileDialogService(previous_);
}

std::optional<std::string> QtFileDialog::getOpenFileName(const OpenFileRequest& request) {
    return run(request, false);
}

std::optional<std::string> QtFileDialog::getSaveFileName(const OpenFileRequest& request) {
    return run(request, true);
}

namespace {

// Qt's dialog, with the replace question asked through the message-box service.
class FileDialog : public QFileDialog {
public:
    FileDialog(const OpenFileRequest& request, bool save)
        : QFileDialog(QApplication::activeWindow()), request_(request),
          title_(!request.title.empty() ? request.title
                 : save                 ? std::string("Save As")
                                        : std::string("Open")) {
        setWindowTitle(qtbridge::toQString(title_));
    }

    void accept() override {
        QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            std::string disk = files.front().toStdString();
            // A folder typed as the name is entered, as the dialog does by itself.
            if (!fsx::isDirectory(disk)) {
                if ((request_.flags & OFN_PATHMUSTEXIST) &&
                    !fsx::isDirectory(fsx::parentFolder(disk))) {
                    MessageBox(fsx::fromDisk(disk) +
                                   "\nPath does not exist.\nCheck the path and try again.",
                               title_, MB_OK | MB_ICONWARNING);
                    return;
                }
                if (acceptMode() == AcceptSave && !replaceAllowed(request_, fsx::fromDisk(disk)))
                    return;
            }
        }
        QFileDialog::accept();
    }

private:
    OpenFileRequest request_;
    std::string title_; // 8-bit
};

} // namespace

std::optional<std::string> QtFileDialog::run(const OpenFileRequest& request, bool save) {
    FileDialog dialog(request, save);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode((request.flags & OFN_FILEMUSTEXIST) && !save ? QFileDialog::ExistingFile
                                                                    : QFileDialog::AnyFile);
    if (save)
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    else
        dialog.setOption(QFileDialog::ReadOnly, true);
    std::string folder = request.initialFolder;
    if (!folder.empty()) {
        std::string disk = fsx::resolvePath(folder);
        if (fsx::isDirectory(disk))
            dialog.setDirectory(QString::fromStdString(disk));
    }
    auto entries = parseFileFilter(request.filter);
    QStringList names;
    for (const auto& entry : entries) {
        // Qt reads the patterns from the parentheses of a filter's name.
        std::string name = entry.first;
        if (name.find('(') == std::string::npos) {
            std::string joined;
            for (const std::string& p : entry.second)
                joined += (joined.empty() ? "" : " ") + p;
            name += " (" + joined + ")";
        }
        names << qtbridge::toQString(name);
    }
    auto* proxy = new PatternProxy(&dialog);
    dialog.setProxyModel(proxy);
    if (!names.isEmpty()) {
        dialog.setNameFilters(names);
        proxy->setPatterns(entries.front().second);
        QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                         [proxy, names, entries](const QString& chosen) {
                             int i = static_cast<int>(names.indexOf(chosen));
                             if (i >= 0)
                                 proxy->setPatterns(entries[static_cast<std::size_t>(i)].second);
                         });
    }
    if (!request.fileName.empty())
        dialog.selectFile(qtbridge::toQString(request.fileName));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    std::string path = chosen.front().toStdString();
    if ((request.flags & OFN_PATHMUSTEXIST) && !fsx::isDirectory(fsx::parentFolder(path)))
        return std::nullopt;
    return fsx::fromDisk(path);
}

} // namespace tnv
