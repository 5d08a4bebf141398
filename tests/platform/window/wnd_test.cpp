// Windows: messages, scroll bars with Windows semantics, notifications, timers, focus.
#include "platform/draw/surface.h"
#include "platform/window/wnd.h"
#include "platform/window/wnd_app.h"
#include "tests/support/test_support.h"
#include "tests/support/wnd_events.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tnv;

namespace {

// Records what reaches it; input with the modifier state seen while handling it.
class Probe : public CWnd {
public:
    std::vector<UINT> messages, timers;
    std::vector<Size> sizes;
    std::vector<int> notifyCodes;
    std::vector<Rect> paints;
    std::vector<std::pair<UINT, CWnd*>> focus;
    int ncDestroyed = 0;
    struct In {
        UINT msg, code;
        Point p;
        bool ctrl;
        friend bool operator==(const In&, const In&) = default;
    };
    std::vector<In> in;
    UINT dlgCode = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, MsgParam lp) override {
        messages.push_back(msg);
        return CWnd::WindowProc(msg, wp, lp);
    }
    void OnSize(UINT, int cx, int cy) override { sizes.push_back(Size{cx, cy}); }
    bool OnNotify(WPARAM, NMHDR* hdr, LRESULT* result) override {
        notifyCodes.push_back(hdr->code);
        *result = 7;
        return TRUE;
    }
    void OnPaint(CDC& dc) override {
        Rect box;
        dc.GetClipBox(&box);
        paints.push_back(box);
        dc.FillSolidRect(box, RGB(0, 128, 0));
    }
    void OnTimer(UINT id) override { timers.push_back(id); }
    void OnSetFocus(CWnd* old) override { focus.push_back({WM_SETFOCUS, old}); }
    void OnKillFocus(CWnd* next) override { focus.push_back({WM_KILLFOCUS, next}); }
    void PostNcDestroy() override { ++ncDestroyed; }
    void record(UINT msg, UINT code, Point p = {}) {
        in.push_back(In{msg, code, p, GetKeyState(int(VK_CONTROL)) < 0});
    }
    void OnKeyDown(UINT vk, UINT, UINT) override { record(WM_KEYDOWN, vk); }
    void OnChar(UINT ch, UINT, UINT) override { record(WM_CHAR, ch); }
    void OnLButtonDown(UINT flags, Point p) override { record(WM_LBUTTONDOWN, flags, p); }
    void OnLButtonUp(UINT flags, Point p) override { record(WM_LBUTTONUP, flags, p); }
    void OnLButtonDblClk(UINT flags, Point p) override { record(WM_LBUTTONDBLCLK, flags, p); }
    void OnMouseMove(UINT flags, Point p) override { record(WM_MOUSEMOVE, flags, p); }
    bool OnMouseWheel(UINT, short delta, Point) override {
        record(WM_MOUSEWHEEL, UINT(int(delta)));
        return TRUE;
    }
    UINT OnGetDlgCode() override { return dlgCode; }
};

using In = Probe::In;

int count(const std::vector<UINT>& v, UINT msg) {
    return int(std::count(v.begin(), v.end(), msg));
}

} // namespace

TEST(CWnd, WithoutAWindowEverythingIsAHarmlessNoOpCreationSendsCreateThenSize) {
    Probe w;
    EXPECT_FALSE(w.hasWindow());
    EXPECT_EQ(w.SendMessage(WM_USER), 0);
    EXPECT_FALSE(w.PostMessage(WM_USER));
    Rect r{1, 2, 3, 4};
    w.GetClientRect(&r);
    EXPECT_EQ(r, Rect{});
    EXPECT_EQ(w.GetDC(), nullptr);
    EXPECT_EQ(w.SetScrollPos(SB_VERT, 5), 0);
    EXPECT_EQ(w.SetTimer(1, 10), 0u);
    EXPECT_FALSE(w.DestroyWindow());
    EXPECT_TRUE(w.messages.empty());
    ASSERT_TRUE(w.CreateTopLevel("probe", 0, Rect{0, 0, 120, 80}));
    ASSERT_GE(w.messages.size(), 2u);
    EXPECT_EQ(w.messages[0], WM_CREATE);
    ASSERT_FALSE(w.sizes.empty());
    EXPECT_EQ(w.sizes.back(), (Size{120, 80}));
    w.GetClientRect(&r);
    EXPECT_EQ(r, (Rect{0, 0, 120, 80}));
    EXPECT_FALSE(w.Create("NoSuchClass", "", WS_CHILD, Rect{}, &w, 3));
}

