// Ctrl+C and SIGTERM reach the editor's window as a close request from the desktop: with unsaved
// texts it asks its exit question, as for the close box.
#include "platform/window/wnd_app_signals.h"
#include "tests/editor/editor_fixture.h"

#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

struct SignalFixture : OnPack {
    void SetUp() override {
        OnPack::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window()));
    }
};

// Signals ignored at the start stay ignored; with unsaved texts a signal asks the exit question.
TEST_F(SignalFixture, SignalWithUnsavedTextsAsksTheExitQuestion) {
    struct sigaction ignore = {}, before = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGINT, &ignore, &before);
    {
        CloseOnSignals closeOnSignals;
        ASSERT_EQ(::raise(SIGINT), 0);
        QTest::qWait(300);
        EXPECT_FALSE(frame().IsClosed());
    }
    struct sigaction now = {};
    ::sigaction(SIGINT, &before, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN) << "and are ignored again once the watch is gone";

    CloseOnSignals closeOnSignals;
    editRow(0, "Mine");
    boxes.setNextAnswer(IDCANCEL);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return boxes.calls().size() == 1; }));
    EXPECT_EQ(boxes.calls()[0].title, "Exit without saving ?");
    QTest::qWait(50);
    EXPECT_FALSE(frame().IsClosed()) << "Cancel keeps the window and the texts";
    EXPECT_EQ(grid().GetCellText(0, 2), "Mine");
    EXPECT_EQ(CloseOnSignals::ClosedBy(), 0);
    EXPECT_EQ(CloseOnSignals::ExitStatus(0), 0);

    boxes.setNextAnswer(IDOK);
    ASSERT_EQ(::raise(SIGINT), 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return frame().IsClosed(); }));
    EXPECT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(CloseOnSignals::ClosedBy(), SIGINT);
    EXPECT_EQ(CloseOnSignals::ExitStatus(0), 130);
}

TEST_F(SignalFixture, AnOpenDialogIsClosedFirstThenTheWindow) {
    CloseOnSignals closeOnSignals;
    QTimer::singleShot(100, [] { ::raise(SIGTERM); });
    // The about box runs its own loop until the signal closes it.
    ASSERT_TRUE(frame().SendCommand(ID_APP_ABOUT));
    ASSERT_TRUE(testsupport::waitUntil([&] { return frame().IsClosed(); }));
    EXPECT_TRUE(boxes.calls().empty()) << "nothing to ask without edits";
    EXPECT_EQ(CloseOnSignals::ExitStatus(0), 143);
}

} // namespace
