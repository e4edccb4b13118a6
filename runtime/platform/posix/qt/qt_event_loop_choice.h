// Which event loop the toolkit runs the program's waits on.
#pragma once

namespace kd508::platform::qt {

// Chooses the toolkit's own event loop over the GLib main loop it would otherwise build on,
// unless the user's environment names a choice. Must run before the application object exists:
// the toolkit reads the choice once, when it makes the main thread's event dispatcher.
void choose_toolkit_event_loop();

}  // namespace kd508::platform::qt
