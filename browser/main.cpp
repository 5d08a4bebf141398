// FleetValuer: the aircraft price browser.
#include "browser/fleet_explain.h"
#include "browser/fleet_export.h"
#include "browser/fleet_options.h"
#include "browser/fleet_shell.h"
#include "platform/base/fs.h"
#include "platform/window/wnd_app_signals.h"

#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <vector>

using namespace tnv;
using namespace tnv::fleet;

namespace {

// An absolute folder without a separator at its end, in the program's 8-bit form.
std::string absoluteFolder(const std::string& diskPath) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(diskPath, ec);
    std::string s = (ec ? std::filesystem::path(diskPath) : p).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return fsx::fromDisk(s);
}

} // namespace

int main(int argc, char** argv) {
    // Each size the window is drawn at gets a client image of a few megabytes, and the table's
    // cells come and go with every redraw. Freed memory stays in the heap for the next of them
    // instead of going back to the system and being faulted in again page by page.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    mallopt(M_TOP_PAD, 1 << 20);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = ParseFleetOptions(args, &error);
    if (!options) {
        std::fprintf(stderr, "FleetValuer: %s\n%s", error.c_str(), FleetUsage());
        return 2;
    }
    if (options->help) {
        std::fputs(FleetUsage(), stdout);
        return 0;
    }
    if (options->version) {
        std::puts("FleetValuer " TNV_VERSION);
        return 0;
    }

    FleetState& state = TheFleet();
    state.programPath = fsx::fromDisk(fsx::programPath(argc > 0 ? argv[0] : nullptr));
    if (!options->base.empty())
        state.baseOverride = absoluteFolder(options->base);
    state.sort = options->sort;
    state.table->showAllVariations = options->allVariations;

    // Without a window nobody can be asked which simulator, and a table written without one
    // would only hide the mistake; the window settles it before it shows.
    if (options->doExport || options->explain || !options->screenshot.empty() ||
        !options->printPdf.empty()) {
        if (int status = SettleFleetWithoutWindow(state))
            return status;
    }
    if (options->doExport)
        return ExportFleet(state, options->exportPath, options->utf8);
    if (options->explain)
        return ExplainFleet(state);
    // The window takes Ctrl+C and SIGTERM as a close request; a picture or a PDF just ends.
    CloseOnSignals closeOnSignals(options->screenshot.empty() && options->printPdf.empty());
    return CloseOnSignals::ExitStatus(RunFleetWindow(state, *options, argc, argv));
}
