// The "&Run" menu and its Ctrl-letter shortcuts. Every command only changes flags of the runtime
// state and check marks; the event wait, the drawing operations and the script code act on them.
#include "run_menu.h"

#include "runtime_state.h"
#include "script.h"

namespace kd508 {

namespace {

struct RunMenuEntry {
    UINT flags;
    UINT command;
    const char* label;  // null for a separator
};

// The pop-up from top to bottom. The last three lines name the teams behind the runtime.
constexpr RunMenuEntry run_menu_entries[] = {
    {MF_STRING, command_animate, "&Animate\tCtrl+A"},
    {MF_STRING, command_halt, "&Halt animation\tCtrl+H"},
    {MF_STRING, command_advance_frame, "Advance one &frame\tCtrl+F"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_CHECKED, command_logging, "&Logging\tCtrl+L"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, command_record_script, "&Record Script\tCtrl+R"},
    {MF_STRING, command_playback_script, "&Playback Script\tCtrl+P"},
    {MF_STRING, command_play_one, "Play &One Script\tCtrl+O"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, command_quit, "&Quit\tCtrl+Q"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_GRAYED, command_about_line, "KD508 v2.2 July 1997"},
    {MF_GRAYED, command_about_line, "Graphics runtime team"},
    {MF_GRAYED, command_about_line, "Animation and scripting"},
    {MF_GRAYED, command_about_line, "Platform layer maintainers"},
};

struct Shortcut {
    WPARAM virtual_key;
    RunCommand command;
};

// Letter keys have one virtual-key code whatever Shift or Caps Lock say, so the shortcuts do
// not depend on case.
constexpr Shortcut shortcuts[] = {
    {'A', command_animate},         {'H', command_halt},
    {'F', command_advance_frame},   {'L', command_logging},
    {'R', command_record_script},   {'P', command_playback_script},
    {'O', command_play_one},        {'Q', command_quit},
};

void toggle_logging() {
    RuntimeState& state = runtime_state();
    state.logging_enabled = state.logging_enabled ? 0 : 1;
    CheckMenuItem(state.run_menu, command_logging, state.logging_enabled ? MF_CHECKED : MF_UNCHECKED);
}

}  // namespace

void build_run_menu(HWND window) {
    RuntimeState& state = runtime_state();
    HMENU menu_bar = CreateMenu();
    state.run_menu = CreatePopupMenu();
    for (const RunMenuEntry& entry : run_menu_entries) {
        AppendMenuA(state.run_menu, entry.flags, entry.command, entry.label);
    }
    AppendMenuA(menu_bar, MF_POPUP, reinterpret_cast<UINT_PTR>(state.run_menu), "&Run");
    SetMenu(window, menu_bar);
    DrawMenuBar(window);
}

void run_command(WPARAM command) {
    RuntimeState& state = runtime_state();
    switch (command) {
        case command_animate:
            state.animation_running = 1;
            break;
        case command_halt:
            // A step asked for and not yet taken still happens.
            state.animation_running = 0;
            break;
        case command_advance_frame:
            state.animation_running = 0;
            state.single_step_requested = 1;
            break;
        case command_logging:
            toggle_logging();
            break;
        case command_record_script:
            if (state.recording) {
                stop_recording();
            } else {
                start_recording();
            }
            break;
        case command_playback_script:
            if (state.playing_back) {
                stop_playback();
            } else {
                start_playback();
            }
            break;
        case command_play_one:
            play_one_event();
            break;
        case command_quit:
            // The window and its timer stay; the wait meets the quit message and reports it.
            PostQuitMessage(0);
            break;
        default:
            break;
    }
}

void on_key_down(WPARAM virtual_key) {
    RuntimeState& state = runtime_state();
    if (virtual_key == VK_CONTROL) {
        state.ctrl_down = 1;
        return;
    }
    // ctrl_down follows only the Ctrl messages that reach the runtime's windows: a release made
    // while another application had the focus is missed, and the letters then act alone.
    if (state.ctrl_down == 0) return;
    for (const Shortcut& shortcut : shortcuts) {
        if (shortcut.virtual_key == virtual_key) {
            run_command(shortcut.command);
            return;
        }
    }
}

void on_key_up(WPARAM virtual_key) {
    if (virtual_key == VK_CONTROL) runtime_state().ctrl_down = 0;
}

}  // namespace kd508
