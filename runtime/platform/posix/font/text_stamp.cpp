#include "font/text_stamp.h"

#include "font/font_state.h"
#include "font/glyph_blend.h"
#include "font/sized_font.h"
#include "raster/geometry.h"

namespace kd508::font {

namespace {

constexpr int mask_word_bits = 64;

// Longer lines are drawn glyph by glyph and never looked up: a stamp pays for itself on short
// labels drawn again and again, not on paragraphs.
constexpr std::size_t longest_stamped_line = 256;
// A stamp's mask is held to this many words (16 KiB), so that no line at the largest sizes makes
// one the size of a screen.
constexpr std::int64_t largest_stamp_words = 2048;
// What the lines and stamps of a font section may hold before all are let go, and what a kept
// line costs beyond its key and mask, roughly: a map node and its bookkeeping.
constexpr std::size_t stamps_held_limit = 256u << 10;
constexpr std::size_t entry_overhead_bytes = 64;

// A line is known by its font and its bytes; the font's address is unique while the font is
// kept, and the stamps go with the fonts.
void key_of(std::string& key, const SizedFont& font, std::string_view text) {
    const SizedFont* const address = &font;
    key.assign(reinterpret_cast<const char*>(&address), sizeof address);
    key.append(text);
}

// Adds a glyph's ink mask to the stamp's, its first column and row at column and row of the stamp.
void add_glyph_ink(TextStamp& stamp, const Glyph& glyph, std::int64_t column, std::int64_t row) {
    const int stamp_words = ink_mask_words(stamp.width);
    const int glyph_words = ink_mask_words(glyph.width);
    for (int glyph_row = 0; glyph_row < glyph.rows; ++glyph_row) {
        std::uint64_t* target = stamp.ink.data() + (row + glyph_row) * stamp_words;
        const std::uint64_t* source = glyph.ink.data() + static_cast<std::ptrdiff_t>(glyph_row) * glyph_words;
        for (int word = 0; word < glyph_words; ++word) {
            const std::int64_t first_column = column + std::int64_t{word} * mask_word_bits;
            const auto index = static_cast<std::size_t>(first_column / mask_word_bits);
            const auto shift = static_cast<int>(first_column % mask_word_bits);
            target[index] |= source[word] << shift;
            // The bits that cross into the next word; the glyph lies inside the stamp, so none
            // cross past its last.
            if (shift != 0 && index + 1 < static_cast<std::size_t>(stamp_words))
                target[index + 1] |= source[word] >> (mask_word_bits - shift);
        }
    }
}

// Makes the stamp of a line; false when it cannot have one. The box is found first and the ink
// added after: asking for a glyph may render it and let the others go, so no glyph is held from
// one character to the next.
bool make_stamp(SizedFont& font, std::string_view text, TextStamp& stamp) {
    raster::Box box;  // rows counted down from the baseline
    std::int64_t pen = 0;
    for (const char character : text) {
        const Glyph& glyph = font.glyph(static_cast<unsigned char>(character));
        const raster::Box glyph_box{pen + glyph.left, -std::int64_t{glyph.top}, pen + glyph.left + glyph.width,
                                    std::int64_t{glyph.rows} - glyph.top};
        if (!glyph_box.empty() && glyph.ink.empty()) return false;  // partial coverage is blended
        box = box.united(glyph_box);
        stamp.last_pen = pen;
        pen += glyph.advance;
    }
    stamp.advance = pen;
    if (box.height() * ((box.width() - 1) / mask_word_bits + 1) > largest_stamp_words) return false;

    stamp.left = static_cast<int>(box.left);
    stamp.top = static_cast<int>(-box.top);
    stamp.width = static_cast<int>(box.width());
    stamp.rows = static_cast<int>(box.height());
    stamp.ink.assign(static_cast<std::size_t>(ink_mask_words(stamp.width)) * static_cast<std::size_t>(stamp.rows), 0);
    pen = 0;
    for (const char character : text) {
        const Glyph& glyph = font.glyph(static_cast<unsigned char>(character));
        if (!glyph.ink.empty()) add_glyph_ink(stamp, glyph, pen + glyph.left - box.left, -std::int64_t{glyph.top} - box.top);
        pen += glyph.advance;
    }
    return true;
}

}  // namespace

const TextStamp* TextStamps::find(SizedFont& font, std::string_view text) {
    if (text.size() > longest_stamped_line) return nullptr;
    key_of(key_, font, text);
    const auto found = entries_.find(key_);
    if (found == entries_.end()) {
        keep(Entry{});
        return nullptr;
    }
    if (found->second.made) return found->second.usable ? &found->second.stamp : nullptr;
    Entry entry;
    entry.made = true;
    entry.usable = make_stamp(font, text, entry.stamp);
    if (!entry.usable) entry.stamp = TextStamp{};
    const Entry& kept = keep(std::move(entry));
    return kept.usable ? &kept.stamp : nullptr;
}

TextStamps::Entry& TextStamps::keep(Entry&& entry) {
    // What a line costs: its key with the map's bookkeeping, and its stamp's mask. Past the
    // limit everything kept goes first; no stamp handed out is in use then, as each is drawn
    // from before the next text call.
    const std::size_t key_cost = key_.size() + entry_overhead_bytes;
    const std::size_t stamp_cost = entry.stamp.ink.size() * sizeof(std::uint64_t);
    auto found = entries_.find(key_);
    const bool noted = found != entries_.end();
    if (held_bytes_ + stamp_cost + (noted ? 0 : key_cost) > stamps_held_limit) {
        clear();
        found = entries_.end();
    }
    if (found == entries_.end()) {
        found = entries_.emplace(key_, Entry{}).first;
        held_bytes_ += key_cost;
    }
    found->second = std::move(entry);
    held_bytes_ += stamp_cost;
    return found->second;
}

void TextStamps::clear() {
    entries_.clear();
    held_bytes_ = 0;
}

std::size_t TextStamps::held_bytes_limit() { return stamps_held_limit; }

const TextStamp* text_stamp(SizedFont& font, std::string_view text) { return font_state().stamps.find(font, text); }

}  // namespace kd508::font
