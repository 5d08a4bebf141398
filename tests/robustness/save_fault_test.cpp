// Saving CueLine.clt onto a disk that fails: a full file system and a folder that refuses new
// files. The old file stays byte for byte, the user is told, and the pack stays modified so
// that nothing typed is lost.
#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "platform/base/msgbox.h"
#include "tests/editor/fake_view.h"
#include "tests/robustness/small_tmpfs.h"
#include "tests/support/crew_pack.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>

using namespace tnv;
using namespace tnv::cueline;

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

const std::string kOld = "a.wav;Gear down\r\nb.wav;Flaps fifteen\r\n";
// What the user is told, by the step of the write that failed.
const char* const kCannotOpen = "Unable to open file (file in use ?)";
const char* const kCannotWrite = "Unable to write CueLine.clt";

// A pack loaded from `folder`, or else from a folder of its own, with edits not yet saved. Its
// message boxes take their default buttons: OK to save, Yes to save without a sound's text.
struct Pack {
    TempDir dir;
    FakeView view;
    CCrewPack pack{&view};
    explicit Pack(std::string folder = "") {
        if (folder.empty())
            testsupport::writeCrewPack(folder = dir.path(), kOld, {"a.wav"});
        view.pack = &pack;
        pack.setFolder(folder);
        pack.loadCrewPack();
        view.rows = {{"a.wav", "Gear down, three green"}, {"b.wav", "Flaps fifteen"}};
        pack.setModified(true);
    }
};

struct InjectionOff {
    ~InjectionOff() { fsx::injectWriteFailure(fsx::WriteStatus::Written, 0); }
};

} // namespace

TEST(SaveFaults, FailingDiskKeepsTheOldFileAndTheEdits) {
    struct Case {
        const char* what;
        fsx::WriteStatus stage;
        int err;
        const char* says;
    } cases[] = {
        {"full file system", fsx::WriteStatus::CannotWrite, ENOSPC, kCannotWrite},
        {"read-only folder", fsx::WriteStatus::CannotCreate, EROFS, kCannotOpen},
        {"folder refusing writes", fsx::WriteStatus::CannotCreate, EACCES, kCannotOpen},
        {"input/output error", fsx::WriteStatus::CannotWrite, EIO, kCannotWrite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pack p;
        ScriptedMessageBox box;
        InjectionOff off;
        fsx::injectWriteFailure(c.stage, c.err);
        EXPECT_FALSE(p.pack.saveCrewPack());
        EXPECT_EQ(readFile(p.dir.file("CueLine.clt")), kOld);
        EXPECT_TRUE(p.pack.modified());
        ASSERT_FALSE(box.calls().empty());
        EXPECT_NE(box.calls().back().flags & MB_ICONERROR, 0u);
        EXPECT_EQ(box.calls().back().text.rfind(c.says, 0), 0u) << box.calls().back().text;
        EXPECT_EQ(p.view.status, "File not saved");
        EXPECT_EQ(p.view.rows[0].second, "Gear down, three green");
        // Nothing half-written is left beside it.
        auto files = [](const fsx::DirEntry& e) { return !e.isDir; };
        EXPECT_EQ(std::ranges::count_if(fsx::listFolder(p.dir.path()), files), 2);
        // Once the disk works again the same edits are saved.
        fsx::injectWriteFailure(fsx::WriteStatus::Written, 0);
        EXPECT_TRUE(p.pack.saveCrewPack());
        EXPECT_NE(readFile(p.dir.file("CueLine.clt")).find("three green"), std::string::npos);
    }
}

TEST(SaveFaults, RealSmallTmpfsWhenTheMachineAllowsIt) {
    SmallTmpfs tmpfs("size=16k");
    if (!tmpfs.mounted)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const TempDir& mnt = tmpfs.dir;
    writeFile(mnt.file("CueLine.clt"), kOld);
    writeFile(mnt.file("filler"), std::string(12 * 1024, 'x'));
    Pack p(mnt.path());
    p.view.rows.clear();
    for (int i = 0; i < 200; ++i)
        p.view.rows.push_back({"cue" + std::to_string(i) + ".wav", std::string(200, 't')});
    ScriptedMessageBox box;
    EXPECT_FALSE(p.pack.saveCrewPack());
    EXPECT_EQ(readFile(mnt.file("CueLine.clt")), kOld);
    EXPECT_TRUE(p.pack.modified());
}
