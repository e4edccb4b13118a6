// The run's options as the layer carries them out: the script from the command line, the
// transcript, the screenshot and the end of a headless run. The runtime reaches this through
// runtime_options.h; the entry sets it up (program_start.h).
#pragma once

#include <string>

#include "platform_state.h"

namespace kd508::platform {

// The window is being destroyed: if it is the one a screenshot shows, its pixels are kept.
void window_closing(HWND window, const PixelBuffer& client);

// Writes the screenshot unless it has been written already; a failure is reported on standard
// error and makes the run end with status 1.
void take_requested_screenshot();

// Ends the transcript; a write that failed is reported and makes the run end with status 1.
void close_transcript();

// Writes a line to standard error, prefixed with the program's name.
void report_problem(const std::string& message);

}  // namespace kd508::platform
