// A simulator's group in the desktop's applications menu, as xdg-desktop-menu lays one out: a
// .menu file merged into the applications menu, a .directory file for the group and one for its
// "Tools" submenu, and three entries that start the programs placed in the simulator. Every file
// name carries our vendor prefix and a hash of the simulator's real path, so the groups of two
// simulators never share a file. No Qt.
#pragma once

#include <string>
#include <vector>

namespace tnv {

namespace simmenu {

// The user's folders of the menu.
struct Places {
    std::string applications; // $XDG_DATA_HOME/applications
    std::string directories;  // $XDG_DATA_HOME/desktop-directories
    std::string merged;       // $XDG_CONFIG_HOME/menus/applications-merged
    // From the data and configuration homes; all empty when either is.
    static Places From(const std::string& dataHome, const std::string& configHome);
    bool known() const { return !applications.empty(); }
};

// The files of one simulator's group.
struct Group {
    std::string id; // "tarnavel-" and 16 hexadecimal digits
    std::string editorEntry, browserEntry, uninstallerEntry;
    std::string directory, toolsDirectory;
    std::string menu;
    // Every file, entries first, the .menu file last.
    std::vector<std::string> Files() const;
};

// The group of the simulator whose real path is `simFolder` (a separator at the end is ignored).
Group GroupOf(const Places& places, const std::string& simFolder);

// The paths the entries start.
struct Programs {
    std::string editor, browser, uninstaller;
};

// The name the group shows: "Tarnavel (FOLDER)" after the simulator folder's name, " 2", " 3"...
// added when another simulator's group has that name. A group that exists keeps its name.
std::string GroupName(const Places& places, const Group& group, const std::string& simFolder);

// One file to write: its path and its text.
struct File {
    std::string path, text;
};

// The group's files with their texts. Empty, with the reason in `error`, when a program's path
// cannot stand in a desktop entry (a line feed in it, or bytes that are not UTF-8).
std::vector<File> GroupFiles(const Group& group, const std::string& name, const Programs& programs,
                             std::string* error);

// Writes the files, each whole (creating the folders they go in). False with the reason in
// `error` at the first that cannot be written.
bool WriteFiles(const std::vector<File>& files, std::string* error);

// A path as one argument of a desktop entry's Exec key (quoted and escaped); empty when it cannot
// be one.
std::string ExecArgument(const std::string& path);

// The first argument of a desktop entry's Exec key, unquoted; empty when there is none.
std::string ExecProgram(const std::string& entryText);

// The "Tarnavel" group an earlier tarnavel-setup made in the applications folder
// (Tarnavel/*.desktop and Tarnavel/Tools/*.desktop) belongs to `simFolder` (a real path) when it
// holds entries and each of them starts a program inside that simulator.
bool OldGroupBelongsTo(const std::string& applications, const std::string& simFolder);

} // namespace simmenu

} // namespace tnv
