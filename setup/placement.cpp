#include "setup/placement.h"

#include "platform/base/fs.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tnv {

namespace placement {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// `name` in `folder`: the exact entry, else one differing in letter case (a simulator copied
// from Windows), else the exact name.
std::string entryIn(const std::string& folder, const std::string& name) {
    std::string exact = fsx::joinPath(folder, name);
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0)
        return exact;
    std::string best;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (sameNoCase(e->d_name, name) && (best.empty() || e->d_name < best))
                best = e->d_name;
        ::closedir(dir);
    }
    return best.empty() ? exact : fsx::joinPath(folder, best);
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// What is in the way at `path`: nothing, a file or a link (replaced), or something else.
bool inTheWay(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    return !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode);
}

bool copyInto(const std::string& from, int out) {
    int in = fsx::openRegularFile(from);
    if (in < 0)
        return false;
    char buf[65536];
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(in, buf, sizeof buf);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < got;) {
            ssize_t n = ::write(out, buf + done, static_cast<std::size_t>(got - done));
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += n > 0 ? n : 0;
        }
        if (!ok)
            break;
    }
    ::close(in);
    return ok && ::fsync(out) == 0;
}

// A link to (or a copy of) `from` at `to`, made beside it and renamed over what is there, so that
// a program placed before is never missing or half-copied.
bool place(const std::string& from, const std::string& to, bool copy, std::string* error) {
    std::string temp = to + ".tarnavel-setup-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    bool made;
    if (copy) {
        int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
        made = out >= 0 && copyInto(from, out);
        if (out >= 0 && ::close(out) != 0)
            made = false;
    } else {
        made = ::symlink(from.c_str(), temp.c_str()) == 0;
    }
    if (made && ::rename(temp.c_str(), to.c_str()) == 0)
        return true;
    *error = "cannot create " + to + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
}

} // namespace

std::vector<std::string> Plan::Lines() const {
    std::vector<std::string> lines;
    for (const Program& p : programs)
        lines.push_back(p.placed);
    for (const simmenu::File& f : menu)
        lines.push_back(f.path);
    if (!registrationFile.empty())
        lines.push_back(registrationFile);
    return lines;
}

bool MakePlan(const std::string& simFolder, const std::string& installedFolder,
              const finder::Environment& env, Plan& plan, std::vector<std::string>& errors) {
    for (const char* name : {"TnvCueLine", "FleetValuer", "UninstallTarnavel"}) {
        std::string path = fsx::joinPath(installedFolder, name);
        if (::access(path.c_str(), X_OK) != 0)
            errors.push_back(path + " is not installed");
    }
    if (!errors.empty())
        return false;
    if (!isFolder(simFolder)) {
        errors.push_back(simFolder + " is not a folder");
        return false;
    }
    plan.sim = fsx::realPath(simFolder);
    if (!isFolder(entryIn(plan.sim, "Aircraft"))) {
        errors.push_back(simFolder + " does not look like a simulator (it has no Aircraft folder)");
        return false;
    }
    std::string addon = entryIn(plan.sim, "Tarnavel");
    std::string bin = entryIn(addon, "bin");
    plan.programs = {
        {fsx::joinPath(installedFolder, "TnvCueLine"), entryIn(bin, "TnvCueLine")},
        {fsx::joinPath(installedFolder, "FleetValuer"), entryIn(bin, "FleetValuer")},
        {fsx::joinPath(installedFolder, "UninstallTarnavel"), entryIn(addon, "UninstallTarnavel")}};
    for (const std::string& folder : {addon, bin})
        if (inTheWay(folder) && !isFolder(folder))
            errors.push_back("already exists: " + folder);
    for (const Plan::Program& p : plan.programs)
        if (inTheWay(p.placed))
            errors.push_back("already exists: " + p.placed);
    if (!errors.empty())
        return false;

    simmenu::Places places = simmenu::Places::From(env.dataHome, env.configHome);
    if (!places.known()) {
        errors.push_back("no home folder is known to put the menu entries in");
        return false;
    }
    simmenu::Group group = simmenu::GroupOf(places, plan.sim);
    std::string why;
    plan.menu = simmenu::GroupFiles(
        group, simmenu::GroupName(places, group, plan.sim),
        {plan.programs[0].placed, plan.programs[1].placed, plan.programs[2].placed}, &why);
    if (plan.menu.empty()) {
        errors.push_back(why);
        return false;
    }
    plan.registrationFile = finder::RegistrationFile(env);
    plan.env = env;
    return true;
}

bool Carry(const Plan& plan, bool copy, std::string* error) {
    for (const Plan::Program& p : plan.programs)
        if (!fsx::makeFolders(fsx::parentFolder(p.placed), 0755, error) ||
            !place(p.installed, p.placed, copy, error))
            return false;
    if (!simmenu::WriteFiles(plan.menu, error))
        return false;
    return finder::AddRegistration(plan.env, plan.sim, error);
}

std::string Printable(const std::string& path) {
    auto control = [](unsigned char c) { return c < 0x20 || c == 0x7f; };
    bool plain = true;
    for (char c : path)
        plain = plain && !control(static_cast<unsigned char>(c));
    if (plain)
        return path;
    std::string out = "$'";
    for (char ch : path) {
        unsigned char c = static_cast<unsigned char>(ch);
        char octal[8];
        if (control(c)) {
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            if (c == '\'' || c == '\\')
                out += '\\';
            out += ch;
        }
    }
    return out + "'";
}

} // namespace placement

} // namespace tnv
