// Recording the delivered events to "KD508.SCR" and playing them back.
//
// One line per mouse event, per keyboard event and per run of consecutive periodic events. The
// recorder holds a run back in periodic_run until another event (or the end of the recording)
// ends it; the reader hands a run out again one event per call from the same field.
//
// Recording and playback share the one stream and the one run count, so they never run at the
// same time: starting either direction first stops the other. Otherwise the reader would hand
// out a run that the recorder keeps refilling, and the writer would empty the file being read.
#include "script.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#include "kd508.h"
#include "../platform/runtime_options.h"
#include "run_menu.h"
#include "runtime_state.h"
#include "script_file.h"

namespace kd508 {

namespace {

using ScriptMode = RuntimeState::ScriptMode;

// One read takes at most 511 characters and a terminator; a longer line comes in pieces.
constexpr int line_buffer_size = 512;

// Every keyword starts with the six characters "KD508_": the seventh names the event, and the
// digits of the prefix lie before it, where no number search looks.
constexpr int event_letter_index = 6;

// Windows' text mode ends a file at a Ctrl-Z byte; the reader does the same everywhere.
constexpr int text_end_of_file = 0x1A;

struct ScriptLine {
    char text[line_buffer_size];
    int length = 0;  // characters before the terminator; NUL bytes may lie among them
};

enum class LineRead { line, end_of_file, failed };

struct NumberText {
    int value = 0;
    int end = 0;  // index of the character that ended the number's text
};

bool is_decimal_digit(char c) { return c >= '0' && c <= '9'; }
bool is_number_character(char c) { return is_decimal_digit(c) || c == '-'; }

// Reads the next line, newline included, but at most 511 characters. Like Windows' text mode,
// a carriage return right before a newline is dropped and a Ctrl-Z ends the file; a carriage
// return anywhere else stays. A last line with no newline reports the end of the file.
LineRead read_script_line(std::FILE* file, ScriptLine& line) {
    line.length = 0;
    line.text[0] = '\0';
    while (line.length < line_buffer_size - 1) {
        int c = std::getc(file);
        if (c == EOF) return std::ferror(file) ? LineRead::failed : LineRead::end_of_file;
        if (c == text_end_of_file) return LineRead::end_of_file;
        if (c == '\r') {
            const int next = std::getc(file);
            if (next == '\n') {
                c = '\n';
            } else if (next != EOF) {
                std::ungetc(next, file);
            }
        }
        line.text[line.length++] = static_cast<char>(c);
        line.text[line.length] = '\0';
        if (c == '\n') break;
    }
    return LineRead::line;
}

// The value of an optional '-' and the digits after it, as the standard decimal conversion
// gives it, but bounded: a value beyond 32 bits is held at the nearest 32-bit limit.
int bounded_decimal_value(const ScriptLine& line, int start, int end) {
    const bool negative = line.text[start] == '-';
    const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
    std::int64_t magnitude = 0;
    for (int i = start + (negative ? 1 : 0); i < end && is_decimal_digit(line.text[i]); ++i) {
        magnitude = magnitude * 10 + (line.text[i] - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

// The first signed number at or after index from: the run of digits and '-' characters that
// begins at the first such character. A run without a digit is no number.
bool find_signed_number(const ScriptLine& line, int from, NumberText& number) {
    int start = from;
    while (start < line.length && !is_number_character(line.text[start])) ++start;
    int end = start;
    bool has_digit = false;
    while (end < line.length && is_number_character(line.text[end])) {
        has_digit = has_digit || is_decimal_digit(line.text[end]);
        ++end;
    }
    if (!has_digit) return false;
    number.value = bounded_decimal_value(line, start, end);
    number.end = end;
    return true;
}

// The first run of decimal digits at or after index from; a '-' before it is not looked at.
bool find_count(const ScriptLine& line, int from, int& count) {
    int start = from;
    while (start < line.length && !is_decimal_digit(line.text[start])) ++start;
    if (start == line.length) return false;
    int end = start;
    while (end < line.length && is_decimal_digit(line.text[end])) ++end;
    count = bounded_decimal_value(line, start, end);
    return true;
}

// Latches the event that a line describes. False, with nothing latched, for a line that is too
// short to name an event, names none, or lacks a number its event needs.
bool latch_scripted_event(const ScriptLine& line) {
    RuntimeState& state = runtime_state();
    if (line.length <= event_letter_index) return false;
    switch (line.text[event_letter_index]) {
        case 'K': {
            NumberText key;
            if (!find_signed_number(line, event_letter_index, key)) return false;
            state.pending_event = KD508_KBD;
            state.event_key = static_cast<signed char>(static_cast<unsigned>(key.value) & 0xFFu);
            return true;
        }
        case 'M': {
            NumberText x;
            NumberText y;
            if (!find_signed_number(line, event_letter_index, x) || !find_signed_number(line, x.end, y)) {
                return false;
            }
            state.pending_event = KD508_MOUSE;
            state.event_x = x.value;
            state.event_y = y.value;
            return true;
        }
        case 'P': {
            int count = 0;
            if (!find_count(line, event_letter_index, count)) return false;
            state.pending_event = KD508_PERIODIC;
            // This call delivers the first event of the run; a count below 1 still gives one.
            state.periodic_run = count > 1 ? count - 1 : 0;
            return true;
        }
        default:
            return false;
    }
}

void set_check_mark(UINT command, bool checked) {
    CheckMenuItem(runtime_state().run_menu, command, checked ? MF_CHECKED : MF_UNCHECKED);
}

// Playback stops where it is: the stream stays open after the line just read, so that the next
// playback goes on with the line after it. The wait clears playing_back; the check mark goes
// with it, so that the menu never shows playback on while it is off.
int hold_playback() {
    set_check_mark(command_playback_script, false);
    return 0;
}

// The first failure to write ends the recording: the check mark goes, the stream is dropped,
// and one message says how many delivered events the file misses. Nothing more is written for
// this recording, so the message never comes twice.
void abandon_recording(int events_lost) {
    RuntimeState& state = runtime_state();
    state.recording = 0;
    state.periodic_run = 0;
    set_check_mark(command_record_script, false);
    if (state.script_file) std::fclose(state.script_file);
    state.script_file = nullptr;
    state.script_mode = ScriptMode::none;
    KD508_printf("Cannot write script file %s, events lost: %d\n", script_file_name, events_lost);
}

// Opens the script for a recording; a file that cannot be opened ends the recording at once
// with one message, so that it neither stays "on" nor complains at every event.
bool open_for_recording() {
    RuntimeState& state = runtime_state();
    state.script_file = open_regular_script_file(script_file_name, ScriptFileDirection::writing);
    if (!state.script_file) {
        state.recording = 0;
        state.periodic_run = 0;
        set_check_mark(command_record_script, false);
        KD508_printf("Cannot open script file %s for writing\n", script_file_name);
        return false;
    }
    state.script_mode = ScriptMode::writing;
    return true;
}

// Every line goes to the file at once, so that a failure is known at the line that failed and
// the count of lost events is exact.
bool write_line_of_events(int kind, int x, int y, char key) {
    std::FILE* file = runtime_state().script_file;
    int written = 0;
    switch (kind) {
        case KD508_MOUSE:
            written = std::fprintf(file, "KD508_MOUSE(%d, %d);\n", x, y);
            break;
        case KD508_KBD:
            written = std::fprintf(file, "KD508_KBD(%d);\n", static_cast<int>(static_cast<signed char>(key)));
            break;
        case KD508_PERIODIC:
            written = std::fprintf(file, "KD508_PERIODIC(%d);\n", static_cast<int>(runtime_state().periodic_run));
            break;
        default:
            // A quit has no line; the file has still been created or emptied.
            return true;
    }
    return written > 0 && std::fflush(file) == 0;
}

// Events a line stands for: a run line all of its run.
int events_in_line(int kind) {
    if (kind == KD508_PERIODIC) return runtime_state().periodic_run;
    return kind == KD508_MOUSE || kind == KD508_KBD ? 1 : 0;
}

// Writes one line, opening the script first if the recording has not yet done so. False when
// the recording has ended; also_lost counts the events that go with this line if it fails.
bool write_events(int kind, int x, int y, char key, int also_lost) {
    RuntimeState& state = runtime_state();
    if (!state.script_file) {
        if (!open_for_recording()) return false;
    } else if (state.script_mode != ScriptMode::writing) {
        // Never write into the script that playback is reading.
        return true;
    }
    if (write_line_of_events(kind, x, y, key)) return true;
    abandon_recording(events_in_line(kind) + also_lost);
    return false;
}

bool write_held_run(int also_lost = 0) {
    RuntimeState& state = runtime_state();
    if (state.periodic_run <= 0) return true;
    const bool still_recording = write_events(KD508_PERIODIC, 0, 0, 0, also_lost);
    // A run whose line was not written is dropped: its count must not grow into a later run.
    state.periodic_run = 0;
    return still_recording;
}

// Playback reads the script given on the command line while that plays, else "KD508.SCR".
const char* playback_file_name() {
    const RuntimeState& state = runtime_state();
    return state.playback_file ? state.playback_file : script_file_name;
}

// The script given on the command line stopped playing; the options that asked for it may
// end the run on that.
void report_end_of_given_script(bool complete, const char* line) {
    if (runtime_state().playback_file) runtime_options::initial_script_ended(complete, line);
}

bool playback_uses_script() {
    const RuntimeState& state = runtime_state();
    return state.playing_back || state.play_one_requested || state.script_mode == ScriptMode::reading;
}

}  // namespace

void record_event(int kind) {
    RuntimeState& state = runtime_state();
    if (kind == KD508_PERIODIC) {
        // A run too long for its count is written out and a new one begun.
        if (state.periodic_run == INT_MAX && !write_held_run()) return;
        ++state.periodic_run;
        return;
    }
    // The event that ends the run is lost with it when the run's line fails.
    if (!write_held_run(events_in_line(kind))) return;
    write_script_event(kind, state.event_x, state.event_y, static_cast<char>(state.event_key));
}

bool write_script_event(int kind, int x, int y, char key) { return write_events(kind, x, y, key, 0); }

int read_script_event() {
    RuntimeState& state = runtime_state();
    if (!state.script_file) {
        state.script_file = open_regular_script_file(playback_file_name(), ScriptFileDirection::reading);
        if (!state.script_file) {
            KD508_printf("Cannot open script file %s for reading\n", playback_file_name());
            report_end_of_given_script(false, nullptr);
            end_playback();
            return 0;
        }
        state.script_mode = ScriptMode::reading;
    } else if (state.script_mode != ScriptMode::reading) {
        // The recorder's stream is never read from.
        return hold_playback();
    }

    if (state.periodic_run > 0) {
        --state.periodic_run;
        state.pending_event = KD508_PERIODIC;
        return 1;
    }

    ScriptLine line;
    LineRead result = read_script_line(state.script_file, line);
    while (result == LineRead::line && line.text[0] == '\n') result = read_script_line(state.script_file, line);

    switch (result) {
        case LineRead::end_of_file:
            KD508_printf("EOF encountered in script file %s\n", playback_file_name());
            report_end_of_given_script(true, nullptr);
            end_playback();
            return 0;
        case LineRead::failed:
            // What the buffer holds is not a line. Such errors go unreported; playback ends as
            // at the end of the file, so that the next playback opens the script afresh.
            report_end_of_given_script(false, nullptr);
            end_playback();
            return 0;
        case LineRead::line:
            break;
    }
    if (latch_scripted_event(line)) return 1;
    report_end_of_given_script(false, line.text);
    return hold_playback();
}

void end_playback() {
    RuntimeState& state = runtime_state();
    state.playing_back = 0;
    state.play_one_requested = 0;
    state.periodic_run = 0;
    set_check_mark(command_playback_script, false);
    close_script();
}

void close_script() {
    RuntimeState& state = runtime_state();
    // Closing while recording (only the runtime's own close does that) writes the held-back run
    // first: every delivered event reaches the file.
    if (state.recording && state.script_mode != ScriptMode::reading && !write_held_run()) return;
    std::FILE* file = state.script_file;
    const bool was_writing = state.script_mode == ScriptMode::writing;
    state.script_file = nullptr;
    state.script_mode = ScriptMode::none;
    // The script given on the command line is played once; after it, "KD508.SCR" again.
    state.playback_file = nullptr;
    // Every line was flushed when it was written, so a failing close loses no event known to be
    // lost; it is still reported, since the file may not hold what was flushed.
    if (file && std::fclose(file) != 0 && was_writing) abandon_recording(0);
}

void start_recording() {
    RuntimeState& state = runtime_state();
    if (playback_uses_script()) stop_playback();
    state.play_one_requested = 0;
    state.periodic_run = 0;
    state.recording = 1;
    set_check_mark(command_record_script, true);
}

void stop_recording() {
    RuntimeState& state = runtime_state();
    state.recording = 0;
    set_check_mark(command_record_script, false);
    write_held_run();
    close_script();
}

void start_playback() {
    RuntimeState& state = runtime_state();
    if (state.recording) stop_recording();
    state.animation_running = 0;
    state.single_step_requested = 0;
    state.playing_back = 1;
    set_check_mark(command_playback_script, true);
}

void start_playback_of(const char* file_name) {
    start_playback();
    // After start_playback, which may have closed a recording and with it the file name.
    runtime_state().playback_file = file_name;
}

void stop_playback() {
    RuntimeState& state = runtime_state();
    state.playing_back = 0;
    // The rest of a run being played belongs to the script just closed: the next playback
    // starts at the first line, and no recording counts it.
    state.periodic_run = 0;
    set_check_mark(command_playback_script, false);
    close_script();
}

void play_one_event() {
    RuntimeState& state = runtime_state();
    if (state.recording) stop_recording();
    state.play_one_requested = 1;
    state.animation_running = 0;
    state.single_step_requested = 0;
}

}  // namespace kd508
