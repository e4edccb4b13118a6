// The one line a run on a display prints when there is none to be had.
#pragma once

namespace kd508::platform {

inline constexpr char no_display_message[] = "no display: set DISPLAY or WAYLAND_DISPLAY, or run with --headless";

// The status such a run ends with.
inline constexpr int no_display_status = 1;

}  // namespace kd508::platform
