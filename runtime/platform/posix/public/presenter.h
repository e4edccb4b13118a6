// The layer's only way to a screen. Deliberately free of Win32 names, so that toolkit and X11
// headers never meet the Win32 declarations in one translation unit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kd508::platform {

// The layer's own number for a top-level window; stable for the window's lifetime.
using PresenterWindowId = std::uint32_t;

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// Where a window stands on the screen, in screen pixels. The client rectangle is given relative
// to the outer rectangle's top-left corner.
struct WindowGeometry {
    int outer_left = 0;
    int outer_top = 0;
    int outer_width = 0;
    int outer_height = 0;
    int client_left = 0;  // offset of the client area inside the outer rectangle
    int client_top = 0;
    int client_width = 0;
    int client_height = 0;
};

// What the window's frame offers the user, from its window style.
struct WindowDecorations {
    bool caption = false;
    bool system_menu = false;  // the caption's menu and its close box
    bool minimize_box = false;
    bool maximize_box = false;
};

struct PresenterWindowDescription {
    std::string title;
    WindowGeometry geometry;
    bool resizable = false;  // a sizing frame
    WindowDecorations decorations;
};

// A menu as the presenter shows it: labels keep their '&' mnemonics and the tab that separates
// the shortcut text.
struct MenuEntry {
    enum class Kind { command, separator, popup };
    Kind kind = Kind::command;
    std::string label;
    unsigned command = 0;
    bool checked = false;
    bool grayed = false;
    std::vector<MenuEntry> children;  // popup entries only
};

// A view of a window's client pixels, owned by the layer. Pixels are 0x00RRGGBB, rows top down.
// The view stays valid until the next client_changed() for the same window or its destruction.
struct ClientImage {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride_pixels = 0;
};

struct ClientArea {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
};

// What the presenter reports to the layer. Every call queues a message or changes layer state;
// none calls a window procedure directly.
class InputSink {
public:
    virtual ~InputSink() = default;
    // A key went down or up. virtual_key is a Windows virtual-key code; character is the
    // Windows-1252 character the key types in its current shift state, 0 for none.
    virtual void key(PresenterWindowId window, bool down, unsigned virtual_key,
                     unsigned char character, bool auto_repeat) = 0;
    virtual void left_button_down(PresenterWindowId window, int client_x, int client_y) = 0;
    virtual void close_requested(PresenterWindowId window) = 0;
    virtual void menu_chosen(PresenterWindowId window, unsigned command) = 0;
    virtual void client_resized(PresenterWindowId window, int client_width, int client_height) = 0;
    virtual void exposed(PresenterWindowId window) = 0;
    // Key releases can be swallowed while another application or a popup has the keyboard.
    virtual void keyboard_focus_lost() = 0;
};

class Presenter {
public:
    virtual ~Presenter() = default;

    virtual void attach(InputSink& sink) = 0;
    virtual ScreenSize screen_size() const = 0;

    virtual void create_window(PresenterWindowId window, const PresenterWindowDescription& description) = 0;
    virtual void show_window(PresenterWindowId window, bool visible) = 0;
    virtual void destroy_window(PresenterWindowId window) = 0;
    virtual void set_menu(PresenterWindowId window, const std::vector<MenuEntry>& menu_bar) = 0;
    // The pixels of area changed; image is the whole client buffer.
    virtual void client_changed(PresenterWindowId window, const ClientImage& image,
                                const ClientArea& changed) = 0;
    // Whether the presenter reads a window's pixels when told they changed. One that does not
    // (the headless presenter) lets copies to a window wait until something reads them.
    virtual bool reads_client_pixels() const { return true; }

    // Milliseconds on a monotonic clock (a virtual one in tests).
    virtual std::int64_t now_ms() = 0;
    // Delivers whatever input is pending; never blocks.
    virtual void poll() = 0;
    // Blocks until some input has been delivered or the deadline (on the now_ms() clock) has
    // passed. Without a deadline it may wait forever for input.
    virtual void wait(std::optional<std::int64_t> deadline_ms) = 0;
};

// Provided by the presenter library that the program links; the layer's main() calls it.
std::unique_ptr<Presenter> create_platform_presenter(int argc, char** argv);

}  // namespace kd508::platform
