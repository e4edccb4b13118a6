// What the runtime's own command-line options ask of the runtime. The platform's entry takes
// the options (--play, --transcript, --screenshot, ...) before the program starts; the runtime
// asks here what they want and reports the moments they depend on. Deliberately free of Win32
// and toolkit names, so that the runtime reaches it the same way on every platform: the POSIX
// layer implements it beside its entry, the Windows build in runtime/platform/windows/.
#pragma once

namespace kd508::runtime_options {

// KD508_open begins, before any window exists. On Windows, where the system calls WinMain
// itself, this is where the process's arguments are read: --help, --version and mistakes in
// the options end the process here. Elsewhere the entry has read them already.
void runtime_opening();

// KD508_open has made its windows. graphics_window (an HWND) is the window whose client area a
// screenshot shows.
void runtime_opened(void* graphics_window);

// The script that playback takes from the first event wait on, in place of "KD508.SCR", or
// null when none was asked for. The text stays valid for the whole run.
const char* initial_script();

// Playback of the initial script has ended: at the end of the file (complete), or early,
// because the file could not be read or a line names no event (line is then that line).
void initial_script_ended(bool complete, const char* line);

// Whether a transcript is being written; cheap enough to ask for every drawing call.
bool transcript_requested();

// One line the text window received, or would have received with logging on, as it was
// formatted; one trailing newline is dropped, as the text window drops it.
void transcript_line(const char* text);

// KD508_close: the program is ending, and what its window shows is final.
void runtime_closing();

}  // namespace kd508::runtime_options
