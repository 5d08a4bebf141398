// The in-place editor inside the crew pack editor: the modified flag, the title star, the frame's
// accelerators, and an edit carried on by Tab up to the save.
#include "preview_fixture.h"

#include "grid/window/grid_inplace_edit.h"

namespace {

CGridInPlaceEdit* editor() {
    return dynamic_cast<CGridInPlaceEdit*>(CWnd::GetFocus());
}

} // namespace

using EditorEditing = PreviewFixture;

TEST_F(EditorEditing, OpeningAnEditMarksModifiedTypingAddsTheStar) {
    int row = rowOf("a.wav");
    wndevents::DoubleClick(grid(), at(row, 2));
    ASSERT_NE(editor(), nullptr);
    EXPECT_TRUE(view().crewPack().modified());
    EXPECT_EQ(title(), editingTitle(pack));
    wndevents::Char(*editor(), '!');
    EXPECT_EQ(title(), editingTitle(pack, true));
    wndevents::Key(*editor(), VK_ESCAPE);
    WndApp::ProcessEvents();
    EXPECT_EQ(grid().GetCellText(row, 2), "Hello");
    EXPECT_TRUE(view().refreshModified());
}

// The edit keeps Ctrl+V while the frame has it for the grid; Tab carries it on to the next text,
// and a save takes the text of the edit still open.
TEST_F(EditorEditing, EditKeepsCtrlVAndTabsThroughTextsUpToTheSave) {
    QApplication::clipboard()->setText("from clipboard");
    int a = rowOf("a.wav");
    wndevents::DoubleClick(grid(), at(a, 2));
    ASSERT_NE(editor(), nullptr);
    wndevents::Key(*editor(), 'A', wndevents::CTRL);
    wndevents::Key(*editor(), 'V', wndevents::CTRL);
    EXPECT_EQ(editor()->GetWindowText(), "from clipboard");
    EXPECT_EQ(title(), editingTitle(pack, true)) << "a paste is typing";
    wndevents::Key(*editor(), 'A', wndevents::CTRL);
    for (char c : std::string("First"))
        wndevents::Char(*editor(), c);
    wndevents::Key(*editor(), VK_TAB);
    WndApp::ProcessEvents();
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(grid().GetCurrentCell(), CGridPos(a + 1, 2));
    for (char c : std::string("Second"))
        wndevents::Char(*editor(), c);
    boxes.setNextAnswer(IDOK);
    boxes.setNextAnswer(IDYES);
    EXPECT_TRUE(frame().SendCommand(ID_FILE_SAVE));
    WndApp::ProcessEvents();
    std::string saved = testsupport::readFile(pack + "/CueLine.clt");
    EXPECT_NE(saved.find("a.wav;First\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find(grid().GetCellText(a + 1, 1) + ";Second\r\n"), std::string::npos) << saved;
}
