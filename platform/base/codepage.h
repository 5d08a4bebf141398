// The Windows-1252 code page of the programs' 8-bit texts, and its conversion to and from
// Unicode. Every byte value round-trips: the five bytes the code page leaves undefined map to
// the C1 control code points of the same value.
#pragma once

#include <string>
#include <string_view>

namespace tnv {

namespace cp1252 {

char32_t toUnicode(unsigned char byte);

// The byte for a code point, or -1 when the code page has none.
int fromUnicode(char32_t codePoint);

// 8-bit text to UTF-8; never fails.
std::string toUtf8(std::string_view bytes);

// UTF-8 to 8-bit text. False (and `out` unspecified) when the input is not valid UTF-8 or holds
// a character the code page lacks.
bool fromUtf8(std::string_view utf8, std::string& out);

// Decodes one UTF-8 sequence at `pos`; advances `pos`. False on a malformed sequence.
bool decodeUtf8(std::string_view utf8, std::size_t& pos, char32_t& codePoint);
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace cp1252

} // namespace tnv
