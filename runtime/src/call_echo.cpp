#include "call_echo.h"

#include <cstdarg>

#include "../include/kd508.h"
#include "../platform/runtime_options.h"
#include "formatted_text.h"
#include "runtime_state.h"
#include "text_log.h"

namespace kd508 {

bool echo_wanted() { return runtime_state().logging_enabled || runtime_options::transcript_requested(); }

void echo_call(const char* format, ...) {
    if (!echo_wanted()) return;
    // Formatted as KD508_printf formats it, so that a line reads the same in the text window
    // and in the transcript, cut at the same length.
    char line[printf_buffer_size];
    va_list arguments;
    va_start(arguments, format);
    format_text(line, format, arguments);
    va_end(arguments);
    if (runtime_state().logging_enabled) {
        // The text window's way, which also writes the transcript.
        KD508_printf("%s", line);
    } else {
        runtime_options::transcript_line(line);
    }
}

}  // namespace kd508
