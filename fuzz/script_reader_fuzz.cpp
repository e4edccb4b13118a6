// Feeds arbitrary bytes to the script reader as "KD508.SCR" and plays them to the end. The
// sanitizers report any byte read outside a buffer; a script that does not end aborts.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "headless/headless_driver.h"
#include "script_play_through.h"

namespace {

kd508::headless::Driver* driver = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The script is relative to the current directory: give the run a directory of its own.
    std::string directory = (std::filesystem::temp_directory_path() / "kd508-script-fuzz-XXXXXX").string();
    if (!mkdtemp(directory.data())) std::abort();
    std::filesystem::current_path(directory);
    driver = new kd508::headless::Driver();
    kd508::reset_runtime_state();
    KD508_open(nullptr, nullptr, const_cast<char*>(""), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kd508::close_script();
    kd508::runtime_state().periodic_run = 0;
    std::FILE* script = std::fopen(kd508::script_file_name, "wb");
    if (!script) std::abort();
    if (size > 0) std::fwrite(data, 1, size, script);
    std::fclose(script);

    const kd508::fuzzing::PlayThrough result = kd508::fuzzing::play_through(size);
    if (!result.finished || !result.kinds_valid) std::abort();
    return 0;
}
