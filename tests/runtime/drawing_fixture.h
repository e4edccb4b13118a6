// An opened runtime on the headless presenter, with the message ring emptied so that a test
// reads back exactly the lines it caused, and read-back of canvas pixels.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/headless_driver.h"
#include "kd508.h"
#include "core/layer_counters.h"
#include "runtime_state.h"
#include "window_lifecycle.h"

namespace kd508::testing {

// The kept lines, oldest first, as the ring holds them.
inline std::vector<std::string> ring_lines() {
    const RuntimeState& state = runtime_state();
    std::vector<std::string> lines;
    int slot = state.log_first;
    for (int count = 0; slot >= 0 && !(slot == state.log_next && count != 0); ++count) {
        const char* text = static_cast<const char*>(GlobalLock(state.log_ring[slot]));
        lines.push_back(text ? text : "<unreadable block>");
        GlobalUnlock(state.log_ring[slot]);
        slot = (slot + 1) % log_ring_size;
    }
    return lines;
}

// Frees every kept line and starts the ring afresh.
inline void empty_ring() {
    RuntimeState& state = runtime_state();
    for (HGLOBAL& block : state.log_ring) {
        if (block) GlobalFree(block);
        block = nullptr;
    }
    state.log_first = -1;
    state.log_next = 0;
}

class OpenRuntime : public ::testing::Test {
protected:
    OpenRuntime() {
        reset_runtime_state();
        KD508_open(nullptr, nullptr, const_cast<char*>(""), SW_SHOWNORMAL);
        empty_ring();
    }
    ~OpenRuntime() override { KD508_close(); }

    static HDC canvas() { return runtime_state().canvas_surface; }
    static int origin_x() { return runtime_state().origin_x; }
    static int origin_y() { return runtime_state().origin_y; }
    // The canvas pixel of a logical point.
    static COLORREF logical_pixel(int x, int y) {
        return GetPixel(canvas(), origin_x() + x, origin_y() - y);
    }
    static std::vector<COLORREF> canvas_pixels() {
        std::vector<COLORREF> pixels;
        pixels.reserve(canvas_width * canvas_height);
        for (int y = 0; y < canvas_height; ++y) {
            for (int x = 0; x < canvas_width; ++x) pixels.push_back(GetPixel(canvas(), x, y));
        }
        return pixels;
    }

    headless::Driver driver;
};

inline constexpr COLORREF white = RGB(255, 255, 255);
inline constexpr COLORREF black = RGB(0, 0, 0);
inline constexpr COLORREF red = RGB(255, 0, 0);
inline constexpr COLORREF blue = RGB(0, 0, 255);

}  // namespace kd508::testing
