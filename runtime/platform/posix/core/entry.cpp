// The program's entry on POSIX systems: the runtime's options are taken and the presenter comes
// up, then WinMain runs as it would on Windows, and its result is the exit status.
#include <exception>
#include <string>

#include "platform_state.h"
#include "process_ending.h"
#include "program_start.h"
#include "run_session.h"

namespace {

// The instance handle names the program itself; nothing looks inside it.
HINSTANCE program_instance() {
    return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(
        (std::uint64_t{1} << kd508::platform::handle_bits::generation_shift) |
        (static_cast<std::uint64_t>(kd508::platform::HandleKind::instance) << kd508::platform::handle_bits::kind_shift) | 1));
}

}  // namespace

int main(int argc, char** argv) {
    kd508::platform::ProgramStart start = kd508::platform::start_program_run(argc, argv);
    if (!start.run) return start.status;
    int status = 1;
    try {
        status = WinMain(program_instance(), nullptr, start.command_line.data(), SW_SHOWNORMAL);
    } catch (const std::exception& failure) {
        // A headless run that would wait forever ends here, with what it has drawn so far.
        std::string message = std::string("the run stopped: ") + failure.what();
        if (kd508::platform::platform_state().run.headless) {
            message += "; a headless run of a program that waits for events forever ends with --run-for MS";
        }
        kd508::platform::report_problem(message);
        status = 1;
    }
    status = kd508::platform::finish_program_run(status);
    kd508::platform::record_ending_status(status);
    kd508::platform::reset_platform(nullptr);
    return status;
}
