// A command goes to the first of the grid, the view's table, the document, the frame and the
// application's table that takes it; the tables also rule the state of the menu items.
#include "app/grid_view.h"
#include "app/single_view_app.h"
#include "tests/support/running_program.h"
#include "tests/support/test_support.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tnv;

namespace {

using Ran = std::vector<std::string>;

constexpr UINT ID_PROBE_VIEW = 33001;
constexpr UINT ID_PROBE_RULED = 33002; // the view's, enabled and checked only when it says so
constexpr UINT ID_PROBE_APP = 33003;   // the application's; the view's table rules its check
constexpr UINT ID_PROBE_BOTH = 33004;  // in the view's table and the application's
constexpr UINT ID_PROBE_NONE = 33005;  // nobody's

// A grid that takes copy, keeps cut disabled, and says what reached it.
struct ProbeGrid : CCellGrid {
    Ran* ran = nullptr;
    static bool ours(UINT id) { return id == ID_EDIT_COPY || id == ID_EDIT_CUT; }
    bool OnCmdMsg(UINT id) override {
        if (ours(id))
            ran->push_back(id == ID_EDIT_COPY ? "grid copy" : "grid cut");
        return ours(id);
    }
    bool HasCommand(UINT id) const override { return ours(id); }
    bool OnUpdateCmdUI(CCmdUI& ui) override {
        if (ours(ui.id()))
            ui.Enable(ui.id() == ID_EDIT_COPY);
        return ours(ui.id());
    }
};

class ProbeView : public GridView {
public:
    Ran* ran;
    bool ruledOn = false;

    explicit ProbeView(Ran* r) : ran(r) {
        SetCommands({
            {ID_PROBE_VIEW, [this] { ran->push_back("view"); }, {}, {}},
            {ID_PROBE_RULED, [this] { ran->push_back("view ruled"); }, [this] { return ruledOn; },
             [this] { return ruledOn; }},
            {ID_PROBE_APP, {}, {}, [] { return true; }},
            {ID_PROBE_BOTH, [this] { ran->push_back("view both"); }, {}, {}},
        });
    }
    bool MakeGridWindow() { return CreateGridWindow(1); }

protected:
    std::unique_ptr<CCellGrid> MakeGrid() override {
        auto grid = std::make_unique<ProbeGrid>();
        grid->ran = ran;
        return grid;
    }
    void OnGridCommand() override { ran->push_back("after grid"); }
};

struct ProbeFrame : CFrameWnd {
    ProbeView* view = nullptr;
    void SetView(ProbeView* v) { view = v; }
};

class ProbeApp : public SingleViewApp<ProbeFrame, CDocument, ProbeView> {
public:
    Ran ran;

    ProbeApp() {
        SetCommands({
            {ID_PROBE_APP, [this] { ran.push_back("app"); }, {}, {}},
            {ID_PROBE_BOTH, [this] { ran.push_back("app both"); }, {}, {}},
            {ID_APP_EXIT, [this] { CloseFrame(); }, {}, {}},
        });
    }
    bool InitInstance() override {
        if (!CreateWindows(FrameResources::Standard(), std::make_unique<ProbeFrame>()) ||
            !view_->MakeGridWindow())
            return false;
        frame_->ShowWindow();
        return true;
    }

protected:
    std::unique_ptr<ProbeView> MakeView() override { return std::make_unique<ProbeView>(&ran); }
};

struct Routing : ::testing::Test, RunningProgram<ProbeApp> {
    testsupport::TempDir dir;

    void SetUp() override {
        auto made = std::make_unique<ProbeApp>();
        made->SetSettingsFile(dir.file("settings.ini"));
        ASSERT_TRUE(start(std::move(made)));
    }
    void TearDown() override { stop(); }
    Ran& ran() { return app->ran; }
};

TEST_F(Routing, EachCommandGoesToTheFirstTargetThatTakesIt) {
    struct Case {
        UINT id;
        bool enabled, checked;
        Ran runs;
    } cases[] = {
        {ID_EDIT_COPY, true, false, {"grid copy", "after grid"}},
        {ID_EDIT_CUT, false, false, {}}, // the grid disables it: nobody runs it
        {ID_PROBE_VIEW, true, false, {"view"}},
        {ID_PROBE_RULED, false, false, {}},
        {ID_PROBE_APP, true, true, {"app"}},
        {ID_PROBE_BOTH, true, false, {"view both"}},
        {ID_PROBE_NONE, false, false, {}},
    };
    for (const Case& c : cases) {
        CCmdUI ui = frame().QueryCommand(c.id);
        EXPECT_EQ(ui.enabled(), c.enabled) << c.id;
        EXPECT_EQ(ui.checked(), c.checked) << c.id;
        ran().clear();
        EXPECT_EQ(frame().SendCommand(c.id), !c.runs.empty()) << c.id;
        EXPECT_EQ(ran(), c.runs) << c.id;
    }
    view().ruledOn = true;
    EXPECT_TRUE(frame().QueryCommand(ID_PROBE_RULED).checked());
    ASSERT_TRUE(frame().SendCommand(ID_PROBE_RULED));
    EXPECT_EQ(ran().back(), "view ruled");
}

TEST_F(Routing, TheClipboardKeysReachTheGridFirstAndExitCloses) {
    QTest::keyClick(window(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(window(), Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(window(), Qt::Key_X, Qt::ControlModifier); // disabled by the grid
    EXPECT_EQ(ran(), (Ran{"grid copy", "after grid", "grid copy", "after grid"}));
    // Exit closes the frame, and the tear-down unroutes it.
    ASSERT_TRUE(frame().SendCommand(ID_APP_EXIT));
    EXPECT_EQ(frame().view, &view());
    EXPECT_TRUE(testsupport::waitUntil([&] { return frame().IsClosed(); }));
    EXPECT_EQ(app->ExitInstance(), 0);
    EXPECT_EQ(app->frame(), nullptr);
    EXPECT_EQ(app->view(), nullptr);
}

} // namespace
