// The runtime's own command-line options, taken before the program starts as a toolkit takes
// its own: whatever is not one of them is left, in order, for the toolkit and the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kd508::platform {

struct CommandOptions {
    bool help = false;
    bool version = false;
    bool headless = false;
    std::string play;        // empty: no script from the command line
    std::optional<std::int64_t> run_for_ms;
    std::string screenshot;  // empty: no screenshot
    std::string transcript;  // empty: no transcript
    std::vector<std::string> passed_on;  // the other arguments, for the toolkit and the program
};

struct OptionsParse {
    CommandOptions options;
    std::string error;  // empty when the options were understood
};

// Reads the words of KD508_OPTIONS first, then the program's arguments (without the program's
// name); an option given in both takes the arguments' value. Every word of KD508_OPTIONS must
// be an option of the runtime. "--" ends the options: what follows is passed on unread.
OptionsParse parse_command_options(const std::vector<std::string>& environment_words,
                                   const std::vector<std::string>& arguments);

// Splits KD508_OPTIONS into words at blanks; single or double quotes keep blanks in a word.
// Fails (with error set) on an unclosed quote.
std::vector<std::string> split_option_words(const std::string& text, std::string& error);

// The options a build offers: the Windows build runs on the system's own screen, so it has no
// headless runs and, without an image library, no screenshots.
enum class OptionSet { full, windows };

// The text --help prints, for a program of the given name.
std::string options_help(const std::string& program_name, OptionSet offered = OptionSet::full);

}  // namespace kd508::platform
