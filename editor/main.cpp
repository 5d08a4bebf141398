// TnvCueLine: the crew pack text editor.
#include "editor/report.h"
#include "platform/fs.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage() {
    std::fputs("usage: TnvCueLine [FILE]\n"
               "       TnvCueLine --report PATH\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--report") == 0) {
        if (argc != 3)
            return usage();
        return runReport(fsx::fromDisk(argv[2]));
    }
    // Until the editor window exists, the report is what the editor shows.
    if (argc == 2 && argv[1][0] != '-')
        return runReport(fsx::fromDisk(argv[1]));
    return usage();
}
