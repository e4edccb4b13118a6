// Copies of a surface onto itself, scrolls and background erases through the Win32 calls: the
// row order of overlapping moves, the rectangles the calls clip to and report, and an erase after
// the client area shrank.
#include <gtest/gtest.h>

#include <string>

#include "headless/headless_driver.h"
#include "win32_subset.h"

namespace {

// A 4x4 bitmap in a memory device context whose pixel (x, y) starts as the letter
// 'a' + 4y + x in its red channel, so that a picture tells where each pixel came from.
class LetterBitmap {
public:
    LetterBitmap() {
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        bits_ = CreateCompatibleBitmap(screen_, size, size);
        original_ = SelectObject(dc_, bits_);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) SetPixel(dc_, x, y, RGB('a' + y * size + x, 0, 0));
        }
    }
    ~LetterBitmap() {
        SelectObject(dc_, original_);
        DeleteObject(bits_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
    }
    HDC dc() const { return dc_; }
    std::string picture() const {
        std::string text;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) text += static_cast<char>(GetRValue(GetPixel(dc_, x, y)));
            text += '\n';
        }
        return text;
    }
    static constexpr int size = 4;

private:
    HDC screen_ = nullptr;
    HDC dc_ = nullptr;
    HBITMAP bits_ = nullptr;
    HGDIOBJ original_ = nullptr;
};

std::string text_of(const RECT& rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

class SurfaceMoves : public ::testing::Test {
protected:
    kd508::headless::Driver driver;
};

TEST_F(SurfaceMoves, BitBltOntoItselfCopiesOverlappingBoxesAsTheyWereBefore) {
    LetterBitmap down;
    EXPECT_TRUE(BitBlt(down.dc(), 1, 1, 3, 3, down.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(down.picture(),
              "abcd\n"
              "eabc\n"
              "iefg\n"
              "mijk\n");
    LetterBitmap up;
    // The part of the source off the bitmap clips the copy, as does the target's edge.
    EXPECT_TRUE(BitBlt(up.dc(), -1, 0, 4, 9, up.dc(), 0, 1, SRCCOPY));
    EXPECT_EQ(up.picture(),
              "fghd\n"
              "jklh\n"
              "nopl\n"
              "mnop\n");
}

TEST_F(SurfaceMoves, ScrollDCMovesWithinTheLimitAndReportsWhatItUncovered) {
    LetterBitmap whole;
    RECT update{};
    EXPECT_TRUE(ScrollDC(whole.dc(), 0, -1, nullptr, nullptr, nullptr, &update));
    EXPECT_EQ(whole.picture(),
              "efgh\n"
              "ijkl\n"
              "mnop\n"
              "mnop\n");
    EXPECT_EQ(text_of(update), "0,3,4,4");

    // Only the part that lands inside the clip rectangle is written; the uncovered columns are
    // those of the scroll rectangle, which reaches off the bitmap and is clipped to it first.
    LetterBitmap limited;
    const RECT scroll{-3, 1, 3, 9};
    const RECT clip{0, 0, 2, 3};
    EXPECT_TRUE(ScrollDC(limited.dc(), 1, 0, &scroll, &clip, nullptr, &update));
    EXPECT_EQ(limited.picture(),
              "abcd\n"
              "eegh\n"
              "iikl\n"
              "mnop\n");
    EXPECT_EQ(text_of(update), "0,1,1,4");

    // A scroll further than the rectangle is tall uncovers all of it and moves nothing.
    LetterBitmap far;
    const RECT rows{1, 1, 3, 3};
    EXPECT_TRUE(ScrollDC(far.dc(), 0, 2147483647, &rows, nullptr, nullptr, &update));
    EXPECT_EQ(text_of(update), "1,1,3,3");
    EXPECT_EQ(far.picture(), LetterBitmap().picture());

    // A scroll rectangle off the bitmap moves nothing and uncovers nothing.
    const RECT outside{10, 0, 20, 4};
    EXPECT_TRUE(ScrollDC(far.dc(), -2, 0, &outside, nullptr, nullptr, &update));
    EXPECT_EQ(text_of(update), "0,0,0,0");
    EXPECT_EQ(far.picture(), LetterBitmap().picture());
}

// The area BeginPaint reported, and the window procedure that records it.
RECT painted_area{};
LRESULT CALLBACK painting_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, wparam, lparam);
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    painted_area = paint.rcPaint;
    EndPaint(window, &paint);
    return 0;
}

TEST_F(SurfaceMoves, AWindowThatShrankBeforeItsPaintIsErasedAndPaintedOnlyWhereItIs) {
    WNDCLASSA description{};
    description.lpfnWndProc = painting_proc;  // no CS_HREDRAW or CS_VREDRAW: a resize keeps the update region
    description.hbrBackground = CreateSolidBrush(RGB(255, 0, 0));
    description.lpszClassName = "ShrinkingClass";
    ASSERT_NE(RegisterClassA(&description), 0);
    HWND window = CreateWindowExA(0, "ShrinkingClass", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);  // the whole client area is to be erased and painted
    driver.resize_client(window, 30, 20);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_EQ(text_of(painted_area), "0,0,30,20");
    EXPECT_EQ(driver.client_pixel(window, 0, 0), 0xFF0000u);
    EXPECT_EQ(driver.client_pixel(window, 29, 19), 0xFF0000u);
    DestroyWindow(window);
}

}  // namespace
