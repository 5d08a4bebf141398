// The Qt widgets behind a CWnd (platform-internal): the frame (border, scroll bars) and the
// client area, which keeps its pixels in an image of its own so that a window can be drawn on
// outside a paint event.
#pragma once

#include "platform/window/wnd.h"

#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>

namespace tnv {

// Shared between the window code and the widgets' event handling.
namespace wndinput {
bool haveApp(); // a QApplication runs: windows can be made
// A window going away keeps neither the focus nor the capture.
void forget(CWnd* w);
void setLastCursor(Point p);
const std::optional<Rect>& clip();
CWnd*& focus();
CWnd* capture();
int& eventDepth(); // >0 while a window's widget handles an event
// For widgets inside a window's client area (an edit control) that take input themselves: the
// key state GetKeyState reports, and the virtual-key code of a key event.
void setInputState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
UINT virtualKeyOf(const QKeyEvent* e);
// Whether a key whose text holds this character (8-bit) types it as a character message.
bool typesCharacter(UINT vk, Qt::KeyboardModifiers mods, int byte);
// The window whose client area holds the widget (walking up its parents); null for none.
CWnd* wndAround(QWidget* w);
} // namespace wndinput

class WndFrame;
class WndClient;

// A message queued by PostMessage.
struct WndPostedMessage : QEvent {
    static constexpr QEvent::Type type = QEvent::Type(QEvent::User + 87);
    WndPostedMessage(UINT m, WPARAM w, MsgParam l) : QEvent(type), msg(m), wp(w), lp(l) {}
    UINT msg;
    WPARAM wp;
    MsgParam lp;
};

class WndImpl {
public:
    WndImpl(CWnd* w, const WndClassInfo& c) : wnd(w), cls(c) {}

    struct Bar {
        int min = 0;
        int max = 0;
        UINT page = 0;
        int pos = 0;
        int track = 0;
        bool visible = false;
        bool tracking = false;
    };

    CWnd* wnd;
    WndClassInfo cls;
    WndFrame* frame = nullptr;
    WndClient* client = nullptr;
    QScrollBar* bars[2] = {nullptr, nullptr};
    Bar sb[2];
    // The client area's pixels at the screen's device pixel ratio; canvasSize is its size in
    // logical pixels, the window's coordinates.
    std::shared_ptr<QImage> canvas;
    Size canvasSize;
    bool canvasStale = false; // the image is of an earlier size; made anew when drawn on
    QRegion invalid;
    bool erase = false;
    Size delivered{-1, -1};
    bool delivering = false;
    std::map<int, UINT> qtTimers; // Qt's timer id -> ours
    std::map<UINT, int> timers;
    std::shared_ptr<int> alive = std::make_shared<int>(0);

    static int maxPos(const Bar& b);
    Size clientSize() const;
    void relayout(bool deliver = true);
    void deliverSize();
    void resizeCanvas(int w, int h);
    // The canvas at the client's size and the screen's ratio, made anew when it is not; null
    // when no image of that size can be made.
    QImage* freshCanvas();
    QRect canvasRect() const { return QRect(0, 0, canvasSize.cx, canvasSize.cy); }
    double screenRatio() const;
    // False once the window went to a screen of another scale: the canvas is made anew.
    bool canvasFitsScreen() const;
    void paintPending();
    void syncBar(int bar);
    void onBarAction(int bar, int action);
    void onBarReleased(int bar);
    // Cuts the widgets loose from the window that goes away (they may outlive it a little).
    void detachWidgets();
};

class WndFrame : public QWidget {
public:
    WndFrame(QWidget* parent, WndImpl* impl);
    ~WndFrame() override;
    WndImpl* impl;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
};

class WndClient : public QWidget {
public:
    WndClient(QWidget* parent, WndImpl* impl);
    WndImpl* impl;
    static CWnd* wndOf(QWidget* w);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    void mouseMessage(UINT msg, QMouseEvent* e);
};

} // namespace tnv
