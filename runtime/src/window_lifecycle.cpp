// Bringing the runtime up and down, and the graphics window's procedure.
#include "window_lifecycle.h"

#include "event_loop.h"
#include "kd508.h"
#include "palette.h"
#include "../platform/runtime_options.h"
#include "run_menu.h"
#include "runtime_state.h"
#include "script.h"
#include "text_log.h"

namespace kd508 {

namespace {

// Both classes come from one description; only the procedure and the name differ.
inline constexpr UINT window_class_style = CS_HREDRAW | CS_VREDRAW;
inline constexpr char class_menu_name[] = "generic";
inline constexpr DWORD graphics_window_style = WS_CAPTION | WS_SYSMENU;
inline constexpr DWORD text_window_style = WS_OVERLAPPEDWINDOW;

void register_window_classes(HINSTANCE instance) {
    const COLORREF white = palette_colour(palette_white);
    WNDCLASSA description{};
    description.style = window_class_style;
    description.lpfnWndProc = graphics_window_proc;
    description.cbClsExtra = 0;
    description.cbWndExtra = 0;
    description.hInstance = instance;
    description.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    description.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    description.hbrBackground = CreateSolidBrush(white);
    description.lpszMenuName = class_menu_name;
    description.lpszClassName = graphics_class_name;
    RegisterClassA(&description);

    description.lpfnWndProc = text_window_proc;
    description.lpszClassName = text_class_name;
    RegisterClassA(&description);
}

void on_size(HWND window) {
    RuntimeState& state = runtime_state();
    RECT client{};
    GetClientRect(window, &client);
    state.origin_x = client.left + (client.right - client.left) / 2;
    state.origin_y = client.top + (client.bottom - client.top) / 2;
}

void on_paint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    // The copy goes onto the surface held since KD508_open, and always whole.
    copy_canvas_to_window();
    EndPaint(window, &paint);
}

void on_destroy(HWND window) {
    KillTimer(window, animation_timer_id);
    PostQuitMessage(0);
}

}  // namespace

void copy_canvas_to_window() {
    RuntimeState& state = runtime_state();
    BitBlt(state.window_surface, 0, 0, canvas_width, canvas_height, state.canvas_surface, 0, 0, SRCCOPY);
    state.canvas_dirty = 0;
}

LRESULT CALLBACK graphics_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CREATE:
            build_run_menu(window);
            return 0;
        case WM_DESTROY:
        case WM_QUIT:
            on_destroy(window);
            return 0;
        case WM_SIZE:
            on_size(window);
            return 0;
        case WM_PAINT:
            on_paint(window);
            return 0;
        case WM_KEYDOWN:
            on_key_down(wparam);
            return 0;
        case WM_KEYUP:
            on_key_up(wparam);
            return 0;
        case WM_CHAR:
            on_char(wparam);
            return 0;
        case WM_COMMAND:
            run_command(wparam);
            return 0;
        case WM_TIMER:
            on_timer();
            return 0;
        case WM_LBUTTONDOWN:
            on_left_button_down(lparam);
            return 0;
        default:
            return DefWindowProcA(window, message, wparam, lparam);
    }
}

}  // namespace kd508

using namespace kd508;

extern "C" int KD508_open(void* instance_handle, void* previous_instance, char*, int show_mode) {
    runtime_options::runtime_opening();
    RuntimeState& state = runtime_state();
    HINSTANCE instance = static_cast<HINSTANCE>(instance_handle);
    if (!previous_instance) register_window_classes(instance);

    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    state.animation_running = 0;
    state.single_step_requested = 0;

    state.graphics_window = CreateWindowExA(0, graphics_class_name, graphics_window_title, graphics_window_style, 0, 0,
                                            canvas_width, canvas_height, nullptr, nullptr, instance, nullptr);
    // The text window spans the screen's lower third; the top edge divides 2H by 3 rather
    // than doubling H / 3.
    state.text_window = CreateWindowExA(0, text_class_name, text_window_title, text_window_style, 0,
                                        (2 * screen_height) / 3 + 1, screen_width, screen_height / 3, nullptr,
                                        nullptr, instance, nullptr);

    state.window_surface = GetDC(state.graphics_window);
    state.canvas_bitmap = CreateCompatibleBitmap(state.window_surface, canvas_width, canvas_height);
    state.canvas_surface = CreateCompatibleDC(state.window_surface);
    SelectObject(state.canvas_surface, state.canvas_bitmap);

    ShowWindow(state.text_window, show_mode);
    ShowWindow(state.graphics_window, show_mode);
    SetTimer(state.graphics_window, animation_timer_id, animation_timer_period_ms, nullptr);

    runtime_options::runtime_opened(state.graphics_window);
    // A script given on the command line starts playing at the first event wait, after the
    // program has set its animation up, as if Ctrl+P had been pressed then.
    state.script_on_start = runtime_options::initial_script();
    return 1;
}

extern "C" int KD508_close(void) {
    RuntimeState& state = runtime_state();
    ReleaseDC(state.graphics_window, state.window_surface);
    // The surface is gone; forgetting it keeps a late copy of the canvas from reaching it.
    state.window_surface = nullptr;
    close_script();
    runtime_options::runtime_closing();
    return 1;
}
