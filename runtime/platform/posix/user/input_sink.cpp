#include "input_sink.h"

#include <algorithm>

#include "keyboard.h"
#include "menu.h"
#include "core/platform_state.h"
#include "queue.h"
#include "window.h"

namespace kd508::platform {

namespace {

// Client coordinates travel in the two 16-bit halves of lParam.
inline constexpr int coordinate_min = -32768;
inline constexpr int coordinate_max = 32767;

inline constexpr WPARAM left_button_flag = 0x0001;  // MK_LBUTTON

// A menu offers a command when an item with it is neither a separator nor grayed or disabled.
bool command_can_be_chosen(HMENU menu, unsigned command) {
    return find_command_item(menu, command, MF_SEPARATOR | MF_GRAYED | MF_DISABLED) != nullptr;
}

class LayerInputSink final : public InputSink {
public:
    void key(PresenterWindowId id, bool down, unsigned virtual_key, unsigned char character, bool auto_repeat) override {
        HWND window = window_handle_for(id);
        if (!window) return;
        post_input(window, down ? WM_KEYDOWN : WM_KEYUP, virtual_key & 0xFF,
                   key_lparam(character, down, down && auto_repeat));
    }

    void left_button_down(PresenterWindowId id, int client_x, int client_y) override {
        HWND window = window_handle_for(id);
        if (!window) return;
        const int x = std::clamp(client_x, coordinate_min, coordinate_max);
        const int y = std::clamp(client_y, coordinate_min, coordinate_max);
        post_input(window, WM_LBUTTONDOWN, left_button_flag, MAKELPARAM(x, y));
    }

    void close_requested(PresenterWindowId id) override {
        if (HWND window = window_handle_for(id)) post_input(window, WM_CLOSE, 0, 0);
    }

    void menu_chosen(PresenterWindowId id, unsigned command) override {
        HWND window = window_handle_for(id);
        Window* found = find_window(window);
        // A greyed item, or one that is no longer there, cannot be chosen.
        if (!found || !command_can_be_chosen(found->menu, command)) return;
        post_input(window, WM_COMMAND, command, 0);
    }

    void client_resized(PresenterWindowId id, int client_width, int client_height) override {
        if (HWND window = window_handle_for(id)) resize_client_area(window, client_width, client_height);
    }

    void exposed(PresenterWindowId id) override {
        if (HWND window = window_handle_for(id)) invalidate_whole_client(window);
    }

    void keyboard_focus_lost() override { forget_pressed_keys(); }
};

}  // namespace

InputSink& layer_input_sink() {
    static LayerInputSink sink;
    return sink;
}

}  // namespace kd508::platform