TEST(CWnd, ScrollBarsClampLikeWindowsAndResizeTheClient) {
    Probe w;
    ASSERT_TRUE(w.CreateTopLevel("probe", 0, Rect{0, 0, 200, 100}));
    SCROLLINFO si{.fMask = SIF_RANGE | SIF_PAGE, .nMin = 0, .nMax = 199, .nPage = 50};
    w.SetScrollInfo(SB_VERT, si);
    EXPECT_TRUE(w.IsScrollBarVisible(SB_VERT));
    EXPECT_EQ(w.SetScrollPos(SB_VERT, 1000), 0);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 150); // max - page + 1
    w.SetScrollPos(SB_VERT, -3);
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 0);
    w.SetScrollPos(SB_VERT, 120);
    w.SetScrollInfo(SB_VERT, {.fMask = SIF_PAGE, .nPage = 100}); // a bigger page pulls it back
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 100);
    SCROLLINFO got;
    ASSERT_TRUE(w.GetScrollInfo(SB_VERT, &got));
    EXPECT_EQ(got.nTrackPos, 100);
    w.SetScrollRange(SB_VERT, 0, 0);
    EXPECT_FALSE(w.IsScrollBarVisible(SB_VERT));
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 0);
    si.nMax = 99; // the page of 100 holds everything: nothing to scroll
    si.nPage = 100;
    w.SetScrollInfo(SB_VERT, si);
    EXPECT_FALSE(w.IsScrollBarVisible(SB_VERT));

    // A bar that comes or goes resizes the client and says so.
    w.sizes.clear();
    w.SetScrollRange(SB_VERT, 0, 500);
    Rect client;
    w.GetClientRect(&client);
    EXPECT_LT(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    ASSERT_EQ(w.sizes.size(), 1u);
    EXPECT_EQ(w.sizes[0], (Size{client.right, 100}));
    w.SetScrollRange(SB_HORZ, 0, 500);
    w.GetClientRect(&client);
    EXPECT_LT(client.bottom, 100);
    w.SetScrollRange(SB_VERT, 0, 0);
    w.SetScrollRange(SB_HORZ, 0, 0);
    w.GetClientRect(&client);
    EXPECT_EQ(client, (Rect{0, 0, 200, 100}));
    EXPECT_EQ(w.sizes.back(), (Size{200, 100}));
}

