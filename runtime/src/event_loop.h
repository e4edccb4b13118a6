// The event wait's internals: one pass of the message pump and the three handlers of the
// graphics window procedure that latch events.
#pragma once

#include "../platform/win32.h"

namespace kd508 {

void pump_one_message();
void on_timer();
void on_left_button_down(LPARAM lparam);
void on_char(WPARAM wparam);

}  // namespace kd508
