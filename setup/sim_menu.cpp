#include "setup/sim_menu.h"

#include "platform/base/fs.h"
#include "platform/base/fs_write.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/stat.h>

namespace tnv {

namespace simmenu {
namespace {

constexpr const char* kVendor = "tarnavel-";

std::string hashOf(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    static const char digits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4)
        out[i] = digits[h & 15];
    return out;
}

std::string withoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Valid UTF-8 for a menu's name: other bytes become U+FFFD, control characters a space.
std::string displayText(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = len > 0 && i + len <= bytes.size() && !(len == 2 && c < 0xC2);
        for (int k = 1; ok && k < len; ++k)
            ok = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
        if (!ok) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else if (len == 1 && (c < 0x20 || c == 0x7F)) {
            out += ' ';
            ++i;
        } else {
            out.append(bytes, i, len);
            i += len;
        }
    }
    return out;
}

bool isUtf8(const std::string& bytes) {
    std::string shown = displayText(bytes);
    return shown.find("\xEF\xBF\xBD") == std::string::npos ||
           bytes.find("\xEF\xBF\xBD") != std::string::npos;
}

// A value of type string or localestring, escaped as desktop entries want.
std::string escaped(const std::string& value) {
    std::string out;
    for (char c : value)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

std::string unescaped(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        char e = value[++i];
        out += e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
    }
    return out;
}

std::string readSmall(const std::string& path) {
    std::string text;
    if (!fsx::readFile(path, text, 1u << 20))
        text.clear();
    return text;
}

// The value of `key` in the [Desktop Entry] group of a desktop file, escapes kept; empty when
// there is none.
std::string keyValue(const std::string& text, const std::string& key) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.starts_with(key + "="))
            return line.substr(key.size() + 1);
    }
    return {};
}

std::string entryText(const std::string& name, const std::string& comment, const std::string& exec,
                      const std::string& desktopId) {
    return "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + name + "\nComment=" + comment +
           "\nExec=" + exec + "\nIcon=" + desktopId +
           "\nTerminal=false\nCategories=X-Tarnavel;\nStartupWMClass=" + desktopId + "\n";
}

std::string directoryText(const std::string& name) {
    return "[Desktop Entry]\nType=Directory\nVersion=1.0\nName=" + escaped(name) + "\n";
}

std::string fileName(const std::string& path) {
    return fsx::lastComponent(path);
}

std::string menuText(const Group& g) {
    return "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
           "<Menu>\n"
           "  <Name>Applications</Name>\n"
           "  <Menu>\n"
           "    <Name>" +
           g.id +
           "</Name>\n"
           "    <Directory>" +
           fileName(g.directory) +
           "</Directory>\n"
           "    <Include>\n"
           "      <Filename>" +
           fileName(g.editorEntry) +
           "</Filename>\n"
           "      <Filename>" +
           fileName(g.browserEntry) +
           "</Filename>\n"
           "    </Include>\n"
           "    <Menu>\n"
           "      <Name>" +
           g.id +
           "-tools</Name>\n"
           "      <Directory>" +
           fileName(g.toolsDirectory) +
           "</Directory>\n"
           "      <Include>\n"
           "        <Filename>" +
           fileName(g.uninstallerEntry) +
           "</Filename>\n"
           "      </Include>\n"
           "    </Menu>\n"
           "  </Menu>\n"
           "</Menu>\n";
}

bool isInside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

} // namespace

Places Places::From(const std::string& dataHome, const std::string& configHome) {
    if (dataHome.empty() || configHome.empty())
        return {};
    return {fsx::joinPath(dataHome, "applications"), fsx::joinPath(dataHome, "desktop-directories"),
            fsx::joinPath(configHome, "menus/applications-merged")};
}

std::vector<std::string> Group::Files() const {
    return {editorEntry, browserEntry, uninstallerEntry, directory, toolsDirectory, menu};
}

Group GroupOf(const Places& places, const std::string& simFolder) {
    Group g;
    g.id = kVendor + hashOf(withoutTrailingSeparators(simFolder));
    g.editorEntry = fsx::joinPath(places.applications, g.id + "-tnvcueline.desktop");
    g.browserEntry = fsx::joinPath(places.applications, g.id + "-fleetvaluer.desktop");
    g.uninstallerEntry = fsx::joinPath(places.applications, g.id + "-uninstall.desktop");
    g.directory = fsx::joinPath(places.directories, g.id + ".directory");
    g.toolsDirectory = fsx::joinPath(places.directories, g.id + "-tools.directory");
    g.menu = fsx::joinPath(places.merged, g.id + ".menu");
    return g;
}

