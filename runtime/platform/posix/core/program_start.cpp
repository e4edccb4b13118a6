#include "program_start.h"

#include <unistd.h>

#include <errno.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "../../command_options.h"
#include "../../runtime_options.h"
#include "headless/headless_presenter.h"
#include "no_display.h"
#include "platform_state.h"
#include "process_ending.h"
#include "run_session.h"

#ifndef KD508_VERSION
#error "KD508_VERSION must name the project's version"
#endif

namespace kd508::platform {

namespace {

// A headless run's screen: a common desktop size, the same on every machine, so that the text
// window and everything measured from the screen come out the same everywhere.
constexpr ScreenSize headless_screen{1280, 1024};

// How long a headless run may wait for events when no --run-for bounds it: beyond this the
// program is taken to wait forever.
constexpr std::int64_t headless_wait_limit_ms = 10 * 60 * 1000;

// The toolkit keeps a pointer to the argument vector it was given for its whole life, and
// takes its own options out of it. It gets this copy; the originals stay as they were.
struct ToolkitArguments {
    std::vector<std::string> words;
    std::vector<char*> pointers;
    int count = 0;
};

ToolkitArguments& toolkit_arguments() {
    static ToolkitArguments arguments;
    return arguments;
}

std::string program_name_of(int argc, char** argv) {
    // A program with its own main() gives no arguments; the C library still knows its name.
    if (argc < 1 || argv == nullptr || argv[0] == nullptr || *argv[0] == '\0') return program_invocation_short_name;
    const std::string path = argv[0];
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool environment_set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Whether the toolkit has something to show windows on. A platform named by the toolkit's own
// variable or option may need no display at all (offscreen); the toolkit judges that itself.
bool display_may_be_available(const std::vector<std::string>& passed_on) {
    if (environment_set("DISPLAY") || environment_set("WAYLAND_DISPLAY") || environment_set("QT_QPA_PLATFORM")) {
        return true;
    }
    for (const std::string& word : passed_on) {
        if (word == "-platform") return true;
    }
    return false;
}

std::string blank_separated(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        line += word;
    }
    return line;
}

// The script must be a file that can be read now; what it holds is the runtime's business.
std::string check_script(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return "cannot play " + path + ": it is a directory";
    // Opening a pipe or a device to look at it could wait forever for a writer.
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error)) {
        return "cannot play " + path + ": it is not a regular file";
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return "cannot play " + path + ": " + std::strerror(errno);
    return {};
}

// The screenshot is written at the end, the transcript from the start on; a path that cannot
// take either is found out now, before anything is created.
std::string check_output_path(const std::string& what, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file(path);
    const fs::path directory = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const std::string cannot = "cannot write the " + what + " " + path + ": ";
    if (fs::is_directory(file, error)) return cannot + "it is a directory";
    if (!fs::is_directory(directory, error)) return cannot + "no directory " + directory.string();
    if (fs::exists(file, error) ? access(path.c_str(), W_OK) != 0 : access(directory.c_str(), W_OK) != 0) {
        return cannot + std::strerror(errno);
    }
    return {};
}

ProgramStart stop_with(int status) {
    ProgramStart start;
    start.status = status;
    return start;
}

ProgramStart option_error(const std::string& program_name, const std::string& message) {
    std::fprintf(stderr, "%s: %s (see %s --help)\n", program_name.c_str(), message.c_str(), program_name.c_str());
    return stop_with(option_error_status);
}

std::unique_ptr<Presenter> presenter_for(const CommandOptions& options, const std::string& program_path) {
    if (options.headless) {
        auto presenter = std::make_unique<headless::HeadlessPresenter>(headless_screen);
        std::int64_t limit = headless_wait_limit_ms;
        if (options.run_for_ms && *options.run_for_ms >= limit) limit = *options.run_for_ms + 1;
        presenter->set_stall_limit(limit);
        return presenter;
    }
    ToolkitArguments& toolkit = toolkit_arguments();
    toolkit.words.clear();
    toolkit.words.push_back(program_path);
    toolkit.words.insert(toolkit.words.end(), options.passed_on.begin(), options.passed_on.end());
    toolkit.pointers.clear();
    for (std::string& word : toolkit.words) toolkit.pointers.push_back(word.data());
    toolkit.pointers.push_back(nullptr);
    toolkit.count = static_cast<int>(toolkit.words.size());
    return create_platform_presenter(toolkit.count, toolkit.pointers.data());
}

}  // namespace

