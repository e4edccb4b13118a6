// The program's entry on POSIX systems: the presenter comes up, then WinMain runs as it would
// on Windows, and its result is the exit status.
#include <string>

#include "platform_state.h"

namespace {

// The instance handle names the program itself; nothing looks inside it.
HINSTANCE program_instance() {
    return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(
        (std::uint64_t{1} << kd508::platform::handle_bits::generation_shift) |
        (static_cast<std::uint64_t>(kd508::platform::HandleKind::instance) << kd508::platform::handle_bits::kind_shift) | 1));
}

// WinMain receives the command line without the program's name, arguments separated by blanks.
std::string command_line_of(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    kd508::platform::reset_platform(kd508::platform::create_platform_presenter(argc, argv));
    std::string command_line = command_line_of(argc, argv);
    const int status = WinMain(program_instance(), nullptr, command_line.data(), SW_SHOWNORMAL);
    kd508::platform::reset_platform(nullptr);
    return status;
}
