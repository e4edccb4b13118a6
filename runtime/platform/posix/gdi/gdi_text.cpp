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
#include "kept_drawing.h"
#include "text_line.h"

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

BOOL WINAPI TextOutA(HDC handle, int x, int y, LPCSTR text, int count) {
    DeviceContext* dc = find_device_context(handle);
    if (!dc || count < 0 || (!text && count > 0)) return FALSE;
    const FontRequest request = font_request_of(*dc);
    kd508::font::SizedFont* font = &kd508::font::sized_font(request);
    const std::string_view bytes =
        count > 0 ? std::string_view(text, static_cast<std::size_t>(count)) : std::string_view{};
    // A line drawn before in this font has a stamp, which draws all its glyphs in one pass.
    const kd508::font::TextStamp* stamp = kd508::font::text_stamp(*font, bytes);

    BitmapObject* bitmap = target_bitmap(*dc);
    kd508::raster::Surface surface = bitmap ? kd508::raster::Surface{} : target_surface(*dc);
    TextLine line;
    line.font_height = request.height;
    line.fixed_pitch = request.fixed_pitch;
    line.device_left = x;
    line.device_top = y;
    line.colour = pixel_from_colorref(dc->text_colour);
    line.opaque = dc->background_mode == OPAQUE;
    line.background = pixel_from_colorref(dc->background_colour);
    line.device_right_edge = bitmap ? bitmap->bits.width : surface.width;
    if (bitmap) {
        // Only the pending boxes and kept calls under the text need drawing first, and a line
        // that blends no glyph may itself be kept.
        const kd508::raster::Box reach = text_reach(*font, stamp, line, bytes);
        if (stamp_draws_line(stamp, line) && keep_text(*dc, line, request.face_name, bytes, reach)) return TRUE;
        const std::uint64_t lines_drawn = platform_state().gdi.kept_lines_drawn;
        surface = target_surface_for(*dc, reach);
        // Kept lines of text drawn under this one may have let the font and the stamp go.
        if (platform_state().gdi.kept_lines_drawn != lines_drawn) {
            font = &kd508::font::sized_font(request);
            stamp = kd508::font::text_stamp(*font, bytes);
        }
    }

    const DrawnText drawn = draw_text_line(surface, {0, 0}, line, *font, stamp, bytes);
    if (drawn.touched.empty()) return TRUE;
    const kd508::font::TouchedArea& touched = drawn.touched;
    note_drawn_by(*dc, kd508::raster::Box{touched.left, touched.top, touched.right, touched.bottom}, [&] {
        // A glyph blended into what lay under it makes pixels that depend on that.
        return drawn.blended ? unrepeatable_call() : fingerprint_of(line, request.face_name, bytes);
    });
    return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC handle, LPCSTR text, int count, LPSIZE size) {
    DeviceContext* dc = find_device_context(handle);
    if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
    kd508::font::SizedFont& font = selected_font(*dc);
    // Every byte counts, a newline included: the extent is one line whatever the text holds.
    const std::string_view bytes =
        count > 0 ? std::string_view(text, static_cast<std::size_t>(count)) : std::string_view{};
    size->cx = static_cast<LONG>(std::min<std::int64_t>(measured_width(font, nullptr, bytes), LONG_MAX));
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
