// Removing the add-on from the simulator: its folders and files, its menu group, and, through a
// script that runs after the program has ended, the uninstaller and the folder it runs from.
// Every path here is a disk path (the bytes the file system holds). No step reports a failure:
// what cannot be removed stays.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tnv::uninstall {

inline constexpr const char* kAskText = "Uninstall Tarnavel ?";
inline constexpr const char* kRemovingText = "Removing Tarnavel.. wait";
inline constexpr const char* kDoneText = "Uninstall Completed click finish";
inline constexpr const char* kLeftText = "Uninstall finished, some files were left in place";
inline constexpr const char* kRefusedText =
    "Not in a simulator's Tarnavel folder: nothing was removed";
// The self-removal script's name; mkstemp makes the X's unique when it is written.
inline constexpr const char* kScriptPattern = "_uninsep.XXXXXX.sh";

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
    std::string runtimeFolder;   // $XDG_RUNTIME_DIR; may be empty
    std::string homeFolder;      // never removed by the script; may be empty
    long pid = 0;                // the script waits for this process to end
    std::string realProgramPath; // the program's file, links resolved; may be empty
    std::string dataHome;        // the user's XDG data and configuration homes; may be empty
    std::string configHome;
};

// The environment of this process, started as `argv0`.
Environment CurrentEnvironment(const char* argv0);

// Everything one removal acts on, worked out once when it starts.
struct RemovalPlan {
    // Why nothing may be removed, for the command line; empty when the program runs from an
    // add-on's folder inside a simulator. When set, every other field is empty.
    std::string refusal;
    // The "Tarnavel" group an earlier set-up made; empty unless it starts this simulator's
    // programs.
    std::string menuToolsFolder;
    std::string menuGroupFolder;
    std::vector<std::string> menuFiles; // this simulator's menu group; empty when unknown
    std::string registrationFile;       // set when it holds this simulator's line
    std::string scriptPath; // kScriptPattern in the runtime folder, else the temporary one
    std::string simFolder;  // the simulator's folder, links resolved, with a separator at the end
    std::string addonFolder;
    std::string flightsFolder;
    std::string gaugeFile;
    std::string moduleFile;
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

// SimFolderOf(programPath) when the program runs from an add-on's folder inside a simulator: the
// folder holding it is named Tarnavel and the one above holds an Aircraft folder (letter case
// aside for both). Empty otherwise.
std::string AddonSimFolder(const std::string& programPath);

// The path of `name` in `folder`: the exact name when it is there, else an entry whose name
// matches letter case aside (the first in listing order), else the exact name.
std::string FindEntry(const std::string& folder, const std::string& name);

RemovalPlan MakePlan(const Environment& env);

// Every path the removal would act on, in the order it acts, whether it exists or not. Empty
// when the plan is refused.
std::vector<std::string> PlanPaths(const RemovalPlan& plan);

// A path as one line of text: unchanged, unless it holds a control character (a line feed, say);
// then quoted for the shell, as `ls --quoting-style=shell-escape` does ('a'$'\n''b').
std::string PrintablePath(const std::string& path);

// What RemoveTree left.
struct TreeResult {
    bool found = false;   // something was there under that path
    bool refused = false; // entering it led elsewhere (it is a link, say): nothing removed
    bool removed = false; // the folder is gone
    int hidden = 0;       // subfolders kept because their name begins with '.'
    int mounts = 0;       // mount points kept, never entered
    int failed = 0;       // entries that could not be deleted (`inUse` aside)
    bool holdsInUse = false;
};

// Removes a folder with everything in it, provided that entering it leads to exactly the given
// path (letter case included): links are deleted as links and never followed; subfolders whose
// name begins with '.' and mount points (another file system, or a bind mount of the same one)
// are kept and never entered, and so is `inUse`. A folder that still holds something stays. Any
// depth is walked with one folder open at a time; a tree moved while it is walked is left where
// it is, counted as failed.
TreeResult RemoveTree(const std::string& folder, const FileId& inUse = {});

// Deletes every file directly in a folder (no recursion); folders in it stay. A link is deleted as
// a link. Returns the number of files that could not be deleted.
int DeleteFilesIn(const std::string& folder);

// Deletes the menu group "Tarnavel/Tools" and "Tarnavel" in the menu folder, if it is known. A
// group that is a link is deleted as a link; what it points to is never listed or touched.
// Returns the number of files that could not be deleted.
int RemoveStartMenuGroup(const std::string& programsFolder);

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

// Writes the script under a name of its own made from plan.scriptPath (never through a file or
// link already there) and starts it. Nothing happens when it cannot be written whole; a script
// that cannot be started is deleted again. True when it was started.
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

enum class Outcome {
    Completed, // everything is gone, or left to the script that was started
    Left,      // something of the add-on stays: a link kept, a mount, a file that would not go
    Refused,   // not an add-on's tree: nothing removed
};

// The whole removal, in its fixed order, run to its end; the label says at the end whether
// everything went.
Outcome RunRemoval(const Environment& env, RemovalView& view, const ScriptStarter& start,
                   const ScriptTiming& timing = {});

} // namespace tnv::uninstall
