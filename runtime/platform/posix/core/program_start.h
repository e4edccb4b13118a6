// Starting and ending a program on the layer with the runtime's command-line options. The
// layer's main() calls both around WinMain; a program with its own main() can call them too,
// and then takes the options from KD508_OPTIONS alone (argc 0).
#pragma once

#include <string>

namespace kd508::platform {

// Exit statuses of the options themselves.
inline constexpr int option_error_status = 2;

struct ProgramStart {
    bool run = false;          // false: end the process at once with status
    int status = 0;
    std::string command_line;  // for WinMain: the arguments that are not the runtime's, blank-separated
};

// Reads KD508_OPTIONS and the arguments. --help and --version print to standard output; a
// mistake in the options, a script that cannot be read, a screenshot or transcript that cannot
// be written, and a missing display are reported on standard error. Otherwise the layer is
// brought up with the presenter the options call for (the toolkit gets its own copy of the
// arguments that are not the runtime's) and the run's options are in force.
ProgramStart start_program_run(int argc, char** argv);

// After the program: writes the screenshot if it has not been written yet and ends the
// transcript. Returns the status the process should end with: the program's own unless the
// options found the run failed.
int finish_program_run(int program_status);

}  // namespace kd508::platform
