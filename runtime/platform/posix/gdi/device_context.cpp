// Device contexts: the screen's, a window's client area, and memory contexts holding a bitmap;
// copying between them; and the attributes that text drawing reads.
#include "device_context.h"

#include <algorithm>
#include <cstring>

#include "changed_pixel_copy.h"
#include "deferred_copy.h"
#include "gdi_objects.h"
#include "core/layer_counters.h"
#include "pending_fills.h"

using namespace kd508::platform;

namespace {

GdiSection& gdi() { return platform_state().gdi; }

HDC add_device_context(DeviceContext dc) {
    // Every new context starts with the stock black pen, white brush and system font selected.
    auto context = std::make_unique<DeviceContext>(dc);
    for (HGDIOBJ handle : {dc.pen, dc.brush, dc.font, dc.bitmap}) {
        if (GdiObject* object = find_gdi_object(handle)) select_into_new_context(*context, handle, *object);
    }
    return static_cast<HDC>(gdi().contexts.insert(std::move(context)));
}

DeviceContext default_context(DeviceContext::Target target) {
    DeviceContext dc;
    dc.target = target;
    dc.pen = gdi().stock[BLACK_PEN];
    dc.brush = gdi().stock[WHITE_BRUSH];
    dc.font = gdi().stock[SYSTEM_FONT];
    if (target == DeviceContext::Target::memory) dc.bitmap = gdi().default_bitmap;
    return dc;
}

bool remove_device_context(HDC handle) {
    DeviceContext* dc = find_device_context(handle);
    if (!dc) return false;
    const DeviceContext released = *dc;
    gdi().contexts.erase(handle);
    release_selections(released);
    return true;
}

// The intersection of [left, right) x [top, bottom) with the surface, or an empty rectangle.
RECT clip_to(const kd508::raster::Surface& surface, std::int64_t left, std::int64_t top, std::int64_t right,
             std::int64_t bottom) {
    RECT clipped{static_cast<LONG>(std::clamp<std::int64_t>(left, 0, surface.width)),
                 static_cast<LONG>(std::clamp<std::int64_t>(top, 0, surface.height)),
                 static_cast<LONG>(std::clamp<std::int64_t>(right, 0, surface.width)),
                 static_cast<LONG>(std::clamp<std::int64_t>(bottom, 0, surface.height))};
    if (clipped.right < clipped.left) clipped.right = clipped.left;
    if (clipped.bottom < clipped.top) clipped.bottom = clipped.top;
    return clipped;
}

}  // namespace


BitmapObject* kd508::platform::target_bitmap(DeviceContext& dc) {
    if (dc.target != DeviceContext::Target::memory || !dc.selected.bitmap) return nullptr;
    return std::get_if<BitmapObject>(&dc.selected.bitmap->value);
}

kd508::raster::Surface kd508::platform::target_surface(DeviceContext& dc) {
    if (BitmapObject* bitmap = target_bitmap(dc)) {
        release_bits_to_waiting_copy(*bitmap);  // the caller may write anywhere
        settle_all_pending_fills(*bitmap);
        return bitmap->bits.surface();
    }
    if (dc.target == DeviceContext::Target::window) {
        make_waiting_copy(dc.window);
        if (WindowSurface* window = find_window_surface(dc.window)) return window->client.surface();
    }
    return {};
}

kd508::raster::Surface kd508::platform::target_surface_for(DeviceContext& dc, const kd508::raster::Box& device_area) {
    if (BitmapObject* bitmap = target_bitmap(dc)) {
        release_bits_to_waiting_copy(*bitmap);
        settle_pending_fills(*bitmap, device_area);
        return bitmap->bits.surface();
    }
    return target_surface(dc);
}

void kd508::platform::note_drawn(DeviceContext& dc, const RECT& area) {
    if (dc.target != DeviceContext::Target::window) return;
    if (WindowSurface* window = find_window_surface(dc.window)) note_window_drawn(*window, area);
}

