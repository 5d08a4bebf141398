// Real input events for a window, delivered the way the platform delivers them: for tests and
// demos that drive windows without a person at the keyboard.
#pragma once

#include "platform/window/wnd.h"

#include <string>

using namespace tnv;

namespace wndevents {

constexpr unsigned SHIFT = 1;
constexpr unsigned CTRL = 2;
constexpr unsigned ALT = 4;

// Key press and release; `text` is what the key types (8-bit), empty for none.
void Key(CWnd& w, UINT vk, unsigned mods = 0, const std::string& text = {});
// Typing a character: its key with the character as text.
void Char(CWnd& w, char ch, unsigned mods = 0);
void Press(CWnd& w, Point client, unsigned mods = 0, bool right = false);
void Release(CWnd& w, Point client, unsigned mods = 0, bool right = false);
void DoubleClick(CWnd& w, Point client, unsigned mods = 0);
void Move(CWnd& w, Point client, bool leftDown = false, unsigned mods = 0);
void Wheel(CWnd& w, int delta, Point client, unsigned mods = 0);

// The user works a scroll bar (SB_HORZ or SB_VERT): one of SB_LINEUP .. SB_BOTTOM as a click on
// its arrows, track or ends, or SB_THUMBTRACK: drags the thumb to `pos` and lets go there.
void ScrollBar(CWnd& w, int bar, UINT code, int pos = 0);

} // namespace wndevents
