// The status the process is ending with, for code that must end it early while the layer is
// being torn down.
#pragma once

namespace kd508::platform {

// The layer's main() records the status it is about to return.
void record_ending_status(int status);

// A program with its own main() ends through exit(); from then on the status it passed is the
// one recorded. Where the C library cannot say, the status stays 0.
void record_ending_status_at_exit();

int ending_status();

}  // namespace kd508::platform
