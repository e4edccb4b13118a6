// The runtime's command-line options in the Windows build. Windows calls WinMain itself, so no
// entry of ours runs before the program: the options are read when the runtime opens, from the
// process's own arguments and KD508_OPTIONS, before any window exists. The program still takes
// no notice of its command line.
#include <stdlib.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../command_options.h"
#include "../runtime_options.h"
#include "screenshot_wic.h"

#ifndef KD508_VERSION
#error "KD508_VERSION must name the project's version"
#endif

namespace {

constexpr int option_error_status = 2;

struct WindowsRun {
    bool read = false;
    std::string program_name = "bugwalk";
    std::string initial_script;
    std::FILE* transcript = nullptr;
    std::string screenshot_path;
    HWND graphics_window = nullptr;
    WNDPROC graphics_window_proc = nullptr;
    // What the graphics window showed when it was closed before the program ended.
    kd508::platform::ClientPicture closed_client;
    bool client_kept = false;
};

WindowsRun& run() {
    static WindowsRun state;
    return state;
}

std::string program_name_of(const char* path) {
    if (path == nullptr || *path == '\0') return "bugwalk";
    std::string name = path;
    const std::size_t separator = name.find_last_of("\\/:");
    if (separator != std::string::npos) name = name.substr(separator + 1);
    if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".exe") == 0) name.resize(name.size() - 4);
    return name;
}

