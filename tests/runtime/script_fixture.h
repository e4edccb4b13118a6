// An opened runtime on the headless presenter, running in a fresh temporary directory (the
// script file is relative to the current directory), with helpers to wait for events, read the
// messages and the menu, and read and write "KD508.SCR".
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "headless/headless_driver.h"
#include "kd508.h"
#include "run_menu.h"
#include "runtime_state.h"
#include "script.h"

namespace kd508::testing {

struct Event {
    int kind = 0;
    int x = 0;
    int y = 0;
    int key = 0;  // the character as an unsigned code, 0 to 255
    bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& event) {
    return out << "{kind " << event.kind << ", x " << event.x << ", y " << event.y << ", key " << event.key << "}";
}

inline Event mouse(int x, int y) { return {KD508_MOUSE, x, y, 0}; }
inline Event keyboard(int key) { return {KD508_KBD, 0, 0, key}; }
inline Event periodic() { return {KD508_PERIODIC, 0, 0, 0}; }
inline Event quit() { return {KD508_QUIT, 0, 0, 0}; }

// A fresh directory made current for the fixture's lifetime, removed afterwards.
class TemporaryCurrentDirectory {
public:
    TemporaryCurrentDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kd508-script-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
        path_ = pattern;
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~TemporaryCurrentDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryCurrentDirectory(const TemporaryCurrentDirectory&) = delete;
    TemporaryCurrentDirectory& operator=(const TemporaryCurrentDirectory&) = delete;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

class OpenScriptRuntime : public ::testing::Test {
protected:
    OpenScriptRuntime() {
        reset_runtime_state();
        KD508_open(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
        forget_messages();
    }
    ~OpenScriptRuntime() override { KD508_close(); }

    static RuntimeState& state() { return runtime_state(); }
    static HWND graphics() { return runtime_state().graphics_window; }
    static HWND text() { return runtime_state().text_window; }

    Event await() {
        int x = -1;
        int y = -1;
        char key = -1;
        const int kind = KD508_await_event(&x, &y, &key);
        return {kind, x, y, static_cast<unsigned char>(key)};
    }
    std::vector<Event> await_events(int count) {
        std::vector<Event> events;
        for (int i = 0; i < count; ++i) events.push_back(await());
        return events;
    }

    // Client pixel of a logical point, for clicks.
    void click_logical(int x, int y) { driver.click(graphics(), state().origin_x + x, state().origin_y - y); }

    static bool checked(UINT command) {
        return (GetMenuState(runtime_state().run_menu, command, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    // The check mark as the presenter shows it.
    bool shown_checked(UINT command) const {
        for (const headless::MenuItemState& item : driver.mirrored_popup_items(graphics(), 0)) {
            if (item.id == command && !item.separator) return item.checked;
        }
        ADD_FAILURE() << "no item " << command << " in the mirrored menu";
        return false;
    }

    // The message lines kept since the last forget_messages(), oldest first.
    static std::vector<std::string> messages() {
        const RuntimeState& s = runtime_state();
        std::vector<std::string> lines;
        int slot = s.log_first;
        for (int count = 0; slot >= 0 && !(slot == s.log_next && count != 0); ++count) {
            const char* line = static_cast<const char*>(GlobalLock(s.log_ring[slot]));
            lines.push_back(line ? line : "");
            GlobalUnlock(s.log_ring[slot]);
            slot = (slot + 1) % log_ring_size;
        }
        return lines;
    }
    static void forget_messages() {
        RuntimeState& s = runtime_state();
        for (HGLOBAL& block : s.log_ring) {
            if (block) GlobalFree(block);
            block = nullptr;
        }
        s.log_first = -1;
        s.log_next = 0;
    }

    static void write_script(const std::string& bytes) {
        std::ofstream out(script_file_name, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string read_script() {
        std::ifstream in(script_file_name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool script_exists() { return std::filesystem::exists(script_file_name); }

    // Declared first, so that the directory outlives the runtime that writes into it.
    TemporaryCurrentDirectory directory;
    headless::Driver driver;
};

}  // namespace kd508::testing
