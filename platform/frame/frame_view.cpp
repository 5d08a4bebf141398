// The frame's view: a window put into the frame's client area.
#include "platform/frame/frame.h"
#include "platform/window/wnd.h"

#include <QMainWindow>

namespace tnv {

bool CFrameWnd::CreateView(CWnd* view) {
    auto* window = static_cast<QMainWindow*>(nativeWindow());
    if (!window || !view)
        return false;
    QSize size = window->centralWidget() ? window->centralWidget()->size() : QSize();
    if (!view->CreateInWidget(window, WS_CHILD | WS_VISIBLE,
                              Rect{0, 0, size.width(), size.height()}, AFX_IDW_PANE_FIRST))
        return false;
    window->setCentralWidget(view->widget());
    return true;
}

} // namespace tnv
