// The choice of the kernel that strokes with a pen, made once, when the pen is made.
#pragma once

#include "core/platform_state.h"

namespace kd508::platform {

// A pen with its stroke chosen. A width of 0 and one of 1 both draw the one-pixel line; a
// negative width, which the runtime corrects before it arrives, is taken by its size.
PenObject make_pen(int style, int width, COLORREF colour);

}  // namespace kd508::platform
