// Recording the event stream to "KD508.SCR" and playing it back.
#pragma once

namespace kd508 {

inline constexpr char script_file_name[] = "KD508.SCR";

void record_event(int kind);
// False when the recording has ended because the line could not be written or the file opened.
bool write_script_event(int kind, int x, int y, char key);
int read_script_event();
void end_playback();
void close_script();
void start_recording();
void stop_recording();
void start_playback();
// Starts playback of another file than "KD508.SCR", for as long as that file stays open.
void start_playback_of(const char* file_name);
void stop_playback();
void play_one_event();

}  // namespace kd508
