#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "tests/editor/fake_view.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using testsupport::readFile;
using testsupport::writeFile;
using PackFixture = PackTest;

// "s1000.wav;t" and on, `n` lines.
static std::string numbered(int n) {
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "s" + std::to_string(1000 + i) + ".wav;t\r\n";
    return text;
}

// What a load lists, from the text file and then from the folder, and what it tells. A listed
// entry reads "name/text", with a "*" before it when the sound is on disk.
TEST_F(PackFixture, LoadListsTheTextFileThenTheFolder) {
    const std::string n29 = std::string(25, 'n') + ".wav", n30 = std::string(26, 'n') + ".wav";
    const std::string x = std::string(255, 'x'), y = std::string(255, 'y'), w40(40, 'w');
    const std::string two = "a.wav/Hello|b.wav/Hello;world";
    const std::string tooLong =
        " exceed the max size of 29 character per name, please correct that";
    const struct {
        std::string clt, wavs, listed, told; // told: the message boxes' texts, one a line
    } cases[] = {
        {"a.wav;Hello\r\nb.wav;Hello;world\r\n", "", two, ""},
        {"a.wav;Hello\nb.wav;Hello;world\n", "", two, ""},
        {"a.wav;Hello\r\nb.wav;Hello;world", "", two, ""},
        // Lines without a name or a separator add nothing; blanks are kept.
        {"a.wav;\r\nno separator here\r\n;text without name\r\nb.wav; \r\n", "a.wav",
         "b.wav/ |*a.wav/", ""},
        {n29 + ";ok\r\n" + n30 + ";too long\r\nt.wav;" + x + x.substr(0, 45) + "\r\n", "",
         n29 + "/ok|t.wav/" + x, "The filename " + n30 + tooLong},
        // Read in pieces of 569 bytes: the rest of a long line reads as a line of its own.
        {"a.wav;" + x + x + x.substr(0, 53) + "c.wav;C\r\nd.wav;" + y + y + y.substr(0, 90) +
             "\r\n",
         "", "a.wav/" + x + "|c.wav/C|d.wav/" + y, ""},
        {"caf\xE9.wav;Caf\xE9\r\n", "caf\xC3\xA9.wav", "*caf\xE9.wav/Caf\xE9", ""},
        {"", w40 + ".wav|ok.wav", "*ok.wav/",
         "1 sounds of the crew pack \"p7\" could not be listed and are not shown:\n" + w40 +
             ".wav (on disk: name longer than 29 characters)"},
        // Names are compared byte for byte.
        {"Hello.wav;Hi\r\nDup.wav;one\r\nDup.wav;two\r\nGone.wav;lost\r\n",
         "hello.wav|Dup.wav|notes.txt",
         "Hello.wav/Hi|*Dup.wav/one|*Dup.wav/two|Gone.wav/lost|*hello.wav/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clt.substr(0, 40));
        box.clear();
        pack.setFolder(folder = dir.mkdir("p" + std::to_string(&c - cases)));
        clt(c.clt);
        for (std::size_t at = 0, end; at < c.wavs.size(); at = end + 1)
            wav(c.wavs.substr(at, (end = std::min(c.wavs.find('|', at), c.wavs.size())) - at));
        ASSERT_TRUE(pack.loadCrewPack());
        std::string listed, told;
        for (int i = 0; i < pack.count(); ++i)
            listed += std::string(i ? "|" : "") + (pack.entry(i).onDisk ? "*" : "") +
                      pack.entry(i).fileName + "/" + pack.entry(i).text;
        for (const auto& call : box.calls())
            told += (told.empty() ? "" : "\n") + call.text;
        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(told, c.told);
        if (told.starts_with("The filename")) {
            EXPECT_EQ(box.calls()[0].title, "Filename Exceed size !");
        }
    }
    auto t = pack.tally();
    EXPECT_EQ(t.missing, 2);
    EXPECT_EQ(t.withText, 4);
    EXPECT_EQ(t.withoutText, 1);
    EXPECT_EQ(view.status, "Editing crew pack \"" + pack.name() +
                               "\" - Sound with text: 4  Sound without text: 1  Total: 5");
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
    clt(numbered(200));
    for (const char* name :
         {"s1000.wav", "s1050.wav", "s1100.wav", "s1150.wav", "a_extra.wav", "b_extra.wav"})
        wav(name);
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
    const std::string text = numbered(203);
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

TEST(CrewPackFolder, FromAFileOrAFolder) {
    testsupport::TempDir dir;
    EXPECT_EQ(crewPackFolderFor(dir.path()), dir.path());
    EXPECT_EQ(crewPackFolderFor(dir.path() + "/"), dir.path());
    EXPECT_EQ(crewPackFolderFor(dir.path() + "/CueLine.clt"), dir.path());
    EXPECT_EQ(crewPackFolderFor("CueLine.clt"), fsx::fromDisk(fsx::currentFolder()));
}