void kd508::platform::note_window_drawn(WindowSurface& window, const RECT& area) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    forget_shown_solid(window, kd508::raster::Box{area.left, area.top, area.right, area.bottom});
    Presenter* presenter = platform_state().presenter.get();
    if (!presenter) return;
    const ClientImage image{window.client.pixels.data(), window.client.width, window.client.height,
                            window.client.width};
    presenter->client_changed(window.presenter_id, image, ClientArea{area.left, area.top, area.right, area.bottom});
}

HDC kd508::platform::create_window_device_context(HWND window, bool from_begin_paint) {
    DeviceContext dc = default_context(DeviceContext::Target::window);
    dc.window = window;
    dc.from_begin_paint = from_begin_paint;
    return add_device_context(dc);
}

std::size_t kd508::platform::live_device_context_count() { return gdi().contexts.live_count(); }

HDC WINAPI GetDC(HWND window) {
    if (!window) return add_device_context(default_context(DeviceContext::Target::screen));
    if (!find_window_surface(window)) return nullptr;
    return create_window_device_context(window, false);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    DeviceContext* found = find_device_context(dc);
    if (!found || found->target == DeviceContext::Target::memory) return 0;
    return remove_device_context(dc) ? 1 : 0;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    if (dc && !find_device_context(dc)) return nullptr;
    return add_device_context(default_context(DeviceContext::Target::memory));
}

BOOL WINAPI DeleteDC(HDC dc) { return remove_device_context(dc) ? TRUE : FALSE; }

BOOL WINAPI BitBlt(HDC target_handle, int x, int y, int width, int height, HDC source_handle, int source_x,
                   int source_y, DWORD raster_operation) {
    DeviceContext* target = find_device_context(target_handle);
    DeviceContext* source = find_device_context(source_handle);
    if (!target || !source || raster_operation != SRCCOPY) return FALSE;
    // A source bitmap's pending boxes stay pending unless it is copied onto itself.
    BitmapObject* source_bitmap = target_bitmap(*source);
    WindowSurface* window =
        target->target == DeviceContext::Target::window ? find_window_surface(target->window) : nullptr;
    // A copy from a bitmap to a window that nothing reads yet waits (deferred_copy.h): the
    // window's pixels are not touched now.
    const bool copy_waits = source_bitmap && window && copies_may_wait();
    const kd508::raster::Surface to = copy_waits ? window->client.surface() : target_surface(*target);
    const kd508::raster::Surface from = source_bitmap ? source_bitmap->bits.surface() : target_surface(*source);
    if (width <= 0 || height <= 0) return TRUE;

    // Clip the destination rectangle to both surfaces, moving the source with it.
    const std::int64_t shift_x = std::int64_t{source_x} - x;
    const std::int64_t shift_y = std::int64_t{source_y} - y;
    std::int64_t left = std::max<std::int64_t>({x, 0, -shift_x});
    std::int64_t top = std::max<std::int64_t>({y, 0, -shift_y});
    std::int64_t right = std::min<std::int64_t>({std::int64_t{x} + width, to.width, from.width - shift_x});
    std::int64_t bottom = std::min<std::int64_t>({std::int64_t{y} + height, to.height, from.height - shift_y});
    if (right <= left || bottom <= top) return TRUE;

    const bool same_surface = to.pixels == from.pixels;
    if (same_surface) {
        if (source_bitmap) settle_all_pending_fills(*source_bitmap);
        for (std::int64_t row = top; row < bottom; ++row) {
            // Overlapping copies within one surface go in the direction that reads before it writes.
            const std::int64_t y_out = shift_y < 0 ? bottom - 1 - (row - top) : row;
            auto* out = to.row(static_cast<int>(y_out)) + left;
            const auto* in = from.row(static_cast<int>(y_out + shift_y)) + (left + shift_x);
            std::memmove(out, in, static_cast<std::size_t>(right - left) * sizeof(kd508::raster::Pixel));
        }
        note_drawn(*target, RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                                 static_cast<LONG>(bottom)});
        return TRUE;
    }
    // A program that redraws its whole picture and copies it to its window every frame changes
    // few of the window's pixels: only those that differ are written, and only their bounds are
    // reported, so that the presenter shows no more than what changed.
    std::span<const PendingFill> pending;
    if (source_bitmap) pending = source_bitmap->pending_fills;
    const kd508::raster::Box area{left, top, right, bottom};
    if (copy_waits) {
        defer_copy(target->window, *window, source->bitmap, *source_bitmap, pending, area, shift_x, shift_y);
    } else if (window) {
        copy_to_window(*window, from, pending, area, shift_x, shift_y);
    } else {
        thread_local std::vector<PendingFill> now_shown;  // kept from call to call: no allocation per copy
        copy_changed_pixels(to, {}, from, pending, area, shift_x, shift_y, now_shown);
    }
    return TRUE;
}