std::string GroupName(const Places& places, const Group& group, const std::string& simFolder) {
    std::string own = unescaped(keyValue(readSmall(group.directory), "Name"));
    if (!own.empty())
        return own;
    std::set<std::string> taken;
    if (DIR* dir = ::opendir(places.directories.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (name.starts_with(kVendor) && name.ends_with(".directory") &&
                !name.ends_with("-tools.directory") && taken.size() < 10'000)
                taken.insert(unescaped(
                    keyValue(readSmall(fsx::joinPath(places.directories, name)), "Name")));
        }
        ::closedir(dir);
    }
    std::string base =
        "Tarnavel (" + displayText(fsx::lastComponent(withoutTrailingSeparators(simFolder))) + ")";
    std::string name = base;
    for (int n = 2; taken.count(name); ++n)
        name = base + " " + std::to_string(n);
    return name;
}

std::string ExecArgument(const std::string& path) {
    if (path.empty() || path.find_first_of("\n\r") != std::string::npos || !isUtf8(path))
        return {};
    std::string arg = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            arg += '\\';
        arg += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return escaped(arg + "\"");
}

std::string ExecProgram(const std::string& entryText) {
    std::string value = unescaped(keyValue(entryText, "Exec"));
    std::string program;
    if (value.starts_with('"')) {
        for (std::size_t i = 1; i < value.size() && value[i] != '"'; ++i)
            program += value[i] == '\\' && i + 1 < value.size() ? value[++i] : value[i];
    } else {
        program = value.substr(0, value.find(' '));
    }
    std::string out;
    for (std::size_t i = 0; i < program.size(); ++i)
        out += program[i] == '%' && i + 1 < program.size() && program[i + 1] == '%' ? program[i++]
                                                                                    : program[i];
    return out;
}

std::vector<File> GroupFiles(const Group& group, const std::string& name, const Programs& programs,
                             std::string* error) {
    std::string editor = ExecArgument(programs.editor);
    std::string browser = ExecArgument(programs.browser);
    std::string uninstaller = ExecArgument(programs.uninstaller);
    if (editor.empty() || browser.empty() || uninstaller.empty()) {
        *error = "a desktop entry cannot start a program whose path holds a line feed or is not "
                 "UTF-8";
        return {};
    }
    return {
        {group.editorEntry, entryText("TnvCueLine", "Edit the texts of a Tarnavel crew voice pack",
                                      editor + " %f", "tnv-cueline")},
        {group.browserEntry,
         entryText("FleetValuer", "Price the simulator's aircraft for the Tarnavel career", browser,
                   "fleetvaluer")},
        {group.uninstallerEntry,
         entryText("Uninstall Tarnavel", "Remove Tarnavel from this simulator", uninstaller,
                   "uninstall-tarnavel")},
        {group.directory, directoryText(name)},
        {group.toolsDirectory, directoryText("Tools")},
        {group.menu, menuText(group)},
    };
}

bool WriteFiles(const std::vector<File>& files, std::string* error) {
    for (const File& f : files) {
        if (!fsx::makeFolders(fsx::parentFolder(f.path), 0755, error))
            return false;
        std::string why;
        if (fsx::writeFile(f.path, f.text, &why) != fsx::WriteStatus::Written) {
            *error = "cannot write " + f.path + (why.empty() ? "" : ": " + why);
            return false;
        }
    }
    return true;
}

bool OldGroupBelongsTo(const std::string& applications, const std::string& simFolder) {
    std::string sim = fsx::realPath(simFolder);
    if (sim.empty())
        return false;
    int entries = 0;
    for (const char* sub : {"Tarnavel", "Tarnavel/Tools"}) {
        std::string folder = fsx::joinPath(applications, sub);
        DIR* dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        std::vector<std::string> names;
        while (const dirent* e = ::readdir(dir))
            if (std::string n = e->d_name; n.ends_with(".desktop") && names.size() < 100)
                names.push_back(n);
        ::closedir(dir);
        for (const std::string& n : names) {
            std::string program = ExecProgram(readSmall(fsx::joinPath(folder, n)));
            std::string where = program.empty() ? "" : fsx::realPath(fsx::parentFolder(program));
            if (where.empty() || !isInside(where + "/", sim))
                return false;
            ++entries;
        }
    }
    return entries > 0;
}

} // namespace simmenu

} // namespace tnv
