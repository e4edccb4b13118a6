// Device contexts: the screen's, a window's client area, and memory contexts holding a bitmap;
// copying between them; and the attributes that text drawing reads.
#include "device_context.h"

#include <algorithm>
#include <cstring>

#include "changed_pixel_copy.h"
#include "core/win32_rect.h"
#include "raster/box_move.h"
#include "deferred_copy.h"
#include "drawing_journal.h"
#include "gdi_objects.h"
#include "kept_drawing.h"
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

}  // namespace


BitmapObject* kd508::platform::target_bitmap(DeviceContext& dc) {
    if (dc.target != DeviceContext::Target::memory || !dc.selected.bitmap) return nullptr;
    return std::get_if<BitmapObject>(&dc.selected.bitmap->value);
}

kd508::raster::Surface kd508::platform::target_surface(DeviceContext& dc) {
    if (BitmapObject* bitmap = target_bitmap(dc)) {
        draw_kept_calls(dc, kd508::raster::bounds_of(bitmap->bits.surface()));
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
        draw_kept_calls(dc, device_area);
        release_bits_to_waiting_copy(*bitmap);
        settle_pending_fills(*bitmap, device_area);
        return bitmap->bits.surface();
    }
    return target_surface(dc);
}

void kd508::platform::note_drawn(DeviceContext& dc, const kd508::raster::Box& area) {
    if (dc.target == DeviceContext::Target::memory) {
        note_drawn_by(dc, area, unrepeatable_call);
        return;
    }
    if (dc.target != DeviceContext::Target::window) return;
    if (WindowSurface* window = find_window_surface(dc.window)) note_window_drawn(*window, area);
}

void kd508::platform::note_window_drawn(WindowSurface& window, const kd508::raster::Box& area) {
    if (area.empty()) return;
    forget_shown_solid(window, area);
    forget_shown_drawing(window, area);
    show_client_change(window, area);
}

void kd508::platform::show_client_change(WindowSurface& window, const kd508::raster::Box& area) {
    Presenter* presenter = platform_state().presenter.get();
    if (!presenter) return;
    const ClientImage image{window.client.pixels.data(), window.client.width, window.client.height,
                            window.client.width};
    // The area lies on the client pixels, whose sides are ints.
    presenter->client_changed(window.presenter_id, image,
                              ClientArea{static_cast<int>(area.left), static_cast<int>(area.top),
                                         static_cast<int>(area.right), static_cast<int>(area.bottom)});
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
    kd508::raster::Surface from = source_bitmap ? source_bitmap->bits.surface() : target_surface(*source);
    if (width <= 0 || height <= 0) return TRUE;

    // Clip the destination rectangle to both surfaces, moving the source with it.
    const std::int64_t shift_x = std::int64_t{source_x} - x;
    const std::int64_t shift_y = std::int64_t{source_y} - y;
    const kd508::raster::Box area = kd508::raster::Box{x, y, std::int64_t{x} + width, std::int64_t{y} + height}
                                        .intersected(kd508::raster::bounds_of(to))
                                        .intersected(kd508::raster::bounds_of(from).moved(-shift_x, -shift_y));
    if (area.empty()) return TRUE;

    const bool same_surface = to.pixels == from.pixels;
    if (same_surface) {
        if (source_bitmap) settle_all_pending_fills(*source_bitmap);
        note_drawn(*target, kd508::raster::move_box(to, area.moved(shift_x, shift_y), -shift_x, -shift_y));
        return TRUE;
    }
    // A program that redraws its whole picture and copies it to its window every frame changes
    // few of the window's pixels: only those that differ are written, and only their bounds are
    // reported, so that the presenter shows no more than what changed. The calls the source keeps
    // are drawn first, and its pending boxes taken after them.
    const auto pending_of_source = [&] {
        return source_bitmap ? std::span<const PendingFill>(source_bitmap->pending_fills)
                             : std::span<const PendingFill>{};
    };
    if (copy_waits) {
        drop_journal(source->bitmap);
        defer_copy(target->window, *window, source->bitmap, *source_bitmap, pending_of_source(), area, shift_x,
                   shift_y);
    } else if (window && source_bitmap) {
        const TilesShown tiles_shown =
            take_journal_for_copy(target->window, *window, source->bitmap, *source_bitmap, area, shift_x, shift_y);
        // Drawing the kept calls may have given the source new bits (deferred_copy.h).
        copy_to_window(*window, source_bitmap->bits.surface(), pending_of_source(), area, shift_x, shift_y,
                       tiles_shown);
    } else {
        if (source_bitmap) {
            draw_kept_calls(*source, area.moved(shift_x, shift_y));
            from = source_bitmap->bits.surface();
        }
        if (window) {
            forget_shown_drawing(*window);
            copy_to_window(*window, from, pending_of_source(), area, shift_x, shift_y);
        } else {
            thread_local std::vector<PendingFill> now_shown;  // kept from call to call: no allocation per copy
            const kd508::raster::Box changed =
                copy_changed_pixels(to, {}, from, pending_of_source(), area, shift_x, shift_y, now_shown);
            note_drawn(*target, changed);
        }
    }
    return TRUE;
}

BOOL WINAPI ScrollDC(HDC dc_handle, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN, LPRECT update) {
    DeviceContext* dc = find_device_context(dc_handle);
    if (!dc) return FALSE;
    const kd508::raster::Surface surface = target_surface(*dc);
    // The area that moves, and the area it may land in; both default to the whole surface.
    const kd508::raster::Box on_surface = kd508::raster::bounds_of(surface);
    const kd508::raster::Box source = scroll ? box_from_rect(*scroll).intersected(on_surface) : on_surface;
    const kd508::raster::Box limit = clip ? box_from_rect(*clip).intersected(on_surface) : on_surface;
    const kd508::raster::Box landed = source.moved(dx, dy).intersected(limit);
    if (!landed.empty()) note_drawn(*dc, kd508::raster::move_box(surface, landed.moved(-dx, -dy), dx, dy));
    // What the scroll uncovered stays as it was, for the caller to paint: the rows (or, for a
    // scroll across, the columns) of the source on the side it moved away from.
    if (update) {
        kd508::raster::Box uncovered;
        if (dy < 0) uncovered = {source.left, source.bottom + dy, source.right, source.bottom};
        else if (dy > 0) uncovered = {source.left, source.top, source.right, source.top + dy};
        else if (dx < 0) uncovered = {source.right + dx, source.top, source.right, source.bottom};
        else if (dx > 0) uncovered = {source.left, source.top, source.left + dx, source.bottom};
        *update = rect_from_box(uncovered.intersected(source));
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
