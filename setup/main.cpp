// tarnavel-setup: places the installed tools into a simulator, found or named, and lists the
// simulators it finds.
#include "finder/finder.h"
#include "platform/base/fs.h"
#include "setup/placement.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tnv;

namespace {

const char* const kUsage =
    "usage: tarnavel-setup [--copy] [--dry-run] [SIMFOLDER]\n"
    "       tarnavel-setup --list\n"
    "  (no folder)  set up the one simulator found that has a Tarnavel folder\n"
    "  --copy       copy the programs instead of linking to the installed ones\n"
    "  --dry-run    print each file that would be created, and create none\n"
    "  --list       list the simulators found, each with or without Tarnavel\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n";

void say(const std::string& text) {
    std::fprintf(stderr, "tarnavel-setup: %s\n", text.c_str());
}

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

int usageError(const std::string& text) {
    std::fprintf(stderr, "tarnavel-setup: %s\n%s", text.c_str(), kUsage);
    return 2;
}

// The folder the installed programs stand in: this program's own, links resolved.
std::string installedFolder(const char* argv0) {
    std::string self = fsx::realPath("/proc/self/exe");
    if (self.empty())
        self = fsx::programPath(argv0);
    return fsx::parentFolder(self);
}

int list(const finder::Environment& env) {
    finder::Options options;
    options.env = env;
    finder::FindResult found = finder::Candidates(options);
    for (const finder::Simulator& s : found.simulators)
        printLine(placement::Printable(s.folder) + "\t" +
                  (s.hasAddon ? "with Tarnavel" : "without Tarnavel"));
    if (found.simulators.empty())
        say("no simulator was found (a folder holding Aircraft, Flights, Gauges and Modules)");
    return 0;
}

// Asks on the terminal which of `sims` to set up; empty when the answer is none of them.
std::string ask(const std::vector<std::string>& sims) {
    std::fputs("Several simulators have a Tarnavel folder:\n", stderr);
    for (std::size_t i = 0; i < sims.size(); ++i)
        std::fprintf(stderr, "  %zu  %s\n", i + 1, placement::Printable(sims[i]).c_str());
    std::fprintf(stderr, "Set up which one (1-%zu, Enter for none)? ", sims.size());
    std::string answer;
    if (!std::getline(std::cin, answer))
        return {};
    char* end = nullptr;
    unsigned long n = std::strtoul(answer.c_str(), &end, 10);
    return end != answer.c_str() && *end == '\0' && n >= 1 && n <= sims.size() ? sims[n - 1] : "";
}

// The simulator to set up when none is named; empty (after saying why) when there is not one.
std::string chooseSimulator(const finder::Environment& env) {
    finder::Options options;
    options.env = env;
    std::vector<std::string> with, without;
    for (const finder::Simulator& s : finder::Candidates(options).simulators)
        (s.hasAddon ? with : without).push_back(s.folder);
    if (with.size() == 1)
        return with.front();
    if (with.empty()) {
        say("no simulator with a Tarnavel folder was found; install the add-on into the "
            "simulator, or name its folder: tarnavel-setup SIMFOLDER");
        for (const std::string& folder : without)
            say("found without Tarnavel: " + placement::Printable(folder));
        return {};
    }
    if (::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO)) {
        std::string chosen = ask(with);
        if (chosen.empty())
            say("nothing was changed");
        return chosen;
    }
    say("several simulators have a Tarnavel folder; name one: tarnavel-setup SIMFOLDER");
    for (const std::string& folder : with)
        std::fprintf(stderr, "  %s\n", placement::Printable(folder).c_str());
    return {};
}

int setUp(const std::string& sim, bool copy, bool dryRun, const finder::Environment& env,
          const char* argv0) {
    placement::Plan plan;
    std::vector<std::string> errors;
    if (!placement::MakePlan(sim, installedFolder(argv0), env, plan, errors)) {
        for (const std::string& e : errors)
            say(e);
        if (errors.front().starts_with("already exists"))
            say("nothing was changed");
        return 1;
    }
    std::string error;
    if (!dryRun && !placement::Carry(plan, copy, &error)) {
        say(error);
        return 1;
    }
    for (const std::string& line : plan.Lines())
        printLine(placement::Printable(line));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool copy = false, dryRun = false, listOnly = false, optionsEnd = false;
    std::string sim;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!optionsEnd && arg == "--copy") {
            copy = true;
        } else if (!optionsEnd && arg == "--dry-run") {
            dryRun = true;
        } else if (!optionsEnd && arg == "--list") {
            listOnly = true;
        } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!optionsEnd && arg == "--version") {
            std::puts("tarnavel-setup " TNV_VERSION);
            return 0;
        } else if (!optionsEnd && arg == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (!sim.empty()) {
            return usageError("one simulator folder at a time");
        } else {
            sim = arg;
        }
    }
    if (listOnly && (copy || dryRun || !sim.empty()))
        return usageError("--list takes no other option and no folder");

    finder::Environment env = finder::Environment::FromProcess();
    if (listOnly)
        return list(env);
    if (sim.empty()) {
        sim = chooseSimulator(env);
        if (sim.empty())
            return 1;
    }
    int status = setUp(sim, copy, dryRun, env, argc > 0 ? argv[0] : nullptr);
    std::fflush(stdout);
    return status != 0 ? status : std::ferror(stdout) ? 1 : 0;
}
