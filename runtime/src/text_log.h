// The text window and the ring of its last lines.
#pragma once

#include "../platform/win32.h"
#include "formatted_text.h"

namespace kd508 {

inline constexpr int log_left_margin = 5;  // client pixels between the window's edge and a line

// Scrolls the text window up by one line and draws line at its bottom. A trailing newline is
// removed from line in place.
void paint_log_line(char* line);
// Draws the lines logged since the window last showed the log, with the pixels that scrolling
// and drawing each of them in turn would leave. The event wait calls it on every pass.
void flush_log_window();
LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void show_text_window();

}  // namespace kd508
