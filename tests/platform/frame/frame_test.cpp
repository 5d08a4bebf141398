#include "platform/frame/frame.h"
#include "platform/frame/frame_keys.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/support/test_support.h"

using namespace tnv;

namespace {

constexpr UINT ID_ONE = 32771;
constexpr UINT ID_TWO = 32772;
constexpr UINT ID_VIEWONLY = 32773;
constexpr UINT ID_NOBODY = 32790;

// A target that records what ran; handles a set of ids, with optional update rules.
struct Recorder : CCmdTarget {
    Recorder(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    std::string name;
    std::vector<std::string>* log;
    std::set<UINT> handles;
    std::map<UINT, std::pair<bool, int>> updates; // enabled, check (-1: none)
    bool OnCmdMsg(UINT id) override {
        if (handles.count(id))
            log->push_back(name + ":" + std::to_string(id));
        return handles.count(id);
    }
    bool HasCommand(UINT id) const override { return handles.count(id) != 0; }
    bool OnUpdateCmdUI(CCmdUI& ui) override {
        auto it = updates.find(ui.id());
        if (it == updates.end())
            return false;
        ui.Enable(it->second.first);
        if (it->second.second >= 0)
            ui.SetCheck(it->second.second);
        return true;
    }
};

struct GuardedFrame : CFrameWnd {
    bool allowClose = true;
    int asked = 0;
    bool OnClose() override {
        ++asked;
        return allowClose;
    }
};

FrameResources testResources() {
    FrameResources r;
    using Item = MenuItemDesc;
    r.menu = {{"&File",
               {Item{ID_FILE_OPEN, "&Open...\tCtrl+O"}, Item{ID_FILE_SAVE, "&Save\tCtrl+S"},
                Item{ID_SEPARATOR, ""}, Item{ID_APP_EXIT, "E&xit"}}},
              {"&View",
               {Item{ID_VIEW_STATUS_BAR, "&Status Bar"}, Item{ID_ONE, "One"}, Item{ID_TWO, "Two"},
                Item{ID_NOBODY, "Nobody"}}}};
    r.accelerators = {{FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
                      {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
                      {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
                      {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
                      {FVIRTKEY, VK_F6, ID_NEXT_PANE}};
    r.strings = {{AFX_IDS_IDLEMESSAGE, "Ready"},
                 {ID_FILE_OPEN, "Open an existing document\nOpen"},
                 {ID_FILE_SAVE, "Save the active document\nSave"},
                 {ID_ONE, "The first one"},
                 {ID_INDICATOR_CAPS, "CAP"},
                 {ID_INDICATOR_NUM, "NUM"},
                 {ID_INDICATOR_SCRL, "SCRL"}};
    return r;
}

struct FrameFixture : ::testing::Test {
    std::vector<std::string> log;
    Recorder view{"view", &log};
    Recorder doc{"doc", &log};
    Recorder app{"app", &log};
    GuardedFrame frame;
    void SetUp() override {
        ASSERT_TRUE(frame.LoadFrame(testResources()));
        frame.SetRoute(&view, &doc, &app);
    }
    QMainWindow* window() { return static_cast<QMainWindow*>(frame.nativeWindow()); }
};

TEST_F(FrameFixture, CommandsGoViewThenDocumentThenFrameThenApplication) {
    view.handles = {ID_ONE};
    doc.handles = {ID_ONE, ID_TWO};
    app.handles = {ID_ONE, ID_TWO, ID_VIEWONLY};
    EXPECT_TRUE(frame.SendCommand(ID_ONE));
    EXPECT_TRUE(frame.SendCommand(ID_TWO));
    EXPECT_TRUE(frame.SendCommand(ID_VIEWONLY));
    EXPECT_FALSE(frame.SendCommand(ID_NOBODY));
    EXPECT_EQ(log, (std::vector<std::string>{"view:32771", "doc:32772", "app:32773"}));
}

TEST_F(FrameFixture, UpdatesDecideEnableAndCheckWhenAMenuOpensToo) {
    view.handles = {ID_ONE, ID_TWO};
    view.updates[ID_ONE] = {false, 1};
    app.updates[ID_TWO] = {true, 0};
    struct Case {
        UINT id;
        bool enabled, checked;
    } cases[] = {
        {ID_ONE, false, true},     // the view's update disables it
        {ID_TWO, true, false},     // an update further down the route answers
        {ID_NOBODY, false, false}, // no handler anywhere: disabled
        {ID_FILE_OPEN, false, false},
    };
    for (const Case& c : cases) {
        CCmdUI ui = frame.QueryCommand(c.id);
        EXPECT_EQ(ui.enabled(), c.enabled) << c.id;
        EXPECT_EQ(ui.checked(), c.checked) << c.id;
    }
    // A disabled command does not run.
    EXPECT_FALSE(frame.SendCommand(ID_ONE));
    EXPECT_TRUE(log.empty());
    // Opening a menu asks the updates.
    view.updates[ID_ONE] = {true, 1};
    view.updates[ID_TWO] = {false, 0};
    QMenu* viewMenu = window()->menuBar()->actions().at(1)->menu();
    ASSERT_NE(viewMenu, nullptr);
    emit viewMenu->aboutToShow();
    EXPECT_TRUE(frame.IsMenuItemEnabled(ID_ONE));
    EXPECT_TRUE(frame.IsMenuItemChecked(ID_ONE));
    EXPECT_FALSE(frame.IsMenuItemEnabled(ID_TWO));
    EXPECT_FALSE(frame.IsMenuItemEnabled(ID_NOBODY));
    EXPECT_TRUE(frame.IsMenuItemChecked(ID_VIEW_STATUS_BAR));
    // The state changes, and the next opening shows it.
    view.updates[ID_TWO] = {true, 1};
    emit viewMenu->aboutToShow();
    EXPECT_TRUE(frame.IsMenuItemEnabled(ID_TWO));
    EXPECT_TRUE(frame.IsMenuItemChecked(ID_TWO));
    EXPECT_EQ(frame.MenuItemText(ID_FILE_OPEN), "&Open...\tCtrl+O");
}

TEST_F(FrameFixture, AcceleratorsRunOnlyEnabledCommandsWithExactModifiers) {
    view.handles = {ID_FILE_OPEN, ID_FILE_SAVE, ID_EDIT_PASTE};
    view.updates[ID_FILE_SAVE] = {false, -1};
    struct Case {
        UINT key, mods;
        bool matched;
        std::size_t logSize;
    } cases[] = {
        {'O', FCONTROL, true, 1}, {'O', FCONTROL | FSHIFT, false, 1}, // more modifiers: another key
        {'O', 0, false, 1},       {'S', FCONTROL, true, 1}, // matched, but Save is disabled
        {'Z', FCONTROL, true, 1},                           // undo has no handler: nothing happens
        {VK_F6, 0, true, 1},      {VK_INSERT, FSHIFT, true, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frame.TranslateAccelerator(c.key, c.mods), c.matched) << c.key;
        EXPECT_EQ(log.size(), c.logSize) << c.key;
    }
}

TEST_F(FrameFixture, MenuPromptsShowWhileHighlightedAndTheTextComesBack) {
    // The text before the first line break.
    EXPECT_EQ(PromptText(testResources(), ID_FILE_OPEN), "Open an existing document");
    EXPECT_EQ(PromptText(testResources(), ID_ONE), "The first one");
    EXPECT_EQ(PromptText(testResources(), ID_NOBODY), "");
    EXPECT_EQ(FrameTitleFor("Untitled", "CueLine"), "Untitled - CueLine");
    EXPECT_EQ(frame.GetMessageText(), "Ready");
    frame.SetMessageText("Editing crew pack");
    frame.HighlightMenuItem(ID_FILE_OPEN);
    EXPECT_EQ(frame.GetMessageText(), "Open an existing document");
    frame.HighlightMenuItem(ID_NOBODY);
    EXPECT_EQ(frame.GetMessageText(), "");
    frame.HighlightMenuItem(0);
    EXPECT_EQ(frame.GetMessageText(), "Editing crew pack");
    // A command that sets a text while the menu closes keeps its text.
    frame.HighlightMenuItem(ID_FILE_SAVE);
    frame.SetMessageText("File saved");
    frame.HighlightMenuItem(0);
    EXPECT_EQ(frame.GetMessageText(), "File saved");
    // Hovering a real menu item, and closing its menu.
    frame.SetMessageText("Ready");
    QMenu* fileMenu = window()->menuBar()->actions().at(0)->menu();
    emit fileMenu->actions().at(1)->hovered();
    EXPECT_EQ(frame.GetMessageText(), "Save the active document");
    emit fileMenu->aboutToHide();
    EXPECT_EQ(frame.GetMessageText(), "Ready");
}

TEST_F(FrameFixture, StatusBarHasFourPanesAndTheToggleAndShowsInAScreenshot) {
    ASSERT_TRUE(frame.HasStatusBar());
    EXPECT_EQ(frame.GetPaneText(0), "Ready");
    for (int pane = 1; pane <= 3; ++pane) {
        std::string text = frame.GetPaneText(pane);
        EXPECT_TRUE(text.empty() || text == "CAP" || text == "NUM" || text == "SCRL") << text;
    }
    frame.ShowWindow();
    EXPECT_TRUE(frame.IsStatusBarVisible());
    for (bool shown : {false, true}) {
        EXPECT_TRUE(frame.SendCommand(ID_VIEW_STATUS_BAR));
        EXPECT_EQ(frame.IsStatusBarVisible(), shown);
        EXPECT_EQ(frame.QueryCommand(ID_VIEW_STATUS_BAR).checked(), shown);
    }
    // A screenshot has the caption, the menu and the status bar.
    testsupport::TempDir dir;
    frame.SetWindowText("Editing x");
    frame.SetClientSize(300, 200);
    QApplication::processEvents();
    std::string path = dir.file("shot.png");
    ASSERT_TRUE(frame.SaveScreenshot(path));
    QImage image(QString::fromStdString(path));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), window()->width());
    EXPECT_GT(image.height(), 200 + 22);
    EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 0, 128)); // caption strip
}

TEST_F(FrameFixture, TitlesKeepTheirBytesAndCloseRequestsAskTheGuard) {
    std::string title = "Editing /sim/Caf\xE9 [*] 100%\\CueLine.clt";
    frame.SetWindowText(title);
    EXPECT_EQ(frame.GetWindowText(), title);
    frame.ShowWindow();
    ASSERT_NE(window()->windowHandle(), nullptr);
    // What the window manager gets, after Qt's "[*]" handling.
    EXPECT_EQ(window()->windowHandle()->title(),
              QString::fromUtf8("Editing /sim/Caf\xC3\xA9 [*] 100%\\CueLine.clt"));
    frame.allowClose = false;
    frame.PostClose();
    EXPECT_EQ(frame.asked, 0); // posted: runs later
    EXPECT_TRUE(testsupport::waitUntil([&] { return frame.asked == 1; }));
    EXPECT_FALSE(frame.IsClosed());
    EXPECT_TRUE(window()->isVisible());
    frame.allowClose = true;
    EXPECT_TRUE(frame.Close());
    EXPECT_FALSE(window()->isVisible());
}

TEST(FrameKeys, QtKeysMapToVirtualKeys) {
    using Key = std::pair<int, UINT>;
    for (auto [qt, vk] :
         {Key{Qt::Key_A, 'A'}, Key{Qt::Key_Z, 'Z'}, Key{Qt::Key_5, '5'}, Key{Qt::Key_F6, VK_F6},
          Key{Qt::Key_Insert, VK_INSERT}, Key{Qt::Key_Delete, VK_DELETE},
          Key{Qt::Key_Backspace, VK_BACK}, Key{Qt::Key_Backtab, VK_TAB}, Key{Qt::Key_Shift, 0}})
        EXPECT_EQ(VirtualKeyOf(qt), vk) << qt;
    EXPECT_EQ(ModifiersOf(Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier),
              FCONTROL | FSHIFT);
    EXPECT_EQ(ModifiersOf(Qt::AltModifier), FALT);
}

} // namespace