TEST(CWnd, SentRunsAtOncePostedRunsLaterTimersTickCloseToo) {
    Probe w;
    ASSERT_TRUE(w.CreateTopLevel("probe", 0, Rect{0, 0, 50, 50}));
    w.messages.clear();
    w.SendMessage(WM_USER + 1);
    EXPECT_EQ(count(w.messages, WM_USER + 1), 1);
    EXPECT_TRUE(w.PostMessage(WM_USER + 2));
    EXPECT_EQ(count(w.messages, WM_USER + 2), 0);
    WndApp::ProcessEvents();
    EXPECT_EQ(count(w.messages, WM_USER + 2), 1);

    // Timers tick until killed.
    EXPECT_EQ(w.SetTimer(513, 5), 513u);
    EXPECT_TRUE(testsupport::waitUntil([&] { return w.timers.size() >= 2; }));
    EXPECT_EQ(w.timers[0], 513u);
    EXPECT_TRUE(w.KillTimer(513));
    EXPECT_FALSE(w.KillTimer(513));
    std::size_t ticks = w.timers.size();
    (void)testsupport::waitUntil([] { return false; }, 40);
    EXPECT_EQ(w.timers.size(), ticks);

    // A message posted to a window that is gone by then is dropped.
    auto gone = std::make_unique<Probe>();
    ASSERT_TRUE(gone->CreateTopLevel("gone", 0, Rect{0, 0, 10, 10}));
    gone->PostMessage(WM_USER + 3);
    gone.reset();
    WndApp::ProcessEvents();

    // A posted close destroys the window from the loop.
    w.PostMessage(WM_CLOSE);
    EXPECT_TRUE(w.hasWindow());
    WndApp::ProcessEvents();
    EXPECT_FALSE(w.hasWindow());
    EXPECT_EQ(w.ncDestroyed, 1);
    EXPECT_EQ(count(w.messages, WM_DESTROY), 1);
}

TEST(CWnd, NotifyGoesToTheOwnerOrElseTheParentChildrenGoWithTheirParentOrForeignWidget) {
    Probe parent, owner, child;
    ASSERT_TRUE(parent.CreateTopLevel("parent", 0, Rect{0, 0, 100, 100}));
    ASSERT_TRUE(owner.CreateTopLevel("owner", 0, Rect{0, 0, 10, 10}));
    ASSERT_TRUE(child.Create("", "", WS_CHILD | WS_VISIBLE, Rect{0, 0, 20, 20}, &parent, 42));
    EXPECT_EQ(child.GetDlgCtrlID(), 42u);
    EXPECT_EQ(child.GetOwner(), &parent);
    NMHDR hdr{&child, 42, -5};
    EXPECT_EQ(child.GetOwner()->SendMessage(WM_NOTIFY, 42, reinterpret_cast<MsgParam>(&hdr)), 7);
    child.SetOwner(&owner);
    child.GetOwner()->SendMessage(WM_NOTIFY, 42, reinterpret_cast<MsgParam>(&hdr));
    EXPECT_EQ(parent.notifyCodes, std::vector<int>{-5});
    EXPECT_EQ(owner.notifyCodes, std::vector<int>{-5});

    Probe orphan;
    {
        Probe gone;
        ASSERT_TRUE(gone.CreateTopLevel("parent", 0, Rect{0, 0, 100, 100}));
        ASSERT_TRUE(orphan.Create("", "", WS_CHILD, Rect{0, 0, 20, 20}, &gone, 1));
    }
    EXPECT_FALSE(orphan.hasWindow());
    EXPECT_EQ(count(orphan.messages, WM_DESTROY), 1);

    // Inside a foreign widget too.
    Probe host, inner;
    ASSERT_TRUE(host.CreateTopLevel("host", 0, Rect{0, 0, 100, 100}));
    ASSERT_TRUE(inner.CreateInWidget(host.widget(), WS_CHILD | WS_VISIBLE, Rect{0, 0, 50, 50}, 7));
    EXPECT_EQ(inner.GetParent(), nullptr);
    host.DestroyWindow();
    EXPECT_FALSE(inner.hasWindow());
    EXPECT_EQ(count(inner.messages, WM_DESTROY), 1);
    EXPECT_EQ(inner.ncDestroyed, 1);
}

