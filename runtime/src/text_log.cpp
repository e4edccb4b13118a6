// The text window: the runtime's only message sink. Every message is kept as one line in a ring
// of the last 25 lines, each in a movable global block of exactly its length plus one, and is
// drawn at the bottom of the window, the window scrolling up a line for each.
//
// A drawing program logs every call, thousands of lines a second, and scrolling the whole window
// for each line would cost more than the drawing. So the lines are drawn when the event wait next
// passes (or when the ring is about to drop one that has not been drawn): the window scrolls once
// for all of them and each is drawn where it would have ended up. The pixels are those of
// scrolling and drawing line by line; the one thing that carries from line to line, the last
// column that the erasing leaves, is carried over by hand, and a line long enough to reach it is
// drawn the slow way, as are lines that could not be kept.
//
// The window spans the screen, and the lines of a log are short: most of each row is background
// that scrolling and erasing only move onto background. Once a repaint has erased the whole
// window, the log knows from which column on it is blank, and a batch of lines scrolls and erases
// only the columns left of it; the rest of the window, the last column included, stays as the
// full scroll would have left it, background.
#include "text_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "../include/kd508.h"
#include "../platform/runtime_options.h"
#include "run_menu.h"
#include "runtime_state.h"

namespace kd508 {

namespace {

// The rows of a line's strip whose last-column pixels are carried down as the log scrolls; a
// line of the log's font is far shorter.
constexpr int carried_rows_limit = 1024;

int next_slot(int slot) { return (slot + 1) % log_ring_size; }

// Keeps a copy of text in the ring, freeing the oldest line when all slots are taken. The block
// is allocated before anything else changes, so a failed allocation drops only the new line and
// leaves the ring as it was.
bool keep_line(const char* text) {
    RuntimeState& state = runtime_state();
    const SIZE_T bytes = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!block) return false;
    void* copy = GlobalLock(block);
    if (!copy) {
        GlobalFree(block);
        return false;
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
    return true;
}

// The window's surface with the log's font, and the measures the log is drawn with.
struct LogSurface {
    HWND window = nullptr;
    HDC surface = nullptr;
    HGDIOBJ previous_font = nullptr;
    RECT client{};
    int line_height = 1;
    int widest_character = 0;

