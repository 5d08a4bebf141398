#include "finder/finder.h"

#include "finder/walk.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace tnv {

namespace finder {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string absoluteOr(const std::string& value, const std::string& fallback) {
    return value.starts_with('/') ? value : fallback;
}

void warnOnStderr(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

} // namespace

Environment Environment::From(const std::string& home, const std::string& xdgConfigHome,
                              const std::string& xdgDataHome, const std::string& winePrefix) {
    Environment env;
    env.home = home.starts_with('/') ? home : std::string();
    std::string base = env.home.empty() ? std::string() : (env.home == "/" ? "" : env.home);
    env.configHome = absoluteOr(xdgConfigHome, env.home.empty() ? "" : base + "/.config");
    env.dataHome = absoluteOr(xdgDataHome, env.home.empty() ? "" : base + "/.local/share");
    env.winePrefix = absoluteOr(winePrefix, "");
    return env;
}

Environment Environment::FromProcess() {
    std::string home = variable("HOME");
    if (!home.starts_with('/'))
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    return From(home, variable("XDG_CONFIG_HOME"), variable("XDG_DATA_HOME"),
                variable("WINEPREFIX"));
}

bool IsSimulator(const std::string& folder) {
    return detail::LookInto(folder, false).isSimulator();
}

bool HasAddon(const std::string& folder) {
    return detail::LookInto(folder, false).addon;
}

FindResult FindSimulators(const Options& options) {
    detail::Deadline deadline(options);
    detail::Found found(options);
    // The folders named to the search first: they are the user's word, and cheap.
    for (const std::string& folder : options.extraFolders)
        if (!deadline.passed())
            found.examine(folder, true);
    std::vector<detail::Prefix> prefixes = detail::KnownPrefixes(options.env);
    for (const detail::Prefix& prefix : prefixes)
        if (!deadline.passed())
            detail::ExamineRegistry(prefix, found, deadline);
    detail::WalkDriveC(prefixes, found, deadline);

    FindResult result{found.take(), deadline.hasPassed()};
    if (result.timedOut) {
        long long ms = options.deadline.count();
        std::string limit =
            ms % 1000 == 0 ? std::to_string(ms / 1000) + " seconds" : std::to_string(ms) + " ms";
        std::string text = "the search for simulators stopped at its limit of " + limit +
                           "; it may have missed some";
        (options.warn ? options.warn : warnOnStderr)(text);
    }
    return result;
}

FindResult Candidates(Options options) {
    options.extraFolders = ReadRegistration(options.env);
    return FindSimulators(options);
}

} // namespace finder

} // namespace tnv
