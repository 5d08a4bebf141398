#include "editor_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <algorithm>

namespace {

TEST_F(EditorFixture, StartWithoutFileThenViewCommandsEnableAndCheck) {
    struct Case {
        UINT id;
        bool enabledEmpty, enabledLoaded, checkedLoaded;
        bool checkable; // shown with a check box
    } cases[] = {
        {ID_SORT_NONE, false, true, true, true},
        {ID_SORT_FILENAME, false, true, false, true},
        {ID_SORT_TEXT, false, true, false, true},
        {ID_DISPLAY_ROWNUMBER, false, true, true, true},
        {ID_FILE_SAVE, false, false, false, false},
        {ID_FILE_NEW, true, true, false, false},
        {ID_FILE_OPEN, true, true, false, false},
        {ID_APP_EXIT, true, true, false, false},
        {ID_FILE_PRINT, false, true, false, false},
        {ID_FILE_PRINT_PREVIEW, false, true, false, false},
        {ID_FILE_PRINT_SETUP, false, true, false, false},
        {ID_VIEW_STATUS_BAR, true, true, true, true},
        {ID_APP_ABOUT, true, true, false, false},
        {ID_HELP_CUELINE, true, true, false, false},
        {ID_EDIT_UNDO, false, false, false, false},
        {ID_NEXT_PANE, false, false, false, false},
        {ID_PREV_PANE, false, false, false, false},
    };
    ASSERT_TRUE(start(""));
    // Without a file: an empty grid, laid out for a pack.
    EXPECT_EQ(grid().GetNumCols(), 3);
    EXPECT_EQ(grid().GetNumFixedCols(), 2);
    EXPECT_EQ(grid().GetNumFixedRows(), 0);
    EXPECT_EQ(grid().GetColSize(0), 27); // set again by every resize
    EXPECT_EQ(grid().GetColSize(1), 140);
    EXPECT_TRUE(grid().IsEditable());
    EXPECT_EQ(view().crewPack().folder(), dir.path() + "/bin");
    for (const Case& c : cases) {
        EXPECT_EQ(frame().QueryCommand(c.id).enabled(), c.enabledEmpty) << c.id;
        EXPECT_EQ(frame().QueryCommand(c.id).checkChanged(), c.checkable) << c.id;
    }
    ASSERT_TRUE(view().OpenCrewPackOf(pack + "/CueLine.clt"));
    for (int m = 0; m < 3; ++m)
        frame().UpdateMenu(m);
    for (const Case& c : cases) {
        EXPECT_EQ(frame().QueryCommand(c.id).enabled(), c.enabledLoaded) << c.id;
        EXPECT_EQ(frame().IsMenuItemEnabled(c.id),
                  c.enabledLoaded && !frame().MenuItemText(c.id).empty())
            << c.id;
        EXPECT_EQ(frame().QueryCommand(c.id).checked(), c.checkedLoaded) << c.id;
        EXPECT_EQ(frame().QueryCommand(c.id).checkChanged(), c.checkable) << c.id;
    }
    ASSERT_TRUE(frame().SendCommand(ID_SORT_TEXT));
    EXPECT_TRUE(frame().QueryCommand(ID_SORT_TEXT).checked());
    EXPECT_FALSE(frame().QueryCommand(ID_SORT_NONE).checked());
    ASSERT_TRUE(frame().SendCommand(ID_DISPLAY_ROWNUMBER));
    EXPECT_FALSE(frame().QueryCommand(ID_DISPLAY_ROWNUMBER).checked());
}

TEST_F(OnPack, MenuTextsAndPromptsInTheStatusBarAcceleratorsWithoutHandler) {
    struct Case {
        UINT id;
        const char* prompt;
    } cases[] = {
        {ID_FILE_OPEN, "Open an existing document"},
        {ID_FILE_SAVE, "Save the active document"},
        {ID_FILE_PRINT, "Print the active document"},
        {ID_FILE_PRINT_PREVIEW, "Display full pages"},
        {ID_FILE_PRINT_SETUP, "Change the printer and printing options"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar"},
        {ID_APP_ABOUT, "Display program information, version number and copyright"},
        {ID_SORT_FILENAME, "Sort line by Filename"},
        {ID_SORT_TEXT, "Sort line by Text"},
        {ID_SORT_NONE,
         "Original list, first sound listed in Clt file than sound that are not listed"},
        {ID_DISPLAY_ROWNUMBER, "Display row number"},
        {ID_HELP_CUELINE, ""},
    };
    std::string counts = status();
    for (const Case& c : cases) {
        frame().HighlightMenuItem(c.id);
        EXPECT_EQ(status(), c.prompt) << c.id;
    }
    frame().HighlightMenuItem(0);
    EXPECT_EQ(status(), counts);
    FrameResources r = CueLineFrameResources();
    Case others[] = {{ID_FILE_NEW, "Create a new document"},
                     {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard"},
                     {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard"},
                     {ID_EDIT_PASTE, "Insert Clipboard contents"},
                     {ID_EDIT_UNDO, "Undo the last action"},
                     {ID_NEXT_PANE, "Switch to the next window pane"},
                     {ID_PREV_PANE, "Switch back to the previous window pane"},
                     {AFX_IDS_IDLEMESSAGE, "Ready"},
                     {AFX_IDS_APP_TITLE, "CueLine"}};
    for (const Case& o : others)
        EXPECT_EQ(PromptText(r, o.id), o.prompt) << o.id;
    EXPECT_EQ(frame().MenuItemText(ID_FILE_OPEN), "&Open...\tCtrl+O");
    EXPECT_EQ(frame().MenuItemText(ID_APP_ABOUT), "&About CueLine...");
    EXPECT_EQ(frame().MenuItemText(ID_HELP_CUELINE), "TnvCueLine &Help");
    // Accelerators without a handler do nothing.
    editRow(1, "Edited");
    std::string before = title();
    QTest::keyClick(window(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window(), Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(window(), Qt::Key_F6);
    QTest::keyClick(window(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(grid().GetCellText(1, 2), "Edited");
    EXPECT_EQ(title(), before);
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(files.requests().empty());
}

TEST_F(OnPack, OpenFlowLoadsTheChosenFilesFolder) {
    std::string other = makePack("Other", "z.wav;Zed\r\n", {"z.wav"});
    files.setNextFileName(other + "/cueline.CLT");
    QTest::keyClick(window(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(files.requests().size(), 1u);
    const OpenFileRequest& r = files.requests()[0];
    EXPECT_EQ(r.fileName, "CueLine.clt");
    EXPECT_EQ(r.filter, "Tnv Sound file text (CueLine.ClT)|CueLine.ClT|");
    EXPECT_EQ(r.initialFolder, pack);
    EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN |
                           OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING |
                           OFN_OVERWRITEPROMPT);
    EXPECT_EQ(view().crewPack().folder(), other);
    EXPECT_EQ(column(1), (Texts{"z.wav"}));
    EXPECT_EQ(title(), editingTitle(other));
    EXPECT_TRUE(boxes.calls().empty());
}

// Without a pack, File, Open starts in the program's folder, or in the crew packs found for an
// editor started outside a simulator.
TEST_F(EditorFixture, OpenFlowStartsWhereTheProgramWasPointed) {
    for (std::string folder : {std::string(), pack}) {
        app.reset();
        openFolder = folder;
        ASSERT_TRUE(start(""));
        files.setNextCancel();
        ASSERT_TRUE(frame().SendCommand(ID_FILE_OPEN));
        ASSERT_FALSE(files.requests().empty());
        EXPECT_EQ(files.requests().back().initialFolder,
                  folder.empty() ? dir.path() + "/bin" : folder);
    }
}

// With unsaved texts File, Open asks first; the pack on screen stays, and saves where it came
// from, until another pack is loaded.
TEST_F(OnPack, OpenWhileModifiedAsksFirstAndKeepsThePackUntilAnotherLoads) {
    std::string other = makePack("Other", "z.wav;Zed\r\n", {"z.wav"}), bare = dir.mkdir("Bare");
    editRow(0, "Mine");
    boxes.setNextAnswer(IDCANCEL);
    ASSERT_TRUE(frame().SendCommand(ID_FILE_OPEN));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "You have made some text editing do you really want to open "
                                     "another crew pack without saving ?");
    EXPECT_EQ(boxes.calls()[0].title, "Open without saving ?");
    EXPECT_EQ(boxes.calls()[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_TRUE(files.requests().empty()); // Cancel: no dialog, nothing changed
    EXPECT_EQ(grid().GetCellText(0, 2), "Mine");

    boxes.setNextAnswer(IDOK); // open without saving, then Cancel in the dialog
    files.setNextCancel();
    ASSERT_TRUE(frame().SendCommand(ID_FILE_OPEN));
    EXPECT_EQ(files.requests().size(), 1u);
    EXPECT_EQ(grid().GetCellText(0, 2), "Mine");
    EXPECT_EQ(view().crewPack().folder(), pack);
    EXPECT_TRUE(view().refreshModified());

    boxes.clear(); // a folder without a text file
    boxes.setNextAnswer(IDOK);
    files.setNextFileName(bare + "/CueLine.clt");
    ASSERT_TRUE(frame().SendCommand(ID_FILE_OPEN));
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(boxes.calls()[1].text, "File not found");
    EXPECT_EQ(view().crewPack().folder(), pack);
    EXPECT_EQ(grid().GetCellText(0, 2), "Mine");
    // Saving now writes the pack on screen back where it came from, not into the other folder.
    boxes.setNextAnswer(IDOK);
    boxes.setNextAnswer(IDYES);
    ASSERT_TRUE(frame().SendCommand(ID_FILE_SAVE));
    EXPECT_FALSE(testsupport::exists(bare + "/CueLine.clt"));
    EXPECT_EQ(testsupport::readFile(pack + "/CueLine.clt"),
              "a.wav;Mine\r\nb.wav;50% done\r\nmissing.wav;Gone\r\nc.wav;\r\n");

    editRow(0, "Mine");
    boxes.setNextAnswer(IDOK);
    files.setNextFileName(other + "/CueLine.clt");
    ASSERT_TRUE(frame().SendCommand(ID_FILE_OPEN));
    EXPECT_EQ(column(2), (Texts{"Zed"}));
    EXPECT_FALSE(view().refreshModified());
    EXPECT_EQ(title(), editingTitle(other));
}

struct SaveCase {
    const char* name;
    int sort; // command
    int first, second;
    std::string expected; // empty: unchanged
};

class SaveAnswers : public OnPack, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveAnswers, WritesTheRowsAsTheyAreShown) {
    const SaveCase& c = GetParam();
    if (c.sort) {
        ASSERT_TRUE(frame().SendCommand(static_cast<UINT>(c.sort)));
    }
    editRow(static_cast<int>(grid().GetNumRows()) - 1, "Edited; with semicolon");
    boxes.setNextAnswer(c.first);
    boxes.setNextAnswer(c.second);
    QTest::keyClick(window(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_GE(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text,
              "Do you want to save your modification for the crew sound pack \"Pack\" ?");
    EXPECT_EQ(boxes.calls()[0].title, "Saving CueLine.clt ?");
    EXPECT_EQ(boxes.calls()[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
    std::string bytes = testsupport::readFile(pack + "/CueLine.clt");
    if (c.expected.empty()) {
        EXPECT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(bytes, kPackText);
        EXPECT_EQ(status(), "File not saved");
        EXPECT_TRUE(view().refreshModified());
        EXPECT_EQ(grid().GetCellText(grid().GetNumRows() - 1, 2), "Edited; with semicolon");
        return;
    }
    ASSERT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(boxes.calls()[1].text, "1 wav listed in the original cueline file doesn't exist on "
                                     "disk..\ndo you want to save their texts anyway ?");
    EXPECT_EQ(boxes.calls()[1].title, "Saving with missing wav text ?");
    EXPECT_EQ(boxes.calls()[1].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(bytes, c.expected);
    EXPECT_FALSE(view().refreshModified());
    EXPECT_FALSE(frame().QueryCommand(ID_FILE_SAVE).enabled());
    auto lines = std::ranges::count(c.expected, '\n');
    EXPECT_EQ(status(), "File saved successfully in " + pack + ", " + std::to_string(lines) +
                            " lines written");
    EXPECT_EQ(title(), editingTitle(pack));
    boxes.clear(); // right after a save, exit asks nothing
    EXPECT_TRUE(frame().Close());
    EXPECT_TRUE(boxes.calls().empty());
}

const std::string kAB = "a.wav;Hello\r\nb.wav;50% done\r\n", kEdited = "Edited; with semicolon\r\n";

INSTANTIATE_TEST_SUITE_P(
    Editor, SaveAnswers,
    ::testing::Values(SaveCase{"CancelFirst", 0, IDCANCEL, IDYES, ""},
                      SaveCase{"OkYes", 0, IDOK, IDYES,
                               kAB + "missing.wav;Gone\r\nc.wav;" + kEdited},
                      SaveCase{"OkNo", 0, IDOK, IDNO, kAB + "c.wav;" + kEdited},
                      SaveCase{"SortedByTextYes", ID_SORT_TEXT, IDOK, IDYES,
                               "c.wav;\r\nb.wav;50% done\r\nmissing.wav;Gone\r\na.wav;" + kEdited},
                      SaveCase{"SortedByNameNo", ID_SORT_FILENAME, IDOK, IDNO, kAB + "c.wav;\r\n"}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST_F(OnPack, ExitAsksOnlyWhileModified) {
    editRow(0, "Mine");
    boxes.setNextAnswer(IDCANCEL);
    ASSERT_TRUE(frame().SendCommand(ID_APP_EXIT));
    EXPECT_TRUE(testsupport::waitUntil([&] { return boxes.calls().size() == 1; }));
    EXPECT_EQ(boxes.calls()[0].text,
              "You have made some text editing do you really want to exit without saving ?");
    EXPECT_EQ(boxes.calls()[0].title, "Exit without saving ?");
    EXPECT_EQ(boxes.calls()[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
    EXPECT_FALSE(frame().IsClosed());
    EXPECT_TRUE(frame().IsWindowVisible());
    EXPECT_EQ(grid().GetCellText(0, 2), "Mine");

    boxes.setNextAnswer(IDOK);
    EXPECT_TRUE(window()->close());
    EXPECT_TRUE(frame().IsClosed());
    EXPECT_EQ(boxes.calls().size(), 2u);
}

// A paste through the grid marks the pack modified at once; what the grid does not take goes on
// to the view.
TEST_F(OnPack, APasteThroughTheGridMarksThePackModified) {
    QTest::keyClick(window(), Qt::Key_S, Qt::ControlModifier); // nothing to save yet
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_FALSE(frame().SendCommand(ID_FILE_SAVE));
    grid().SetCurrentCell(0, 2);
    QTest::keyClick(window(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(window(), Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_FALSE(view().refreshModified()) << "a copy changes nothing";
    QApplication::clipboard()->setText("Pasted");
    QTest::keyClick(window(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid().GetCellText(0, 2), "Pasted");
    EXPECT_EQ(title(), editingTitle(pack, true));
    EXPECT_TRUE(frame().QueryCommand(ID_FILE_SAVE).enabled());
    files.setNextCancel();
    boxes.setNextAnswer(IDOK);
    QTest::keyClick(window(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(files.requests().size(), 1u);
}

} // namespace