BOOL WINAPI ScrollDC(HDC dc_handle, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN, LPRECT update) {
    DeviceContext* dc = find_device_context(dc_handle);
    if (!dc) return FALSE;
    const kd508::raster::Surface surface = target_surface(*dc);
    // The area that moves, and the area it may land in; both default to the whole surface.
    RECT source = scroll ? clip_to(surface, scroll->left, scroll->top, scroll->right, scroll->bottom)
                         : clip_to(surface, 0, 0, surface.width, surface.height);
    RECT limit = clip ? clip_to(surface, clip->left, clip->top, clip->right, clip->bottom)
                      : clip_to(surface, 0, 0, surface.width, surface.height);
    const RECT landed = clip_to(surface, std::max<std::int64_t>(std::int64_t{source.left} + dx, limit.left),
                                std::max<std::int64_t>(std::int64_t{source.top} + dy, limit.top),
                                std::min<std::int64_t>(std::int64_t{source.right} + dx, limit.right),
                                std::min<std::int64_t>(std::int64_t{source.bottom} + dy, limit.bottom));
    if (landed.right > landed.left && landed.bottom > landed.top) {
        const int width = landed.right - landed.left;
        const int rows = landed.bottom - landed.top;
        for (int i = 0; i < rows; ++i) {
            const int row = dy > 0 ? landed.bottom - 1 - i : landed.top + i;
            std::memmove(surface.row(row) + landed.left, surface.row(row - dy) + (landed.left - dx),
                         static_cast<std::size_t>(width) * sizeof(kd508::raster::Pixel));
        }
        note_drawn(*dc, landed);
    }
    // What the scroll uncovered stays as it was, for the caller to paint.
    if (update) {
        *update = RECT{0, 0, 0, 0};
        if (dy < 0) *update = RECT{source.left, std::max<LONG>(source.top, source.bottom + dy), source.right, source.bottom};
        else if (dy > 0) *update = RECT{source.left, source.top, source.right, std::min<LONG>(source.bottom, source.top + dy)};
        else if (dx < 0) *update = RECT{std::max<LONG>(source.left, source.right + dx), source.top, source.right, source.bottom};
        else if (dx > 0) *update = RECT{source.left, source.top, std::min<LONG>(source.right, source.left + dx), source.bottom};
    }
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC dc_handle, COLORREF colour) {
    DeviceContext* dc = find_device_context(dc_handle);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->text_colour;
    dc->text_colour = colour & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC dc_handle) {
    DeviceContext* dc = find_device_context(dc_handle);
    return dc ? dc->text_colour : CLR_INVALID;
}

int WINAPI SetBkMode(HDC dc_handle, int mode) {
    DeviceContext* dc = find_device_context(dc_handle);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = dc->background_mode;
    dc->background_mode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC dc_handle) {
    DeviceContext* dc = find_device_context(dc_handle);
    return dc ? dc->background_mode : 0;
}

COLORREF WINAPI SetBkColor(HDC dc_handle, COLORREF colour) {
    DeviceContext* dc = find_device_context(dc_handle);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->background_colour;
    dc->background_colour = colour & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC dc_handle) {
    DeviceContext* dc = find_device_context(dc_handle);
    return dc ? dc->background_colour : CLR_INVALID;
}
