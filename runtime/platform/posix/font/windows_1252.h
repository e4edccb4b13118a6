// The character set of the layer's 8-bit text: every byte a program hands to TextOutA is a
// Windows-1252 character.
#pragma once

namespace kd508::font {

// The Unicode code point of a Windows-1252 byte. Bytes 128 to 159 go through the code page's
// table; the five positions the code page leaves undefined, and every other byte, keep their own
// value as a code point, as the system's conversion does.
char32_t unicode_from_windows_1252(unsigned char byte);

}  // namespace kd508::font
