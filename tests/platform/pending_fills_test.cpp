// Boxes of one colour kept pending on a bitmap: what a bitmap shows, read pixel by pixel or copied
// to a window, must be what the same calls draw on a window, which writes every call at once.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gdi/device_context.h"
#include "headless/headless_driver.h"
#include "gdi/pending_fills.h"
#include "win32_subset.h"

namespace {

using kd508::platform::box_less;
using kd508::raster::Box;

bool same_box(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(BoxLess, LeavesTheRowsAboveAndBelowWholeAndTheSidesBetween) {
    Box pieces[4];
    ASSERT_EQ(box_less(Box{0, 0, 10, 10}, Box{3, 4, 6, 7}, pieces), 4);
    EXPECT_TRUE(same_box(pieces[0], Box{0, 0, 10, 4}));
    EXPECT_TRUE(same_box(pieces[1], Box{0, 7, 10, 10}));
    EXPECT_TRUE(same_box(pieces[2], Box{0, 4, 3, 7}));
    EXPECT_TRUE(same_box(pieces[3], Box{6, 4, 10, 7}));

    // A cut over one side leaves one piece; over all of the box, none; beside it, the box.
    ASSERT_EQ(box_less(Box{0, 0, 10, 10}, Box{-5, -5, 5, 20}, pieces), 1);
    EXPECT_TRUE(same_box(pieces[0], Box{5, 0, 10, 10}));
    EXPECT_EQ(box_less(Box{0, 0, 10, 10}, Box{0, 0, 10, 10}, pieces), 0);
    ASSERT_EQ(box_less(Box{0, 0, 10, 10}, Box{10, 0, 20, 10}, pieces), 1);
    EXPECT_TRUE(same_box(pieces[0], Box{0, 0, 10, 10}));
}

constexpr int client_width = 160;
constexpr int client_height = 120;
constexpr COLORREF palette[] = {RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 128, 0),
                                RGB(0, 0, 255), RGB(255, 255, 0)};

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

// The same calls on two device contexts: a window's, drawn at once, and a bitmap's, whose boxes
// of one colour stay pending until something needs their pixels.
class PendingFillsTest : public ::testing::Test {
protected:
    PendingFillsTest() {
        WNDCLASSA description{};
        description.lpfnWndProc = plain_proc;
        description.lpszClassName = "PendingProbe";
        RegisterClassA(&description);
        truth_window_ = make_window();
        copy_window_ = make_window();
        truth_ = GetDC(truth_window_);
        shown_ = GetDC(copy_window_);
        bitmap_dc_ = CreateCompatibleDC(truth_);
        bitmap_ = CreateCompatibleBitmap(truth_, client_width, client_height);
        SelectObject(bitmap_dc_, bitmap_);
        // Both start white: a new window and a new bitmap need not hold the same pixels.
        on_both(PS_NULL, 0, 0, false, RGB(255, 255, 255),
                [](HDC dc) { Rectangle(dc, 0, 0, client_width + 1, client_height + 1); });
    }
    ~PendingFillsTest() override {
        DeleteDC(bitmap_dc_);
        DeleteObject(bitmap_);
        ReleaseDC(truth_window_, truth_);
        ReleaseDC(copy_window_, shown_);
    }

    HWND make_window() {
        HWND window = CreateWindowExA(0, "PendingProbe", "", WS_POPUP, 0, 0, client_width, client_height, nullptr,
                                      nullptr, nullptr, nullptr);
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, client_width);
        EXPECT_EQ(client.bottom, client_height);
        return window;
    }

    // Runs one call on both contexts, with a pen and brush made for it.
    template <class Call>
    void on_both(int pen_style, int pen_width, COLORREF pen_colour, bool hollow, COLORREF brush_colour, Call call) {
        for (HDC dc : {truth_, bitmap_dc_}) {
            HPEN pen = CreatePen(pen_style, pen_width, pen_colour);
            HBRUSH brush = hollow ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(brush_colour);
            HGDIOBJ old_pen = SelectObject(dc, pen);
            HGDIOBJ old_brush = SelectObject(dc, brush);
            call(dc);
            SelectObject(dc, old_pen);
            SelectObject(dc, old_brush);
            DeleteObject(pen);
            DeleteObject(brush);
        }
    }

