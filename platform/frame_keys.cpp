#include "platform/frame_keys.h"

#include "platform/frame.h"

#include <QGuiApplication>

#ifdef TNV_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
// Xlib's macros collide with Qt's and ours; keep them inside this file.
#include <X11/XKBlib.h>
#undef None
#undef Bool
#undef Status
#endif

UINT VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<UINT>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<UINT>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        return 0;
    }
}

UINT ModifiersOf(Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= FSHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= FCONTROL;
    if (modifiers & Qt::AltModifier)
        flags |= FALT;
    return flags;
}

bool LockKeyOn(UINT indicatorId) {
#ifdef TNV_HAVE_X11
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return false;
    const char* name = indicatorId == ID_INDICATOR_CAPS   ? "Caps Lock"
                       : indicatorId == ID_INDICATOR_NUM  ? "Num Lock"
                       : indicatorId == ID_INDICATOR_SCRL ? "Scroll Lock"
                                                          : nullptr;
    if (!name)
        return false;
    Display* display = x11->display();
    Atom atom = XInternAtom(display, name, True);
    if (atom == 0)
        return false;
    int on = 0;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on != 0;
#else
    (void)indicatorId;
    return false;
#endif
}
