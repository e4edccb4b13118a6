// The frame that a window style puts around the client area. The figures are those of a
// classic Windows desktop, so that a 601 by 540 window with a caption and a menu bar keeps a
// client area of 595 by 494 pixels on every presenter.
#pragma once

#include "win32_subset.h"

namespace kd508::platform {

struct FrameMetrics {
    int border;   // on each of the four sides
    int caption;  // title bar height, 0 without a caption
};

inline constexpr int fixed_frame_border = 3;    // WS_CAPTION without a sizing frame
inline constexpr int sizing_frame_border = 4;   // WS_THICKFRAME
inline constexpr int thin_border = 1;           // WS_BORDER alone
inline constexpr int caption_height = 20;
inline constexpr int menu_bar_height = 20;

constexpr FrameMetrics frame_for_style(DWORD style) {
    const bool has_caption = (style & WS_CAPTION) == WS_CAPTION;
    int border = 0;
    if (style & WS_THICKFRAME) border = sizing_frame_border;
    else if (has_caption || (style & WS_DLGFRAME)) border = fixed_frame_border;
    else if (style & WS_BORDER) border = thin_border;
    return FrameMetrics{border, has_caption ? caption_height : 0};
}

}  // namespace kd508::platform
