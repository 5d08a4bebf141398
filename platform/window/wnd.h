// Windows with message-style handlers, on Qt Widgets.
//
// A CWnd is a plain C++ object until Create...() gives it a window; before that (and after
// DestroyWindow) every window call is a harmless no-op that reports failure, so objects built on
// CWnd (the grid) work as pure data without a QApplication.
//
// Messages: SendMessage() runs the window's WindowProc at once (synchronously); PostMessage()
// queues the message on the event loop and delivers it later, unless the window is gone by then.
// WindowProc decodes each message into one of the On...() handlers below; a handler that wants
// the default processing calls the base class's handler (or Default()).
//
// Embedding in a Qt main window: create the CWnd as a child of a widget,
//     view->CreateInWidget(mainWindow, WS_CHILD | WS_VISIBLE, Rect{}, AFX_IDW_PANE_FIRST);
//     mainWindow->setCentralWidget(view->widget());
// and create further CWnds as its children with Create(..., view, id). widget() is the QWidget
// that carries the window's frame (border and scroll bars included); the client area is a child
// of it. A CWnd owns its widget: DestroyWindow() (or the CWnd's destructor) deletes it, and a
// widget deleted by its Qt parent first takes the CWnd's window down with it.
//
// Scroll bars follow Windows: range min..max, page size, the position clamped to
// max - max(page - 1, 0), a separate thumb-tracking position, and a bar that cannot scroll is
// hidden. Showing or hiding a bar changes the client area, and the window gets WM_SIZE again.
#pragma once

#include "platform/base/types.h"

#include <cstdint>
#include <memory>
#include <string>

class QWidget;

namespace tnv {
class CDC;
class WndImpl;

// The second message parameter: pointer-wide, unlike the grid's 32-bit data word LPARAM.
using MsgParam = std::intptr_t;

constexpr WORD LOWORD(WPARAM v) {
    return static_cast<WORD>(v & 0xFFFFu);
}
constexpr WORD HIWORD(WPARAM v) {
    return static_cast<WORD>((v >> 16) & 0xFFFFu);
}
constexpr WPARAM MAKEWPARAM(unsigned lo, unsigned hi) {
    return static_cast<WPARAM>((lo & 0xFFFFu) | ((hi & 0xFFFFu) << 16));
}
inline MsgParam MAKEPOINTPARAM(Point p) {
    return static_cast<MsgParam>((static_cast<std::uint32_t>(p.x) & 0xFFFFu) |
                                 ((static_cast<std::uint32_t>(p.y) & 0xFFFFu) << 16));
}
inline Point POINTFROMPARAM(MsgParam lp) {
    return {static_cast<std::int16_t>(lp & 0xFFFF), static_cast<std::int16_t>((lp >> 16) & 0xFFFF)};
}

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_SETFONT = 0x0030; // wParam: const FontDesc* (null: system font), lParam: redraw
constexpr UINT WM_GETFONT = 0x0031; // result: const FontDesc* or 0
constexpr UINT WM_NOTIFY = 0x004E;  // wParam: control id, lParam: NMHDR*
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111; // wParam: MAKEWPARAM(id, code), lParam: CWnd* of a control
constexpr UINT WM_TIMER = 0x0113;   // wParam: timer id
constexpr UINT WM_HSCROLL = 0x0114; // wParam: MAKEWPARAM(code, thumb position)
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200; // wParam: MK_* flags, lParam: MAKEPOINTPARAM(client point)
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEWHEEL = 0x020A; // wParam: MAKEWPARAM(MK_* flags, delta), lParam: screen pt
constexpr UINT WM_CAPTURECHANGED = 0x0215; // lParam: CWnd* gaining the capture
constexpr UINT WM_USER = 0x0400;

// Mouse and key flags.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr int WHEEL_DELTA = 120;

// WM_GETDLGCODE answers: which keys a control takes from the dialog/tab navigation.
constexpr UINT DLGC_WANTARROWS = 0x0001;
constexpr UINT DLGC_WANTTAB = 0x0002;
constexpr UINT DLGC_WANTALLKEYS = 0x0004;
constexpr UINT DLGC_WANTCHARS = 0x0080;

// WM_SIZE types.
constexpr UINT SIZE_RESTORED = 0;

// Window styles.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;

// Window class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// The pane id a view carries in its frame.
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

// Scroll-bar state, as SetScrollInfo/GetScrollInfo take it.
constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
struct SCROLLINFO {
    UINT fMask = 0;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

enum class Cursor { Arrow, SizeWE, SizeNS, Wait, IBeam };

class CWnd;

// A registered window class: what windows of that class share.
struct WndClassInfo {
    std::string name;
    UINT style = 0;
    int backgroundSysColor = -1; // a COLOR_* index, or -1 for no background erase
    Cursor cursor = Cursor::Arrow;
};
// false when the name is empty or already registered with other settings.
bool RegisterWndClass(const WndClassInfo& info);
bool IsWndClassRegistered(const std::string& name);

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // --- creation -------------------------------------------------------------------------
    // A child window of `parent` (which must have a window) with a control id. The class must be
    // registered, or empty for a plain window. WM_CREATE runs before it returns.
    bool Create(const std::string& className, const std::string& title, DWORD style,
                const Rect& rect, CWnd* parent, UINT id);
    // A window inside a Qt widget that is not a CWnd (a program's main window).
    bool CreateInWidget(QWidget* host, DWORD style, const Rect& rect, UINT id,
                        const std::string& className = {});
    // A top-level window (demos, tests).
    bool CreateTopLevel(const std::string& title, DWORD style, const Rect& rect,
                        const std::string& className = {});
    bool DestroyWindow();
    CWnd* GetSafeHwnd() const { return impl_ ? const_cast<CWnd*>(this) : nullptr; }
    bool hasWindow() const { return impl_ != nullptr; }
    QWidget* widget() const;
    QWidget* clientWidget() const; // the client area's widget (input events go there)

