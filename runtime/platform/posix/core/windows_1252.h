// The character set of the layer's 8-bit text: every byte a program hands to TextOutA, every
// label and title, and every character a key types is a Windows-1252 character. No Win32 names
// here, so that presenters can share the table.
#pragma once

namespace kd508::platform {

// The Unicode code point of a Windows-1252 byte. Bytes 128 to 159 go through the code page's
// table; the five positions the code page leaves undefined, and every other byte, keep their own
// value as a code point, as the system's conversion does.
char32_t unicode_from_windows_1252(unsigned char byte);

// The byte that stands for a code point, or -1 when the code page has none.
int windows_1252_from_unicode(char32_t code_point);

}  // namespace kd508::platform