    LogSurface() : window(runtime_state().text_window), surface(GetDC(window)) {
        previous_font = SelectObject(surface, GetStockObject(ANSI_FIXED_FONT));
        TEXTMETRICA metrics = {};
        GetTextMetricsA(surface, &metrics);
        line_height = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
        widest_character = std::max(0, static_cast<int>(metrics.tmMaxCharWidth));
        GetClientRect(window, &client);
    }
    ~LogSurface() {
        SelectObject(surface, previous_font);
        ReleaseDC(window, surface);
    }
    LogSurface(const LogSurface&) = delete;
    LogSurface& operator=(const LogSurface&) = delete;
};

// The number of line strips it takes to cover the window, the top one perhaps in part.
int log_strips(const LogSurface& log) {
    const int height = log.client.bottom - log.client.top;
    return std::max(1, (height + log.line_height - 1) / log.line_height);
}

// Removes one newline, and only at the very end.
int painted_length(char* line) {
    int length = static_cast<int>(std::strlen(line));
    if (length > 0 && line[length - 1] == '\n') line[--length] = '\0';
    return length;
}

// The text of the kept line `newer` places before the newest (0 is the newest).
void copy_kept_line(int newer, char (&line)[printf_buffer_size]) {
    const RuntimeState& state = runtime_state();
    const int slot = (state.log_next - 1 - newer + 2 * log_ring_size) % log_ring_size;
    line[0] = '\0';
    if (const char* kept = static_cast<const char*>(GlobalLock(state.log_ring[slot]))) {
        std::snprintf(line, sizeof line, "%s", kept);
        GlobalUnlock(state.log_ring[slot]);
    }
}

// Erases the strip of one line whose top is at `top`, up to the column before erase_right, and
// draws the line in it. With the null pen the fill stops one pixel short on the right and at the
// bottom: the extra row makes up for the bottom, but with erase_right at the window's right edge
// the last column keeps what was there, as it does on Windows.
void draw_line_in_strip(const LogSurface& log, int top, char* line, LONG erase_right) {
    HBRUSH background = CreateSolidBrush(GetBkColor(log.surface));
    HGDIOBJ previous_brush = SelectObject(log.surface, background);
    HGDIOBJ previous_pen = SelectObject(log.surface, GetStockObject(NULL_PEN));
    Rectangle(log.surface, log.client.left, top, erase_right, top + log.line_height + 1);
    SelectObject(log.surface, previous_pen);
    SelectObject(log.surface, previous_brush);
    DeleteObject(background);
    TextOutA(log.surface, log.client.left + log_left_margin, top, line, painted_length(line));
}

// The column after the last one that the line's glyphs may touch, clamped to the window. Glyphs
// may hang over their advance by a little; a generous margin keeps the answer safe.
LONG line_reach(const LogSurface& log, const char* line) {
    int length = static_cast<int>(std::strlen(line));
    if (length > 0 && line[length - 1] == '\n') --length;
    SIZE extent{};
    GetTextExtentPointA(log.surface, line, length, &extent);
    const long long reach = static_cast<long long>(log.client.left) + log_left_margin + extent.cx +
                            2LL * log.widest_character;
    return static_cast<LONG>(std::clamp<long long>(reach, log.client.left, log.client.right));
}

// Whether a line of that reach may touch the window's last column, the one that erasing leaves.
bool reaches_last_column(const LogSurface& log, LONG reach) { return reach >= log.client.right - 1; }

// The column from which on the window is known to hold only background, or -1. What was learnt
// of a window of another size says nothing of the pixels it has now.
LONG known_blank_from(const LogSurface& log) {
    const RuntimeState& state = runtime_state();
    if (state.log_blank_from < 0 || state.log_blank_width != log.client.right - log.client.left ||
        state.log_blank_height != log.client.bottom - log.client.top) {
        return -1;
    }
    return state.log_blank_from;
}

void note_blank_from(const LogSurface& log, LONG column) {
    RuntimeState& state = runtime_state();
    state.log_blank_from = column;
    state.log_blank_width = log.client.right - log.client.left;
    state.log_blank_height = log.client.bottom - log.client.top;
}

// A line reaching up to `reach` was drawn; the blank part of the window, if known, starts there
// at the earliest.
void note_line_drawn(const LogSurface& log, LONG reach) {
    const LONG blank_from = known_blank_from(log);
    if (blank_from >= 0) note_blank_from(log, std::max(blank_from, reach));
}

// Scrolls the window by `drawn` lines and draws the newest `drawn` kept lines in the strips
// uncovered, all columns but the last, which carries down what the bottom strip has there.
void scroll_in_lines_whole_width(const LogSurface& log, int drawn) {
    // Each line's strip gets, in its last column, what the strip below the previous line had
    // there: none of these lines reaches that column, so it is the bottom strip's as it is now.
    const int last_column = log.client.right - 1;
    const int bottom_strip = log.client.bottom - log.line_height;
    COLORREF carried[carried_rows_limit];
    const int carried_rows = std::min(log.line_height, carried_rows_limit);
    for (int row = 0; row < carried_rows; ++row) carried[row] = GetPixel(log.surface, last_column, bottom_strip + row);

    ScrollDC(log.surface, 0, -drawn * log.line_height, nullptr, nullptr, nullptr, nullptr);
    LONG widest = log.client.left;
    for (int newer = drawn - 1; newer >= 0; --newer) {
        const int top = bottom_strip - newer * log.line_height;
        for (int row = 0; row < carried_rows; ++row) {
            if (carried[row] != CLR_INVALID) SetPixel(log.surface, last_column, top + row, carried[row]);
        }
        char line[printf_buffer_size];
        copy_kept_line(newer, line);
        widest = std::max(widest, line_reach(log, line));
        draw_line_in_strip(log, top, line, log.client.right);
    }
    note_line_drawn(log, widest);
}

// The same, where the window is blank from column blank_from on, the last column included: only
// the columns left of it move and are erased, and no line drawn reaches the last column, so
// every other column stays background, as the whole-width scroll and erase would leave it.
void scroll_in_lines_left_of(const LogSurface& log, int drawn, LONG blank_from) {
    const RECT inked{log.client.left, log.client.top, blank_from, log.client.bottom};
    ScrollDC(log.surface, 0, -drawn * log.line_height, &inked, nullptr, nullptr, nullptr);
    const int bottom_strip = log.client.bottom - log.line_height;
    LONG widest = blank_from;
    for (int newer = drawn - 1; newer >= 0; --newer) {
        char line[printf_buffer_size];
        copy_kept_line(newer, line);
        widest = std::max(widest, line_reach(log, line));
        draw_line_in_strip(log, bottom_strip - newer * log.line_height, line, blank_from + 1);
    }
    note_blank_from(log, widest);
}

bool covers(const RECT& area, const RECT& client) {
    return area.left <= client.left && area.top <= client.top && area.right >= client.right &&
           area.bottom >= client.bottom;
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
    // What leaves the top is lost; the strip uncovered at the bottom is erased in the surface's
    // background colour, all but its last column, which keeps what scrolled into it: only a line
    // that long shows it.
    const LogSurface log;
    const LONG reach = line_reach(log, line);
    ScrollDC(log.surface, 0, -log.line_height, nullptr, nullptr, nullptr, nullptr);
    draw_line_in_strip(log, log.client.bottom - log.line_height, line, log.client.right);
    note_line_drawn(log, reach);
}

void flush_log_window() {
    RuntimeState& state = runtime_state();
    const int pending = std::min(state.log_lines_unpainted, log_ring_size);
    state.log_lines_unpainted = 0;
    if (pending <= 0 || !state.text_window) return;
    const LogSurface log;
    // Lines older than those that fill the window leave no pixel in it.
    const int drawn = std::min(pending, log_strips(log));
    const LONG blank_from = known_blank_from(log);
    if (blank_from >= 0 && !reaches_last_column(log, blank_from)) {
        scroll_in_lines_left_of(log, drawn, blank_from);
    } else {
        scroll_in_lines_whole_width(log, drawn);
    }
}

LRESULT CALLBACK text_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        // The lines go through the window's own surface and over the whole client area; the
        // painting surface only erases and validates. Every kept line is drawn, so none is left
        // to draw later.
        RuntimeState& state = runtime_state();
        state.log_background_erased = 0;
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        state.log_lines_unpainted = 0;
        RECT client{};
        GetClientRect(window, &client);
        if (state.log_background_erased && covers(paint.rcPaint, client)) {
            // The class's brush is white, the background of a freshly taken surface: the whole
            // window is blank until the lines are drawn.
            state.log_blank_from = 0;
            state.log_blank_width = client.right - client.left;
            state.log_blank_height = client.bottom - client.top;
        }
        repaint_log();
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        // Erased the platform's way; the log only notes whether it happened.
        const LRESULT erased = DefWindowProcA(window, message, wparam, lparam);
        runtime_state().log_background_erased = erased != 0 ? 1 : 0;
        return erased;
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
    va_list arguments;
    va_start(arguments, format);
    const int formatted = format_text(buffer, format, arguments);
    va_end(arguments);

    // Before the line is kept or painted: painting takes the newline off in place.
    if (runtime_options::transcript_requested()) runtime_options::transcript_line(buffer);
    RuntimeState& state = runtime_state();
    if (!state.text_window) {
        // Before the window exists the line is only kept; a later repaint shows it.
        keep_line(buffer);
        return formatted;
    }
    const LogSurface log;
    if (state.log_lines_unpainted >= log_ring_size) {
        // The ring is about to drop its oldest line, which is still to be drawn. Where the
        // window holds no more lines than the ring, the newer ones will have scrolled it out of
        // sight by the time they are drawn, so it is not drawn at all; a taller window needs it.
        if (log_strips(log) <= log_ring_size) state.log_lines_unpainted = log_ring_size - 1;
        else flush_log_window();
    }
    if (keep_line(buffer) && !reaches_last_column(log, line_reach(log, buffer))) {
        ++state.log_lines_unpainted;
    } else {
        flush_log_window();
        paint_log_line(buffer);
    }
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