TEST(CWnd, PaintingGoesToTheInvalidAreaAndScrollingMovesPixels) {
    Probe w;
    ASSERT_TRUE(w.CreateTopLevel("probe", 0, Rect{0, 0, 100, 100}));
    w.UpdateWindow();
    w.paints.clear();
    {
        auto dc = w.GetDC();
        ASSERT_TRUE(dc);
        dc->FillSolidRect(Rect{0, 50, 100, 60}, RGB(255, 0, 0));
    }
    Rect band{0, 20, 100, 100};
    w.ScrollWindow(0, -10, &band, &band);
    w.UpdateWindow();
    ASSERT_EQ(w.paints.size(), 1u);
    auto dc = w.GetDC();
    // At a scale where ten pixels are no whole number of physical ones the band is painted
    // anew instead.
    double moved = 10 * dc->DevicePixelRatio();
    if (moved == double(int(moved))) {
        EXPECT_EQ(w.paints[0], (Rect{0, 90, 100, 100})); // only the uncovered strip
        EXPECT_EQ(dc->GetPixel(5, 45), RGB(255, 0, 0));
    } else {
        EXPECT_EQ(w.paints[0], band);
    }
    EXPECT_EQ(dc->GetPixel(5, 55), RGB(0, 128, 0));
    EXPECT_EQ(dc->GetPixel(5, 95), RGB(0, 128, 0));

    // A bar that comes and goes changes the client's size twice; the next paint paints it
    // whole, at its last size, whatever was scrolled in between.
    dc.reset();
    w.paints.clear();
    w.SetScrollRange(SB_VERT, 0, 500);
    w.SetScrollRange(SB_VERT, 0, 0);
    w.ScrollWindow(0, -10, &band, &band);
    w.UpdateWindow();
    EXPECT_EQ(w.paints, (std::vector<Rect>{Rect{0, 0, 100, 100}}));
    dc = w.GetDC();
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc->GetPixel(5, 45), RGB(0, 128, 0));
    EXPECT_EQ(dc->GetPixel(99, 99), RGB(0, 128, 0));
}

TEST(CWnd, FocusMovesAtOnceAndTellsBothWindows) {
    Probe a, b;
    ASSERT_TRUE(a.CreateTopLevel("a", WS_VISIBLE, Rect{0, 0, 50, 50}));
    ASSERT_TRUE(b.CreateTopLevel("b", WS_VISIBLE, Rect{0, 0, 50, 50}));
    a.SetFocus();
    EXPECT_EQ(CWnd::GetFocus(), &a);
    a.focus.clear();
    EXPECT_EQ(b.SetFocus(), &a);
    EXPECT_EQ(CWnd::GetFocus(), &b);
    EXPECT_EQ(a.focus, (std::vector<std::pair<UINT, CWnd*>>{{WM_KILLFOCUS, &b}}));
    EXPECT_EQ(b.focus, (std::vector<std::pair<UINT, CWnd*>>{{WM_SETFOCUS, &a}}));
    b.DestroyWindow();
    EXPECT_EQ(CWnd::GetFocus(), nullptr);
}

TEST(CWnd, KeysAndCharactersArriveAsMessagesTabWhereWanted) {
    Probe w;
    ASSERT_TRUE(w.CreateTopLevel("keys", WS_VISIBLE, Rect{0, 0, 50, 50}));
    wndevents::Char(w, 'x');
    wndevents::Key(w, VK_DOWN);
    wndevents::Key(w, 'C', wndevents::CTRL, "\x03");
    wndevents::Char(w, '\xE9'); // a byte of the code page; no key of its own here
    EXPECT_EQ(w.in, (std::vector{In{WM_KEYDOWN, 'X', {}, false}, In{WM_CHAR, 'x', {}, false},
                                 In{WM_KEYDOWN, VK_DOWN, {}, false}, In{WM_KEYDOWN, 'C', {}, true},
                                 In{WM_CHAR, 3, {}, true}, In{WM_CHAR, 0xE9, {}, false}}));
    w.in.clear();
    w.dlgCode = DLGC_WANTARROWS | DLGC_WANTTAB;
    wndevents::Key(w, VK_TAB, 0, "\t");
    wndevents::Key(w, VK_TAB, wndevents::SHIFT, "\t");
    EXPECT_EQ(w.in, (std::vector{In{WM_KEYDOWN, VK_TAB, {}, false}, In{WM_CHAR, '\t', {}, false},
                                 In{WM_KEYDOWN, VK_TAB, {}, false}, In{WM_CHAR, '\t', {}, false}}));
}

