// The program's entry point. Its signature is the platform's; everything else happens in the
// bug walk's main program, which knows only the runtime.
#include "../runtime/platform/win32.h"
#include "walk_state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_mode) {
    return bugwalk::run_bug_walk(instance, previous_instance, command_line, show_mode);
}