bool usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A program built for the desktop has no console of its own: the text goes to standard output
// or error when they lead somewhere (redirected, or given by the starting program), else to the
// console of the command prompt it was started from, else into a message box.
void tell(const std::string& text, bool error) {
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    HANDLE console = INVALID_HANDLE_VALUE;
    if (!usable(out) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
        out = console;
    }
    if (usable(out)) {
        DWORD written = 0;
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), run().program_name.c_str(), MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

[[noreturn]] void end_with(const std::string& text, bool error, int status) {
    tell(text, error);
    ExitProcess(static_cast<UINT>(status));
}

[[noreturn]] void refuse(const std::string& problem) {
    const std::string& name = run().program_name;
    end_with(name + ": " + problem + " (see " + name + " --help)\n", true, option_error_status);
}

std::string directory_of(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

bool is_directory(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The screenshot is written only when the program ends; a path that cannot take it is found
// out now, before any window exists, and the file is left as it was.
std::string check_screenshot_path(const std::string& path) {
    const std::string cannot = "cannot write the screenshot " + path + ": ";
    if (is_directory(path)) return cannot + "it is a directory";
    const std::string directory = directory_of(path);
    if (!is_directory(directory)) return cannot + "no directory " + directory;
    const bool existed = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::FILE* file = std::fopen(path.c_str(), existed ? "r+b" : "wb");
    if (file == nullptr) return cannot + std::strerror(errno);
    std::fclose(file);
    if (!existed) std::remove(path.c_str());
    return {};
}

// Closing the graphics window destroys it before the program ends, and hidden or destroyed it
// shows nothing: what it shows is kept as it is asked to close.
LRESULT CALLBACK keep_client_on_close(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    WindowsRun& state = run();
    if (message == WM_CLOSE && window == state.graphics_window) {
        state.client_kept = kd508::platform::capture_client(window, state.closed_client);
    }
    return CallWindowProcA(state.graphics_window_proc, window, message, wparam, lparam);
}

void report_problem(const std::string& message) { tell(run().program_name + ": " + message + "\n", true); }

// False when a screenshot was asked for and could not be written; the problem has been told.
bool take_requested_screenshot() {
    WindowsRun& state = run();
    if (state.screenshot_path.empty()) return true;
    kd508::platform::ClientPicture shown;
    bool captured = false;
    if (state.graphics_window != nullptr && IsWindow(state.graphics_window)) {
        captured = kd508::platform::capture_client(state.graphics_window, shown);
    } else if (state.client_kept) {
        shown = std::move(state.closed_client);
        captured = true;
    } else if (state.graphics_window == nullptr) {
        report_problem("no screenshot written: the program never opened its graphics window");
        return false;
    }
    const std::string& path = state.screenshot_path;
    if (!captured) {
        report_problem("cannot write the screenshot " + path + ": the graphics window's pixels cannot be read");
        return false;
    }
    if (std::string problem = kd508::platform::write_png_image(path, shown); !problem.empty()) {
        report_problem("cannot write the screenshot " + path + ": " + problem);
        return false;
    }
    return true;
}

// --run-for: the quit is posted to the program's thread from a timer-queue thread. A timer of
// the message queue would not do: the event wait of a halted program leaves timer messages out
// of what wakes it, so the quit would wait for the next click. A posted message wakes any wait.
DWORD program_thread = 0;

void CALLBACK quit_when_time_is_up(PVOID, BOOLEAN) { PostThreadMessageA(program_thread, WM_QUIT, 0, 0); }

void quit_after(DWORD milliseconds) {
    program_thread = GetCurrentThreadId();
    // A thread gets its message queue with its first call that needs one; a message posted to
    // it before then would be lost.
    MSG ignored;
    PeekMessageA(&ignored, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HANDLE timer = nullptr;
    CreateTimerQueueTimer(&timer, nullptr, quit_when_time_is_up, nullptr, milliseconds, 0, WT_EXECUTEONLYONCE);
}

void read_options() {
    WindowsRun& state = run();
    state.program_name = program_name_of(__argc > 0 ? __argv[0] : nullptr);

    std::string split_error;
    const char* environment = std::getenv("KD508_OPTIONS");
    const std::vector<std::string> environment_words =
        kd508::platform::split_option_words(environment != nullptr ? environment : "", split_error);
    if (!split_error.empty()) refuse(split_error);
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc && __argv[i] != nullptr; ++i) arguments.emplace_back(__argv[i]);

    const kd508::platform::OptionsParse parse = kd508::platform::parse_command_options(environment_words, arguments);
    if (!parse.error.empty()) refuse(parse.error);
    const kd508::platform::CommandOptions& options = parse.options;
    if (options.help) end_with(kd508::platform::options_help(state.program_name, kd508::platform::OptionSet::windows), false, 0);
    if (options.version) end_with(state.program_name + " (KD508 runtime) " KD508_VERSION "\n", false, 0);
    if (options.headless) refuse("--headless is not available in the Windows build");
    if (!options.play.empty()) {
        std::FILE* script = std::fopen(options.play.c_str(), "rb");
        if (script == nullptr) refuse("cannot play " + options.play + ": " + std::strerror(errno));
        std::fclose(script);
        state.initial_script = options.play;
    }
    if (!options.screenshot.empty()) {
        if (std::string problem = check_screenshot_path(options.screenshot); !problem.empty()) refuse(problem);
        state.screenshot_path = options.screenshot;
    }
    if (!options.transcript.empty()) {
        // Binary, so that a transcript has the same bytes as one written on Linux.
        state.transcript = std::fopen(options.transcript.c_str(), "wb");
        if (state.transcript == nullptr) {
            refuse("cannot write the transcript " + options.transcript + ": " + std::strerror(errno));
        }
    }
    if (options.run_for_ms) quit_after(static_cast<DWORD>(*options.run_for_ms));
}

}  // namespace

namespace kd508::runtime_options {

void runtime_opening() {
    if (run().read) return;
    run().read = true;
    read_options();
}

void runtime_opened(void* graphics_window) {
    WindowsRun& state = run();
    state.graphics_window = static_cast<HWND>(graphics_window);
    if (state.screenshot_path.empty() || state.graphics_window == nullptr) return;
    state.graphics_window_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        state.graphics_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&keep_client_on_close)));
}

const char* initial_script() { return run().initial_script.empty() ? nullptr : run().initial_script.c_str(); }

// On the desktop a script's end changes nothing: the program goes on with live input.
void initial_script_ended(bool, const char*) {}

bool transcript_requested() { return run().transcript != nullptr; }

void transcript_line(const char* text) {
    std::FILE* transcript = run().transcript;
    if (transcript == nullptr) return;
    std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') --length;
    std::fwrite(text, 1, length, transcript);
    std::fputc('\n', transcript);
    // The C library here knows no line buffering: each line is pushed out by hand, so that a
    // run cut short leaves all of its lines so far.
    std::fflush(transcript);
}

// Unless it was closed, the window is still there and shows the last frame the program drew.
// A screenshot that cannot be written ends the process with status 1 here, at the program's
// last call into the runtime: the runtime never sees the status WinMain returns, and cannot
// tell a program with its own main() from one started through WinMain, so it cannot leave
// the status to the program as the Linux build does for a program with its own main().
void runtime_closing() {
    const bool screenshot_written = take_requested_screenshot();
    if (run().transcript != nullptr) std::fclose(run().transcript);
    run().transcript = nullptr;
    if (!screenshot_written) {
        std::fflush(nullptr);
        std::exit(1);
    }
}

}  // namespace kd508::runtime_options
