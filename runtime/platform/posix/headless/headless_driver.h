// The test driver of the headless presenter: a fresh layer with a virtual clock, input as a
// person would give it, and read-back of what a screen would show.
//
// Nothing here sleeps or reads the wall clock. A wait of the layer (WaitMessage) moves the
// virtual clock on to the next timer or the next scheduled action; a wait with nothing that could
// ever arrive, or one that has run past the stall limit, throws HeadlessStall instead of hanging.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "presenter.h"
#include "win32_subset.h"

namespace kd508::headless {

struct HeadlessStall : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct MenuItemState {
    std::string label;  // with its '&' and tab, as appended
    UINT id = 0;
    UINT flags = 0;     // MF_SEPARATOR, MF_GRAYED, MF_POPUP as appended
    bool checked = false;
    bool separator = false;
    bool grayed = false;
};

class Driver {
public:
    // Resets the layer and installs a headless presenter with a screen of the given size.
    explicit Driver(int screen_width = 1280, int screen_height = 1024);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // ---- clock ----
    std::int64_t now_ms() const;
    // Moves the clock on; timers that fall due produce their messages at the next retrieval.
    void advance_ms(std::int64_t milliseconds);
    // Runs action when a wait of the layer reaches the given virtual time.
    void at_ms(std::int64_t time_ms, std::function<void()> action);
    // Virtual time after which a wait throws HeadlessStall (default: 10 minutes from start).
    void set_stall_limit_ms(std::int64_t time_ms);
    // Whether the presenter reads the client pixels at every change, as one on a screen does:
    // copies of bitmaps to windows are then made at once instead of waiting for a read. Off by
    // default.
    void set_reads_client_pixels(bool reads);

    // ---- input, queued at once as the presenter would deliver it ----
    void click(HWND window, int client_x, int client_y);
    // A key going down or up; character is what the key types (Windows-1252), 0 for none.
    void key_down(HWND window, unsigned virtual_key, unsigned char character = 0);
    void key_up(HWND window, unsigned virtual_key);
    // Down and up of one key.
    void press_key(HWND window, unsigned virtual_key, unsigned char character = 0);
    // Ctrl held while the letter key is pressed.
    void press_ctrl_letter(HWND window, char letter);
    // Each byte as one key press carrying that character (letters with their letter key).
    void type(HWND window, std::string_view text);
    // Chooses a menu command of the window's menu bar; false (and nothing happens) when no
    // such item exists or it is greyed.
    bool choose_menu(HWND window, UINT command);
    // The close box.
    void close(HWND window);
    // The window was uncovered and must be painted.
    void expose(HWND window);
    // The user resized the window's client area (resizable windows).
    void resize_client(HWND window, int client_width, int client_height);
    void lose_keyboard_focus();

    // ---- what a screen would show ----
    std::uint32_t client_pixel(HWND window, int x, int y) const;  // 0x00RRGGBB
    int client_width(HWND window) const;
    int client_height(HWND window) const;
    std::vector<std::uint32_t> client_pixels(HWND window) const;
    bool is_shown(HWND window) const;
    std::string title(HWND window) const;
    // The outer rectangle as the presenter was asked to place it.
    RECT outer_rectangle(HWND window) const;
    // What the presenter was asked to put in the window's frame.
    kd508::platform::WindowDecorations decorations(HWND window) const;
    bool resizable(HWND window) const;
    // The entries of the window's menu bar, or of one of its pop-ups by position.
    std::vector<MenuItemState> menu_bar(HWND window) const;
    std::vector<MenuItemState> popup_items(HWND window, int bar_position) const;
    // The menu as the presenter last mirrored it (labels, checks and greyed states).
    std::vector<MenuItemState> mirrored_popup_items(HWND window, int bar_position) const;

    // ---- counters ----
    std::int64_t polls() const;     // presenter polls, one per PeekMessage
    std::int64_t waits() const;     // blocking waits (WaitMessage that found nothing)
    std::int64_t frames_shown(HWND window) const;  // client_changed calls for the window
};

}  // namespace kd508::headless
