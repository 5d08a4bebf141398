// The scroll bars of a window: they move only when the window answers the scroll message by setting
// the position.
#include "platform/window/wnd.h"

#include "platform/qt/wnd_widgets.h"

#include <algorithm>

namespace tnv {

int WndImpl::maxPos(const Bar& b) {
    long long top = (long long)b.max - std::max<long long>((long long)b.page - 1, 0);
    return int(std::max<long long>(top, b.min));
}

void WndImpl::syncBar(int bar) {
    QScrollBar* q = bars[bar];
    if (!q)
        return;
    const Bar& s = sb[bar];
    QSignalBlocker block(q);
    q->setRange(s.min, maxPos(s));
    q->setPageStep(int(std::max<UINT>(s.page, 1)));
    q->setSingleStep(1);
    q->setValue(s.tracking ? s.track : s.pos);
}

void WndImpl::onBarAction(int bar, int action) {
    QScrollBar* q = bars[bar];
    int proposed = q->sliderPosition();
    UINT code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        code = SB_THUMBTRACK;
        break;
    default:
        return;
    }
    // Windows' bars do not move by themselves: the window answers the message and sets the
    // position, or the thumb goes back.
    if (code == SB_THUMBTRACK) {
        sb[bar].tracking = true;
        sb[bar].track = proposed;
    } else {
        q->setSliderPosition(sb[bar].pos);
    }
    std::weak_ptr<int> living = alive;
    wnd->SendMessage(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(code, code == SB_THUMBTRACK ? unsigned(proposed) : 0u));
    if (!living.expired())
        syncBar(bar);
}

void WndImpl::onBarReleased(int bar) {
    Bar& s = sb[bar];
    if (!s.tracking)
        return;
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    std::weak_ptr<int> living = alive;
    wnd->SendMessage(msg, MAKEWPARAM(SB_THUMBPOSITION, unsigned(s.track)));
    if (living.expired())
        return;
    s.tracking = false;
    wnd->SendMessage(msg, MAKEWPARAM(SB_ENDSCROLL, 0));
    if (!living.expired())
        syncBar(bar);
}

bool CWnd::SetScrollInfo(int bar, const SCROLLINFO& info, bool) {
    if (!impl_ || (bar != SB_HORZ && bar != SB_VERT))
        return false;
    WndImpl::Bar& s = impl_->sb[bar];
    if (info.fMask & SIF_RANGE) {
        s.min = info.nMin;
        s.max = std::max(info.nMax, info.nMin);
    }
    if (info.fMask & SIF_PAGE)
        s.page = info.nPage;
    long long range = (long long)s.max - s.min + 1;
    if ((long long)s.page > range)
        s.page = UINT(range);
    if (info.fMask & SIF_POS)
        s.pos = info.nPos;
    s.pos = std::clamp(s.pos, s.min, WndImpl::maxPos(s));
    if (!s.tracking)
        s.track = s.pos;
    bool visible = WndImpl::maxPos(s) > s.min;
    impl_->syncBar(bar);
    if (visible != s.visible) {
        s.visible = visible;
        impl_->relayout();
    }
    return true;
}

bool CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
    if (!impl_ || !info || (bar != SB_HORZ && bar != SB_VERT))
        return false;
    const WndImpl::Bar& s = impl_->sb[bar];
    info->fMask = mask;
    if (mask & SIF_RANGE) {
        info->nMin = s.min;
        info->nMax = s.max;
    }
    if (mask & SIF_PAGE)
        info->nPage = s.page;
    if (mask & SIF_POS)
        info->nPos = s.pos;
    if (mask & SIF_TRACKPOS)
        info->nTrackPos = s.tracking ? s.track : s.pos;
    return true;
}

int CWnd::SetScrollPos(int bar, int pos, bool redraw) {
    if (!impl_ || (bar != SB_HORZ && bar != SB_VERT))
        return 0;
    int previous = impl_->sb[bar].pos;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(bar, si, redraw);
    return previous;
}

int CWnd::GetScrollPos(int bar) const {
    SCROLLINFO si;
    return GetScrollInfo(bar, &si, SIF_POS) ? si.nPos : 0;
}

void CWnd::SetScrollRange(int bar, int minPos, int maxPos, bool redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(bar, si, redraw);
}

void CWnd::GetScrollRange(int bar, int* minPos, int* maxPos) const {
    SCROLLINFO si;
    GetScrollInfo(bar, &si, SIF_RANGE);
    if (minPos)
        *minPos = si.nMin;
    if (maxPos)
        *maxPos = si.nMax;
}

bool CWnd::IsScrollBarVisible(int bar) const {
    return impl_ && (bar == SB_HORZ || bar == SB_VERT) && impl_->sb[bar].visible;
}

} // namespace tnv
