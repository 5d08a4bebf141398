// Keys of the platform's events in the programs' terms: virtual-key codes, accelerator modifier
// flags and the lock keys' states.
#pragma once

#include "platform/base/types.h"

#include <QKeyEvent>

namespace tnv {

// The virtual-key code of a Qt key; 0 when it has none.
UINT VirtualKeyOf(int qtKey);
// FSHIFT | FCONTROL | FALT of the held modifiers.
UINT ModifiersOf(Qt::KeyboardModifiers modifiers);
// Whether the lock key of a status indicator (ID_INDICATOR_CAPS, _NUM, _SCRL) is on; false where
// the platform cannot tell.
bool LockKeyOn(UINT indicatorId);

} // namespace tnv
