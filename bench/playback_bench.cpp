// Playback of a long script through the real program loop on the headless presenter: how many
// events a second the program takes in, each one redrawn and shown as the program on screen
// does it. The heaviest run first adds ten bugs and scares them, so that every frame after that
// is the heaviest the program draws.
//
// Usage: playback_bench [one-bug|heaviest] [events]
// Prints one line: "<which>: <events> events played in <ms> ms, <rate> events per second".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "runtime_state.h"
#include "headless/headless_driver.h"
#include "walk_state.h"

namespace fs = std::filesystem;

namespace {

constexpr int default_events = 20000;
constexpr int button_column_x = -257;
constexpr int add_bug_button_y = 57;
constexpr int scare_button_y = 107;
constexpr int added_bugs = 10;
// A click on the walk area, away from the buttons: an event that changes nothing but the frame.
constexpr int walk_area_x = 100, walk_area_y = -150;

// The events alternate between single periodic steps and clicks on the walk area, each on a line
// of its own, so that reading the script is part of what is measured.
void write_script(const fs::path& path, bool heaviest, int events) {
    std::ofstream script(path, std::ios::binary);
    int written = 0;
    if (heaviest) {
        for (int i = 0; i < added_bugs; ++i, ++written) script << "KD508_MOUSE(" << button_column_x << ", " << add_bug_button_y << ");\n";
        script << "KD508_MOUSE(" << button_column_x << ", " << scare_button_y << ");\n";
        ++written;
    }
    for (; written < events; ++written) {
        if (written % 2 == 0) script << "KD508_PERIODIC(1);\n";
        else script << "KD508_MOUSE(" << walk_area_x << ", " << walk_area_y << ");\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool heaviest = argc >= 2 && std::strcmp(argv[1], "heaviest") == 0;
    const int events = argc >= 3 ? std::max(1, std::atoi(argv[2])) : default_events;

    std::string pattern = (fs::temp_directory_path() / "kd508-playback-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("playback_bench: cannot make a temporary directory");
        return 2;
    }
    const fs::path directory = pattern;
    const fs::path previous = fs::current_path();
    fs::current_path(directory);
    write_script(directory / "KD508.SCR", heaviest, events);

    using Clock = std::chrono::steady_clock;
    Clock::time_point started, ended;
    bool finished = false;
    {
        kd508::headless::Driver driver;
        kd508::reset_runtime_state();
        const auto graphics = [] { return kd508::runtime_state().graphics_window; };
        driver.set_stall_limit_ms(3'600'000);
        driver.at_ms(50, [&] {
            started = Clock::now();
            driver.press_ctrl_letter(graphics(), 'P');
        });
        // The virtual clock stands still while the script plays: the first wait after its end
        // reaches this time.
        driver.at_ms(60, [&] {
            ended = Clock::now();
            finished = kd508::runtime_state().playing_back == 0;
            driver.close(graphics());
        });
        bugwalk::run_bug_walk(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
    }
    fs::current_path(previous);
    fs::remove_all(directory);
    if (!finished) {
        std::fprintf(stderr, "playback_bench: the script did not play to its end\n");
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(ended - started).count();
    std::printf("%s: %d events played in %.0f ms, %.0f events per second\n", heaviest ? "heaviest" : "one-bug", events, ms,
                events / (ms / 1000.0));
    return 0;
}
