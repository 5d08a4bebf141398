// CueLine.clt as found on disk: any bytes, loaded into the list; no entry may outgrow its field.
#include "editor/crew_pack.h"
#include "platform/base/msgbox.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tnv;
using namespace tnv::cueline;

namespace {

struct RowsView : CrewPackView {
    CCrewPack* pack = nullptr;
    void showCrewPack() override { pack->statusText(pack->tally()); }
    void setStatusText(const std::string&) override {}
    int rowCount() const override { return pack->count(); }
    std::string rowFileName(int r) const override { return pack->entry(r).fileName; }
    std::string rowText(int r) const override { return pack->entry(r).text; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScriptedMessageBox box;
    box.clear();
    FILE* f = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!f)
        return 0;

    RowsView view;
    CCrewPack pack(&view);
    view.pack = &pack;
    pack.setFolder("/nonexistent/fuzz/pack"); // no WAV files: the text file alone
    pack.loadCrewPackFrom(f);
    std::fclose(f);
    for (int i = 0; i < pack.count(); ++i)
        if (std::string(pack.entry(i).fileName).size() > 29 ||
            std::string(pack.entry(i).text).size() > 255)
            std::abort();
    return 0;
}
