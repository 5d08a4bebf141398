// The open-file and save-file dialogs. Like the message boxes they go through one service: the
// programs' windows install the real dialogs, tests install a scripted one that answers from a
// queue.
#pragma once

#include "platform/base/types.h"

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tnv {

// Options of the file dialogs, with their Windows values.
constexpr UINT OFN_OVERWRITEPROMPT = 0x00000002;
constexpr UINT OFN_HIDEREADONLY = 0x00000004;
constexpr UINT OFN_NOCHANGEDIR = 0x00000008;
constexpr UINT OFN_ENABLESIZING = 0x00800000;
constexpr UINT OFN_PATHMUSTEXIST = 0x00000800;
constexpr UINT OFN_FILEMUSTEXIST = 0x00001000;
constexpr UINT OFN_NOREADONLYRETURN = 0x00008000;
constexpr UINT OFN_NONETWORKBUTTON = 0x00020000;
constexpr UINT OFN_EXPLORER = 0x00080000;
constexpr UINT OFN_LONGNAMES = 0x00200000;

struct OpenFileRequest {
    std::string fileName;      // filled in when the dialog opens (8-bit)
    std::string filter;        // "Description|pattern;pattern|Description|pattern|"
    std::string initialFolder; // 8-bit path
    UINT flags = 0;
    std::string title; // empty: "Open" or "Save As"
};

// The filter's entries as (description, patterns) pairs. A trailing description without patterns
// is dropped.
std::vector<std::pair<std::string, std::vector<std::string>>>
parseFileFilter(const std::string& filter);

// Case-blind wildcard match of a file name against a pattern with '*' and '?'.
bool matchesPattern(const std::string& name, const std::string& pattern);

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Returns the chosen 8-bit path, or nothing when the user cancelled.
    virtual std::optional<std::string> getOpenFileName(const OpenFileRequest& request) = 0;
    // The same for a name to save under. With OFN_OVERWRITEPROMPT the dialog asks before it
    // returns the name of a file that exists; No there keeps the dialog open.
    virtual std::optional<std::string> getSaveFileName(const OpenFileRequest& request) = 0;
};

// Shows the open-file dialog through the installed service. Without one it cancels.
std::optional<std::string> GetOpenFileName(const OpenFileRequest& request);
// Shows the save-file dialog (a Save button; a name that need not exist yet).
std::optional<std::string> GetSaveFileName(const OpenFileRequest& request);

// The question of a save dialog before it replaces `path` (8-bit), as its message box asks it.
std::string ReplaceQuestion(const std::string& path);

// Installs a service (not owned); nullptr removes it. Returns the previous one.
FileDialogService* SetFileDialogService(FileDialogService* service);

// Answers from a queue (cancel when it runs dry) and records every request. Its save dialog asks
// the replace question through the message-box service, as the real one does; an answer other
// than Yes takes the next answer from the queue.
class ScriptedFileDialog : public FileDialogService {
public:
    ScriptedFileDialog();
    ~ScriptedFileDialog() override;
    ScriptedFileDialog(const ScriptedFileDialog&) = delete;
    ScriptedFileDialog& operator=(const ScriptedFileDialog&) = delete;
    void setNextFileName(const std::string& path) { answers_.emplace_back(path); }
    void setNextCancel() { answers_.emplace_back(std::nullopt); }
    // Every request, open and save alike, in order; savesAsked() tells which were save dialogs.
    const std::vector<OpenFileRequest>& requests() const { return requests_; }
    const std::vector<bool>& savesAsked() const { return saves_; }
    std::optional<std::string> getOpenFileName(const OpenFileRequest& request) override;
    std::optional<std::string> getSaveFileName(const OpenFileRequest& request) override;

private:
    std::optional<std::string> nextAnswer();
    std::deque<std::optional<std::string>> answers_;
    std::vector<OpenFileRequest> requests_;
    std::vector<bool> saves_;
    FileDialogService* previous_;
};

// The real dialog on Qt.
class QtFileDialog : public FileDialogService {
public:
    QtFileDialog();
    ~QtFileDialog() override;
    QtFileDialog(const QtFileDialog&) = delete;
    QtFileDialog& operator=(const QtFileDialog&) = delete;
    std::optional<std::string> getOpenFileName(const OpenFileRequest& request) override;
    std::optional<std::string> getSaveFileName(const OpenFileRequest& request) override;

private:
    std::optional<std::string> run(const OpenFileRequest& request, bool save);
    FileDialogService* previous_;
};

} // namespace tnv
