// A save against what else happens to CueLine.clt: another editor's save, a second name, the
// temporaries and the copy a crashed save left behind.
#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "tests/editor/fake_view.h"
#include "tests/support/test_support.h"

#include <ctime>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::exists;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const std::string kOld = "a.wav;Old\r\n";

struct Disk : PackTest {
    std::string file = folder + "/CueLine.clt", cache = dir.mkdir("cache");
    Disk() : PackTest("Pack") {
        ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        writeFile(folder + "/a.wav", "RIFF");
        writeFile(file, kOld);
    }
    ~Disk() override { ::unsetenv("XDG_CACHE_HOME"); }
};

void setAge(const std::string& path, int minutes, bool link = false) {
    timespec t[2];
    t[0].tv_sec = t[1].tv_sec = std::time(nullptr) - minutes * 60;
    t[0].tv_nsec = t[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, path.c_str(), t, link ? AT_SYMLINK_NOFOLLOW : 0);
}

} // namespace

TEST_F(Disk, ASaveAsksBeforeReplacingWhatChangedOnDiskSinceTheLoad) {
    auto theirs = [](const std::string& f) { writeFile(f, "a.wav;Theirs\r\n"); };
    auto gone = [](const std::string& f) { ::unlink(f.c_str()); };
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change; // nothing: unchanged
        int answer;                                     // 0: Enter (the default button)
        const char* left;                               // nullptr: no file
    } cases[] = {
        {"unchanged", nullptr, 0, "a.wav;Mine\r\n"},
        {"another editor saved, No", theirs, IDNO, "a.wav;Theirs\r\n"},
        {"another editor saved, Enter", theirs, 0, "a.wav;Theirs\r\n"},
        {"another editor saved, Yes", theirs, IDYES, "a.wav;Mine\r\n"},
        {"rewritten in place, same size, newer",
         [](const std::string& f) {
             writeFile(f, "a.wav;Odd\r\n");
             setAge(f, -1);
         },
         IDNO, "a.wav;Odd\r\n"},
        {"replaced by a copy of the same text", // another inode
         [](const std::string& f) {
             writeFile(f + ".new", kOld);
             ::rename((f + ".new").c_str(), f.c_str());
         },
         IDNO, kOld.c_str()},
        {"vanished, No", gone, IDNO, nullptr},
        {"vanished, Yes", gone, IDYES, "a.wav;Mine\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(file, kOld);
        ASSERT_TRUE(pack.loadCrewPack());
        if (c.change)
            c.change(file);
        box.clear();
        box.setNextAnswer(IDOK);
        if (c.answer)
            box.setNextAnswer(c.answer);
        view.rows[0].second = "Mine";
        pack.setModified(true);
        bool saved = pack.saveCrewPack();
        EXPECT_EQ(saved, std::string(c.left ? c.left : "") == "a.wav;Mine\r\n");
        ASSERT_EQ(box.calls().size(), c.change ? 2u : 1u);
        if (c.change) {
            EXPECT_EQ(box.calls()[1].title, "File changed on disk !");
            EXPECT_EQ(box.calls()[1].text, "CueLine.clt was changed on disk since it was opened. "
                                           "Replace it with your texts ?");
            EXPECT_EQ(box.calls()[1].flags, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
        }
        if (!saved) {
            EXPECT_EQ(view.status, "File not saved");
            EXPECT_TRUE(pack.modified());
        }
        EXPECT_EQ(exists(file), c.left != nullptr);
        if (c.left) {
            EXPECT_EQ(readFile(file), c.left);
        }
        EXPECT_EQ(fsx::listFolder(folder).size(), c.left ? 2u : 1u) << "nothing else written";
    }
}

TEST_F(Disk, ASaveRemovesOnlyItsOwnStaleTemporariesInThePacksFolder) {
    enum Kind { File, Link, Folder, InSubfolder, Others };
    struct Case {
        const char* name;
        Kind kind;
        int minutes; // since last modified
        bool removed;
    } cases[] = {
        {".CueLine.clt.Ab12Cd", File, 11, true},         {".CueLine.clt.Xy34Zw", File, 9, false},
        {".CueLine.clt.abcde", File, 60, false},         {".CueLine.clt.abcdefg", File, 60, false},
        {".CueLine.clt.ab-def", File, 60, false},        {".Other.clt.abcdef", File, 60, false},
        {"CueLine.clt.abcdef", File, 60, false},         {".cueline.clt.abcdef", File, 60, false},
        {".CueLine.clt.lnk123", Link, 60, false},        {".CueLine.clt.dir123", Folder, 60, false},
        {".CueLine.clt.sub123", InSubfolder, 60, false}, {".CueLine.clt.nob123", Others, 60, false},
    };
    std::string other = dir.mkdir("Other");
    writeFile(other + "/target", "kept");
    std::vector<std::string> paths;
    for (const Case& c : cases) {
        std::string path = folder + "/" + c.name;
        if (c.kind == Link)
            ASSERT_EQ(::symlink((other + "/target").c_str(), path.c_str()), 0);
        else if (c.kind == Folder)
            dir.mkdir(std::string("Pack/") + c.name);
        else if (c.kind == InSubfolder)
            path = dir.mkdir("Pack/sub") + "/" + c.name;
        if (c.kind != Link && c.kind != Folder)
            writeFile(path, "half a save");
        if (c.kind == Others && (::geteuid() != 0 || ::chown(path.c_str(), 65534, 65534) != 0))
            path.clear(); // only root lays out another user's file
        if (!path.empty())
            setAge(path, c.minutes, c.kind == Link);
        paths.push_back(path);
    }
    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_TRUE(editAndSave());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!paths[i].empty()) {
            EXPECT_EQ(exists(paths[i]), !cases[i].removed) << cases[i].name;
        }
    }
    EXPECT_EQ(readFile(other + "/target"), "kept");
}

