// The program's 8-bit text is Windows-1252; the toolkit's is Unicode.
#pragma once

#include <string>

#include <QString>

namespace kd508::platform::qt {

// The Windows-1252 character that typed text stands for, 0 for none: text of more than one
// character, a character outside the code page, and Delete (which Windows types as nothing).
unsigned char windows_1252_character(const QString& text);

// Labels and captions as the toolkit shows them. The five codes the code page leaves unassigned
// become U+FFFD.
QString from_windows_1252(const std::string& text);

}  // namespace kd508::platform::qt
