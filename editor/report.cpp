#include "editor/report.h"

#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/locale_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace tnv::cueline {

namespace {

// A view without a window: it only keeps the status text the status bar would show.
class ReportView : public CrewPackView {
public:
    CCrewPack* pack = nullptr;
    std::string status;
    void showCrewPack() override { status = pack->statusText(pack->tally()); }
    void setStatusText(const std::string& text) override { status = text; }
    int rowCount() const override { return 0; }
    std::string rowFileName(int) const override { return {}; }
    std::string rowText(int) const override { return {}; }
};

void put(const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), stdout);
}

// Why the text file does not open, as the system says it.
std::string whyUnreadable(const std::string& diskPath) {
    int fd = fsx::openRegularFile(diskPath);
    if (fd >= 0) {
        ::close(fd);
        return "cannot be read";
    }
    // A FIFO or a device is refused unopened.
    return errno == EINVAL ? "not a regular file" : std::strerror(errno);
}

} // namespace

int runReport(const std::string& path) {
    // Found letter case aside, as the editor finds a pack.
    struct stat st;
    if (::stat(fsx::resolvePath(path).c_str(), &st) != 0) {
        std::fprintf(stderr, "TnvCueLine: %s: %s\n", fsx::toDisk(path).c_str(),
                     std::strerror(errno));
        return 1;
    }
    ReportView view;
    CCrewPack pack(&view);
    view.pack = &pack;
    pack.setFolder(crewPackFolderFor(path));
    if (!pack.loadCrewPack()) {
        std::string textFile = pack.textFilePath();
        std::fprintf(stderr, "TnvCueLine: %s: %s\n", textFile.c_str(),
                     whyUnreadable(textFile).c_str());
        return 1;
    }
    for (int i = 0; i < pack.count(); ++i) {
        const SoundEntry& e = pack.entry(i);
        const char* state = e.onDisk == 0 ? "missing" : (e.text[0] == '\0' ? "notext" : "ok");
        char number[16];
        std::snprintf(number, sizeof number, "%03i", i);
        // A name the folder holds prints as its file does; the rest as the terminal shows it.
        std::string name = e.onDisk ? fsx::toDisk(e.fileName) : localetext::FromText(e.fileName);
        put(std::string(number) + "\t" + state + "\t" + name + "\t" + localetext::FromText(e.text) +
            "\n");
    }
    // The status line names the pack by its folder.
    put(fsx::toDisk(view.status) + "\n");
    std::fflush(stdout);
    return 0;
}

} // namespace tnv::cueline
