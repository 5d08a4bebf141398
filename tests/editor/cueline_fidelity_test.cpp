// What the title, the Save command and the status bar say must match what the user did: driven
// by real mouse and key events.
#include "editor_fixture.h"

#include "grid/window/grid_inplace_edit.h"
#include "platform/window/wnd_app.h"
#include "tests/support/wnd_events.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

struct Fidelity : OnPack {
    // Double-clicks the text of `row`, types `text` at its end and presses Enter.
    void typeInto(int row, const std::string& text) {
        wndevents::DoubleClick(grid(), at(row, 2));
        auto* edit = dynamic_cast<CGridInPlaceEdit*>(CWnd::GetFocus());
        ASSERT_NE(edit, nullptr);
        for (char c : text)
            wndevents::Char(*edit, c);
        wndevents::Key(*edit, VK_RETURN);
        WndApp::ProcessEvents();
    }
    QAction* action(QMenu* menu, const char* text) {
        for (QAction* a : menu->actions())
            if (a->text().startsWith(QString::fromLatin1(text)))
                return a;
        ADD_FAILURE() << "no menu item " << text;
        return nullptr;
    }
};

TEST_F(Fidelity, APackOpenedAfterAnEditIsNotModified) {
    ASSERT_NO_FATAL_FAILURE(typeInto(0, " there"));
    ASSERT_EQ(grid().GetCellText(0, 2), "Hello there");
    ASSERT_EQ(title(), editingTitle(pack, true));

    std::string other = makePack("Other", "z.wav;Zed\r\n", {"z.wav"});
    boxes.setNextAnswer(IDOK); // open without saving
    files.setNextFileName(other + "/CueLine.clt");
    QTest::keyClick(window(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(view().crewPack().folder(), other);
    EXPECT_EQ(title(), editingTitle(other));
    EXPECT_FALSE(view().refreshModified());
    EXPECT_FALSE(frame().QueryCommand(ID_FILE_SAVE).enabled());
    boxes.clear();
    EXPECT_TRUE(window()->close()) << "nothing of this pack was edited";
    EXPECT_TRUE(boxes.calls().empty());
}

// Hovering a disabled menu item shows its prompt; after a save the title loses its star.
TEST_F(Fidelity, AfterASaveTheTitleLosesItsStar) {
    const std::string counts = status();
    QMenu* menu = window()->menuBar()->actions().at(0)->menu(); // File
    menu->popup(window()->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* save = action(menu, "&Save");
    QAction* open = action(menu, "&Open");
    ASSERT_TRUE(save && open);
    ASSERT_FALSE(save->isEnabled()) << "nothing modified";
    QTest::mouseMove(menu, menu->actionGeometry(open).center());
    EXPECT_EQ(status(), "Open an existing document");
    QTest::mouseMove(menu, menu->actionGeometry(save).center());
    EXPECT_EQ(status(), "Save the active document");
    menu->hide();
    EXPECT_EQ(status(), counts);

    ASSERT_NO_FATAL_FAILURE(typeInto(1, "!"));
    ASSERT_EQ(title(), editingTitle(pack, true));
    boxes.setNextAnswer(IDOK);
    boxes.setNextAnswer(IDYES);
    QTest::keyClick(window(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(testsupport::readFile(pack + "/CueLine.clt"),
              "a.wav;Hello\r\nb.wav;50% done!\r\nmissing.wav;Gone\r\nc.wav;\r\n");
    EXPECT_EQ(title(), editingTitle(pack));
    EXPECT_FALSE(frame().QueryCommand(ID_FILE_SAVE).enabled());
    // Sorting and the row numbers rebuild the grid: still nothing to save.
    ASSERT_TRUE(frame().SendCommand(ID_SORT_TEXT));
    ASSERT_TRUE(frame().SendCommand(ID_DISPLAY_ROWNUMBER));
    EXPECT_EQ(title(), editingTitle(pack));
    EXPECT_FALSE(view().refreshModified());
    // An edit made after the save counts again, and survives a sort.
    ASSERT_NO_FATAL_FAILURE(typeInto(0, "?"));
    ASSERT_TRUE(frame().SendCommand(ID_SORT_NONE));
    EXPECT_EQ(title(), editingTitle(pack, true));
    EXPECT_TRUE(frame().QueryCommand(ID_FILE_SAVE).enabled());
}

} // namespace
