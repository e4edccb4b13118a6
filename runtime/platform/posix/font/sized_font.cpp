#include "font/sized_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SIZES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "font/face_library.h"
#include "font/font_state.h"
#include "core/windows_1252.h"

namespace kd508::font {

namespace {

// FreeType sizes are in 26.6 fixed point; at 72 dots per inch one point is one pixel.
constexpr double fixed_26_6_one = 64.0;
constexpr FT_UInt pixels_as_points_dpi = 72;

// Without a face a cell still has its usual proportions and every character half an em.
constexpr double faceless_ascent_share = 0.8;
constexpr double faceless_advance_share = 0.5;

// The characters whose advance stands for the whole font: the widest common letter gives a
// fixed-pitch font its one advance, and a lower-case x the average of a face without tables.
constexpr unsigned char fixed_pitch_sample = 'M';
constexpr unsigned char average_width_sample = 'x';

constexpr unsigned char first_printable = 0x20;
constexpr unsigned char delete_byte = 0x7F;

// The coverage of an inked pixel of an unsmoothed glyph.
constexpr std::uint8_t full_coverage = 0xFF;

// The sized fonts kept at once, and the coverage they may hold together, before the cache starts
// afresh. The entries are enough for every text size the runtime can ask for (0 to 127) in both
// pitches, so the limits only matter to callers that sweep through larger sizes.
constexpr std::size_t cache_entry_limit = 256;
constexpr std::size_t cache_coverage_limit = 16u << 20;

int rounded(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

SizedFont::SizedFont(FontState& owner, const Face* face, int requested_height, bool uniform_advances)
    : owner_(owner), face_(face) {
    const double units_per_em = face ? face->units_per_em : 1.0;
    const double ascent_units = face ? face->cell_ascent : faceless_ascent_share;
    const double descent_units = face ? face->cell_descent : 1.0 - faceless_ascent_share;
    const double cell_units = ascent_units + descent_units;

    if (requested_height < 0) {
        // A negative height asks for the em: the cell grows by the face's ascent and descent.
        em_pixels_ = -static_cast<double>(requested_height);
        metrics_.ascent = rounded(em_pixels_ * ascent_units / units_per_em);
        metrics_.descent = rounded(em_pixels_ * descent_units / units_per_em);
        metrics_.cell_height = std::max(1, metrics_.ascent + metrics_.descent);
        metrics_.descent = metrics_.cell_height - metrics_.ascent;
    } else {
        // A positive height asks for the cell, and the em is what fits into it.
        metrics_.cell_height = requested_height;
        metrics_.ascent = rounded(requested_height * ascent_units / cell_units);
        metrics_.descent = requested_height - metrics_.ascent;
        em_pixels_ = requested_height * units_per_em / cell_units;
    }
    metrics_.internal_leading = std::max(0, metrics_.cell_height - rounded(em_pixels_));
    metrics_.fixed_pitch = uniform_advances;

    if (face_) {
        metrics_.external_leading = rounded(em_pixels_ * face_->extra_line_gap / units_per_em);
        if (FT_New_Size(face_->handle, &size_) == 0) {
            FT_Activate_Size(size_);
            const auto em_26_6 = std::max<FT_F26Dot6>(1, std::lround(em_pixels_ * fixed_26_6_one));
            FT_Set_Char_Size(face_->handle, 0, em_26_6, pixels_as_points_dpi, pixels_as_points_dpi);
        } else {
            size_ = nullptr;
        }
    }

    if (!face_ || !size_) {
        uniform_advance_ = std::max(1, rounded(em_pixels_ * faceless_advance_share));
        metrics_.average_width = metrics_.max_width = uniform_advance_;
        return;
    }
    if (uniform_advances) {
        uniform_advance_ = std::max(1, glyph(fixed_pitch_sample).advance);
        glyphs_[fixed_pitch_sample].advance = uniform_advance_;
        metrics_.average_width = metrics_.max_width = uniform_advance_;
        return;
    }
    metrics_.average_width = face_->average_width > 0
                                 ? rounded(em_pixels_ * face_->average_width / units_per_em)
                                 : glyph(average_width_sample).advance;
    metrics_.max_width = std::max(metrics_.average_width,
                                  rounded(em_pixels_ * face_->max_advance / units_per_em));
}

SizedFont::~SizedFont() {
    owner_.held_coverage -= coverage_bytes_;
    if (size_) FT_Done_Size(size_);
}

const Glyph& SizedFont::render_and_keep(unsigned char byte) {
    Glyph& slot = glyphs_[byte];
    // Past the limit every kept glyph is let go before another is made, so the coverage held
    // never exceeds the limit by more than one glyph. Callers use one glyph at a time, so no
    // glyph in use is let go.
    if (owner_.held_coverage > cache_coverage_limit) {
        for (const auto& [ignored, font] : owner_.sized_fonts) font->forget_glyphs();
        forget_glyphs();
    }
    render(byte, slot);
    rendered_[byte] = true;
    coverage_bytes_ += slot.coverage.size();
    owner_.held_coverage += slot.coverage.size();
    ++owner_.glyphs_rendered;
    return slot;
}

void SizedFont::forget_glyphs() {
    for (std::size_t byte = 0; byte < glyphs_.size(); ++byte) {
        if (!rendered_[byte]) continue;
        glyphs_[byte] = Glyph{};
        rendered_[byte] = false;
    }
    owner_.held_coverage -= coverage_bytes_;
    coverage_bytes_ = 0;
}

void SizedFont::render(unsigned char byte, Glyph& out) {
    out = Glyph{};
    if (uniform_advance_ > 0) out.advance = uniform_advance_;
    if (!face_ || !size_) return;

    // Control bytes, a newline among them, draw as the face's missing-glyph box and still
    // advance, as they do on the system whose text calls these are.
    FT_Face handle = face_->handle;
    const bool control = byte < first_printable || byte == delete_byte;
    const FT_UInt index = control ? 0 : FT_Get_Char_Index(handle, platform::unicode_from_windows_1252(byte));

    FT_Activate_Size(size_);
    // Glyphs are drawn unsmoothed, hinted for one bit per pixel, as the system these text calls
    // come from draws them: every text pixel is then the text colour or untouched, so frames
    // match the Windows build's pixel for pixel around the text, and the hinted advances are
    // the whole-pixel widths that system measures.
    if (FT_Load_Glyph(handle, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0 ||
        FT_Render_Glyph(handle->glyph, FT_RENDER_MODE_MONO) != 0) {
        if (out.advance == 0) out.advance = std::max(1, metrics_.average_width);
        return;
    }
    const FT_GlyphSlot loaded = handle->glyph;
    if (out.advance == 0) {
        out.advance = static_cast<int>((loaded->advance.x + 32) >> 6);
        // A face whose missing glyph takes no room still lets the byte take some.
        if (index == 0 && out.advance <= 0) out.advance = std::max(1, metrics_.average_width);
    }

    const FT_Bitmap& bitmap = loaded->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.pitch <= 0 || bitmap.width == 0 ||
        bitmap.rows == 0) {
        return;
    }
    out.left = loaded->bitmap_left;
    out.top = loaded->bitmap_top;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    out.coverage.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.rows));
    // One bit per pixel, most significant first, becomes no or full coverage.
    for (int row = 0; row < out.rows; ++row) {
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        std::uint8_t* target = out.coverage.data() + static_cast<std::ptrdiff_t>(row) * out.width;
        for (int column = 0; column < out.width; ++column) {
            const bool ink = (source[column / 8] >> (7 - column % 8)) & 1;
            target[column] = ink ? full_coverage : 0;
        }
    }
    if (!has_partial_coverage(out.coverage.data(), out.width, out.rows)) {
        out.ink = ink_mask(out.coverage.data(), out.width, out.rows);
    }
}

SizedFont& sized_font(const FontRequest& request) {
    FontState& state = font_state();
    LastRequest& last = state.last;
    if (last.is(request)) return *last.font;
    long long height = request.height == 0 ? default_cell_height : request.height;
    height = std::clamp<long long>(height, -largest_height, largest_height);

    const Face* face = find_face(request.face_name, request.fixed_pitch);
    // A fixed-pitch request keeps one advance for every character when it got the monospace
    // default; a named face keeps its own pitch.
    const bool uniform_advances =
        !face || face->fixed_width || (request.fixed_pitch && face == find_face("", true));
    const SizedFontKey key{face, static_cast<int>(height), uniform_advances};
    auto& cache = state.sized_fonts;
    SizedFont* font = nullptr;
    if (const auto known = cache.find(key); known != cache.end()) {
        font = known->second.get();
    } else {
        if (cache.size() >= cache_entry_limit) {
            state.stamps.clear();
            cache.clear();
        }
        auto made = std::make_unique<SizedFont>(state, face, static_cast<int>(height), uniform_advances);
        font = made.get();
        cache.emplace(key, std::move(made));
    }
    last.height = request.height;
    last.fixed_pitch = request.fixed_pitch;
    last.face_name.assign(request.face_name);
    last.font = font;
    return *font;
}

std::int64_t glyphs_rendered() { return font_state().glyphs_rendered; }

std::size_t glyph_coverage_held() { return font_state().held_coverage; }

std::size_t glyph_coverage_limit() { return cache_coverage_limit; }

}  // namespace kd508::font