    // --- family -----------------------------------------------------------------------------
    UINT GetDlgCtrlID() const { return id_; }
    CWnd* GetParent() const { return parent_; }
    CWnd* GetOwner() const { return owner_ ? owner_ : parent_; }
    void SetOwner(CWnd* owner) { owner_ = owner; }
    DWORD GetStyle() const { return style_; }
    const std::string& GetClassName() const { return className_; }
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;

    // --- messages ---------------------------------------------------------------------------
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, MsgParam lp = 0);
    bool PostMessage(UINT msg, WPARAM wp = 0, MsgParam lp = 0);
    // The message being handled; Default() gives it the default processing.
    LRESULT Default();

    // --- geometry and painting --------------------------------------------------------------
    void GetClientRect(Rect* rect) const; // (0, 0, width, height) of the client area
    void GetWindowRect(Rect* rect) const; // in the parent's client coordinates
    bool MoveWindow(const Rect& rect, bool repaint = true);
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    void ClientToScreen(Point* p) const;
    void ScreenToClient(Point* p) const;
    void Invalidate(bool erase = true);
    void InvalidateRect(const Rect* rect, bool erase = true);
    void ValidateRect(const Rect* rect);
    // Paints pending invalid areas now.
    void UpdateWindow();
    // Moves the pixels of `scroll` (whole client area when null) by dx, dy within `clip` (whole
    // client when null) and invalidates what was uncovered.
    void ScrollWindow(int dx, int dy, const Rect* scroll = nullptr, const Rect* clip = nullptr);
    // A surface on the client area for painting outside WM_PAINT (GetDC); null without window.
    std::unique_ptr<CDC> GetDC();
    // The window (frame included) rendered to a PNG file.
    bool SaveWindowImage(const std::string& path);

    // --- scroll bars ------------------------------------------------------------------------
    bool SetScrollInfo(int bar, const SCROLLINFO& info, bool redraw = true);
    bool GetScrollInfo(int bar, SCROLLINFO* info, UINT mask = SIF_ALL) const;
    int SetScrollPos(int bar, int pos, bool redraw = true); // previous position
    int GetScrollPos(int bar) const;
    void SetScrollRange(int bar, int minPos, int maxPos, bool redraw = true);
    void GetScrollRange(int bar, int* minPos, int* maxPos) const;
    bool IsScrollBarVisible(int bar) const;

