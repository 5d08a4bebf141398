#include "editor_fixture.h"

#include "tests/grid/core/grid_test_util.h"
#include "tests/support/looks.h"

#include <QAccessible>
#include <QTest>

namespace {

// What the window shows, or says, for each kind of command-line argument.
TEST_F(EditorFixture, StartShowsWhatItsArgumentNames) {
    std::string empty = makePack("Empty", "", {}), noText = makePack("NoText", "", {"x.wav"});
    std::remove((noText + "/CueLine.clt").c_str());
    const std::string packStatus =
        "Editing crew pack \"Pack\" - Sound with text: 3  Sound without text: 1  Total: 4";
    struct Case {
        std::string arg;
        bool starts;
        std::string title, status;
        int rows;
        std::string box; // the one message box's text; empty: none
    } cases[] = {
        {"", true, "Untitled - CueLine", "Ready", 0, ""},
        {pack + "/CueLine.clt", true, editingTitle(pack), packStatus, 4, ""},
        {pack, true, editingTitle(pack), packStatus, 4, ""},
        {pack + "/a.wav", true, editingTitle(pack), packStatus, 4, ""},
        {pack + "/nothing.clt", false, "", "", 0, pack + "/nothing.clt\nCannot open this file."},
        {noText + "/x.wav", true, "x.wav - CueLine", "Ready", 0, "File not found"},
        {empty + "/CueLine.clt", true, editingTitle(empty), "Ready - no Sound found", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arg);
        boxes.clear();
        EXPECT_EQ(start(c.arg), c.starts);
        EXPECT_EQ(frame().IsWindowVisible(), c.starts);
        std::vector<std::string> told;
        for (const auto& call : boxes.calls())
            told.push_back(call.text);
        EXPECT_EQ(told, c.box.empty() ? Texts{} : Texts{c.box});
        if (!c.starts) {
            ASSERT_EQ(boxes.calls().size(), 1u);
            EXPECT_EQ(boxes.calls()[0].flags, MB_OK | MB_ICONERROR);
            continue;
        }
        EXPECT_EQ(title(), c.title);
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(grid().GetNumRows(), c.rows);
    }
}

TEST_F(OnPack, StartWithFileShowsThePackInItsColours) {
    // A screen reader names the window by its title.
    QAccessibleInterface* named = QAccessible::queryAccessibleInterface(window());
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->text(QAccessible::Name).toStdString(), editingTitle(pack));
    EXPECT_EQ(column(0), (Texts{"000", "001", "002", "003"}));
    EXPECT_EQ(column(1), (Texts{"a.wav", "b.wav", "missing.wav", "c.wav"}));
    EXPECT_EQ(column(2), (Texts{"Hello", "50% done", "Gone", ""})); // the percent sign as written
    EXPECT_EQ(grid().GetCellFormat(1, 2), 0u);
    EXPECT_FALSE(view().refreshModified());
    EXPECT_EQ(app->settings()->recentFiles(), (Texts{pack + "/CueLine.clt"}));
    // The text column's colours follow the entry's state.
    struct Case {
        int row;
        COLORREF color;
    } cases[] = {
        {0, RGB(255, 255, 255)}, // on disk with text
        {1, RGB(255, 255, 255)},
        {2, RGB(255, 0, 0)},     // missing, with text
        {3, RGB(199, 232, 255)}, // on disk, no text
    };
    for (const Case& c : cases) {
        GRIDCELLINFO info = cellInfo(c.row, 2, GCIF_BACKCOLOR);
        ASSERT_TRUE(grid().GetCellInfo(&info));
        EXPECT_EQ(info.backColor, c.color) << c.row;
        info.col = 1;
        ASSERT_TRUE(grid().GetCellInfo(&info));
        EXPECT_EQ(info.backColor, CLR_DEFAULT) << c.row; // fixed columns keep the grid's
    }
    // A missing sound whose text was cleared stays red.
    editRow(2, "");
    ASSERT_TRUE(frame().SendCommand(ID_SORT_FILENAME));
    GRIDCELLINFO info = cellInfo(3, 2, GCIF_BACKCOLOR | GCIF_TEXT); // missing.wav sorts last
    ASSERT_TRUE(grid().GetCellInfo(&info));
    EXPECT_EQ(info.text, "");
    EXPECT_EQ(info.backColor, RGB(255, 0, 0));
}

// The texts keep their row colours on any desktop; on a dark one they must still read.
TEST_F(EditorFixture, TextsReadOnTheirColoursOnALightAndADarkDesktop) {
    for (bool dark : {false, true}) {
        looks::Scope look(dark);
        ASSERT_TRUE(startOnPack());
        grid().SetCellText(3, 2, "Typed"); // a text just given keeps the blue of none
        grid().SetCurrentCell(0, 2);
        QImage shot = grid().clientWidget()->grab().toImage();
        for (int row = 0; row < 4; ++row) {
            GRIDCELLINFO info = cellInfo(row, 2, GCIF_BACKCOLOR);
            ASSERT_TRUE(grid().GetCellInfo(&info));
            CellBox box;
            ASSERT_TRUE(grid().GetCellBox(row, 2, &box));
            QRect inside(box.left + 2, box.top + 2, box.right - box.left - 3,
                         box.bottom - box.top - 3);
            EXPECT_GE(looks::textContrast(shot, inside, info.backColor), contrast::kReadable)
                << (dark ? "dark, row " : "light, row ") << row;
        }
    }
}

