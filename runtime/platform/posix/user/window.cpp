// Window classes, top-level windows, their client pixels and painting.
#include "window.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "gdi/deferred_copy.h"
#include "gdi/device_context.h"
#include "gdi/drawing_journal.h"
#include "gdi/gdi_objects.h"
#include "core/run_session.h"
#include "core/win32_rect.h"
#include "raster/span.h"
#include "timer.h"
#include "window_frame.h"

using namespace kd508::platform;

namespace {

WindowingSection& windowing() { return platform_state().windowing; }
Presenter* presenter() { return platform_state().presenter.get(); }

// Where CW_USEDEFAULT puts and sizes a window.
inline constexpr int default_window_left = 40;
inline constexpr int default_window_top = 40;
inline constexpr int default_window_width = 640;
inline constexpr int default_window_height = 480;

// The standard icon and cursor are shared resources with fixed handles.
inline constexpr UINT_PTR standard_resource_id = 32512;
const HICON standard_icon = reinterpret_cast<HICON>(static_cast<UINT_PTR>(0x10000 + standard_resource_id));
const HCURSOR standard_cursor = reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(0x20000 + standard_resource_id));

// Class atoms start where Windows starts them for registered classes.
inline constexpr ATOM first_class_atom = 0xC000;

// The client area that the frame of the style, and the menu bar if any, leave of the outer size.
WindowGeometry geometry_for(DWORD style, bool has_menu, int left, int top, int width, int height) {
    const FrameMetrics frame = frame_for_style(style);
    WindowGeometry geometry;
    geometry.outer_left = left;
    geometry.outer_top = top;
    geometry.outer_width = std::max(width, 0);
    geometry.outer_height = std::max(height, 0);
    geometry.client_left = frame.border;
    geometry.client_top = frame.border + frame.caption + (has_menu ? menu_bar_height : 0);
    geometry.client_width = std::max(0, geometry.outer_width - 2 * frame.border);
    geometry.client_height = std::max(0, geometry.outer_height - geometry.client_top - frame.border);
    return geometry;
}

// Windows shows the minimise and maximise boxes, like the close box, only beside a system menu.
WindowDecorations decorations_for(DWORD style) {
    WindowDecorations decorations;
    decorations.caption = (style & WS_CAPTION) == WS_CAPTION;
    decorations.system_menu = decorations.caption && (style & WS_SYSMENU) != 0;
    decorations.minimize_box = decorations.system_menu && (style & WS_MINIMIZEBOX) != 0;
    decorations.maximize_box = decorations.system_menu && (style & WS_MAXIMIZEBOX) != 0;
    return decorations;
}

const WindowClass* find_class(LPCSTR name) {
    if (!name) return nullptr;
    for (const WindowClass& entry : windowing().classes) {
        if (strcasecmp(entry.name.c_str(), name) == 0) return &entry;
    }
    return nullptr;
}

// Reallocates the client pixels after a size change and tells the window, as Windows does
// with WM_SIZE; CS_HREDRAW and CS_VREDRAW windows are then painted whole.
void apply_client_size(HWND handle, int width, int height) {
    Window* window = find_window(handle);
    if (!window) return;
    const bool changed = window->surface.client.width != width || window->surface.client.height != height;
    if (changed) {
        make_waiting_copy(handle);  // its pixels are dropped next, but its source may wait on it
        window->surface.client = PixelBuffer(width, height);
        window->surface.shown_solid.clear();
        forget_shown_drawing(window->surface);
        // What was left to paint of the old client area can only be painted where the new one is.
        window->invalid = window->invalid.intersected(kd508::raster::bounds_of(window->surface.client.surface()));
        window->geometry.client_width = width;
        window->geometry.client_height = height;
        // The presenter must let go of the old buffer before it paints again.
        show_client_change(window->surface, kd508::raster::bounds_of(window->surface.client.surface()));
        if (window->class_style & (CS_HREDRAW | CS_VREDRAW)) invalidate_whole_client(handle);
    }
    send_to_procedure(handle, WM_SIZE, 0, MAKELPARAM(width, height));
}

MenuEntry mirror_item(const MenuItem& item);

std::vector<MenuEntry> mirror_menu(HMENU handle) {
    std::vector<MenuEntry> entries;
    if (const Menu* menu = platform_state().menus.menus.find(handle)) {
        for (const MenuItem& item : menu->items) entries.push_back(mirror_item(item));
    }
    return entries;
}

MenuEntry mirror_item(const MenuItem& item) {
    MenuEntry entry;
    entry.label = item.label;
    entry.command = static_cast<unsigned>(item.id);
    entry.checked = (item.flags & MF_CHECKED) != 0;
    entry.grayed = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (item.flags & MF_SEPARATOR) {
        entry.kind = MenuEntry::Kind::separator;
    } else if (item.flags & MF_POPUP) {
        entry.kind = MenuEntry::Kind::popup;
        entry.children = mirror_menu(item.popup);
    }
    return entry;
}

}  // namespace