// X11 gives some keys a control character as text (Delete types DEL); a character message comes
// only for the ones a Windows keyboard types.
TEST(CWnd, ControlCharactersOfKeysBecomeCharactersOnlyWhereWindowsTypesThem) {
    struct Case {
        const char *name, *text;
        UINT vk;
        unsigned mods;
        std::vector<UINT> chars;
    } cases[] = {
        {"Delete", "\x7f", VK_DELETE, 0, {}},
        {"Shift+Delete", "\x7f", VK_DELETE, wndevents::SHIFT, {}},
        {"Ctrl+Delete", "\x7f", VK_DELETE, wndevents::CTRL, {}},
        {"Backspace", "\b", VK_BACK, 0, {8}},
        {"Ctrl+Backspace", "\x7f", VK_BACK, wndevents::CTRL, {127}},
        {"Enter", "\r", VK_RETURN, 0, {13}},
        {"Escape", "\x1b", VK_ESCAPE, 0, {27}},
        {"Ctrl+A", "\x01", 'A', wndevents::CTRL, {1}},
        {"Ctrl+[", "\x1b", 0, wndevents::CTRL, {27}},
        {"Home", "", VK_HOME, 0, {}},
        {"F1 typing a stray control", "\x10", VK_F1, 0, {}},
        {"x", "x", 'X', 0, {'x'}},
    };
    for (const Case& c : cases) {
        Probe w;
        ASSERT_TRUE(w.CreateTopLevel("keys", WS_VISIBLE, Rect{0, 0, 50, 50}));
        wndevents::Key(w, c.vk, c.mods, c.text);
        std::vector<UINT> chars;
        for (const auto& i : w.in)
            if (i.msg == WM_CHAR)
                chars.push_back(i.code);
        EXPECT_EQ(chars, c.chars) << c.name;
    }
}

TEST(CWnd, MouseMessagesCarryClientPointsAndFlags) {
    Probe w;
    ASSERT_TRUE(w.CreateTopLevel("mouse", WS_VISIBLE, Rect{0, 0, 80, 80}));
    wndevents::Press(w, Point{10, 20}, wndevents::SHIFT);
    wndevents::Move(w, Point{12, 22}, true);
    wndevents::Release(w, Point{12, 22});
    wndevents::DoubleClick(w, Point{5, 6});
    wndevents::Wheel(w, -240, Point{5, 6});
    const Point a{10, 20}, b{12, 22}, c{5, 6};
    EXPECT_EQ(w.in, (std::vector{
                        In{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, a, false},
                        In{WM_MOUSEMOVE, MK_LBUTTON, b, false}, In{WM_LBUTTONUP, 0, b, false},
                        In{WM_LBUTTONDOWN, MK_LBUTTON, c, false}, In{WM_LBUTTONUP, 0, c, false},
                        In{WM_LBUTTONDBLCLK, MK_LBUTTON, c, false}, In{WM_LBUTTONUP, 0, c, false},
                        In{WM_MOUSEWHEEL, UINT(-240), {}, false}}));
}

TEST(CWnd, ScrollBarsMoveOnlyWhenTheWindowSaysSo) {
    Probe w;
    ASSERT_TRUE(w.CreateTopLevel("bars", WS_VISIBLE, Rect{0, 0, 100, 100}));
    w.SetScrollRange(SB_VERT, 0, 300);
    w.messages.clear();
    wndevents::ScrollBar(w, SB_VERT, SB_LINEDOWN);
    wndevents::ScrollBar(w, SB_VERT, SB_THUMBTRACK, 120);
    EXPECT_EQ(count(w.messages, WM_VSCROLL), 4); // line, track, position, end
    EXPECT_EQ(w.GetScrollPos(SB_VERT), 0);       // nobody answered: the thumb went back
}