TEST_F(OnPack, ColumnWidthsFollowTheViewAndTheRowNumbers) {
    frame().SetClientSize(700, 400);
    QApplication::processEvents();
    Rect client;
    view().GetClientRect(&client);
    ASSERT_GT(client.Width(), 400);
    EXPECT_EQ(grid().GetColSize(0), 27);
    EXPECT_EQ(grid().GetColSize(1), 140);
    EXPECT_EQ(grid().GetColSize(2), client.Width() - 187);

    ASSERT_TRUE(frame().SendCommand(ID_DISPLAY_ROWNUMBER));
    EXPECT_EQ(grid().GetColSize(0), 0);
    EXPECT_EQ(grid().GetColSize(2), client.Width() - 160); // widened by 27
    EXPECT_EQ(column(0), (Texts{"", "", "", ""}));
    ASSERT_TRUE(frame().SendCommand(ID_DISPLAY_ROWNUMBER));
    EXPECT_EQ(column(0), (Texts{"000", "001", "002", "003"}));

    frame().SetClientSize(150, 300);
    QApplication::processEvents();
    view().GetClientRect(&client);
    ASSERT_LT(client.Width(), 160);
    ASSERT_TRUE(frame().SendCommand(ID_SORT_TEXT)); // rebuilds the rows
    // New columns get the grid's default width; the negative width is refused.
    EXPECT_EQ(grid().GetColSize(2), grid().GetDefaultColSize());
    EXPECT_EQ(grid().GetColSize(1), 140);
}

TEST_F(OnPack, SortingMovesWholeRowsWithTheirNumbersAndEditedTexts) {
    ASSERT_TRUE(frame().SendCommand(ID_SORT_TEXT));
    EXPECT_EQ(column(2), (Texts{"", "50% done", "Gone", "Hello"}));
    EXPECT_EQ(column(0), (Texts{"003", "001", "002", "000"}));
    ASSERT_TRUE(frame().SendCommand(ID_SORT_FILENAME));
    EXPECT_EQ(column(1), (Texts{"a.wav", "b.wav", "c.wav", "missing.wav"}));
    ASSERT_TRUE(frame().SendCommand(ID_SORT_NONE));
    EXPECT_EQ(column(1), (Texts{"a.wav", "b.wav", "missing.wav", "c.wav"}));
    EXPECT_EQ(status(), "Editing crew pack \"Pack\" - Sound with text: 3  Sound without text: 1  "
                        "Total: 4");
    // Edited texts are kept through sorts and the row numbers.
    editRow(0, "Changed");
    editRow(3, "Now with text");
    // The counts come from the kept texts, as the colours do.
    const std::string counts = "Editing crew pack \"Pack\" - Sound with text: 4  Sound without "
                               "text: 0  Total: 4";
    ASSERT_TRUE(frame().SendCommand(ID_SORT_TEXT));
    EXPECT_EQ(column(2), (Texts{"50% done", "Changed", "Gone", "Now with text"}));
    EXPECT_EQ(column(0), (Texts{"001", "000", "002", "003"}));
    EXPECT_EQ(status(), counts);
    ASSERT_TRUE(frame().SendCommand(ID_DISPLAY_ROWNUMBER));
    EXPECT_EQ(status(), counts);
    ASSERT_TRUE(frame().SendCommand(ID_SORT_NONE));
    EXPECT_EQ(column(2), (Texts{"Changed", "50% done", "Gone", "Now with text"}));
    EXPECT_EQ(status(), counts);
    EXPECT_TRUE(view().refreshModified());
    EXPECT_EQ(title(), editingTitle(pack, true));
    EXPECT_TRUE(frame().QueryCommand(ID_FILE_SAVE).enabled());
}

TEST_F(OnPack, EditingMarksModifiedAndStarsTheTitleANewDocumentKeepsIt) {
    EXPECT_FALSE(frame().QueryCommand(ID_FILE_SAVE).enabled());
    // Opening the editor and leaving it with Escape: modified, no star yet.
    view().OnEditWindowCreated();
    view().OnEditCharTyped(0x1B);
    EXPECT_TRUE(view().refreshModified());
    EXPECT_EQ(title(), editingTitle(pack));
    EXPECT_TRUE(frame().QueryCommand(ID_FILE_SAVE).enabled());
    for (UINT ch : {UINT('\t'), UINT('\r')}) {
        view().OnEditCharTyped(ch);
        EXPECT_EQ(title(), editingTitle(pack));
    }
    view().OnEditCharTyped('x');
    EXPECT_EQ(title(), editingTitle(pack, true));
    // A new document only changes the title.
    editRow(0, "Kept");
    QTest::keyClick(window(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(title(), "Untitled - CueLine");
    EXPECT_EQ(grid().GetNumRows(), 4);
    EXPECT_EQ(grid().GetCellText(0, 2), "Kept");
    EXPECT_TRUE(view().refreshModified());
    EXPECT_TRUE(boxes.calls().empty());
}

} // namespace
