#include "app_test_support.h"

#include <iterator>

#include <gtest/gtest.h>

#include "kd508.h"
#include "runtime_state.h"

namespace bugwalk::testing {

OpenedRuntime::OpenedRuntime() : driver_(std::make_unique<kd508::headless::Driver>()) {
    char command_line[] = "";
    KD508_open(nullptr, nullptr, command_line, SW_SHOWNORMAL);
    KD508_logging(1);
}

OpenedRuntime::~OpenedRuntime() {
    KD508_close();
    kd508::reset_runtime_state();
}

HWND OpenedRuntime::graphics_window() const { return kd508::runtime_state().graphics_window; }

namespace {

std::string line_in_slot(int slot) {
    const HGLOBAL block = kd508::runtime_state().log_ring[slot];
    const char* text = static_cast<const char*>(GlobalLock(block));
    std::string line = text != nullptr ? text : "";
    GlobalUnlock(block);
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    return line;
}

}  // namespace

LogReader::LogReader() : next_slot_(kd508::runtime_state().log_next) { remember_ring(); }

void LogReader::remember_ring() {
    const auto& ring = kd508::runtime_state().log_ring;
    seen_blocks_.assign(std::begin(ring), std::end(ring));
}

std::vector<std::string> LogReader::take() {
    const kd508::RuntimeState& state = kd508::runtime_state();
    // A line that takes a slot gets a new block, so a slot still holding the block seen at the
    // last take has not been written since: if none is left, the ring went all the way round.
    bool any_unchanged = false;
    for (int slot = 0; slot < kd508::log_ring_size; ++slot) {
        any_unchanged = any_unchanged || state.log_ring[slot] == seen_blocks_[slot];
    }
    std::vector<std::string> lines;
    if (!any_unchanged) {
        ADD_FAILURE() << "25 or more log lines since the last take; some were lost";
    } else {
        for (int slot = next_slot_; slot != state.log_next; slot = (slot + 1) % kd508::log_ring_size) {
            lines.push_back(line_in_slot(slot));
        }
    }
    next_slot_ = state.log_next;
    remember_ring();
    return lines;
}

std::vector<std::string> newest_log_lines(int n) {
    const int next = kd508::runtime_state().log_next;
    std::vector<std::string> lines;
    for (int back = n; back > 0; --back) {
        lines.push_back(line_in_slot((next - back + kd508::log_ring_size) % kd508::log_ring_size));
    }
    return lines;
}

int log_position() { return kd508::runtime_state().log_next; }

}  // namespace bugwalk::testing
