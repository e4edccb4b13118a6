#include "headless_driver.h"

#include <cctype>

#include "gdi/deferred_copy.h"
#include "user/keyboard.h"
#include "user/menu.h"
#include "core/platform_state.h"
#include "user/window.h"
#include "headless_presenter.h"

namespace kd508::headless {

namespace {

HeadlessPresenter* current = nullptr;

HeadlessPresenter& presenter() {
    if (!current) throw std::logic_error("no headless driver is active");
    return *current;
}

platform::Window& window_of(HWND handle) {
    platform::Window* window = platform::find_window(handle);
    if (!window) throw std::invalid_argument("not a window of the layer");
    return *window;
}

platform::PresenterWindowId id_of(HWND handle) { return window_of(handle).presenter_id; }

MenuItemState state_of(const platform::MenuItem& item) {
    MenuItemState state;
    state.label = item.label;
    state.id = static_cast<UINT>(item.id);
    state.flags = item.flags;
    state.checked = (item.flags & MF_CHECKED) != 0;
    state.separator = (item.flags & MF_SEPARATOR) != 0;
    state.grayed = (item.flags & MF_GRAYED) != 0;
    return state;
}

MenuItemState state_of(const platform::MenuEntry& entry) {
    MenuItemState state;
    state.label = entry.label;
    state.id = entry.command;
    state.checked = entry.checked;
    state.separator = entry.kind == platform::MenuEntry::Kind::separator;
    state.grayed = entry.grayed;
    state.flags = (state.checked ? MF_CHECKED : 0) | (state.separator ? MF_SEPARATOR : 0) |
                  (state.grayed ? MF_GRAYED : 0) | (entry.kind == platform::MenuEntry::Kind::popup ? MF_POPUP : 0);
    return state;
}

std::vector<MenuItemState> items_of(HMENU handle) {
    std::vector<MenuItemState> items;
    if (const platform::Menu* menu = platform::platform_state().menus.menus.find(handle)) {
        for (const platform::MenuItem& item : menu->items) items.push_back(state_of(item));
    }
    return items;
}

const platform::MenuItem* command_item(HMENU handle, UINT command) {
    return platform::find_command_item(handle, command, MF_SEPARATOR);
}

}  // namespace

Driver::Driver(int screen_width, int screen_height) {
    auto fresh = std::make_unique<HeadlessPresenter>(platform::ScreenSize{screen_width, screen_height});
    current = fresh.get();
    platform::reset_platform(std::move(fresh));
}

Driver::~Driver() {
    platform::reset_platform(nullptr);
    current = nullptr;
}

std::int64_t Driver::now_ms() const { return presenter().now_ms(); }
void Driver::advance_ms(std::int64_t milliseconds) { presenter().advance(milliseconds); }
void Driver::at_ms(std::int64_t time_ms, std::function<void()> action) { presenter().schedule(time_ms, std::move(action)); }
void Driver::set_stall_limit_ms(std::int64_t time_ms) { presenter().set_stall_limit(time_ms); }
void Driver::set_reads_client_pixels(bool reads) { presenter().set_reads_client_pixels(reads); }

void Driver::click(HWND window, int client_x, int client_y) {
    presenter().sink().left_button_down(id_of(window), client_x, client_y);
}

void Driver::key_down(HWND window, unsigned virtual_key, unsigned char character) {
    presenter().sink().key(id_of(window), true, virtual_key, character, false);
}

void Driver::key_up(HWND window, unsigned virtual_key) {
    presenter().sink().key(id_of(window), false, virtual_key, 0, false);
}

void Driver::press_key(HWND window, unsigned virtual_key, unsigned char character) {
    key_down(window, virtual_key, character);
    key_up(window, virtual_key);
}

void Driver::press_ctrl_letter(HWND window, char letter) {
    const unsigned key = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(letter)));
    key_down(window, VK_CONTROL);
    press_key(window, key, static_cast<unsigned char>(key - 'A' + 1));
    key_up(window, VK_CONTROL);
}

