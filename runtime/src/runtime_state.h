// The runtime's one process-wide state record, in sections by concern.
#pragma once

#include <cstdint>
#include <cstdio>

#include "../platform/win32.h"

namespace kd508 {

inline constexpr int log_ring_size = 25;
inline constexpr int no_event = -1;

struct RuntimeState {
    // Windows and canvas.
    HWND graphics_window = nullptr;
    HWND text_window = nullptr;
    HDC window_surface = nullptr;
    HBITMAP canvas_bitmap = nullptr;
    HDC canvas_surface = nullptr;
    std::int32_t canvas_dirty = 1;
    std::int32_t origin_x = 0;
    std::int32_t origin_y = 0;

    // Event wait and animation control.
    std::int32_t pending_event = 0;
    std::int32_t event_x = 0;
    std::int32_t event_y = 0;
    signed char event_key = 0;
    std::int32_t timer_ticked = 0;
    std::uint8_t animation_running = 0;
    std::uint8_t single_step_requested = 0;
    std::uint8_t quit_requested = 0;

    // Menu and keys.
    HMENU run_menu = nullptr;
    std::int32_t ctrl_down = 0;

    // Script recording and playback.
    std::uint8_t recording = 0;
    std::uint8_t playing_back = 0;
    std::uint8_t play_one_requested = 0;
    std::int32_t periodic_run = 0;
    std::FILE* script_file = nullptr;
    enum class ScriptMode : std::uint8_t { none, writing, reading };
    ScriptMode script_mode = ScriptMode::none;  // which direction opened script_file
    // The file that playback reads in place of "KD508.SCR" while the script given on the command
    // line plays; null otherwise. Recording always writes "KD508.SCR".
    const char* playback_file = nullptr;
    // That script, until the first event wait starts playing it.
    const char* script_on_start = nullptr;

    // Text window and log.
    std::uint8_t logging_enabled = 1;
    HGLOBAL log_ring[log_ring_size] = {};
    std::int32_t log_first = -1;
    std::int32_t log_next = 0;
    std::int32_t log_lines_unpainted = 0;  // the newest kept lines, not yet drawn in the window
    // Every column of the text window from log_blank_from to the right edge, the last included,
    // holds the background in every row: no line drawn so far reaches it. It holds for a client
    // of log_blank_width by log_blank_height; -1 while nothing is known.
    std::int32_t log_blank_from = -1;
    std::int32_t log_blank_width = 0;
    std::int32_t log_blank_height = 0;
    std::uint8_t log_background_erased = 0;  // the last WM_ERASEBKGND of the text window erased
};

RuntimeState& runtime_state();

// Puts the record back to its initial values; tests call it between cases. It releases nothing:
// the platform layer is reset on its own.
void reset_runtime_state();

}  // namespace kd508
