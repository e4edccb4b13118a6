#include "font/font_state.h"

namespace kd508::font {

FontState& make_font_state() {
    auto state = std::unique_ptr<FontState, platform::FontStateDeleter>(new FontState);
    state->faces = open_face_library();
    auto& section = platform::platform_state().fonts.state;
    section = std::move(state);
    return *section;
}

}  // namespace kd508::font

namespace kd508::platform {

void FontStateDeleter::operator()(font::FontState* state) const { delete state; }

}  // namespace kd508::platform
