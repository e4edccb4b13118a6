// Copies from a bitmap to a window wait, with the headless presenter, until something looks at
// the window: what it then shows must be what the copy would have written at once, whatever
// the bitmap has drawn or become since.
#include <gtest/gtest.h>

#include "headless/headless_driver.h"
#include "win32_subset.h"

namespace {

constexpr int width = 120;
constexpr int height = 90;
constexpr COLORREF sky = RGB(0, 51, 153);
constexpr COLORREF grass = RGB(0, 102, 51);
constexpr COLORREF sun = RGB(255, 255, 0);
constexpr COLORREF ink = RGB(200, 100, 50);

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

class DeferredCopyTest : public ::testing::Test {
protected:
    DeferredCopyTest() {
        WNDCLASSA description{};
        description.lpfnWndProc = plain_proc;
        description.lpszClassName = "DeferredProbe";
        RegisterClassA(&description);
        window_ = CreateWindowExA(0, "DeferredProbe", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                                  nullptr);
        shown_ = GetDC(window_);
        canvas_ = CreateCompatibleDC(shown_);
        bitmap_ = CreateCompatibleBitmap(shown_, width, height);
        SelectObject(canvas_, bitmap_);
    }
    ~DeferredCopyTest() override {
        if (canvas_) DeleteDC(canvas_);
        if (bitmap_) DeleteObject(bitmap_);
        ReleaseDC(window_, shown_);
    }

    // A box of one colour, drawn as the runtime draws its filled rectangles: kept pending.
    void box(COLORREF colour, int left, int top, int right, int bottom) {
        HBRUSH brush = CreateSolidBrush(colour);
        HGDIOBJ old_brush = SelectObject(canvas_, brush);
        HGDIOBJ old_pen = SelectObject(canvas_, GetStockObject(NULL_PEN));
        Rectangle(canvas_, left, top, right, bottom);
        SelectObject(canvas_, old_pen);
        SelectObject(canvas_, old_brush);
        DeleteObject(brush);
    }

    void show() { ASSERT_TRUE(BitBlt(shown_, 0, 0, width, height, canvas_, 0, 0, SRCCOPY)); }

