// Fonts and text: CreateFontA, TextOutA, GetTextExtentPointA and GetTextMetricsA over the font
// layer's cached faces and glyphs. Text colour, background colour and mode live with the device
// context; this file only reads them.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "device_context.h"
#include "font/glyph_blend.h"
#include "font/sized_font.h"
#include "font/text_stamp.h"
#include "gdi_objects.h"

using namespace kd508::platform;
using kd508::font::FontRequest;

namespace {

// Face names longer than this are cut, as the system's LOGFONT keeps 32 bytes with the terminator.
constexpr std::size_t face_name_capacity = 31;
constexpr DWORD pitch_mask = 0x3;
constexpr DWORD family_mask = 0xF0;

// The system's text metrics report the pitch bit the wrong way round: TMPF_FIXED_PITCH set means
// a variable-pitch font. Programs test it that way, so it is reproduced.
constexpr BYTE variable_pitch_flag = TMPF_FIXED_PITCH;
constexpr BYTE first_character = 0x20;
constexpr BYTE last_character = 0xFF;
constexpr BYTE break_character = 0x20;
constexpr BYTE default_character = 0x1F;
constexpr LONG digitized_aspect = 96;

// What a device context asks of the font layer: its selected font object's request, or the
// system font's should the selection not be a font at all.
FontRequest font_request_of(const DeviceContext& dc) {
    static const FontObject system_font_request{};
    const FontObject* object = dc.selected.font ? std::get_if<FontObject>(&dc.selected.font->value) : nullptr;
    if (!object) object = &system_font_request;
    return FontRequest{object->height, object->fixed_pitch, object->face_name};
}

// The font a device context draws with.
kd508::font::SizedFont& selected_font(const DeviceContext& dc) { return kd508::font::sized_font(font_request_of(dc)); }

// Where the stamp of a line whose pen starts at device_left on the baseline puts its ink.
kd508::raster::Box stamp_box(const kd508::font::TextStamp& stamp, std::int64_t device_left, std::int64_t baseline) {
    const std::int64_t left = device_left + stamp.left;
    const std::int64_t top = baseline - stamp.top;
    return {left, top, left + stamp.width, top + stamp.rows};
}

// The width of a line: its stamp's, or every character's advance added up.
std::int64_t measured_width(kd508::font::SizedFont& font, const kd508::font::TextStamp* stamp, const char* text,
                            int count) {
    if (stamp) return stamp->advance;
    std::int64_t width = 0;
    for (int i = 0; i < count; ++i) width += font.advance(static_cast<unsigned char>(text[i]));
    return width;
}

}  // namespace

HFONT WINAPI CreateFontA(int height, int /*width*/, int /*escapement*/, int /*orientation*/, int weight,
                         DWORD italic, DWORD underline, DWORD strike_out, DWORD /*char_set*/,
                         DWORD /*output_precision*/, DWORD /*clip_precision*/, DWORD /*quality*/,
                         DWORD pitch_and_family, LPCSTR face_name) {
    FontObject font;
    font.height = height;
    font.weight = weight;
    font.italic = italic != 0;
    font.underline = underline != 0;
    font.strike_out = strike_out != 0;
    font.pitch_and_family = pitch_and_family;
    if (face_name) font.face_name.assign(face_name, strnlen(face_name, face_name_capacity));
    // The modern family is the fixed-pitch one, so asking for it counts as asking for fixed pitch.
    font.fixed_pitch = (pitch_and_family & pitch_mask) == FIXED_PITCH ||
                       (pitch_and_family & family_mask) == FF_MODERN;
    return static_cast<HFONT>(add_gdi_object(GdiObject{std::move(font)}));
}

namespace {

// Whether the stamp of a line whose pen starts at device_left draws it: drawing stops at the
// first character whose pen position lies off the surface's right edge, and the stamp holds
// every character. Its area is reported clipped as one box, which holds what the glyphs' boxes
// would report.
bool stamp_draws_line(const kd508::font::TextStamp* stamp, std::int64_t device_left, std::int64_t surface_width) {
    return stamp && device_left + stamp->last_pen < surface_width;
}

// Every pixel a line of text can touch: its background cell when it is opaque, and each glyph's
// box, which may reach beyond the cell (an overhang, an accent above the ascent).
kd508::raster::Box text_reach(kd508::font::SizedFont& font, const kd508::font::TextStamp* stamp, LPCSTR text,
                              int count, std::int64_t device_left, std::int64_t device_top, bool opaque,
                              int surface_width) {
    const std::int64_t baseline = device_top + font.metrics().ascent;
    kd508::raster::Box reach;
    if (opaque) {
        reach = {device_left, device_top, device_left + measured_width(font, stamp, text, count),
                 device_top + font.metrics().cell_height};
    }
    if (stamp_draws_line(stamp, device_left, surface_width)) return reach.united(stamp_box(*stamp, device_left, baseline));
    std::int64_t pen = device_left;
    for (int i = 0; i < count && pen < surface_width; ++i) {
        const kd508::font::Glyph& glyph = font.glyph(static_cast<unsigned char>(text[i]));
        const std::int64_t glyph_left = pen + glyph.left;
        const std::int64_t glyph_top = baseline - glyph.top;
        reach = reach.united({glyph_left, glyph_top, glyph_left + glyph.width, glyph_top + glyph.rows});
        pen += glyph.advance;
    }
    return reach;
}

// One glyph with its pen position on the baseline: from its ink mask, or blended from its
// coverage when it has partial coverage.
kd508::font::TouchedArea draw_glyph(const kd508::raster::Surface& surface, const kd508::font::Glyph& glyph,
                                    std::int64_t pen, std::int64_t baseline, kd508::raster::Pixel colour) {
    const std::int64_t left = pen + glyph.left;
    const std::int64_t top = baseline - glyph.top;
    if (!glyph.ink.empty()) {
        return kd508::font::blend_ink_mask(surface, left, top, glyph.width, glyph.rows, glyph.ink.data(), colour);
    }
    return kd508::font::blend_coverage(surface, left, top, glyph.coverage.data(), glyph.width, glyph.rows, colour);
}

}  // namespace

