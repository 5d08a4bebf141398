#include "platform/frame/frame_keys.h"

#include "platform/frame/frame.h"
#include "platform/window/qtkeys.h"

#include <QGuiApplication>

#ifdef TNV_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
// Xlib's macros collide with Qt's and ours; keep them inside this file.
#include <X11/XKBlib.h>
#undef None
#undef Bool
#undef Status
#endif

namespace tnv {

UINT VirtualKeyOf(int key) {
    // A modifier pressed alone is no accelerator key.
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return 0;
    default:
        return wndinput::virtualKeyOfQtKey(key);
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

} // namespace tnv