void Driver::type(HWND window, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isupper(byte)) {
            key_down(window, VK_SHIFT);
            press_key(window, byte, byte);
            key_up(window, VK_SHIFT);
        } else if (std::islower(byte)) {
            press_key(window, static_cast<unsigned>(std::toupper(byte)), byte);
        } else if (std::isdigit(byte)) {
            press_key(window, byte, byte);
        } else {
            // Punctuation and characters beyond ASCII come with their text, as a layout
            // without a key of their own delivers them.
            press_key(window, platform::vk_packet, byte);
        }
    }
}

bool Driver::choose_menu(HWND window, UINT command) {
    const platform::MenuItem* item = command_item(window_of(window).menu, command);
    if (!item || (item->flags & (MF_GRAYED | MF_DISABLED))) return false;
    presenter().sink().menu_chosen(id_of(window), command);
    return true;
}

void Driver::close(HWND window) { presenter().sink().close_requested(id_of(window)); }
void Driver::expose(HWND window) { presenter().sink().exposed(id_of(window)); }

void Driver::resize_client(HWND window, int client_width, int client_height) {
    presenter().sink().client_resized(id_of(window), client_width, client_height);
}

void Driver::lose_keyboard_focus() { presenter().sink().keyboard_focus_lost(); }

std::uint32_t Driver::client_pixel(HWND window, int x, int y) const {
    platform::make_waiting_copy(window);
    const platform::PixelBuffer& client = window_of(window).surface.client;
    if (x < 0 || y < 0 || x >= client.width || y >= client.height) throw std::out_of_range("pixel outside the client area");
    return client.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(client.width) + static_cast<std::size_t>(x)];
}

int Driver::client_width(HWND window) const { return window_of(window).surface.client.width; }
int Driver::client_height(HWND window) const { return window_of(window).surface.client.height; }
std::vector<std::uint32_t> Driver::client_pixels(HWND window) const {
    platform::make_waiting_copy(window);
    return window_of(window).surface.client.pixels;
}

bool Driver::is_shown(HWND window) const {
    const auto* shown = presenter().window(id_of(window));
    return shown && shown->visible;
}

std::string Driver::title(HWND window) const {
    const auto* shown = presenter().window(id_of(window));
    return shown ? shown->description.title : std::string{};
}

RECT Driver::outer_rectangle(HWND window) const {
    const auto* shown = presenter().window(id_of(window));
    if (!shown) return RECT{0, 0, 0, 0};
    const platform::WindowGeometry& g = shown->description.geometry;
    return RECT{g.outer_left, g.outer_top, g.outer_left + g.outer_width, g.outer_top + g.outer_height};
}

platform::WindowDecorations Driver::decorations(HWND window) const {
    const auto* shown = presenter().window(id_of(window));
    return shown ? shown->description.decorations : platform::WindowDecorations{};
}

bool Driver::resizable(HWND window) const {
    const auto* shown = presenter().window(id_of(window));
    return shown && shown->description.resizable;
}

std::vector<MenuItemState> Driver::menu_bar(HWND window) const { return items_of(window_of(window).menu); }

std::vector<MenuItemState> Driver::popup_items(HWND window, int bar_position) const {
    const platform::Menu* bar = platform::platform_state().menus.menus.find(window_of(window).menu);
    if (!bar || bar_position < 0 || static_cast<std::size_t>(bar_position) >= bar->items.size()) return {};
    return items_of(bar->items[static_cast<std::size_t>(bar_position)].popup);
}

std::vector<MenuItemState> Driver::mirrored_popup_items(HWND window, int bar_position) const {
    const auto* shown = presenter().window(id_of(window));
    if (!shown || bar_position < 0 || static_cast<std::size_t>(bar_position) >= shown->menu_bar.size()) return {};
    std::vector<MenuItemState> items;
    for (const platform::MenuEntry& entry : shown->menu_bar[static_cast<std::size_t>(bar_position)].children) {
        items.push_back(state_of(entry));
    }
    return items;
}

std::int64_t Driver::polls() const { return presenter().polls(); }
std::int64_t Driver::waits() const { return presenter().waits(); }

std::int64_t Driver::frames_shown(HWND window) const {
    const auto* shown = presenter().window(id_of(window));
    return shown ? shown->frames : 0;
}

}  // namespace kd508::headless
