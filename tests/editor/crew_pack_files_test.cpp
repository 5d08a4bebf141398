// The crew pack against what real folders hold: text files full of bad lines, WAV names the text
// file cannot carry, and a CueLine.clt that is a link, read-only, or in a folder that takes no
// new file.
#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "tests/editor/fake_view.h"
#include "tests/support/as_user.h"
#include "tests/support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

struct Folder : PackTest {
    Folder() : PackTest("Pack") {}
    std::size_t occurrences(const std::string& text, const std::string& what) const {
        std::size_t n = 0;
        for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1))
            ++n;
        return n;
    }
};

} // namespace

TEST_F(Folder, AFileFullOfTooLongNamesGivesAFewBoxesAndOneSummary) {
    std::string text = "ok.wav;Fine\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "a_name_far_too_long_for_the_list_" + std::to_string(i) + ".wav;t\r\n";
    clt(text);
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{"ok.wav"}));
    ASSERT_EQ(box.calls().size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(box.calls()[i].title, "Filename Exceed size !");
        EXPECT_EQ(box.calls()[i].text,
                  "The filename a_name_far_too_long_for_the_list_" + std::to_string(i) +
                      ".wav exceed the max size of 29 character per name, please correct that");
    }
    const std::string& summary = box.calls()[3].text;
    EXPECT_EQ(summary.rfind("99997 sounds of the crew pack \"Pack\" could not be listed", 0), 0u)
        << summary.substr(0, 200);
    EXPECT_NE(summary.find("a_name_far_too_long_for_the_list_3.wav (line 5 of CueLine.clt: name "
                           "longer than 29 characters)"),
              std::string::npos);
    EXPECT_NE(summary.find("\n... and 99977 more"), std::string::npos);
    EXPECT_EQ(pack.unlistedLineCount(), 100000);
}

TEST_F(Folder, ASoundLeftOutOfAFullListIsNamedOnce) {
    std::string text;
    for (int i = 0; i < 205; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "w%03d.wav", i);
        text += std::string(name) + ";t\r\n";
        wav(name);
    }
    clt(text);
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(pack.count(), 201);
    ASSERT_EQ(box.calls().size(), 1u);
    const std::string& message = box.calls()[0].text;
    EXPECT_EQ(message.rfind("4 sounds of the crew pack", 0), 0u) << message;
    for (const char* name : {"w201.wav", "w202.wav", "w203.wav", "w204.wav"})
        EXPECT_EQ(occurrences(message, name), 1u) << name << "\n" << message;
    EXPECT_EQ(occurrences(message, "w200.wav"), 0u);
}

TEST_F(Folder, WavNamesALineCannotCarryAreToldAndNeverWritten) {
    clt("ok.wav;Fine\r\n");
    wav("ok.wav");
    wav("semi;colon.wav");
    wav("line\nfeed.wav");
    wav("carriage\rreturn.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{"ok.wav"}));
    ASSERT_EQ(box.calls().size(), 1u);
    const std::string& message = box.calls()[0].text;
    EXPECT_EQ(message.rfind("3 sounds of the crew pack", 0), 0u) << message;
    for (const char* shown :
         {"semi;colon.wav (on disk", "line\\nfeed.wav (on disk", "carriage\\rreturn.wav (on disk"})
        EXPECT_NE(message.find(shown), std::string::npos) << shown << "\n" << message;

    // Saving writes only lines that read back as they were written, whatever the rows hold.
    view.rows.emplace_back("semi;colon.wav", "lost under the name semi");
    view.rows.emplace_back("x.wav", "two\nlines");
    pack.setModified(true);
    box.clear();
    box.setNextAnswer(IDOK);
    box.setNextAnswer(IDYES);
    ASSERT_TRUE(pack.saveCrewPack());
    EXPECT_EQ(readFile(folder + "/CueLine.clt"), "ok.wav;Fine\r\nx.wav;two lines\r\n");
}

TEST_F(Folder, SavingThroughALinkWritesTheRealFile) {
    std::string real = dir.mkdir("Shared");
    writeFile(real + "/CueLine.clt", "a.wav;Old\r\n");
    ::chmod((real + "/CueLine.clt").c_str(), 0640);
    ASSERT_EQ(::symlink("../Shared/CueLine.clt", (folder + "/CueLine.clt").c_str()), 0);
    wav("a.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_TRUE(editAndSave("New"));
    EXPECT_EQ(view.status, "File saved successfully in " + folder + ", 1 lines written");
    struct stat st {};
    ASSERT_EQ(::lstat((folder + "/CueLine.clt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(real + "/CueLine.clt"), "a.wav;New\r\n");
    ASSERT_EQ(::stat((real + "/CueLine.clt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_STREQ(pack.entry(0).text, "New"); // the reload reads the real file too
}

// The outcome of a save as an ordinary user, packed into the child's exit status.
enum SaveOutcome { Saved = 1, Refused = 2, NotWritten = 3, OtherMessage = 4, Unexpected = 5 };

TEST_F(Folder, AsAnOrdinaryUserTheFilesPermissionDecides) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "laying out other users' files needs root";
    struct Case {
        const char* what;
        mode_t folderMode;
        uid_t folderOwner;
        mode_t fileMode;
        uid_t cacheOwner; // of the folder for the old text while it is written in place
        SaveOutcome expected;
    } cases[] = {
        {"read-only CueLine.clt in a writable folder", 0755, testsupport::kNobody, 0444,
         testsupport::kNobody, Refused},
        {"writable CueLine.clt in a folder that takes no new file", 0555, 0, 0644,
         testsupport::kNobody, Saved},
        {"the same with no room of the user's for its old text", 0555, 0, 0644, 0, NotWritten},
    };
    ::chmod(dir.path().c_str(), 0755);
    const std::string cache = dir.mkdir("cache");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = folder + "/CueLine.clt", old = "a.wav;Old\r\n";
        ::chmod(folder.c_str(), 0755);
        writeFile(file, old);
        wav("a.wav");
        ASSERT_EQ(::chown(file.c_str(), testsupport::kNobody, testsupport::kNobody), 0);
        ASSERT_EQ(::chmod(file.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
        std::filesystem::remove_all(cache + "/tarnavel");
        ASSERT_EQ(::chown(cache.c_str(), c.cacheOwner, c.cacheOwner), 0);
        ASSERT_TRUE(pack.loadCrewPack());
        box.clear();

        int status = testsupport::runAsOrdinaryUser([&]() -> int {
            ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
            view.rows[0].second = "New";
            pack.setModified(true);
            ScriptedMessageBox child;
            child.setNextAnswer(IDOK);
            bool saved = pack.saveCrewPack();
            if (saved)
                return !pack.modified() && child.calls().size() == 1 ? Saved : Unexpected;
            if (child.calls().size() != 2)
                return Unexpected;
            if (child.calls()[1].text.rfind("Unable to write CueLine.clt, the file is "
                                            "unchanged (cannot keep a copy of its old text",
                                            0) == 0)
                return pack.modified() ? NotWritten : Unexpected;
            if (child.calls()[1].text != "Unable to open file (file in use ?)")
                return OtherMessage;
            return pack.modified() && view.status == "File not saved" ? Refused : Unexpected;
        });
        if (status == -1)
            GTEST_SKIP() << "cannot run a child process as an ordinary user here";
        EXPECT_EQ(status, c.expected);
        EXPECT_EQ(readFile(file), c.expected == Saved ? "a.wav;New\r\n" : old);
        EXPECT_EQ(fsx::listFolder(folder).size(), 2u);
        EXPECT_TRUE(fsx::listFolder(cache + "/tarnavel").empty()) << "no copy left";
    }
}
