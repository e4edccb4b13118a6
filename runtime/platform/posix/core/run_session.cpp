#include "run_session.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../../runtime_options.h"
#include "gdi/deferred_copy.h"
#include "screenshot_png.h"

namespace kd508::platform {

namespace {

RunSection& run() { return platform_state().run; }

// A script line shown in a message: its first line only, cut short, control bytes as '?'.
std::string printable_line(const char* line) {
    constexpr std::size_t longest_shown = 80;
    std::string shown;
    for (const char* c = line; *c != '\0' && *c != '\n' && shown.size() < longest_shown; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        shown += byte < 0x20 || byte == 0x7F ? '?' : *c;
    }
    return shown;
}

}  // namespace

void report_problem(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", run().program_name.c_str(), message.c_str());
}

void window_closing(HWND window, const PixelBuffer& client) {
    RunSection& section = run();
    if (window != section.graphics_window || section.screenshot_path.empty()) return;
    section.closed_client = client;
    section.graphics_window = nullptr;
}

void take_requested_screenshot() {
    RunSection& section = run();
    if (section.screenshot_path.empty() || section.screenshot_taken) return;
    section.screenshot_taken = true;
    const PixelBuffer* shown = nullptr;
    if (section.graphics_window) make_waiting_copy(section.graphics_window);
    if (const Window* window = section.graphics_window ? find_window(section.graphics_window) : nullptr) {
        shown = &window->surface.client;
    } else if (section.closed_client) {
        shown = &*section.closed_client;
    }
    if (shown == nullptr) {
        report_problem("no screenshot written: the program never opened its graphics window");
        section.failure_status = 1;
    } else if (!write_png_image(section.screenshot_path, *shown)) {
        report_problem("cannot write the screenshot " + section.screenshot_path + ": " + std::strerror(errno));
        section.failure_status = 1;
    }
}

void close_transcript() {
    RunSection& section = run();
    if (!section.transcript) return;
    const bool written = std::ferror(section.transcript.get()) == 0;
    const bool closed = std::fclose(section.transcript.release()) == 0;
    if (!written || !closed) {
        report_problem("the transcript " + section.transcript_path + " could not be written whole");
        section.failure_status = 1;
    }
}

}  // namespace kd508::platform

namespace kd508::runtime_options {

using platform::run;

void runtime_opened(void* graphics_window) { run().graphics_window = static_cast<HWND>(graphics_window); }

const char* initial_script() {
    const std::string& script = run().initial_script;
    return script.empty() ? nullptr : script.c_str();
}

void initial_script_ended(bool complete, const char* line) {
    platform::RunSection& section = run();
    if (!complete) {
        if (line != nullptr) {
            platform::report_problem("playback of " + section.initial_script +
                                     " stopped at a line that names no event: \"" + platform::printable_line(line) +
                                     "\"");
        } else {
            platform::report_problem("playback of " + section.initial_script + " stopped: the file cannot be read");
        }
    }
    // A headless run has nothing left to do once its script is over.
    if (!section.headless) return;
    if (!complete) section.failure_status = 1;
    PostQuitMessage(0);
}

bool transcript_requested() { return run().transcript != nullptr; }

void transcript_line(const char* text) {
    std::FILE* transcript = run().transcript.get();
    if (transcript == nullptr) return;
    std::size_t length = std::strlen(text);
    if (length > 0 && text[length - 1] == '\n') --length;
    std::fwrite(text, 1, length, transcript);
    std::fputc('\n', transcript);
}

void runtime_closing() {
    platform::take_requested_screenshot();
    platform::RunSection& section = run();
    if (!section.started_by_runtime) return;
    // A program with its own main() returns its own status; the run's options can only make
    // themselves heard here, at the program's last call into the runtime.
    platform::close_transcript();
    if (section.failure_status != 0) {
        std::fflush(nullptr);
        std::exit(section.failure_status);
    }
}

}  // namespace kd508::runtime_options
