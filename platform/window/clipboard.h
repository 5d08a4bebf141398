// 8-bit text through the system clipboard. Texts are Windows-1252 bytes; they are converted to
// and from Unicode here, so every byte value comes back as it went.
#pragma once

#include "platform/base/types.h"

#include <string>

namespace tnv {

// Puts the text on the clipboard as plain text; false when there is no clipboard (no GUI).
bool SetClipboardText8(const std::string& text);

// The clipboard's plain text up to its first zero byte; empty when it has none. Characters the
// code page lacks become '?'.
std::string GetClipboardText8();

// As above; false (and `out` untouched) when the clipboard offers no plain text.
bool GetClipboardText8(std::string* out);

// true when the clipboard offers plain text.
bool IsClipboardTextAvailable();

} // namespace tnv
