#include "browser/fleet_export.h"

#include "grid/core/grid_core.h"
#include "platform/base/fs_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tnv::fleet {

bool WriteExport(const std::string& diskPath, const std::string& bytes, std::string* error) {
    return fsx::writeFile(diskPath, bytes, error, fsx::WriteOptions::NamedOutput()) ==
           fsx::WriteStatus::Written;
}

int ExportFleet(FleetState& state, const std::string& path, bool utf8) {
    LoadFleet(state);
    CellGridCore grid;
    grid.AllowEditing(false);
    FillAircraftGrid(grid, state);
    std::string csv = GridToCsv(grid, utf8);

    if (path == "-") {
        bool ok = std::fwrite(csv.data(), 1, csv.size(), stdout) == csv.size();
        ok = std::fflush(stdout) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "FleetValuer: cannot write the table to standard output: %s\n",
                         std::strerror(errno));
            return 1;
        }
        return 0;
    }
    std::string error;
    if (!WriteExport(path, csv, &error)) {
        std::fprintf(stderr, "FleetValuer: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace tnv::fleet
