#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "tests/editor/fake_view.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tnv;
using namespace tnv::cueline;

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct PackFixture : PackTest {
    void clt(const std::string& bytes) { writeFile(dir.file("CueLine.clt"), bytes); }
};

} // namespace

TEST_F(PackFixture, LineEndsAndSeparators) {
    for (const char* text :
         {"a.wav;Hello\r\nb.wav;Hello;world\r\n", "a.wav;Hello\nb.wav;Hello;world\n",
          "a.wav;Hello\r\nb.wav;Hello;world"}) {
        clt(text);
        ASSERT_TRUE(pack.loadCrewPack());
        ASSERT_EQ(pack.count(), 2) << text;
        EXPECT_STREQ(pack.entry(0).text, "Hello");
        EXPECT_STREQ(pack.entry(1).fileName, "b.wav");
        EXPECT_STREQ(pack.entry(1).text, "Hello;world");
    }
    EXPECT_TRUE(box.calls().empty());
}

TEST_F(PackFixture, EmptyTextsAndLinesWithoutSeparatorAddNothingButTheDiskDoes) {
    clt("a.wav;\r\nno separator here\r\n;text without name\r\nb.wav; \r\n");
    wav("a.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{"b.wav", "a.wav"}));
    EXPECT_STREQ(pack.entry(0).text, " "); // blanks are kept
    EXPECT_EQ(pack.entry(0).onDisk, 0);
    EXPECT_EQ(pack.entry(1).onDisk, 1);
    EXPECT_STREQ(pack.entry(1).text, "");
}

TEST_F(PackFixture, NamesAreComparedByteForByte) {
    clt("Hello.wav;Hi\r\nDup.wav;one\r\nDup.wav;two\r\nGone.wav;lost\r\n");
    wav("hello.wav");
    wav("Dup.wav");
    wav("notes.txt");
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{"Hello.wav", "Dup.wav", "Dup.wav", "Gone.wav",
                                                 "hello.wav"}));
    EXPECT_EQ(pack.entry(0).onDisk, 0);
    EXPECT_EQ(pack.entry(1).onDisk, 1);
    EXPECT_EQ(pack.entry(2).onDisk, 1);
    auto t = pack.tally();
    EXPECT_EQ(t.missing, 2);
    EXPECT_EQ(t.withText, 4);
    EXPECT_EQ(t.withoutText, 1);
    EXPECT_EQ(view.status, "Editing crew pack \"" + pack.name() +
                               "\" - Sound with text: 4  Sound without text: 1  Total: 5");
}

TEST_F(PackFixture, NameAndTextLimits) {
    std::string name29(25, 'n'), name30(26, 'n');
    name29 += ".wav";
    name30 += ".wav";
    clt(name29 + ";ok\r\n" + name30 + ";too long\r\nt.wav;" + std::string(300, 'x') + "\r\n");
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{name29, "t.wav"}));
    EXPECT_EQ(std::string(pack.entry(1).text), std::string(255, 'x'));
    ASSERT_EQ(box.calls().size(), 1u);
    EXPECT_EQ(box.calls()[0].title, "Filename Exceed size !");
    EXPECT_EQ(box.calls()[0].text, "The filename " + name30 +
                                       " exceed the max size of 29 character per name, please "
                                       "correct that");
}

TEST_F(PackFixture, LongLinesAreReadInPiecesOf569) {
    clt("a.wav;" + std::string(563, 'x') + "c.wav;C\r\nd.wav;" + std::string(600, 'y') + "\r\n");
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{"a.wav", "c.wav", "d.wav"}));
    EXPECT_STREQ(pack.entry(1).text, "C");
}

TEST_F(PackFixture, CodePageNamesMatchUtf8NamesOnDisk) {
    clt("caf\xE9.wav;Caf\xE9\r\n");
    wav("caf\xC3\xA9.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_EQ(pack.count(), 1);
    EXPECT_EQ(pack.entry(0).onDisk, 1);
}

TEST_F(PackFixture, MissingTextFileKeepsTheListAsItWas) {
    clt("a.wav;A\r\n");
    ASSERT_TRUE(pack.loadCrewPack());
    pack.setModified(true);
    pack.setFolder(dir.file("absent"));
    EXPECT_FALSE(pack.loadCrewPack());
    ASSERT_EQ(box.calls().size(), 1u);
    EXPECT_EQ(box.calls()[0].text, "File not found");
    EXPECT_EQ(box.calls()[0].title, "CueLine");
    EXPECT_EQ(pack.count(), 1);
    EXPECT_TRUE(pack.modified());
    EXPECT_EQ(view.shown, 1);
}

TEST_F(PackFixture, AFullListStillMarksEverySoundOnDisk) {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "s" + std::to_string(1000 + i) + ".wav;t\r\n";
    clt(text);
    for (int i = 0; i < 200; i += 50)
        wav("s" + std::to_string(1000 + i) + ".wav");
    wav("a_extra.wav");
    wav("b_extra.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    // The first sound the folder lists still fits into the 201st place; the next has no room.
    EXPECT_EQ(pack.count(), 201);
    EXPECT_STREQ(pack.entry(200).fileName, "a_extra.wav");
    pack.tally();
    EXPECT_EQ(pack.missingCount(), 200 - 4);
    ASSERT_EQ(box.calls().size(), 1u);
    EXPECT_NE(box.calls()[0].text.find("b_extra.wav"), std::string::npos);
}

TEST_F(PackFixture, LinesBeyondTheRoomAreToldAndSavingWarnsBeforeLosingThem) {
    std::string text;
    for (int i = 0; i < 203; ++i)
        text += "s" + std::to_string(1000 + i) + ".wav;t\r\n";
    clt(text);
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(pack.count(), 201);
    EXPECT_EQ(pack.unlistedLineCount(), 2);
    ASSERT_EQ(box.calls().size(), 1u);
    EXPECT_NE(box.calls()[0].text.find("s1202.wav"), std::string::npos);
    EXPECT_NE(box.calls()[0].text.find("2 sounds"), std::string::npos);

    box.clear();
    box.setNextAnswer(IDOK);     // save?
    box.setNextAnswer(IDCANCEL); // lines would be lost
    EXPECT_FALSE(pack.saveCrewPack());
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), text);
    EXPECT_EQ(view.status, "File not saved");
}