ProgramStart start_program_run(int argc, char** argv) {
    const std::string program_name = program_name_of(argc, argv);

    std::string split_error;
    const char* environment = std::getenv("KD508_OPTIONS");
    const std::vector<std::string> environment_words =
        split_option_words(environment != nullptr ? environment : "", split_error);
    if (!split_error.empty()) return option_error(program_name, split_error);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) arguments.emplace_back(argv[i]);

    const OptionsParse parse = parse_command_options(environment_words, arguments);
    if (!parse.error.empty()) return option_error(program_name, parse.error);
    const CommandOptions& options = parse.options;

    if (options.help) {
        std::fputs(options_help(program_name).c_str(), stdout);
        return stop_with(std::fflush(stdout) == 0 ? 0 : 1);
    }
    if (options.version) {
        std::printf("%s (KD508 runtime) %s\n", program_name.c_str(), KD508_VERSION);
        return stop_with(std::fflush(stdout) == 0 ? 0 : 1);
    }
    if (!options.play.empty()) {
        if (std::string problem = check_script(options.play); !problem.empty()) return option_error(program_name, problem);
    }
    if (!options.screenshot.empty()) {
        if (std::string problem = check_output_path("screenshot", options.screenshot); !problem.empty()) {
            return option_error(program_name, problem);
        }
    }
    if (!options.transcript.empty()) {
        if (std::string problem = check_output_path("transcript", options.transcript); !problem.empty()) {
            return option_error(program_name, problem);
        }
    }
    if (!options.headless && !display_may_be_available(options.passed_on)) {
        std::fprintf(stderr, "%s\n", no_display_message);
        return stop_with(no_display_status);
    }
    std::unique_ptr<std::FILE, FileCloser> transcript;
    if (!options.transcript.empty()) {
        transcript.reset(std::fopen(options.transcript.c_str(), "w"));
        if (!transcript) {
            return option_error(program_name,
                                "cannot write the transcript " + options.transcript + ": " + std::strerror(errno));
        }
        // Each line reaches the file as it is written, so that a run cut short leaves all of
        // its lines so far.
        std::setvbuf(transcript.get(), nullptr, _IOLBF, BUFSIZ);
    }

    const bool named = argc >= 1 && argv != nullptr && argv[0] != nullptr && *argv[0] != '\0';
    reset_platform(presenter_for(options, named ? std::string(argv[0]) : program_name));
    PlatformState& state = platform_state();
    RunSection& run = state.run;
    run.program_name = program_name;
    run.headless = options.headless;
    run.initial_script = options.play;
    run.screenshot_path = options.screenshot;
    run.transcript_path = options.transcript;
    run.transcript = std::move(transcript);
    if (options.run_for_ms) state.queue.quit_at_ms = state.presenter->now_ms() + *options.run_for_ms;

    ProgramStart start;
    start.run = true;
    start.command_line = blank_separated(options.passed_on);
    return start;
}

int finish_program_run(int program_status) {
    take_requested_screenshot();
    close_transcript();
    const int failure = platform_state().run.failure_status;
    return failure != 0 ? failure : program_status;
}

}  // namespace kd508::platform

namespace kd508::runtime_options {

// A program with the layer's main() has its options taken and its presenter up before WinMain.
// A program with a main() of its own reaches the layer first through KD508_open: the layer
// comes up here, with the options of KD508_OPTIONS, and --help, --version or a mistake in the
// options end the process as the layer's main() would have ended it.
void runtime_opening() {
    if (platform::platform_state().presenter) return;
    const platform::ProgramStart start = platform::start_program_run(0, nullptr);
    if (!start.run) {
        std::fflush(nullptr);
        std::exit(start.status);
    }
    platform::platform_state().run.started_by_runtime = true;
    platform::record_ending_status_at_exit();
}

}  // namespace kd508::runtime_options
