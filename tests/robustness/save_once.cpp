// Saves a crew pack once, as File, Save does, every row's text replaced: the program the crash
// test stops at each system call of its save.
//   tnv-save-once FOLDER TEXT [--as-nobody]
// Exit status: 0 saved, 1 not saved, 2 the pack could not be loaded, 3 could not drop to nobody.
#include "editor/crew_pack.h"
#include "platform/base/msgbox.h"

#include <cstring>
#include <grp.h>
#include <unistd.h>

using namespace tnv;
using namespace tnv::cueline;

namespace {

struct Rows : CrewPackView {
    CCrewPack* pack = nullptr;
    std::string text;
    void showCrewPack() override {}
    void setStatusText(const std::string&) override {}
    int rowCount() const override { return pack->count(); }
    std::string rowFileName(int r) const override { return pack->entry(r).fileName; }
    std::string rowText(int) const override { return text; }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 64;
    if (argc > 3 && std::strcmp(argv[3], "--as-nobody") == 0) {
        gid_t nobody = 65534;
        if (::setgroups(1, &nobody) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            return 3;
    }
    ScriptedMessageBox answers; // the default buttons: OK, then Yes
    Rows rows;
    CCrewPack pack(&rows);
    rows.pack = &pack;
    rows.text = argv[2];
    pack.setFolder(argv[1]);
    if (!pack.loadCrewPack())
        return 2;
    pack.setModified(true);
    return pack.saveCrewPack() ? 0 : 1;
}