TEST_F(PackFixture, SavingAsksThenWritesTheRowsAsShown) {
    clt("b.wav;Bee\nGone.wav;Lost\na.wav;Ay\n");
    wav("a.wav");
    wav("b.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    pack.setModified(true);

    box.setNextAnswer(IDCANCEL);
    EXPECT_FALSE(pack.saveCrewPack());
    EXPECT_EQ(view.status, "File not saved");
    EXPECT_TRUE(pack.modified());
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), "b.wav;Bee\nGone.wav;Lost\na.wav;Ay\n");

    // Rows sorted by name and one text edited in the grid; the missing sound left out.
    std::sort(view.rows.begin(), view.rows.end()); // Gone.wav, a.wav, b.wav
    view.rows[1].second = "Ay edited";
    box.clear();
    box.setNextAnswer(IDOK);
    box.setNextAnswer(IDNO);
    EXPECT_TRUE(pack.saveCrewPack());
    ASSERT_EQ(box.calls().size(), 2u);
    EXPECT_EQ(box.calls()[0].text,
              "Do you want to save your modification for the crew sound pack \"" + pack.name() +
                  "\" ?");
    EXPECT_EQ(box.calls()[1].title, "Saving with missing wav text ?");
    EXPECT_EQ(box.calls()[1].text, "1 wav listed in the original cueline file doesn't exist on "
                                   "disk..\ndo you want to save their texts anyway ?");
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), "a.wav;Ay edited\r\nb.wav;Bee\r\n");
    EXPECT_FALSE(pack.modified());
    EXPECT_EQ(view.status, "File saved successfully in " + dir.path() + ", 2 lines written");
    EXPECT_EQ(names(), (std::vector<std::string>{"a.wav", "b.wav"})); // reloaded

    // Nothing missing now: one question only; an empty text is written too.
    view.rows[1].second = "";
    view.rows[0].second = "Ay edited"; // the reload showed the file's texts again
    box.clear();
    EXPECT_TRUE(pack.saveCrewPack());
    EXPECT_EQ(box.calls().size(), 1u);
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), "a.wav;Ay edited\r\nb.wav;\r\n");
}

TEST_F(PackFixture, SavingKeepsTheNameFoundOnDisk) {
    writeFile(dir.file("CUELINE.CLT"), "a.wav;A\r\n");
    wav("a.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    ASSERT_EQ(pack.count(), 1);
    EXPECT_TRUE(pack.saveCrewPack());
    EXPECT_EQ(readFile(dir.file("CUELINE.CLT")), "a.wav;A\r\n");
    EXPECT_FALSE(testsupport::exists(dir.file("CueLine.clt")));
}

TEST_F(PackFixture, TooLongNamesOnDiskAreToldNotListed) {
    clt("");
    wav(std::string(40, 'w') + ".wav");
    wav("ok.wav");
    ASSERT_TRUE(pack.loadCrewPack());
    EXPECT_EQ(names(), (std::vector<std::string>{"ok.wav"}));
    ASSERT_EQ(box.calls().size(), 1u);
    EXPECT_NE(box.calls()[0].text.find("longer than 29"), std::string::npos);
}

TEST(CrewPackFolder, FromAFileOrAFolder) {
    TempDir dir;
    EXPECT_EQ(crewPackFolderFor(dir.path()), dir.path());
    EXPECT_EQ(crewPackFolderFor(dir.path() + "/"), dir.path());
    EXPECT_EQ(crewPackFolderFor(dir.path() + "/CueLine.clt"), dir.path());
    EXPECT_EQ(crewPackFolderFor("CueLine.clt"), fsx::fromDisk(fsx::currentFolder()));
}
