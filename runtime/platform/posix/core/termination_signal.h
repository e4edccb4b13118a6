// SIGTERM, SIGINT and SIGHUP end the program the way the close box does: the handler only notes
// the signal, and the message queue turns the note into a WM_CLOSE for the first window, so that
// the program's own shutdown (a recording's last line included) runs outside any handler. A
// second signal that comes before the first was taken ends a program that no longer reaches its
// event wait at once.
#pragma once

namespace kd508::platform {

// Installs the handlers and makes the wake pipe; later calls do nothing more.
void install_termination_handlers();

// True once a termination signal has come and not yet been taken.
bool termination_pending();

// Takes the note of a termination signal: true when one had come since the last call.
bool take_termination_request();

// A descriptor that becomes readable when a termination signal comes, for presenters whose wait
// blocks in a toolkit's event loop; -1 before the handlers are installed.
int termination_wake_descriptor();

}  // namespace kd508::platform
