// The runtime's windows, canvas and lifecycle on the headless presenter.
#include <gtest/gtest.h>

#include <memory>

#include "runtime_state.h"
#include "window_lifecycle.h"
#include "gdi/gdi_objects.h"
#include "core/layer_counters.h"
#include "headless/headless_driver.h"
#include "kd508.h"
#include "core/platform_state.h"
#include "user/window.h"

namespace {

using kd508::headless::Driver;
using kd508::runtime_state;

HINSTANCE test_instance() { return reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(0x7000)); }

void open_runtime(void* previous_instance = nullptr) {
    kd508::reset_runtime_state();
    KD508_open(test_instance(), previous_instance, const_cast<char*>(""), SW_SHOWNORMAL);
}

struct ScreenCase {
    int height;
    int text_top;
    int text_height;
};

class ScreenHeights : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenHeights, BothWindowsStandWhereTheScreenPutsThem) {
    const ScreenCase screen = GetParam();
    Driver driver(1280, screen.height);
    open_runtime();
    const auto& state = runtime_state();

    EXPECT_EQ(driver.title(state.graphics_window), "KD508 Graphics");
    EXPECT_EQ(driver.title(state.text_window), "KD508 Text");
    const RECT graphics = driver.outer_rectangle(state.graphics_window);
    EXPECT_EQ(graphics.left, 0);
    EXPECT_EQ(graphics.top, 0);
    EXPECT_EQ(graphics.right, 601);
    EXPECT_EQ(graphics.bottom, 540);
    const RECT text = driver.outer_rectangle(state.text_window);
    EXPECT_EQ(text.left, 0);
    EXPECT_EQ(text.top, screen.text_top);
    EXPECT_EQ(text.right, 1280);
    EXPECT_EQ(text.bottom - text.top, screen.text_height);
    EXPECT_TRUE(driver.is_shown(state.graphics_window));
    EXPECT_TRUE(driver.is_shown(state.text_window));
    KD508_close();
}

TEST(WindowStyles, GraphicsWindowIsFixedWithCloseBoxOnlyAndTextWindowIsOverlapped) {
    Driver driver;
    open_runtime();
    const auto& state = runtime_state();
    const kd508::platform::WindowDecorations graphics = driver.decorations(state.graphics_window);
    EXPECT_TRUE(graphics.caption);
    EXPECT_TRUE(graphics.system_menu);
    EXPECT_FALSE(graphics.minimize_box);
    EXPECT_FALSE(graphics.maximize_box);
    EXPECT_FALSE(driver.resizable(state.graphics_window));

    const kd508::platform::WindowDecorations text = driver.decorations(state.text_window);
    EXPECT_TRUE(text.caption);
    EXPECT_TRUE(text.system_menu);
    EXPECT_TRUE(text.minimize_box);
    EXPECT_TRUE(text.maximize_box);
    EXPECT_TRUE(driver.resizable(state.text_window));
    KD508_close();
}

INSTANTIATE_TEST_SUITE_P(Runtime, ScreenHeights,
                         ::testing::Values(ScreenCase{768, 513, 256}, ScreenCase{1024, 683, 341},
                                           ScreenCase{1080, 721, 360}));

TEST(Runtime, WindowClassesAndStylesAreThoseOfTheProgram) {
    Driver driver;
    open_runtime();
    const auto& classes = kd508::platform::platform_state().windowing.classes;
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(classes[0].name, "DrawWndClass");
    EXPECT_EQ(classes[1].name, "TextWndClass");
    for (const auto& window_class : classes) {
        EXPECT_EQ(window_class.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
        EXPECT_EQ(window_class.instance, test_instance());
        const auto* brush = kd508::platform::find_gdi<kd508::platform::BrushObject>(window_class.background);
        ASSERT_NE(brush, nullptr);
        EXPECT_EQ(brush->colour, RGB(255, 255, 255));
    }
    EXPECT_EQ(classes[0].background, classes[1].background) << "one brush serves both classes";
    EXPECT_EQ(classes[0].procedure, &kd508::graphics_window_proc);

    const auto* graphics = kd508::platform::find_window(runtime_state().graphics_window);
    const auto* text = kd508::platform::find_window(runtime_state().text_window);
    EXPECT_EQ(graphics->style, static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(text->style, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(graphics->ex_style, 0u);
    KD508_close();
}

TEST(Runtime, TheOriginIsTheCentreOfTheClientAreaUnderTheMenuBar) {
    Driver driver;
    open_runtime();
    EXPECT_EQ(driver.client_width(runtime_state().graphics_window), 595);
    EXPECT_EQ(driver.client_height(runtime_state().graphics_window), 494);
    EXPECT_EQ(runtime_state().origin_x, 297);
    EXPECT_EQ(runtime_state().origin_y, 247);
    KD508_close();
}

TEST(Runtime, APreviousInstanceRegistersNothingButTheWindowsAreStillMade) {
    Driver driver;
    open_runtime();
    const std::size_t objects = kd508::platform::live_gdi_object_count();
    KD508_close();
    open_runtime(test_instance());
    EXPECT_EQ(kd508::platform::platform_state().windowing.classes.size(), 2u);
    EXPECT_EQ(kd508::platform::live_gdi_object_count(), objects + 1) << "a canvas bitmap, but no second brush";
    EXPECT_TRUE(IsWindow(runtime_state().graphics_window));
    EXPECT_TRUE(IsWindow(runtime_state().text_window));
    KD508_close();
}

TEST(Runtime, AnimateAndLoggingRefuseToActBeforeOpen) {
    Driver driver;
    kd508::reset_runtime_state();
    EXPECT_EQ(KD508_animate(ANIMATE_RUN), 0);
    EXPECT_EQ(KD508_animate(ANIMATE_QUIT), 0);
    EXPECT_EQ(runtime_state().animation_running, 0);
    EXPECT_EQ(runtime_state().quit_requested, 0);
    EXPECT_EQ(KD508_logging(0), 0);
    EXPECT_EQ(runtime_state().logging_enabled, 1);
}

TEST(Runtime, ThePaintMessageCopiesTheWholeCanvasAndMarksItClean) {
    Driver driver;
    open_runtime();
    auto& state = runtime_state();
    const int x = 594;
    const int y = 493;
    SetPixel(state.canvas_surface, x, y, RGB(10, 20, 30));
    state.canvas_dirty = 1;
    SendMessageA(state.graphics_window, WM_PAINT, 0, 0);
    EXPECT_EQ(state.canvas_dirty, 0);
    EXPECT_EQ(driver.client_pixel(state.graphics_window, x, y), 0x0A141Eu);
    KD508_close();
}

TEST(Runtime, CloseAfterTheCloseBoxStillSucceeds) {
    Driver driver;
    open_runtime();
    DestroyWindow(runtime_state().graphics_window);
    EXPECT_EQ(KD508_close(), 1);
    EXPECT_EQ(kd508::platform::live_device_context_count(), 1u) << "only the canvas surface is left";
}

}  // namespace