    // --- focus, capture, cursor, timers -----------------------------------------------------
    CWnd* SetFocus(); // previous focus window
    static CWnd* GetFocus();
    CWnd* SetCapture();
    static bool ReleaseCapture();
    static CWnd* GetCapture();
    // Confines pointer positions delivered to the capture window (screen coordinates); null
    // lifts it. Emulated by clamping the positions, as the platform has no pointer warp.
    static void ClipCursor(const Rect* screenRect);
    static Point GetCursorPos(); // screen position of the last pointer event
    void SetCursor(Cursor c);
    UINT SetTimer(UINT id, UINT milliseconds); // id, or 0 on failure
    bool KillTimer(UINT id);

    // The hourglass over the whole application while a long operation runs.
    static void BeginWaitCursor();
    static void EndWaitCursor();

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, MsgParam lp);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, MsgParam lp);

    // --- handlers; the base versions do the default processing ------------------------------
    virtual int OnCreate() { return 0; } // -1 fails the creation
    virtual void OnDestroy() {}
    virtual void PostNcDestroy() {} // the window is gone; self-owning windows delete this here
    virtual void OnClose() { DestroyWindow(); }
    virtual void OnPaint(CDC& dc); // dc is clipped to the area to repaint
    virtual bool OnEraseBkgnd(CDC& dc);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnHScroll(UINT code, UINT pos) {
        Default();
        (void)code, (void)pos;
    }
    virtual void OnVScroll(UINT code, UINT pos) {
        Default();
        (void)code, (void)pos;
    }
    virtual void OnSetFont(const FontDesc* font, bool redraw);
    virtual const FontDesc* OnGetFont();
    virtual void OnSysColorChange() {}
    virtual void OnSetFocus(CWnd* oldWnd) { (void)oldWnd; }
    virtual void OnKillFocus(CWnd* newWnd) { (void)newWnd; }
    virtual void OnKeyDown(UINT vk, UINT repeat, UINT flags) {
        Default(), (void)vk, (void)repeat, (void)flags;
    }
    virtual void OnKeyUp(UINT vk, UINT repeat, UINT flags) {
        Default(), (void)vk, (void)repeat, (void)flags;
    }
    virtual void OnChar(UINT ch, UINT repeat, UINT flags) {
        Default(), (void)ch, (void)repeat, (void)flags;
    }
    virtual void OnSysChar(UINT ch, UINT repeat, UINT flags) {
        Default(), (void)ch, (void)repeat, (void)flags;
    }
    virtual UINT OnGetDlgCode() { return 0; }
    virtual void OnMouseMove(UINT flags, Point p) { (void)flags, (void)p; }
    virtual void OnLButtonDown(UINT flags, Point p) { (void)flags, (void)p; }
    virtual void OnLButtonUp(UINT flags, Point p) { (void)flags, (void)p; }
    virtual void OnLButtonDblClk(UINT flags, Point p) { (void)flags, (void)p; }
    virtual void OnRButtonDown(UINT flags, Point p) { (void)flags, (void)p; }
    virtual void OnRButtonUp(UINT flags, Point p) { (void)flags, (void)p; }
    virtual bool OnMouseWheel(UINT flags, short delta, Point screenPt);
    virtual bool OnSetCursor(CWnd* wnd, UINT hitTest, UINT msg);
    virtual void OnTimer(UINT id) { (void)id; }
    virtual void OnCaptureChanged(CWnd* gaining) { (void)gaining; }
    // WM_NOTIFY from a child (or an owned window). true when handled; *result is the answer.
    virtual bool OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result);
    // WM_COMMAND: menu commands and control notifications. true when handled.
    virtual bool OnCommand(WPARAM wp, MsgParam lp);

private:
    friend class WndImpl;
    friend class WndFrame;
    bool createCommon(QWidget* hostWidget, CWnd* parent, const std::string& className,
                      const std::string& title, DWORD style, const Rect& rect, UINT id);
    void windowGone(); // the widget was deleted from outside

    std::unique_ptr<WndImpl> impl_;
    CWnd* parent_ = nullptr;
    CWnd* owner_ = nullptr;
    UINT id_ = 0;
    DWORD style_ = 0;
    std::string className_;
    struct Current {
        UINT msg;
        WPARAM wp;
        MsgParam lp;
    };
    Current current_{WM_NULL, 0, 0};
};

// The state of a key during the event being handled: bit 0x8000 set while it is down. Knows
// VK_SHIFT, VK_CONTROL, VK_MENU and the mouse buttons' state of the current input event.
short GetKeyState(int vk);

} // namespace tnv
