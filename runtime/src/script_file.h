// Opening "KD508.SCR" only when it is a regular file.
#pragma once

#include <cstdio>

namespace kd508 {

enum class ScriptFileDirection { reading, writing };

// The script as a stream, or null when it cannot be opened or is not a regular file. The check
// comes before anything is read, written or emptied, and the open itself never blocks: a FIFO
// would otherwise stop the whole program inside the event wait until some other process opens
// its other end, and a directory or a device is no script. Reading takes the bytes as they are;
// writing goes through the C library's text mode and empties the file first.
std::FILE* open_regular_script_file(const char* name, ScriptFileDirection direction);

}  // namespace kd508