HWND kd508::platform::window_handle_for(PresenterWindowId id) {
    HWND found = nullptr;
    windowing().windows.for_each([&](void* handle, const Window& window) {
        if (window.presenter_id == id && !found) found = static_cast<HWND>(handle);
    });
    return found;
}

LRESULT kd508::platform::send_to_procedure(HWND handle, UINT message, WPARAM wparam, LPARAM lparam) {
    Window* window = find_window(handle);
    if (!window || !window->procedure) return 0;
    // The procedure may create or destroy windows: nothing of *window is used after the call.
    return window->procedure(handle, message, wparam, lparam);
}

void kd508::platform::invalidate_whole_client(HWND handle) {
    Window* window = find_window(handle);
    if (!window) return;
    window->needs_paint = true;
    window->needs_erase = true;
    window->invalid = kd508::raster::bounds_of(window->surface.client.surface());
}

void kd508::platform::menu_bar_changed(HWND handle) {
    Window* window = find_window(handle);
    if (!window) return;
    const WindowGeometry geometry =
        geometry_for(window->style, window->menu != nullptr, window->geometry.outer_left,
                     window->geometry.outer_top, window->geometry.outer_width, window->geometry.outer_height);
    const bool resized = geometry.client_width != window->surface.client.width ||
                         geometry.client_height != window->surface.client.height;
    window->geometry = geometry;
    if (presenter()) presenter()->set_menu(window->presenter_id, mirror_menu(window->menu));
    if (resized) apply_client_size(handle, geometry.client_width, geometry.client_height);
}

void kd508::platform::resize_client_area(HWND handle, int client_width, int client_height) {
    Window* window = find_window(handle);
    if (!window || !(window->style & WS_THICKFRAME)) return;
    // Windows lets nobody drag a window beyond its largest tracking size, the screen and a
    // little; a presenter that reports more (or a negative size) is held to the screen, so a
    // client buffer never grows past what could be shown.
    const ScreenSize screen = presenter() ? presenter()->screen_size() : ScreenSize{};
    client_width = std::clamp(client_width, 0, std::max(screen.width, 0));
    client_height = std::clamp(client_height, 0, std::max(screen.height, 0));
    // The outer size follows the client size the user chose.
    window->geometry.outer_width += client_width - window->geometry.client_width;
    window->geometry.outer_height += client_height - window->geometry.client_height;
    apply_client_size(handle, client_width, client_height);
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* description) {
    if (!description || !description->lpszClassName || !description->lpfnWndProc) return 0;
    if (find_class(description->lpszClassName)) return 0;  // already registered
    windowing().classes.push_back(WindowClass{description->lpszClassName, description->style,
                                              description->lpfnWndProc, description->hInstance,
                                              description->hbrBackground});
    return static_cast<ATOM>(first_class_atom + windowing().classes.size() - 1);
}