BOOL WINAPI TextOutA(HDC handle, int x, int y, LPCSTR text, int count) {
    DeviceContext* dc = find_device_context(handle);
    if (!dc || count < 0 || (!text && count > 0)) return FALSE;
    kd508::font::SizedFont& font = selected_font(*dc);
    const kd508::font::FontMetrics& metrics = font.metrics();

    // The pen runs in 64 bits: a cell that starts near INT_MAX may end past it.
    const std::int64_t device_left = x;
    const std::int64_t device_top = y;
    const std::int64_t baseline = device_top + metrics.ascent;
    // A line drawn before in this font has a stamp, which draws all its glyphs in one pass.
    const kd508::font::TextStamp* stamp =
        kd508::font::text_stamp(font, count > 0 ? std::string_view(text, static_cast<std::size_t>(count)) : std::string_view{});
    // Only a bitmap can hold pending boxes, and only those under the text need writing first.
    BitmapObject* bitmap = target_bitmap(*dc);
    const kd508::raster::Surface surface =
        bitmap ? target_surface_for(*dc, text_reach(font, stamp, text, count, device_left, device_top,
                                                    dc->background_mode == OPAQUE, bitmap->bits.width))
               : target_surface(*dc);
    kd508::font::TouchedArea touched;

    if (dc->background_mode == OPAQUE) {
        touched = kd508::font::fill_box(surface, device_left, device_top,
                                        device_left + measured_width(font, stamp, text, count),
                                        device_top + metrics.cell_height,
                                        pixel_from_colorref(dc->background_colour));
    }

    const kd508::raster::Pixel colour = pixel_from_colorref(dc->text_colour);
    bool blended = false;  // a glyph with partial coverage, whose pixels depend on what lay under it
    if (stamp_draws_line(stamp, device_left, surface.width)) {
        // Glyphs of one colour: where they overlap, the order they are drawn in changes nothing.
        touched = kd508::font::united(
            touched, kd508::font::blend_ink_mask(surface, device_left + stamp->left, baseline - stamp->top,
                                                 stamp->width, stamp->rows, stamp->ink.data(), colour));
    } else {
        std::int64_t pen = device_left;
        for (int i = 0; i < count && pen < surface.width; ++i) {
            const kd508::font::Glyph& glyph = font.glyph(static_cast<unsigned char>(text[i]));
            touched = kd508::font::united(touched, draw_glyph(surface, glyph, pen, baseline, colour));
            blended = blended || (glyph.ink.empty() && !glyph.coverage.empty());
            pen += glyph.advance;
        }
    }

    if (touched.empty()) return TRUE;
    note_drawn_by(*dc, kd508::raster::Box{touched.left, touched.top, touched.right, touched.bottom}, [&] {
        // Ink and an opaque background set the pixels they cover whatever those held, and the
        // call is known by its font, place, colours and text; a glyph blended into what lay
        // under it depends on that.
        if (blended) return unrepeatable_call();
        const FontRequest request = font_request_of(*dc);
        CallFingerprint fingerprint(DrawingCall::text);
        fingerprint.add(request.height).add(request.fixed_pitch).add(request.face_name);
        fingerprint.add(x).add(y).add(dc->text_colour).add(dc->background_mode);
        if (dc->background_mode == OPAQUE) fingerprint.add(dc->background_colour);
        return fingerprint.add(std::string_view(text, static_cast<std::size_t>(count))).value();
    });
    return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC handle, LPCSTR text, int count, LPSIZE size) {
    DeviceContext* dc = find_device_context(handle);
    if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
    kd508::font::SizedFont& font = selected_font(*dc);
    // Every byte counts, a newline included: the extent is one line whatever the text holds.
    size->cx = static_cast<LONG>(std::min<std::int64_t>(measured_width(font, nullptr, text, count), LONG_MAX));
    size->cy = font.metrics().cell_height;
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC handle, LPTEXTMETRICA metrics) {
    DeviceContext* dc = find_device_context(handle);
    if (!dc || !metrics) return FALSE;
    const kd508::font::FontMetrics& cell = selected_font(*dc).metrics();
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = cell.cell_height;
    metrics->tmAscent = cell.ascent;
    metrics->tmDescent = cell.descent;
    metrics->tmInternalLeading = cell.internal_leading;
    metrics->tmExternalLeading = cell.external_leading;
    metrics->tmAveCharWidth = cell.average_width;
    metrics->tmMaxCharWidth = cell.max_width;
    // Faces are drawn as they are: no bold or slanted versions are made up.
    metrics->tmWeight = FW_NORMAL;
    metrics->tmDigitizedAspectX = digitized_aspect;
    metrics->tmDigitizedAspectY = digitized_aspect;
    metrics->tmFirstChar = first_character;
    metrics->tmLastChar = last_character;
    metrics->tmDefaultChar = default_character;
    metrics->tmBreakChar = break_character;
    metrics->tmPitchAndFamily = cell.fixed_pitch ? static_cast<BYTE>(FF_MODERN) : variable_pitch_flag;
    metrics->tmCharSet = ANSI_CHARSET;
    return TRUE;
}