    kd508::headless::Driver driver_;
    HWND window_ = nullptr;
    HDC shown_ = nullptr;
    HDC canvas_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

// A frame with a written pixel outside the boxes that cover most of the bitmap, copied, then
// the next frame drawn: the window shows the first frame and the bitmap the second, with the
// first frame's written pixel where nothing covered it since.
TEST_F(DeferredCopyTest, TheWindowShowsTheFrameCopiedAndTheBitmapKeepsWhatItDrew) {
    box(sky, 0, 0, width + 1, 60);
    box(grass, 0, 60, width + 1, height + 1);
    SetPixel(canvas_, 100, 50, ink);  // settles the sky around it: written, no longer pending
    show();
    // The next frame covers only the top rows again, then draws a sun on them.
    box(sky, 0, 0, width + 1, 40);
    SetPixel(canvas_, 10, 10, sun);

    EXPECT_EQ(driver_.client_pixel(window_, 10, 10), 0x003399u) << "the first frame's sky, not the sun";
    EXPECT_EQ(driver_.client_pixel(window_, 100, 50), 0xC86432u);
    EXPECT_EQ(driver_.client_pixel(window_, 5, 70), 0x006633u);
    EXPECT_EQ(GetPixel(canvas_, 10, 10), sun);
    EXPECT_EQ(GetPixel(canvas_, 5, 70), grass);
    EXPECT_EQ(GetPixel(canvas_, 5, 50), sky);
    // Nothing of the second frame covers the first one's written pixel and its neighbours.
    EXPECT_EQ(GetPixel(canvas_, 100, 50), ink);
    EXPECT_EQ(GetPixel(canvas_, 101, 50), sky);
    EXPECT_EQ(GetPixel(canvas_, 100, 51), sky);
}

TEST_F(DeferredCopyTest, ALaterCopyOfTheSameAreaIsWhatTheWindowShows) {
    box(sky, 0, 0, width + 1, height + 1);
    show();
    box(grass, 0, 0, width + 1, height + 1);
    SetPixel(canvas_, 3, 4, ink);
    show();
    EXPECT_EQ(driver_.client_pixel(window_, 0, 0), 0x006633u);
    EXPECT_EQ(driver_.client_pixel(window_, 3, 4), 0xC86432u);
}

// Reading the window through its device context, drawing on it, and deleting the bitmap all
// need the copy made first.
TEST_F(DeferredCopyTest, ReadsDrawingAndDeletionMakeTheWaitingCopyFirst) {
    box(sky, 0, 0, width + 1, height + 1);
    show();
    EXPECT_EQ(GetPixel(shown_, 50, 50), sky);

    box(grass, 0, 0, width + 1, height + 1);
    show();
    SetPixel(shown_, 7, 8, ink);
    EXPECT_EQ(driver_.client_pixel(window_, 7, 8), 0xC86432u);
    EXPECT_EQ(driver_.client_pixel(window_, 8, 8), 0x006633u) << "the copy under the drawing";

    box(sky, 0, 0, width + 1, height + 1);
    show();
    DeleteDC(canvas_);
    canvas_ = nullptr;
    ASSERT_TRUE(DeleteObject(bitmap_));
    bitmap_ = nullptr;
    EXPECT_EQ(driver_.client_pixel(window_, 60, 60), 0x003399u);
}

// A bitmap's bits wait for one window at a time: copied to a second window before it draws
// again, it makes the first window's copy at once.
TEST_F(DeferredCopyTest, ACopyToAnotherWindowLeavesTheFirstOneItsFrame) {
    HWND second = CreateWindowExA(0, "DeferredProbe", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr, nullptr,
                                  nullptr);
    HDC second_shown = GetDC(second);
    box(sky, 0, 0, width + 1, height + 1);
    show();
    ASSERT_TRUE(BitBlt(second_shown, 0, 0, width, height, canvas_, 0, 0, SRCCOPY));
    box(grass, 0, 0, width + 1, height + 1);
    SetPixel(canvas_, 3, 4, ink);
    EXPECT_EQ(driver_.client_pixel(window_, 3, 4), 0x003399u);
    EXPECT_EQ(driver_.client_pixel(second, 3, 4), 0x003399u);
    ReleaseDC(second, second_shown);
    DestroyWindow(second);
}

// A made copy leaves its kept pixels behind as a spare buffer for the next bitmap that draws
// while its copy waits; a bitmap of another size, here as wide but less tall, must get bits of
// its own size instead, holding what it had drawn.
TEST_F(DeferredCopyTest, ABitmapOfAnotherSizeGetsBitsOfItsOwnSize) {
    box(sky, 0, 0, width + 1, height + 1);
    show();
    SetPixel(canvas_, 3, 4, ink);                 // the first bitmap's bits go to its waiting copy
    (void)driver_.client_pixel(window_, 0, 0);   // the copy is made: a spare buffer of its size is left

    constexpr int small_width = width;
    constexpr int small_height = height / 2;
    HWND second = CreateWindowExA(0, "DeferredProbe", "", WS_POPUP, 0, 0, small_width, small_height, nullptr, nullptr,
                                  nullptr, nullptr);
    HDC second_shown = GetDC(second);
    HDC small_canvas = CreateCompatibleDC(second_shown);
    HBITMAP small = CreateCompatibleBitmap(second_shown, small_width, small_height);
    HGDIOBJ old_bitmap = SelectObject(small_canvas, small);
    SetPixel(small_canvas, small_width - 1, small_height - 1, ink);
    ASSERT_TRUE(BitBlt(second_shown, 0, 0, small_width, small_height, small_canvas, 0, 0, SRCCOPY));
    SetPixel(small_canvas, 5, 5, sun);  // drawing while the copy waits: the bits are replaced

    EXPECT_EQ(GetPixel(small_canvas, small_width - 1, small_height - 1), ink);
    EXPECT_EQ(GetPixel(small_canvas, 5, 5), sun);
    EXPECT_EQ(GetPixel(small_canvas, 0, small_height), CLR_INVALID) << "the bitmap is no taller than it was made";
    EXPECT_EQ(driver_.client_pixel(second, 5, 5), 0u) << "the copied frame, before the sun";
    EXPECT_EQ(driver_.client_pixel(second, small_width - 1, small_height - 1), 0xC86432u);

    SelectObject(small_canvas, old_bitmap);
    DeleteDC(small_canvas);
    DeleteObject(small);
    ReleaseDC(second, second_shown);
    DestroyWindow(second);
}

TEST_F(DeferredCopyTest, AMadeCopyReportsWhatChanged) {
    box(sky, 0, 0, width + 1, height + 1);
    show();
    const auto frames = driver_.frames_shown(window_);
    (void)driver_.client_pixel(window_, 0, 0);
    EXPECT_GT(driver_.frames_shown(window_), frames);
}

}  // namespace
