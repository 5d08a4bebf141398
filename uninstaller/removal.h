// Removing the add-on from the simulator: its folders and files, its menu group, and, through a
// script that runs after the program has ended, the uninstaller and the folder it runs from.
// Every path here is a disk path (the bytes the file system holds). No step reports a failure:
// what cannot be removed stays.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace uninst {

inline constexpr const char* kAskText = "Uninstall Tarnavel ?";
inline constexpr const char* kRemovingText = "Removing Tarnavel.. wait";
inline constexpr const char* kDoneText = "Uninstall Completed click finish";
inline constexpr const char* kScriptName = "_uninsep.sh";

// A file as the file system knows it, whatever path leads to it.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool valid = false;
    static FileId of(const std::string& path); // the entry itself, a link not followed
    bool operator==(const FileId&) const = default;
};

// Where the uninstaller runs and the desktop's folders.
struct Environment {
    std::string programPath;    // absolute, the path it was started by, links not resolved
    std::string programsFolder; // the applications menu folder; empty when unknown
    std::string tempFolder;
    std::string homeFolder; // never removed by the script; may be empty
    long pid = 0;           // the script waits for this process to end
};

// The environment of this process, started as `argv0`.
Environment CurrentEnvironment(const char* argv0);

// Everything one removal acts on, worked out once when it starts.
struct RemovalPlan {
    std::string simFolder; // the simulator's folder, links resolved, with a separator at the end
    std::string addonFolder;
    std::string flightsFolder;
    std::string gaugeFile;
    std::string moduleFile;
    std::string menuToolsFolder; // empty when the menu folder is unknown
    std::string menuGroupFolder;
    std::string scriptPath;
    // Removed by the script once the program has ended; both empty unless the uninstaller runs
    // from the add-on's folder.
    std::string selfProgram;
    std::string selfFolder;
    FileId inUse; // the uninstaller's own file: it stays while the program runs
    long pid = 0;
};

// The program's path without its file name and the folder holding it, links resolved, with a
// separator at the end.
std::string SimFolderOf(const std::string& programPath);

RemovalPlan MakePlan(const Environment& env);

// Every path the removal would act on, in the order it acts, whether it exists or not.
std::vector<std::string> PlanPaths(const RemovalPlan& plan);

// Removes a folder with everything in it, provided that entering it leads to exactly the given
// path (letter case included): links are deleted as links and never followed, subfolders whose
// name begins with '.' and other file systems mounted inside are kept, and so is `inUse`.
// A folder that still holds something stays.
void RemoveTree(const std::string& folder, const FileId& inUse = {});

// Deletes every file directly in a folder (no recursion); folders in it stay.
void DeleteFilesIn(const std::string& folder);

// Deletes the menu group "Tarnavel/Tools" and "Tarnavel" in the menu folder, if it is known.
void RemoveStartMenuGroup(const std::string& programsFolder);

// The retry bounds of the self-removal script.
struct ScriptTiming {
    int programWaitSeconds = 3600; // for the program to end (the user clicking "Finish")
    int retrySeconds = 60;         // for each deletion to succeed
};

// The text of the self-removal script.
std::string SelfRemovalScript(const RemovalPlan& plan, const ScriptTiming& timing = {});

// Starts the script, detached; false when it could not be started.
using ScriptStarter = std::function<bool(const std::string& scriptPath)>;

// /bin/sh on the script, detached and hidden, outliving the program.
bool StartScriptDetached(const std::string& scriptPath);

// Writes the script anew (never through a file or link already there) and starts it. Nothing
// happens when it cannot be written whole; a script that cannot be started is deleted again.
// True when it was started.
bool WriteSelfRemovalScript(const RemovalPlan& plan, const ScriptStarter& start,
                            const ScriptTiming& timing = {});

// What the removal shows while it works.
class RemovalView {
public:
    virtual ~RemovalView() = default;
    virtual void DisableUninstall() = 0;
    virtual void ShowLabel(const std::string& text) = 0;
    virtual void ShowFinish() = 0; // the cancel button now reads "Finish"
};

// The whole removal, in its fixed order, run to its end without checking any result.
void RunRemoval(const Environment& env, RemovalView& view, const ScriptStarter& start,
                const ScriptTiming& timing = {});

} // namespace uninst
