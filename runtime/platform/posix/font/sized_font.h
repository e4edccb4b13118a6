// One face at one size: the cell metrics of the text calls and the glyphs, each rendered once
// as 8-bit antialiased coverage and then reused for every later call at that size.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "font/glyph_blend.h"

struct FT_SizeRec_;

namespace kd508::font {

struct Face;
struct FontState;

// What CreateFontA asked for, as far as the choice of face and size goes.
struct FontRequest {
    int height = 0;  // negative: character (em) height; positive: cell height; 0: the default
    bool fixed_pitch = false;
    std::string_view face_name;
};

// The cell height a request of height 0 gets.
inline constexpr int default_cell_height = 16;
// Requested heights are held to this many pixels, in either sense, so that no request can ask
// for glyph bitmaps larger than any screen.
inline constexpr int largest_height = 1024;

// Cell metrics in device pixels.
struct FontMetrics {
    int ascent = 0;   // baseline below the cell's top
    int descent = 0;  // cell bottom below the baseline
    int cell_height = 0;  // ascent + descent
    int internal_leading = 0;  // cell height less the em height
    int external_leading = 0;  // gap the face asks for between lines, outside the cell
    int average_width = 0;
    int max_width = 0;
    bool fixed_pitch = false;  // every character has the same advance
};

// A glyph's coverage: `rows` rows of `width` bytes, 0 (none) to 255 (full). `left` is the
// bitmap's first column right of the pen position, `top` its first row above the baseline.
// Unsmoothed glyphs are drawn from `ink`, the coverage as a mask (see ink_mask); a glyph with
// partial coverage has none and is blended from its coverage.
struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<std::uint8_t> coverage;
    std::vector<std::uint64_t> ink;
};

class SizedFont {
public:
    // A height already normalised (non-zero, within largest_height); uniform_advances gives
    // every character the advance of the widest letter. The font's glyphs count towards the
    // coverage its owner holds, and the owner outlives it.
    SizedFont(FontState& owner, const Face* face, int requested_height, bool uniform_advances);
    ~SizedFont();
    SizedFont(const SizedFont&) = delete;
    SizedFont& operator=(const SizedFont&) = delete;

    const FontMetrics& metrics() const { return metrics_; }
    // The glyph of a Windows-1252 byte, rendered on first use. Measuring and drawing ask for
    // every byte of a text, so the kept glyph is found inline.
    const Glyph& glyph(unsigned char byte) { return rendered_[byte] ? glyphs_[byte] : render_and_keep(byte); }
    int advance(unsigned char byte) { return glyph(byte).advance; }
    std::size_t coverage_bytes() const { return coverage_bytes_; }

    // Lets every rendered glyph go; they are rendered again when next asked for.
    void forget_glyphs();

private:
    const Glyph& render_and_keep(unsigned char byte);
    void render(unsigned char byte, Glyph& glyph);

    FontState& owner_;
    const Face* face_;
    FT_SizeRec_* size_ = nullptr;
    double em_pixels_ = 0;
    FontMetrics metrics_;
    int uniform_advance_ = 0;  // the one advance of a fixed-pitch font
    std::array<Glyph, 256> glyphs_;
    std::array<bool, 256> rendered_{};
    std::size_t coverage_bytes_ = 0;
};

// The sized font for a request, made on first use and then kept. The reference stays valid
// until the next call: a cache that has grown past its limits is emptied before a new entry is
// made, so every text call looks its font up afresh.
SizedFont& sized_font(const FontRequest& request);

// Glyphs rendered since the layer was last reset; a glyph drawn twice at one size counts once while the
// kept glyphs stay within their limit.
std::int64_t glyphs_rendered();

// The coverage bytes that kept glyphs hold, and the limit past which they are let go; the held
// amount never exceeds the limit by more than one glyph. The ink masks beside the coverage are
// not counted: one bit a pixel, they add an eighth and a word a row at most.
std::size_t glyph_coverage_held();
std::size_t glyph_coverage_limit();

}  // namespace kd508::font
