// The thread's message queue.
#pragma once

#include "core/platform_state.h"

namespace kd508::platform {

// Queues a message that came from the presenter (keys, clicks, close requests, menu choices).
void post_input(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace kd508::platform
