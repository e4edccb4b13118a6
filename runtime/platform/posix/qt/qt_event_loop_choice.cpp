#include "qt_event_loop_choice.h"

#include <stdlib.h>

namespace kd508::platform::qt {
namespace {

// The toolkit's switch: any non-empty value makes it run its own loop on every thread.
constexpr const char* no_glib_variable = "QT_NO_GLIB";

}  // namespace

void choose_toolkit_event_loop() {
    // The layer waits for nothing but the display connection, its timers and one descriptor of
    // its own, all of which the toolkit's own loop watches as well as GLib's does. GLib's loop
    // adds a layer of sources, a wake-up descriptor and its allocations to every pass, and its
    // code and data stay resident for the whole run. Nothing the program shows needs GLib's
    // loop: the accessibility bridge and input-method plugins talk over the toolkit's own bus
    // connection, and only the native dialogs of a GTK-based desktop theme would want it, which
    // the program never opens. A user who sets the variable, even to nothing, keeps that
    // choice: an empty value brings GLib's loop back.
    setenv(no_glib_variable, "1", /*overwrite=*/0);
}

}  // namespace kd508::platform::qt
