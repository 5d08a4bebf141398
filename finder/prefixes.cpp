// Where the Wine front ends keep their prefixes.
#include "finder/parsers.h"
#include "finder/walk.h"
#include "platform/base/fs.h"

#include <algorithm>
#include <dirent.h>
#include <set>
#include <sys/stat.h>

namespace tnv {

namespace finder::detail {
namespace {

// The folders in `folder`, links to folders included, in byte order.
std::vector<std::string> subfolders(const std::string& folder) {
    std::vector<std::string> out;
    if (folder.empty())
        return out;
    FolderLook look = LookInto(folder, true);
    for (const auto* names : {&look.folders, &look.links})
        for (const std::string& name : *names)
            out.push_back(fsx::joinPath(folder, name));
    std::sort(out.begin(), out.end());
    return out;
}

// The entries of `folder` whose names end in `ext`, in byte order (at most a few thousand).
std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& ext) {
    std::vector<std::string> out;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (out.size() < 10'000 && name.size() > ext.size() && name.ends_with(ext))
                out.push_back(fsx::joinPath(folder, name));
        }
        ::closedir(dir);
    }
    std::sort(out.begin(), out.end());
    return out;
}

class PrefixList {
public:
    // Keeps `folder` when it holds a drive_c; each prefix once, by its real path.
    void add(const std::string& folder) {
        if (folder.empty() || folders_.size() >= kMaxPaths)
            return;
        std::string real = fsx::realPath(folder);
        struct stat st;
        if (real.empty() || ::stat((real + "/drive_c").c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return;
        if (seen_.insert(real).second)
            folders_.push_back({real});
    }
    void addEachIn(const std::string& folder) {
        for (const std::string& sub : subfolders(folder))
            add(sub);
    }
    std::vector<Prefix> take() { return std::move(folders_); }

private:
    std::vector<Prefix> folders_;
    std::set<std::string> seen_;
};

std::string readSmall(const std::string& path) {
    std::string text;
    if (!fsx::readFile(path, text, kMaxSmallFile))
        text.clear();
    return text;
}

// Steam's libraries: the Steam folder itself and each "path" of its library list.
void addSteam(const std::string& steam, PrefixList& prefixes, std::set<std::string>& libraries) {
    std::string real = fsx::realPath(steam);
    if (real.empty() || !libraries.insert(real).second)
        return;
    std::vector<std::string> list{real};
    for (const char* vdf : {"steamapps/libraryfolders.vdf", "config/libraryfolders.vdf"})
        for (std::string& path : LibraryFolderPaths(readSmall(fsx::joinPath(real, vdf))))
            list.push_back(std::move(path));
    for (const std::string& library : list) {
        std::string lib = library == real ? real : fsx::realPath(library);
        if (lib.empty() || (lib != real && !libraries.insert(lib).second))
            continue;
        for (const std::string& game : subfolders(fsx::joinPath(lib, "steamapps/compatdata")))
            prefixes.add(fsx::joinPath(game, "pfx"));
    }
}

std::string expandHome(const std::string& path, const std::string& home) {
    if (path.starts_with("~/") && !home.empty())
        return fsx::joinPath(home, path.substr(2));
    return path;
}

} // namespace

std::vector<Prefix> KnownPrefixes(const Environment& env) {
    PrefixList prefixes;
    prefixes.add(env.winePrefix);
    const std::string& home = env.home;
    if (home.empty())
        return prefixes.take();
    auto at = [&](const char* rel) { return fsx::joinPath(home, rel); };
    prefixes.add(at(".wine"));
    prefixes.addEachIn(fsx::joinPath(env.dataHome, "wineprefixes"));

    std::set<std::string> libraries;
    for (const char* steam : {".steam/steam", ".local/share/Steam",
                              ".var/app/com.valvesoftware.Steam/.local/share/Steam",
                              "snap/steam/common/.local/share/Steam"})
        addSteam(at(steam), prefixes, libraries);

    prefixes.addEachIn(fsx::joinPath(env.dataHome, "bottles/bottles"));
    prefixes.addEachIn(at(".var/app/com.usebottles.bottles/data/bottles/bottles"));

    // Lutris keeps its games in its data folder now, in its configuration folder before.
    for (const std::string& games : {fsx::joinPath(env.configHome, "lutris/games"),
                                     fsx::joinPath(env.dataHome, "lutris/games")})
        for (const std::string& game : filesEndingIn(games, ".yml"))
            for (const std::string& prefix : LutrisPrefixes(readSmall(game)))
                prefixes.add(expandHome(prefix, home));
    prefixes.addEachIn(at("Games"));
    prefixes.addEachIn(at(".PlayOnLinux/wineprefix"));
    prefixes.addEachIn(at(".cxoffice"));
    return prefixes.take();
}

} // namespace finder::detail

} // namespace tnv
