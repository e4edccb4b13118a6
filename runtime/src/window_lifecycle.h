// The graphics window: its procedure and the messages that concern the window and the canvas.
#pragma once

#include "../platform/win32.h"

namespace kd508 {

inline constexpr char graphics_class_name[] = "DrawWndClass";
inline constexpr char text_class_name[] = "TextWndClass";
inline constexpr char graphics_window_title[] = "KD508 Graphics";
inline constexpr char text_window_title[] = "KD508 Text";
inline constexpr int canvas_width = 601;
inline constexpr int canvas_height = 540;
inline constexpr UINT_PTR animation_timer_id = 2;
inline constexpr UINT animation_timer_period_ms = 100;

LRESULT CALLBACK graphics_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Copies the whole canvas onto the window surface and marks it clean.
void copy_canvas_to_window();

}  // namespace kd508
