// The font layer's section of the layer's state record: the face library, the sized fonts made
// from its faces and the glyphs they keep. A reset of the layer drops all of it with the rest of
// the layer, so a test case starts without the faces and glyphs of the one before; within a run
// the layer is reset once, and fonts created and deleted for every text call still find their
// faces and glyphs here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "core/platform_state.h"
#include "font/face_library.h"
#include "font/sized_font.h"
#include "font/text_stamp.h"

namespace kd508::font {

// The request the last text call made and the sized font it got. A program draws its text in a
// few sizes, often one call after another in the same one, and finding the face and the size
// again costs more than drawing a short label; kept until the cache starts afresh.
struct LastRequest {
    int height = 0;
    bool fixed_pitch = false;
    std::string face_name;
    SizedFont* font = nullptr;

    bool is(const FontRequest& request) const {
        return font && height == request.height && fixed_pitch == request.fixed_pitch && face_name == request.face_name;
    }
};

// A sized font is kept per face, normalised height and pitch treatment.
using SizedFontKey = std::tuple<const Face*, int, bool>;

struct FontState {
    // The faces are declared first so that they are closed last: the sized fonts give their
    // sizes back to faces that are still open.
    std::unique_ptr<FaceLibrary, FaceLibraryDeleter> faces;
    std::int64_t glyphs_rendered = 0;
    // The coverage every kept glyph of every sized font holds. The sizes alone do not bound it:
    // one size at the largest height holds up to a megabyte per byte drawn.
    std::size_t held_coverage = 0;
    std::map<SizedFontKey, std::unique_ptr<SizedFont>> sized_fonts;
    LastRequest last;
    TextStamps stamps;  // of lines drawn in the sized fonts, which they go with
};

// Makes the layer's font section, with a face library that has opened no file yet.
FontState& make_font_state();

// The layer's font section, made on first use. Every text call starts here, so the section is
// reached inline.
inline FontState& font_state() {
    const auto& state = platform::platform_state().fonts.state;
    return state ? *state : make_font_state();
}

}  // namespace kd508::font
