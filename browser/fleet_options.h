// The browser's command line.
#pragma once

#include "browser/fleet_table.h"

#include <optional>
#include <string>
#include <vector>

namespace tnv::fleet {

struct FleetOptions {
    std::string base; // --base DIR (a disk path, as given)
    AircraftSortMode sort = SortByRank;
    bool allVariations = false;
    bool doExport = false;
    bool explain = false;   // --explain: why each aircraft folder is listed or not
    std::string exportPath; // "-" for standard output
    bool utf8 = false;      // --utf8: the export in UTF-8
    std::string screenshot;
    std::string printPdf;        // --print-pdf OUT.pdf
    std::string pageSize = "A4"; // --page-size NAME, for --print-pdf
    bool landscape = false;
    int width = 0;
    int height = 0;
    bool help = false;
    bool version = false;
};

// The options, or nothing with `error` set to a one-line reason.
std::optional<FleetOptions> ParseFleetOptions(const std::vector<std::string>& args,
                                              std::string* error);

const char* FleetUsage();

} // namespace tnv::fleet
