// Drives the real program loop (the bug walk on the runtime and the headless presenter) with a
// stream of input read from the bytes: clicks anywhere, characters, Ctrl+letter keys, menu
// commands, focus loss, exposure, resizing, closing either window, and virtual time passing
// between them. A stream that has not ended the program within a bound of virtual time aborts.
//
// Half of the streams are round trips: the session is recorded from its first event, with the
// commands that would stop or replace the recording left out; a second run then plays the
// recording back and must end on the very frame that the recorded session showed.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "headless/headless_driver.h"
#include "kd508.h"
#include "walk_state.h"
#include "run_menu.h"
#include "runtime_state.h"
#include "script.h"

namespace {

using kd508::headless::Driver;

// The stream's input falls within this much virtual time; the program must have ended by the
// bound, which leaves time for the close that ends every stream.
constexpr std::int64_t stream_span_ms = 3000;
constexpr std::int64_t end_bound_ms = stream_span_ms + 2000;
constexpr int most_actions = 64;
// The graphics window's client is 600 by 600 less its frame; clicks go somewhat beyond it, and
// sometimes anywhere in the 16-bit range the platform's coordinates have.
constexpr int click_reach = 700;

enum class Input {
    click_graphics, click_text, character, ctrl_letter, menu, focus_loss, expose_graphics, expose_text,
    resize_text, resize_graphics, close_text, close_graphics, ctrl_alone, count
};

struct Action {
    std::int64_t time_ms = 0;
    Input input = Input::character;
    int a = 0;
    int b = 0;
};

struct Stream {
    bool round_trip = false;
    std::vector<Action> actions;
    std::int64_t end_ms = 0;
};

// What would stop, replace or end the recording of a round trip, or move the graphics window's
// origin between the two runs.
bool breaks_round_trip(const Action& action) {
    switch (action.input) {
        case Input::ctrl_letter:
            return action.a == 'R' || action.a == 'P' || action.a == 'O' || action.a == 'Q';
        case Input::menu:
            return action.a == kd508::command_record_script || action.a == kd508::command_playback_script ||
                   action.a == kd508::command_play_one || action.a == kd508::command_quit;
        case Input::resize_graphics:
        case Input::close_graphics:
        case Input::ctrl_alone:
            return true;
        default:
            return false;
    }
}

Stream read_stream(FuzzedDataProvider& data) {
    Stream stream;
    stream.round_trip = data.ConsumeBool();
    std::int64_t time = 1;
    while (data.remaining_bytes() > 0 && static_cast<int>(stream.actions.size()) < most_actions) {
        Action action;
        time += data.ConsumeIntegralInRange<int>(0, 250);
        if (time > stream_span_ms) break;
        action.time_ms = time;
        action.input = static_cast<Input>(data.ConsumeIntegralInRange<int>(0, static_cast<int>(Input::count) - 1));
        const bool far = data.ConsumeIntegralInRange<int>(0, 7) == 0;
        action.a = far ? data.ConsumeIntegral<int>() : data.ConsumeIntegralInRange<int>(-50, click_reach);
        action.b = far ? data.ConsumeIntegral<int>() : data.ConsumeIntegralInRange<int>(-50, click_reach);
        if (action.input == Input::ctrl_letter) action.a = 'A' + data.ConsumeIntegralInRange<int>(0, 25);
        if (action.input == Input::character) action.a = data.ConsumeIntegral<std::uint8_t>();
        if (action.input == Input::menu) action.a = data.ConsumeIntegralInRange<int>(0, 12);
        if (stream.round_trip && breaks_round_trip(action)) continue;
        stream.actions.push_back(action);
    }
    stream.end_ms = time + 1;
    return stream;
}

HWND graphics() { return kd508::runtime_state().graphics_window; }
HWND text() { return kd508::runtime_state().text_window; }

// The layer keeps no window after it is closed: input for it goes nowhere.
void give(Driver& driver, const Action& action) {
    const HWND window = (action.input == Input::click_text || action.input == Input::expose_text ||
                         action.input == Input::resize_text || action.input == Input::close_text)
                            ? text()
                            : graphics();
    if (!IsWindow(window)) return;
    switch (action.input) {
        case Input::click_graphics:
        case Input::click_text:
            driver.click(window, action.a, action.b);
            break;
        case Input::character:
            driver.type(window, std::string(1, static_cast<char>(action.a)));
            break;
        case Input::ctrl_letter:
            driver.press_ctrl_letter(window, static_cast<char>(action.a));
            break;
        case Input::menu:
            driver.choose_menu(window, static_cast<UINT>(action.a));
            break;
        case Input::focus_loss:
            driver.lose_keyboard_focus();
            break;
        case Input::expose_graphics:
        case Input::expose_text:
            driver.expose(window);
            break;
        case Input::resize_text:
        case Input::resize_graphics:
            driver.resize_client(window, action.a, action.b);
            break;
        case Input::close_text:
        case Input::close_graphics:
            driver.close(window);
            break;
        case Input::ctrl_alone:
            // A Ctrl that goes down and is never seen to come up.
            driver.key_down(window, VK_CONTROL);
            break;
        case Input::count:
            break;
    }
}

// Runs the program to its end; the stream's actions and the caller's own run at their times.
// Aborts when the program has not ended within the bound.
void run_program(Driver& driver) {
    driver.set_stall_limit_ms(end_bound_ms);
    kd508::reset_runtime_state();
    try {
        if (bugwalk::run_bug_walk(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL) != 0) std::abort();
    } catch (const kd508::headless::HeadlessStall& stall) {
        std::fprintf(stderr, "the program did not end: %s\n", stall.what());
        std::abort();
    }
}

std::vector<std::uint32_t> shown_frame(const Driver& driver) {
    return IsWindow(graphics()) ? driver.client_pixels(graphics()) : std::vector<std::uint32_t>{};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The script is relative to the current directory: give the run a directory of its own.
    std::string directory = (std::filesystem::temp_directory_path() / "kd508-events-fuzz-XXXXXX").string();
    if (!mkdtemp(directory.data())) std::abort();
    std::filesystem::current_path(directory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::error_code ignored;
    std::filesystem::remove_all(kd508::script_file_name, ignored);
    FuzzedDataProvider data(bytes, size);
    const Stream stream = read_stream(data);

    std::vector<std::uint32_t> recorded_frame;
    {
        Driver driver;
        // Actions wait for a wait of the program, so that the window shows the latest frame.
        if (stream.round_trip) driver.at_ms(0, [&] { driver.press_ctrl_letter(graphics(), 'R'); });
        for (const Action& action : stream.actions) driver.at_ms(action.time_ms, [&driver, action] { give(driver, action); });
        driver.at_ms(stream.end_ms, [&] {
            recorded_frame = shown_frame(driver);
            if (IsWindow(graphics())) driver.close(graphics());
        });
        run_program(driver);
    }
    if (!stream.round_trip) return 0;
    // The recording began with the session; without its file the comparison below means nothing.
    if (!std::filesystem::is_regular_file(kd508::script_file_name)) {
        std::fprintf(stderr, "the recorded session left no script\n");
        std::abort();
    }

    // Playback runs without waiting, so the whole script has been played, and nothing else has
    // happened, by the first wait after it.
    std::vector<std::uint32_t> played_frame;
    bool played_to_end = false;
    {
        Driver driver;
        driver.at_ms(1, [&] { driver.press_ctrl_letter(graphics(), 'P'); });
        driver.at_ms(2, [&] {
            played_to_end = kd508::runtime_state().playing_back == 0 && kd508::runtime_state().script_file == nullptr;
            played_frame = shown_frame(driver);
            driver.close(graphics());
        });
        run_program(driver);
    }
    if (!played_to_end || played_frame != recorded_frame) {
        std::fprintf(stderr, "the recording played back %s\n",
                     played_to_end ? "ends on another frame than the recorded session showed" : "did not end");
        std::abort();
    }
    return 0;
}
