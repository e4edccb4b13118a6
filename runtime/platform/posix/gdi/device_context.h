// Device contexts: where drawing goes, and what the presenter must be told afterwards.
#pragma once

#include "core/platform_state.h"
#include "drawing_journal.h"
#include "raster/geometry.h"
#include "raster/surface.h"

namespace kd508::platform {

inline DeviceContext* find_device_context(HDC dc) { return platform_state().gdi.contexts.find(dc); }

// The pixels a device context draws on, in device coordinates: a window's client area, a
// memory device context's bitmap, or an empty surface (the screen, a destroyed window). A
// bitmap's pending boxes are written first, so that every pixel holds its colour.
raster::Surface target_surface(DeviceContext& dc);

// The same surface, for a call that reads or writes no pixel outside device_area: only the
// pending boxes there are written.
raster::Surface target_surface_for(DeviceContext& dc, const raster::Box& device_area);

// The bitmap a memory device context draws on, or null for any other target.
BitmapObject* target_bitmap(DeviceContext& dc);

// Reports drawing inside area (device pixels, right and bottom exclusive, already clipped to
// the target). A window's presenter is told; a bitmap's journal (drawing_journal.h) records a
// call whose pixels depend on what the target held.
void note_drawn(DeviceContext& dc, const raster::Box& area);

// The same for a call that sets each pixel it draws to a value of its own, whatever the pixel
// held: a bitmap's journal records it by the fingerprint make_fingerprint() returns, which is
// asked for only when the bitmap keeps a journal.
template <class MakeFingerprint>
void note_drawn_by(DeviceContext& dc, const raster::Box& area, MakeFingerprint&& make_fingerprint) {
    if (dc.target == DeviceContext::Target::memory) {
        if (BitmapJournal* journal = journal_of(dc.bitmap)) record_drawing(*journal, area, make_fingerprint());
        return;
    }
    note_drawn(dc, area);
}

// The same for drawing on a window's client area, whatever drew it.
void note_window_drawn(WindowSurface& window, const raster::Box& area);

// Tells the presenter, if any, that the pixels of area (client pixels, clipped to the client
// area) changed. The one place where the layer's boxes become the presenter's ClientArea.
void show_client_change(WindowSurface& window, const raster::Box& area);

// Creates a device context for a window (GetDC, BeginPaint) with the default objects selected.
HDC create_window_device_context(HWND window, bool from_begin_paint);

// Colour values: COLORREF is 0x00BBGGRR, pixels are 0x00RRGGBB. Reversing the four bytes gives
// 0xRRGGBB00, whatever the flag byte holds, and the shift drops that byte: two instructions where
// masking and moving each channel took seven, for a conversion every pen, brush and text colour
// goes through.
constexpr raster::Pixel pixel_from_colorref(COLORREF colour) { return __builtin_bswap32(colour) >> 8; }
constexpr COLORREF colorref_from_pixel(raster::Pixel pixel) {
    return ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
}

// Live device contexts, for leak checks.
std::size_t live_device_context_count();

}  // namespace kd508::platform