TEST_F(Disk, AHardLinkedFileIsReplacedAndTheStatusSaysItsOtherNamesKeepTheOldText) {
    ASSERT_EQ(::link(file.c_str(), (folder + "/Backup.clt").c_str()), 0);
    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_TRUE(editAndSave());
    EXPECT_EQ(box.calls().size(), 1u) << "no new question";
    EXPECT_EQ(readFile(file), "a.wav;Mine\r\n");
    EXPECT_EQ(readFile(folder + "/Backup.clt"), kOld);
    EXPECT_EQ(view.status, "File saved successfully in " + folder +
                               ", 1 lines written; the other names of CueLine.clt (hard links) "
                               "keep the old text");
    // Now it has one name: an ordinary save.
    ASSERT_TRUE(editAndSave());
    EXPECT_EQ(view.status, "File saved successfully in " + folder + ", 1 lines written");
}

TEST_F(Disk, ACopyLeftByASaveThatNeverFinishedIsToldAtTheNextLoadAndKept) {
    const std::string pattern = packfile::keptCopyPattern(file);
    ASSERT_EQ(pattern.rfind(cache + "/tarnavel/CueLine-", 0), 0u) << pattern;
    dir.mkdir("cache/tarnavel");
    std::string copy = pattern;
    copy.replace(copy.rfind("XXXXXX"), 6, "q1W2e3");
    std::string unfinished = cache + "/tarnavel/." + copy.substr(copy.rfind('/') + 1) + ".part";
    writeFile(copy, kOld);
    writeFile(unfinished, "a.wa"); // a copy that never got its name: no word of it
    // Another pack's copy is not this one's.
    writeFile(cache + "/tarnavel/CueLine-0123456789abcdef-a1b2c3.clt", kOld);

    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_EQ(box.calls().size(), 1u);
    EXPECT_EQ(box.calls()[0].title, "Old text of CueLine.clt kept !");
    EXPECT_EQ(box.calls()[0].text, "A save of CueLine.clt in \"" + folder +
                                       "\" did not finish. Its text from before that save is "
                                       "kept in\n" +
                                       copy +
                                       "\nCompare it with CueLine.clt, and delete it once you "
                                       "no longer need it.");
    EXPECT_TRUE(exists(copy));
    // Told once a run; the save leaves it alone.
    box.clear();
    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_TRUE(editAndSave());
    EXPECT_EQ(box.calls().size(), 1u);
    EXPECT_EQ(readFile(copy), kOld);
}
