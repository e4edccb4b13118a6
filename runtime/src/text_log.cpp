// The text window: the runtime's only message sink. Every message is kept as one line in a ring
// of the last 25 lines, each in a movable global block of exactly its length plus one, and is
// drawn at once at the bottom of the window.
#include "text_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "../include/kd508.h"
#include "../platform/runtime_options.h"
#include "run_menu.h"
#include "runtime_state.h"

namespace kd508 {

namespace {

int next_slot(int slot) { return (slot + 1) % log_ring_size; }

// Keeps a copy of text in the ring, freeing the oldest line when all slots are taken. The block
// is allocated before anything else changes, so a failed allocation drops only the new line and
// leaves the ring as it was.
void keep_line(const char* text) {
    RuntimeState& state = runtime_state();
    const SIZE_T bytes = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return;
    }
    std::memcpy(copy, text, bytes);
    GlobalUnlock(block);

    if (state.log_first == state.log_next) {
        GlobalFree(state.log_ring[state.log_first]);
        state.log_first = next_slot(state.log_first);
    }
    state.log_ring[state.log_next] = block;
    if (state.log_first < 0) state.log_first = state.log_next;
    state.log_next = next_slot(state.log_next);
}

// Draws every kept line, oldest first. Each line is painted from a copy: painting removes a
// trailing newline in place, and the ring keeps its lines as they were written.
void repaint_log() {
    const RuntimeState& state = runtime_state();
    int slot = state.log_first;
    for (int count = 0; slot >= 0 && !(slot == state.log_next && count != 0); ++count) {
        HGLOBAL block = state.log_ring[slot];
        if (const char* kept = static_cast<const char*>(GlobalLock(block))) {
            char line[printf_buffer_size];
            std::snprintf(line, sizeof line, "%s", kept);
            GlobalUnlock(block);
            paint_log_line(line);
        }
        slot = next_slot(slot);
    }
}

}  // namespace

void paint_log_line(char* line) {
    const HWND window = runtime_state().text_window;
    HDC surface = GetDC(window);
    HGDIOBJ previous_font = SelectObject(surface, GetStockObject(ANSI_FIXED_FONT));

    TEXTMETRICA metrics = {};
    GetTextMetricsA(surface, &metrics);
    const int line_height = metrics.tmHeight + metrics.tmExternalLeading;

    // What leaves the top is lost; the strip uncovered at the bottom is erased in the surface's
    // background colour. With the null pen the fill stops one pixel short on the right and at the
    // bottom: the extra row below the client area makes up for the bottom, but the last column
    // keeps what scrolled into it, as it does on Windows; only a line that long shows it.
    ScrollDC(surface, 0, -line_height, nullptr, nullptr, nullptr, nullptr);
    RECT client = {};
    GetClientRect(window, &client);
    HBRUSH background = CreateSolidBrush(GetBkColor(surface));
    HGDIOBJ previous_brush = SelectObject(surface, background);
    HGDIOBJ previous_pen = SelectObject(surface, GetStockObject(NULL_PEN));
    Rectangle(surface, client.left, client.bottom - line_height, client.right, client.bottom + 1);
    SelectObject(surface, previous_pen);
    SelectObject(surface, previous_brush);
    DeleteObject(background);

    // Only one newline goes, and only at the very end.
    int length = static_cast<int>(std::strlen(line));
    if (length > 0 && line[length - 1] == '\n') line[--length] = '\0';
    TextOutA(surface, client.left + log_left_margin, client.bottom - line_height, line, length);

    SelectObject(surface, previous_font);
    ReleaseDC(window, surface);
}

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        // The lines go through the window's own surface and over the whole client area; the
        // painting surface only erases and validates.
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        repaint_log();
        EndPaint(window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
        // Passed on, so that the Ctrl shortcuts work while the text window has the focus.
        PostMessageA(runtime_state().graphics_window, message, wparam, lparam);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

void show_text_window() { ShowWindow(runtime_state().text_window, SW_SHOW); }

}  // namespace kd508

using namespace kd508;

int KD508_printf(const char* format, ...) {
    // The buffer holds 1023 characters; a longer message is cut there, and the count the
    // formatting produced is still returned.
    char buffer[printf_buffer_size];
    buffer[0] = '\0';
    va_list arguments;
    va_start(arguments, format);
    const int formatted = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);

    keep_line(buffer);
    // Before painting, which takes the newline off in place.
    if (runtime_options::transcript_requested()) runtime_options::transcript_line(buffer);
    // Before the window exists the line is only kept; a later repaint shows it.
    if (runtime_state().text_window) paint_log_line(buffer);
    return formatted;
}

int KD508_logging(int on) {
    RuntimeState& state = runtime_state();
    if (!state.graphics_window) return 0;
    state.logging_enabled = on != 0 ? 1 : 0;
    CheckMenuItem(state.run_menu, command_logging,
                  MF_BYCOMMAND | (state.logging_enabled ? MF_CHECKED : MF_UNCHECKED));
    // Turning logging off leaves the window as it is.
    if (state.logging_enabled) show_text_window();
    return 1;
}
