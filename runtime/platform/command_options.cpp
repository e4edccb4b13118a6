#include "command_options.h"

#include <cctype>
#include <charconv>
#include <string_view>

namespace kd508::platform {

namespace {

enum class OptionKind { help, version, headless, play, run_for, screenshot, transcript };

struct OptionSpelling {
    std::string_view name;
    OptionKind kind;
    bool takes_value;
};

constexpr OptionSpelling runtime_options[] = {
    {"--help", OptionKind::help, false},
    {"--version", OptionKind::version, false},
    {"--headless", OptionKind::headless, false},
    {"--play", OptionKind::play, true},
    {"--run-for", OptionKind::run_for, true},
    {"--screenshot", OptionKind::screenshot, true},
    {"--transcript", OptionKind::transcript, true},
};

// The longest run a --run-for accepts: about 24 days, so that any clock reading plus it stays
// far inside 64 bits and every toolkit timer can be set to it.
constexpr std::int64_t longest_run_ms = std::int64_t{2'000'000'000};

const OptionSpelling* find_option(std::string_view name) {
    for (const OptionSpelling& option : runtime_options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

bool parse_milliseconds(const std::string& text, std::int64_t& value) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return false;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    return failure == std::errc{} && stop == end && value <= longest_run_ms;
}

// Applies one option with its value; returns an error message or an empty string.
std::string apply(CommandOptions& options, const OptionSpelling& option, const std::string& value) {
    if (option.takes_value && value.empty()) return std::string(option.name) + " needs a non-empty value";
    switch (option.kind) {
        case OptionKind::help: options.help = true; break;
        case OptionKind::version: options.version = true; break;
        case OptionKind::headless: options.headless = true; break;
        case OptionKind::play: options.play = value; break;
        case OptionKind::screenshot: options.screenshot = value; break;
        case OptionKind::transcript: options.transcript = value; break;
        case OptionKind::run_for: {
            std::int64_t milliseconds = 0;
            if (!parse_milliseconds(value, milliseconds)) {
                return "--run-for takes a number of milliseconds from 0 to " + std::to_string(longest_run_ms) +
                       ", not \"" + value + "\"";
            }
            options.run_for_ms = milliseconds;
            break;
        }
    }
    return {};
}

// Reads a list of words. With only_options set, every word must be a runtime option; otherwise
// single-dash words and plain words are passed on.
std::string read_words(CommandOptions& options, const std::vector<std::string>& words, bool only_options) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--" && !only_options) {
            options.passed_on.insert(options.passed_on.end(), words.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                     words.end());
            return {};
        }
        const bool long_option = word.size() > 2 && word.compare(0, 2, "--") == 0;
        if (!long_option) {
            if (only_options) return "KD508_OPTIONS holds \"" + word + "\", which is no option of the runtime";
            options.passed_on.push_back(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionSpelling* option = find_option(name);
        if (option == nullptr) return "unknown option " + name;
        std::string value;
        if (equals != std::string::npos) {
            if (!option->takes_value) return name + " takes no value";
            value = word.substr(equals + 1);
        } else if (option->takes_value) {
            if (i + 1 >= words.size()) return name + " needs a value";
            value = words[++i];
        }
        if (std::string error = apply(options, *option, value); !error.empty()) return error;
    }
    return {};
}

}  // namespace

OptionsParse parse_command_options(const std::vector<std::string>& environment_words,
                                   const std::vector<std::string>& arguments) {
    OptionsParse parse;
    parse.error = read_words(parse.options, environment_words, true);
    if (parse.error.empty()) parse.error = read_words(parse.options, arguments, false);
    return parse;
}

std::vector<std::string> split_option_words(const std::string& text, std::string& error) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    char quote = '\0';
    for (const char c : text) {
        if (quote != '\0') {
            if (c == quote) {
                quote = '\0';
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            in_word = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (quote != '\0') {
        error = "KD508_OPTIONS has an unclosed quote";
        return {};
    }
    if (in_word) words.push_back(word);
    return words;
}

std::string options_help(const std::string& program_name, OptionSet offered) {
    const bool full = offered == OptionSet::full;
    std::string text = "Usage: " + program_name +
                       " [OPTION]...\n"
                       "Options of the KD508 runtime, taken before the program starts:\n"
                       "  --help               show this help and exit\n"
                       "  --version            show the runtime's version and exit\n"
                       "  --play FILE          play FILE as the script from the start, in place of KD508.SCR\n";
    if (full) {
        text +=
            "  --headless           run without a display, on a virtual clock; with --play, end\n"
            "                       when the script has been played to its end\n";
    }
    text += full ? "  --run-for MS         end the run with a quit after MS milliseconds (of virtual\n"
                   "                       time when headless)\n"
                 : "  --run-for MS         end the run with a quit after MS milliseconds\n";
    text +=
        "  --screenshot FILE    when the program ends, write what the graphics window shows\n"
        "                       as a PNG image\n";
    text +=
        "  --transcript FILE    write every line the text window would show with logging on\n"
        "                       from the start, one per line, as the program runs\n"
        "The same options may be given in the environment variable KD508_OPTIONS; the\n"
        "command line wins. Every other argument is left to the program";
    text += full ? " and the toolkit.\n" : ".\n";
    text += full ? "Exit status: the program's own; 1 when a headless playback stops at a bad line or\n"
                   "no display is found; 2 for a mistake in the options.\n"
                 : "Exit status: the program's own; 1 when the screenshot cannot be written; 2 for a\n"
                   "mistake in the options.\n";
    return text;
}

}  // namespace kd508::platform