HWND WINAPI CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND, HMENU menu, HINSTANCE, LPVOID) {
    const WindowClass* window_class = find_class(class_name);
    if (!window_class) return nullptr;
    if (x == CW_USEDEFAULT) x = default_window_left, y = default_window_top;
    if (width == CW_USEDEFAULT) width = default_window_width, height = default_window_height;

    auto window = std::make_unique<Window>();
    window->presenter_id = windowing().next_presenter_id++;
    window->surface.presenter_id = window->presenter_id;
    window->class_name = window_class->name;
    window->procedure = window_class->procedure;
    window->class_style = window_class->style;
    window->background = window_class->background;
    window->title = title ? title : "";
    window->style = style;
    window->ex_style = ex_style;
    window->menu = platform_state().menus.menus.find(menu) ? menu : nullptr;
    window->geometry = geometry_for(style, window->menu != nullptr, x, y, width, height);
    window->surface.client = PixelBuffer(window->geometry.client_width, window->geometry.client_height);
    const PresenterWindowDescription description{window->title, window->geometry, (style & WS_THICKFRAME) != 0,
                                                 decorations_for(style)};
    const PresenterWindowId presenter_id = window->presenter_id;
    HWND handle = static_cast<HWND>(windowing().windows.insert(std::move(window)));
    if (presenter()) presenter()->create_window(presenter_id, description);
    if (menu) menu_bar_changed(handle);

    // Windows sends WM_CREATE first, then WM_SIZE with the client area as it stands after
    // creation (a menu bar set during WM_CREATE already counted).
    if (send_to_procedure(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (Window* created = find_window(handle)) {
        send_to_procedure(handle, WM_SIZE, 0, MAKELPARAM(created->surface.client.width, created->surface.client.height));
    }
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return find_window(handle) ? handle : nullptr;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
        case WM_CLOSE:
            DestroyWindow(handle);
            return 0;
        case WM_PAINT: {
            // Painting nothing still validates the window, or WM_PAINT would come forever.
            PAINTSTRUCT paint;
            if (BeginPaint(handle, &paint)) EndPaint(handle, &paint);
            return 0;
        }
        case WM_ERASEBKGND: {
            Window* window = find_window(handle);
            DeviceContext* dc = find_device_context(reinterpret_cast<HDC>(wparam));
            const BrushObject* brush = window ? find_gdi<BrushObject>(window->background) : nullptr;
            if (!window || !dc || !brush || brush->hollow) return 0;
            // The erase clips to the client pixels, as the update region may still be that of a
            // larger client area.
            const kd508::raster::Box area = window->invalid.intersected(kd508::raster::bounds_of(window->surface.client.surface()));
            make_waiting_copy(handle);
            kd508::raster::fill_box(window->surface.client.surface(), area, pixel_from_colorref(brush->colour));
            note_drawn(*dc, area);
            return 1;
        }
        default:
            return 0;
    }
}

BOOL WINAPI DestroyWindow(HWND handle) {
    Window* window = find_window(handle);
    if (!window || window->destroying) return FALSE;
    window->destroying = true;
    send_to_procedure(handle, WM_DESTROY, 0, 0);
    kill_window_timers(handle);
    make_waiting_copy(handle);  // what it shows last may be kept for a screenshot
    if (Window* destroyed = find_window(handle)) {
        window_closing(handle, destroyed->surface.client);
        if (presenter()) presenter()->destroy_window(destroyed->presenter_id);
    }
    windowing().windows.erase(handle);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle) { return find_window(handle) ? TRUE : FALSE; }

BOOL WINAPI IsWindowVisible(HWND handle) {
    Window* window = find_window(handle);
    return window && window->visible ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND handle, int show_mode) {
    Window* window = find_window(handle);
    if (!window) return FALSE;
    const bool was_visible = window->visible;
    const bool visible = show_mode != SW_HIDE;
    window->visible = visible;
    if (visible && !was_visible) invalidate_whole_client(handle);
    if (visible != was_visible && presenter()) presenter()->show_window(window->presenter_id, visible);
    return was_visible ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND handle) {
    Window* window = find_window(handle);
    if (!window) return FALSE;
    if (window->needs_paint) send_to_procedure(handle, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT client) {
    Window* window = find_window(handle);
    if (!window || !client) return FALSE;
    *client = RECT{0, 0, window->surface.client.width, window->surface.client.height};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT outer) {
    Window* window = find_window(handle);
    if (!window || !outer) return FALSE;
    const WindowGeometry& g = window->geometry;
    *outer = RECT{g.outer_left, g.outer_top, g.outer_left + g.outer_width, g.outer_top + g.outer_height};
    return TRUE;
}

int WINAPI GetWindowTextA(HWND handle, LPSTR text, int capacity) {
    Window* window = find_window(handle);
    if (!window || !text || capacity <= 0) return 0;
    const std::size_t length = std::min(window->title.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(text, window->title.data(), length);
    text[length] = '\0';
    return static_cast<int>(length);
}

int WINAPI GetSystemMetrics(int index) {
    const ScreenSize screen = presenter() ? presenter()->screen_size() : ScreenSize{};
    switch (index) {
        case SM_CXSCREEN:
            return screen.width;
        case SM_CYSCREEN:
            return screen.height;
        default:
            return 0;
    }
}

HDC WINAPI BeginPaint(HWND handle, LPPAINTSTRUCT paint) {
    Window* window = find_window(handle);
    if (!window || !paint) return nullptr;
    *paint = PAINTSTRUCT{};
    paint->rcPaint = window->needs_paint ? rect_from_box(window->invalid) : RECT{0, 0, 0, 0};
    HDC dc = create_window_device_context(handle, true);
    paint->hdc = dc;
    if (window->needs_erase) {
        // The procedure may erase the background itself; DefWindowProcA fills it with the
        // class brush.
        paint->fErase = send_to_procedure(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    }
    if (Window* painted = find_window(handle)) {
        painted->needs_paint = false;
        painted->needs_erase = false;
        painted->invalid = kd508::raster::Box{};
    }
    return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (!paint) return FALSE;
    DeleteDC(paint->hdc);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND handle, const RECT* area, BOOL erase) {
    if (!handle) {
        // A null window stands for all of them.
        windowing().windows.for_each([&](void* each, const Window&) { InvalidateRect(static_cast<HWND>(each), area, erase); });
        return TRUE;
    }
    Window* window = find_window(handle);
    if (!window) return FALSE;
    const kd508::raster::Box client = kd508::raster::bounds_of(window->surface.client.surface());
    const kd508::raster::Box added = area ? box_from_rect(*area).intersected(client) : client;
    if (added.empty()) return TRUE;
    window->invalid = window->needs_paint ? window->invalid.united(added) : added;
    window->needs_paint = true;
    window->needs_erase = window->needs_erase || erase;
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND handle, const RECT*) {
    Window* window = find_window(handle);
    if (!window) return FALSE;
    window->needs_paint = false;
    window->needs_erase = false;
    window->invalid = kd508::raster::Box{};
    return TRUE;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    const bool standard = !instance && reinterpret_cast<UINT_PTR>(name) == standard_resource_id;
    return standard ? standard_icon : nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    const bool standard = !instance && reinterpret_cast<UINT_PTR>(name) == standard_resource_id;
    return standard ? standard_cursor : nullptr;
}
