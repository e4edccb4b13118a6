// A line of text at one size as a single ink mask: its stamp.
//
// A program that redraws its picture every frame draws the same labels every frame, in the same
// fonts. Drawn glyph by glyph, each glyph of a label is clipped, placed and its mask walked on its
// own, and the glyphs are looked at once more to find the pixels the label may reach. A stamp
// unites the ink masks of a line's glyphs once, so that drawing the line again is one pass over
// one mask, and the box it reaches is known without a look at its glyphs.
//
// Only lines seen a second time get a stamp: a line drawn once, as most lines of a scrolling log
// are, would pay for making one and never draw from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kd508::font {

class SizedFont;

struct TextStamp {
    // The box of every glyph's ink, as Glyph holds it: `left` is its first column right of the
    // pen position where the line starts, `top` its first row above the baseline.
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    // The pen position of the last character, from the first: a line started at x draws every
    // character only when x + last_pen lies left of the surface's right edge, as drawing stops
    // at the first character whose pen position does not.
    std::int64_t last_pen = 0;
    std::int64_t advance = 0;  // the line's width, every character's advance added up
    std::vector<std::uint64_t> ink;  // ink_mask_words(width) words a row, as a glyph's ink mask
};

// The stamps of the lines drawn in the sized fonts of a font section.
class TextStamps {
public:
    // The stamp of text in font; null when the line is seen for the first time, when a glyph of
    // it has partial coverage (which a mask cannot hold) or when it is too long to keep.
    const TextStamp* find(SizedFont& font, std::string_view text);

    // Lets every stamp go; done when the sized fonts they were made from go.
    void clear();

    // What the kept lines and stamps hold, and the limit past which they are all let go.
    std::size_t held_bytes() const { return held_bytes_; }
    static std::size_t held_bytes_limit();

private:
    struct Entry {
        bool made = false;    // the line was seen before, and its stamp made
        bool usable = false;  // the stamp draws the line
        TextStamp stamp;
    };

    // Keeps the entry for the line last looked up, letting everything kept go first should it
    // take the held bytes past the limit.
    Entry& keep(Entry&& entry);

    std::unordered_map<std::string, Entry> entries_;  // by font and text (key_of)
    std::string key_;  // the last key looked up, kept so that a look-up allocates nothing
    std::size_t held_bytes_ = 0;
};

// The stamp of text in font, kept in the layer's font section (TextStamps::find). The stamp stays
// valid until the next text call.
const TextStamp* text_stamp(SizedFont& font, std::string_view text);

}  // namespace kd508::font
