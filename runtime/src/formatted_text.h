// Text that the runtime formats the way printf does: a line of the text window and the
// transcript, a call's echo, a caption on the canvas. Each is cut to one buffer size, so a line
// reads the same wherever it goes.
#pragma once

#include <cstdarg>

namespace kd508 {

// The buffer a formatted text is cut to, its terminating null included: 1023 characters, as
// KD508_printf has always cut its lines.
inline constexpr int printf_buffer_size = 1024;

// Formats into the buffer as vsnprintf does, cutting the text at the buffer's end, and returns
// the length the whole text has (negative should the formatting fail).
int format_text(char (&buffer)[printf_buffer_size], const char* format, va_list arguments);

}  // namespace kd508
