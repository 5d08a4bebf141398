#include "browser/fleet_export.h"

#include "grid/cell_grid.h"
#include "platform/fs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

bool WriteExport(const std::string& diskPath, const std::string& bytes, std::string* error) {
    struct stat st;
    if (::stat(diskPath.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return fsx::writeFileAtomic(diskPath, bytes, error) == fsx::WriteStatus::Written;
    std::FILE* f = std::fopen(diskPath.c_str(), "wb");
    if (!f) {
        *error = "cannot write " + diskPath + ": " + std::strerror(errno);
        return false;
    }
    errno = 0;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    int err = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        *error = "cannot write " + diskPath + ": " + std::strerror(err ? err : EIO);
    return ok;
}

int ExportFleet(FleetState& state, const std::string& path) {
    LoadFleet(state);
    CCellGrid grid;
    grid.AllowEditing(FALSE);
    FillAircraftGrid(grid, state);
    std::string csv = GridToCsv(grid);

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
