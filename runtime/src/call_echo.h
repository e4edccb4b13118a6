// The echo of drawing calls: one line per call to the text window while logging is on, and to
// the transcript, when one is written, whatever logging says.
#pragma once

namespace kd508 {

// Whether an echo line would go anywhere; callers whose arguments cost something to prepare
// ask first.
bool echo_wanted();

void echo_call(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace kd508