    // Pixels of the window that differ from the truth, with the truth shifted by (dx, dy).
    int differences_shown(int dx = 0, int dy = 0) const {
        int count = 0;
        for (int y = 0; y < client_height; ++y) {
            for (int x = 0; x < client_width; ++x) {
                const int truth_x = x + dx, truth_y = y + dy;
                if (truth_x < 0 || truth_y < 0 || truth_x >= client_width || truth_y >= client_height) continue;
                if (GetPixel(shown_, x, y) != GetPixel(truth_, truth_x, truth_y)) ++count;
            }
        }
        return count;
    }

    kd508::headless::Driver driver_;
    HWND truth_window_ = nullptr;
    HWND copy_window_ = nullptr;
    HDC truth_ = nullptr;
    HDC shown_ = nullptr;
    HDC bitmap_dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

TEST_F(PendingFillsTest, LargeBoxesCutByShapesTextAndPixelsShowWhatAWindowDraws) {
    std::mt19937 random(508);
    const auto any = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const auto colour = [&] { return palette[any(0, std::size(palette) - 1)]; };
    for (int step = 0; step < 600; ++step) {
        const int x1 = any(-40, client_width + 40), y1 = any(-40, client_height + 40);
        // Most boxes are large, so that they stay pending and later calls cut them.
        const int x2 = x1 + any(-150, 150), y2 = y1 + any(-120, 120);
        const int pen_style = any(0, 3) == 0 ? PS_NULL : PS_SOLID;
        const int pen_width = any(0, 4) == 0 ? any(2, 6) : any(0, 1);
        const COLORREF pen_colour = colour();
        const bool hollow = any(0, 5) == 0;
        const COLORREF brush_colour = any(0, 1) == 0 ? pen_colour : colour();
        // Drawn before the calls: each call runs once for each context.
        const int background_mode = any(0, 1) == 0 ? TRANSPARENT : OPAQUE;
        switch (any(0, 9)) {
            case 0:
                on_both(pen_style, pen_width, pen_colour, hollow, brush_colour,
                        [&](HDC dc) { Ellipse(dc, x1, y1, x1 + (x2 - x1) / 4, y1 + (y2 - y1) / 4); });
                break;
            case 1:
                on_both(pen_style, pen_width, pen_colour, hollow, brush_colour, [&](HDC dc) {
                    MoveToEx(dc, x1, y1, nullptr);
                    LineTo(dc, x1 + (x2 - x1) / 3, y1 + (y2 - y1) / 3);
                });
                break;
            case 2:
                on_both(pen_style, pen_width, pen_colour, hollow, brush_colour, [&](HDC dc) {
                    SetTextColor(dc, pen_colour);
                    SetBkMode(dc, background_mode);
                    SetBkColor(dc, brush_colour);
                    TextOutA(dc, x1 / 2, y1 / 2, "Bug walk", 8);
                });
                break;
            case 3:
                on_both(pen_style, pen_width, pen_colour, hollow, brush_colour,
                        [&](HDC dc) { SetPixel(dc, x1 / 2, y1 / 2, pen_colour); });
                break;
            default:
                on_both(pen_style, pen_width, pen_colour, hollow, brush_colour,
                        [&](HDC dc) { Rectangle(dc, x1, y1, x2, y2); });
                break;
        }
        // Now and then the bitmap is read where it may still be pending, or shown in a window.
        if (step % 7 == 0) {
            const int x = any(0, client_width - 1), y = any(0, client_height - 1);
            ASSERT_EQ(GetPixel(bitmap_dc_, x, y), GetPixel(truth_, x, y)) << "step " << step;
        }
        if (step % 25 == 24) {
            ASSERT_TRUE(BitBlt(shown_, 0, 0, client_width, client_height, bitmap_dc_, 0, 0, SRCCOPY));
            ASSERT_EQ(differences_shown(), 0) << "step " << step;
        }
    }
}

TEST_F(PendingFillsTest, CopiesOfPartsAndOntoTheBitmapItselfTakeThePendingColours) {
    // Two large boxes, one over the other, both still pending.
    on_both(PS_NULL, 0, 0, false, RGB(0, 0, 255), [](HDC dc) { Rectangle(dc, 0, 0, 161, 121); });
    on_both(PS_SOLID, 0, RGB(255, 0, 0), false, RGB(255, 0, 0), [](HDC dc) { Rectangle(dc, 20, 30, 140, 100); });

    // A part, shifted: the window's pixel (x, y) comes from the bitmap's (x + 15, y + 10).
    const COLORREF before = GetPixel(shown_, 4, 4);
    ASSERT_TRUE(BitBlt(shown_, 5, 5, 100, 80, bitmap_dc_, 20, 15, SRCCOPY));
    EXPECT_EQ(GetPixel(shown_, 5, 5), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(shown_, 5, 25), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(shown_, 4, 4), before) << "outside the copied area the window is as it was";
    int wrong = 0;
    for (int y = 5; y < 85; ++y)
        for (int x = 5; x < 105; ++x) wrong += GetPixel(shown_, x, y) != GetPixel(truth_, x + 15, y + 10);
    EXPECT_EQ(wrong, 0);

    // Onto itself, moved right and down, as a scroll would: both contexts copy within themselves.
    for (HDC dc : {truth_, bitmap_dc_}) ASSERT_TRUE(BitBlt(dc, 10, 8, 150, 112, dc, 0, 0, SRCCOPY));
    ASSERT_TRUE(BitBlt(shown_, 0, 0, client_width, client_height, bitmap_dc_, 0, 0, SRCCOPY));
    EXPECT_EQ(differences_shown(), 0);
}

TEST_F(PendingFillsTest, DrawingOnTheWindowBetweenCopiesIsCopiedOverAgain) {
    const auto blue_sky = [](HDC dc) { Rectangle(dc, 0, 0, client_width + 1, client_height + 1); };
    on_both(PS_NULL, 0, 0, false, RGB(0, 0, 255), blue_sky);
    ASSERT_TRUE(BitBlt(shown_, 0, 0, client_width, client_height, bitmap_dc_, 0, 0, SRCCOPY));
    // The window is drawn on directly, then the same picture is drawn and copied again.
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ old_brush = SelectObject(shown_, red);
    Rectangle(shown_, 30, 20, 90, 70);
    SetPixel(shown_, 150, 110, RGB(0, 255, 0));
    SelectObject(shown_, old_brush);
    DeleteObject(red);
    on_both(PS_NULL, 0, 0, false, RGB(0, 0, 255), blue_sky);
    ASSERT_TRUE(BitBlt(shown_, 0, 0, client_width, client_height, bitmap_dc_, 0, 0, SRCCOPY));
    EXPECT_EQ(differences_shown(), 0);
    EXPECT_EQ(GetPixel(shown_, 50, 40), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(shown_, 150, 110), RGB(0, 0, 255));
}

// A read takes a pending box's colour only for the pixels inside it: the pixels just past its
// right and bottom edges, written by other calls, read as written.
TEST_F(PendingFillsTest, AReadTakesAPendingColourOnlyInsideItsBox) {
    constexpr COLORREF ink = RGB(200, 100, 50);
    on_both(PS_NULL, 0, 0, false, RGB(0, 0, 255), [](HDC dc) { Rectangle(dc, 0, 0, 81, 51); });
    SetPixel(bitmap_dc_, 80, 10, ink);
    SetPixel(bitmap_dc_, 10, 50, ink);
    EXPECT_EQ(GetPixel(bitmap_dc_, 79, 49), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(bitmap_dc_, 80, 10), ink);
    EXPECT_EQ(GetPixel(bitmap_dc_, 10, 50), ink);
    EXPECT_EQ(GetPixel(bitmap_dc_, 81, 10), RGB(255, 255, 255));
}

}  // namespace
