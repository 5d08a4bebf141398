// Texts printed for a person (reports, notes on the terminal) in the encoding of the user's
// locale. Inside the programs a text is 8-bit Windows-1252; the files they write keep those
// bytes, and a name found on disk prints as the disk has it (fsx::toDisk).
#pragma once

#include <string>
#include <string_view>

namespace tnv {

namespace localetext {

// 8-bit text in the encoding of the locale the environment names (LC_ALL, LC_CTYPE, LANG). A
// character that encoding cannot hold, and the five byte values the code page leaves undefined,
// print as "?".
std::string FromText(std::string_view text);

// A message that may name a file the code page cannot hold (fsx::fromDisk passed its disk bytes
// through): such a message prints as it is, any other as FromText.
std::string FromMessage(std::string_view text);

} // namespace localetext

} // namespace tnv
