// The "&Run" menu, its eight commands and their Ctrl-letter shortcuts.
#pragma once

#include "../platform/win32.h"

namespace kd508 {

enum RunCommand : UINT {
    command_animate = 1,
    command_halt = 2,
    command_advance_frame = 3,
    command_logging = 4,
    command_record_script = 5,
    command_playback_script = 6,
    command_play_one = 7,
    command_quit = 8,
    command_about_line = 9,
};

// Builds the menu bar of the window being created.
void build_run_menu(HWND window);
// Runs command 1 to 8; any other identifier does nothing.
void run_command(WPARAM command);
void on_key_down(WPARAM virtual_key);
void on_key_up(WPARAM virtual_key);

}  // namespace kd508
