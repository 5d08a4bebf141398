// The one table from Qt's key codes to the programs' virtual-key codes.
#pragma once

#include "platform/base/types.h"

namespace tnv {

namespace wndinput {
// The virtual-key code of a Qt key; 0 when it has none.
UINT virtualKeyOfQtKey(int qtKey);
} // namespace wndinput

} // namespace tnv
