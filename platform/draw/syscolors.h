// The system colours (from the desktop's palette) and the user's desktop settings the windows
// read. Without a running GUI application the classic Windows colours are answered, so data code
// that reads them works headless.
#pragma once

#include "platform/base/types.h"

namespace tnv {

constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_GRAYTEXT = 17;

COLORREF GetSysColor(int index);

// Tests change the system colours as a user would in the desktop settings; CLR_DEFAULT as the
// colour removes the override. ResetSysColors removes all.
void SetSysColorOverride(int index, COLORREF color);
void ResetSysColors();

// Lines scrolled per wheel notch; -1 = one page. 3 when the desktop does not say.
int GetWheelScrollLines();

} // namespace tnv
