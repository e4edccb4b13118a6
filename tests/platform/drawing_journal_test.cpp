// Copies of a bitmap to a window pass over the tiles whose drawing calls repeat those the window
// shows: the window must still show every frame exactly, whatever changed between frames, and
// the tiles passed over must be the ones nothing could have changed.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "core/platform_state.h"
#include "headless/headless_driver.h"
#include "win32_subset.h"

namespace {

// Three columns and four rows of the journal's 64-by-32 tiles, the last ones cut short: the
// last row holds a single row of pixels.
constexpr int width = 150;
constexpr int height = 97;
constexpr COLORREF sky = RGB(0, 51, 153);
constexpr COLORREF grass = RGB(0, 102, 51);
constexpr COLORREF sun = RGB(255, 255, 0);
constexpr COLORREF ink = RGB(200, 100, 50);
constexpr std::uint32_t planted = 0x123456;  // a client pixel no drawing here makes

class DrawingJournalTest : public ::testing::Test {
protected:
    DrawingJournalTest() {
        driver_.set_reads_client_pixels(true);  // copies made as they come, as on a screen
        WNDCLASSA description{};
        description.lpfnWndProc = DefWindowProcA;
        description.lpszClassName = "JournalProbe";
        RegisterClassA(&description);
        window_ = new_window();
        shown_ = GetDC(window_);
        canvas_ = CreateCompatibleDC(shown_);
        bitmap_ = CreateCompatibleBitmap(shown_, width, height);
        SelectObject(canvas_, bitmap_);
    }
    ~DrawingJournalTest() override {
        DeleteDC(canvas_);
        DeleteObject(bitmap_);
        ReleaseDC(window_, shown_);
    }

    // A window that can be resized, its client area the bitmap's size.
    HWND new_window() {
        HWND window = CreateWindowExA(0, "JournalProbe", "", WS_POPUP | WS_THICKFRAME, 0, 0, width, height, nullptr,
                                      nullptr, nullptr, nullptr);
        driver_.resize_client(window, width, height);
        return window;
    }

    // A shape drawn with a pen and a brush made for it, as the runtime draws.
    template <class Draw>
    void with_paint(HDC dc, COLORREF pen_colour, int pen_width, COLORREF brush_colour, Draw&& draw) {
        HPEN pen = CreatePen(PS_SOLID, pen_width, pen_colour);
        HBRUSH brush = CreateSolidBrush(brush_colour);
        HGDIOBJ old_pen = SelectObject(dc, pen);
        HGDIOBJ old_brush = SelectObject(dc, brush);
        draw();
        SelectObject(dc, old_brush);
        SelectObject(dc, old_pen);
        DeleteObject(brush);
        DeleteObject(pen);
    }

    void box(HDC dc, COLORREF colour, int left, int top, int right, int bottom) {
        with_paint(dc, colour, 1, colour, [&] { Rectangle(dc, left, top, right, bottom); });
    }

    // The picture every frame of the trust tests draws: a sky over everything, a field, a sun,
    // a stone and a caption. The sky and the field stay pending boxes, which a copy knows the
    // window shows without the journal; the sun and the stone are written pixels, which a copy
    // reads unless the journal trusts the window.
    void still_frame() {
        box(canvas_, sky, 0, 0, width, height);
        box(canvas_, grass, 0, 60, width, height);
        with_paint(canvas_, ink, 1, sun, [&] { Ellipse(canvas_, 100, 5, 130, 35); });
        box(canvas_, ink, 5, 66, 15, 76);
        SetTextColor(canvas_, ink);
        SetBkMode(canvas_, TRANSPARENT);
        TextOutA(canvas_, 4, 4, "Run", 3);
    }

    // Two frames copied: the first starts the journal, the second gives the window the
    // fingerprints of what it shows.
    void establish() {
        for (int i = 0; i < 2; ++i) {
            still_frame();
            copy();
        }
    }

    void copy(HDC to = nullptr, int left = 0, int top = 0, int right = width, int bottom = height) {
        ASSERT_TRUE(BitBlt(to ? to : shown_, left, top, right - left, bottom - top, canvas_, left, top, SRCCOPY));
    }

    // Puts a pixel in the window behind the layer's back: it stays only where a copy trusts the
    // window to show the frame already.
    void plant(int x, int y) {
        kd508::platform::WindowSurface* surface = kd508::platform::find_window_surface(window_);
        surface->client.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(x)] = planted;
    }
    bool still_planted(int x, int y) const { return driver_.client_pixel(window_, x, y) == planted; }

    // The same in the bitmap: it stays only where the bitmap does not draw the frame's calls.
    std::uint32_t& bitmap_pixel(int x, int y) {
        auto& bitmap =
            std::get<kd508::platform::BitmapObject>(kd508::platform::platform_state().gdi.objects.find(bitmap_)->value);
        return bitmap.bits
            .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }

    // Whether the window shows the bitmap over the box, pixel for pixel.
    ::testing::AssertionResult shows_canvas(int left = 0, int top = 0, int right = width, int bottom = height) {
        return shows(canvas_, left, top, right, bottom);
    }

    // The same for the bitmap another device context draws on.
    ::testing::AssertionResult shows(HDC picture, int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                const COLORREF expected = GetPixel(picture, x, y);
                const std::uint32_t want = ((expected & 0xFF) << 16) | (expected & 0xFF00) | ((expected >> 16) & 0xFF);
                if (driver_.client_pixel(window_, x, y) != want)
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y;
            }
        }
        return ::testing::AssertionSuccess();
    }

    kd508::headless::Driver driver_;
    HWND window_ = nullptr;
    HDC shown_ = nullptr;
    HDC canvas_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

// (10, 70) lies on the stone in the field; (120, 20) under the sun, in other tiles.
constexpr int field_x = 10, field_y = 70;
constexpr int sun_x = 120, sun_y = 20;

TEST_F(DrawingJournalTest, AFrameDrawnAgainLeavesTheWindowAlone) {
    still_frame();
    copy();
    ASSERT_TRUE(shows_canvas());
    plant(field_x, field_y);
    still_frame();
    copy();
    EXPECT_FALSE(still_planted(field_x, field_y)) << "the window's tiles are not known before a journal ran";
    plant(field_x, field_y);
    plant(sun_x, sun_y);
    still_frame();
    copy();
    EXPECT_TRUE(still_planted(field_x, field_y)) << "the same calls: the tile is taken on trust";
    EXPECT_TRUE(still_planted(sun_x, sun_y));

    // The same calls in the field's tile, a sun of another colour: only the sun's tiles are read.
    box(canvas_, sky, 0, 0, width, height);
    box(canvas_, grass, 0, 60, width, height);
    with_paint(canvas_, ink, 1, grass, [&] { Ellipse(canvas_, 100, 5, 130, 35); });
    box(canvas_, ink, 5, 66, 15, 76);
    SetTextColor(canvas_, ink);
    TextOutA(canvas_, 4, 4, "Run", 3);
    copy();
    EXPECT_TRUE(still_planted(field_x, field_y));
    EXPECT_FALSE(still_planted(sun_x, sun_y));
    EXPECT_TRUE(shows_canvas(64, 0, width, 32));
}

TEST_F(DrawingJournalTest, ATileWithNoDrawingSinceTheLastCopyIsTrusted) {
    establish();
    plant(field_x, field_y);
    with_paint(canvas_, ink, 1, sun, [&] { Ellipse(canvas_, 100, 5, 130, 35); });  // the sun's tiles only
    copy();
    EXPECT_TRUE(still_planted(field_x, field_y));
    copy();  // nothing drawn at all
    EXPECT_TRUE(still_planted(field_x, field_y));
}

// Once a frame has been copied, the bitmap keeps the calls of the next one and draws them only
// in the tiles where they are not the calls that made its pixels.
TEST_F(DrawingJournalTest, TheBitmapDrawsTheCallsOfAFrameOnlyWhereTheyChanged) {
    establish();
    bitmap_pixel(field_x, field_y) = planted;
    bitmap_pixel(sun_x, sun_y) = planted;
    box(canvas_, sky, 0, 0, width, height);
    box(canvas_, grass, 0, 60, width, height);
    with_paint(canvas_, ink, 1, grass, [&] { Ellipse(canvas_, 100, 5, 130, 35); });  // a sun of another colour
    box(canvas_, ink, 5, 66, 15, 76);
    TextOutA(canvas_, 4, 4, "Run", 3);
    EXPECT_EQ(bitmap_pixel(sun_x, sun_y), planted) << "kept until the copy";
    copy();
    EXPECT_EQ(bitmap_pixel(field_x, field_y), planted);
    EXPECT_EQ(bitmap_pixel(sun_x, sun_y), 0x006633u) << "the sun's tiles are drawn";

    // A read draws the kept calls under it, and the tile draws at once until the next copy.
    still_frame();
    EXPECT_EQ(GetPixel(canvas_, field_x + 1, field_y), ink);
    EXPECT_EQ(bitmap_pixel(field_x, field_y), planted) << "the calls that made the tile, not drawn again";
    box(canvas_, sun, field_x, field_y, field_x + 1, field_y + 1);
    EXPECT_EQ(bitmap_pixel(field_x, field_y), 0xFFFF00u) << "drawn at once";
}

// A program that draws frame after frame and never copies one leaves no more than a bounded
// number of calls kept, and loses none of them.
TEST_F(DrawingJournalTest, CallsKeptWithoutACopyAreDrawnPastALimit) {
    establish();
    constexpr int calls = 10000;
    for (int i = 0; i < calls; ++i) box(canvas_, ink, i % width, i / width, i % width + 1, i / width + 1);
    EXPECT_LE(kd508::platform::platform_state().gdi.journals.front().kept.size(), 4096u);
    for (int i = 0; i < calls; ++i) ASSERT_EQ(GetPixel(canvas_, i % width, i / width), ink) << "call " << i;
}

// Whatever else may have changed the window or the bitmap's pixels makes the copy read again.
TEST_F(DrawingJournalTest, DrawingOnTheWindowMakesItsTilesReadAgain) {
    establish();
    plant(field_x, field_y);
    box(shown_, ink, field_x + 5, field_y + 5, field_x + 8, field_y + 8);
    still_frame();
    copy();
    EXPECT_FALSE(still_planted(field_x, field_y));
    EXPECT_TRUE(shows_canvas());
}

TEST_F(DrawingJournalTest, ACopyFromAnotherSurfaceIsNeverTakenOnTrust) {
    HDC other = CreateCompatibleDC(shown_);
    HBITMAP other_bitmap = CreateCompatibleBitmap(shown_, width, height);
    SelectObject(other, other_bitmap);
    box(other, ink, 0, 0, width, height);
    const auto frame = [&] {
        still_frame();
        ASSERT_TRUE(BitBlt(canvas_, 0, 64, 20, 20, other, 0, 0, SRCCOPY));
    };
    frame();
    copy();
    frame();
    copy();
    plant(field_x, field_y);
    frame();  // the same call, which copies the same pixels: still not a call the journal knows
    copy();
    EXPECT_FALSE(still_planted(field_x, field_y));

    // Nor is a scroll of the bitmap.
    plant(field_x, field_y);
    still_frame();
    ScrollDC(canvas_, 0, 0, nullptr, nullptr, nullptr, nullptr);
    copy();
    EXPECT_FALSE(still_planted(field_x, field_y));
    DeleteDC(other);
    DeleteObject(other_bitmap);
}

TEST_F(DrawingJournalTest, ACopyOfAnotherAreaOrToAnotherWindowBreaksTheTrust) {
    establish();
    plant(field_x, field_y);
    still_frame();
    copy(nullptr, 0, 0, width, height - 1);
    EXPECT_FALSE(still_planted(field_x, field_y)) << "another area";

    establish();
    HWND second = new_window();
    HDC second_shown = GetDC(second);
    plant(field_x, field_y);
    still_frame();
    copy(second_shown);  // the journal now runs from this copy
    still_frame();
    copy();
    EXPECT_FALSE(still_planted(field_x, field_y)) << "the calls between the two copies were not seen";

    // A copy from another window puts its pixels in place of the frame.
    establish();
    box(second_shown, sun, 0, 0, width, height);
    ASSERT_TRUE(BitBlt(shown_, 0, 0, width, height, second_shown, 0, 0, SRCCOPY));
    still_frame();
    copy();
    EXPECT_TRUE(shows_canvas());
    ReleaseDC(second, second_shown);
    DestroyWindow(second);
}

TEST_F(DrawingJournalTest, ANewClientAreaIsReadWhole) {
    establish();
    driver_.resize_client(window_, width, height - 10);
    driver_.resize_client(window_, width, height);
    plant(field_x, field_y);
    still_frame();
    copy();
    EXPECT_FALSE(still_planted(field_x, field_y));
}

// A program that makes a new bitmap for each frame leaves no journal behind with the old ones,
// where every drawing call would look through them.
TEST_F(DrawingJournalTest, ADeletedBitmapTakesItsJournalAlong) {
    for (int frame = 0; frame < 50; ++frame) {
        HDC dc = CreateCompatibleDC(shown_);
        HBITMAP bitmap = CreateCompatibleBitmap(shown_, width, height);
        HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
        box(dc, sky, 0, 0, width, height);
        ASSERT_TRUE(BitBlt(shown_, 0, 0, width, height, dc, 0, 0, SRCCOPY));
        SelectObject(dc, old_bitmap);
        DeleteDC(dc);
        ASSERT_TRUE(DeleteObject(bitmap));
    }
    EXPECT_TRUE(kd508::platform::platform_state().gdi.journals.empty());
}

// Frames made of a few calls that repeat, with variations of every argument the pixels depend
// on, reads of the bitmap halfway through a frame, drawing on the window between frames, partial
// copies and copies elsewhere. Every call is drawn on a second bitmap too, which no window
// follows and which so draws each call at once: after every copy the window shows what that
// bitmap holds, and a read halfway through a frame finds what it holds. A variation the journal
// did not tell apart, or a kept call drawn wrongly, would show an older or another frame.
TEST_F(DrawingJournalTest, EveryFrameIsShownExactlyWhateverChangesBetweenFrames) {
    std::mt19937 random(508);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    constexpr std::array<COLORREF, 3> colours{sky, sun, ink};
    HDC other = CreateCompatibleDC(shown_);
    HBITMAP other_bitmap = CreateCompatibleBitmap(shown_, width, height);
    SelectObject(other, other_bitmap);
    HDC reference = CreateCompatibleDC(shown_);
    HBITMAP reference_bitmap = CreateCompatibleBitmap(shown_, width, height);
    SelectObject(reference, reference_bitmap);
    HWND second = new_window();
    HDC second_shown = GetDC(second);
    HFONT fonts[2] = {CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Sans"),
                      CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, FIXED_PITCH, nullptr)};
    // Draws a part of the frame on both bitmaps, with the same choices.
    const auto on_both = [&](auto&& part) {
        const std::mt19937 choices = random;
        part(canvas_);
        random = choices;
        part(reference);
    };
    const auto same_pixel = [&](int x, int y) { return GetPixel(canvas_, x, y) == GetPixel(reference, x, y); };

    for (int frame = 0; frame < 400; ++frame) {
        // Each part of the picture mostly stays as it was; now and then one argument changes.
        const auto variant = [&](int count) { return chance(15) ? pick(count) : 0; };
        on_both([&](HDC dc) {
            box(dc, variant(2) ? grass : sky, 0, 0, width, height);
            box(dc, grass, 0, 60 + variant(2), width, height);
            with_paint(dc, colours[static_cast<std::size_t>(variant(3))], 1 + 2 * variant(2),
                       colours[static_cast<std::size_t>(variant(3))],
                       [&] { Ellipse(dc, 100 + variant(2), 5, 130, 35 + variant(2)); });
            with_paint(dc, ink, 1 + variant(3), sun, [&] {
                const POINT triangle[3] = {{70, 40 + variant(2)}, {90, 70}, {60 + variant(2), 75}};
                Polygon(dc, triangle, 3);
                MoveToEx(dc, 10, 50, nullptr);
                LineTo(dc, 140 - variant(2), 55);
            });
        });
        if (chance(10)) {
            const int x = pick(width), y = pick(height);
            ASSERT_TRUE(same_pixel(x, y)) << "frame " << frame << ", halfway, at " << x << "," << y;
        }
        on_both([&](HDC dc) {
            box(dc, colours[static_cast<std::size_t>(variant(3))], 20, 35, 30 + variant(2), 45);
            HGDIOBJ old_font = SelectObject(dc, fonts[variant(2)]);
            SetTextColor(dc, colours[static_cast<std::size_t>(variant(3))]);
            SetBkMode(dc, variant(2) ? OPAQUE : TRANSPARENT);
            SetBkColor(dc, colours[static_cast<std::size_t>(variant(3))]);
            const char* captions[] = {"Run", "Rub", "Halt"};
            const char* caption = captions[variant(3)];
            TextOutA(dc, 4 + variant(2), 4 + 40 * variant(2), caption, static_cast<int>(std::string(caption).size()));
            SelectObject(dc, old_font);
            if (chance(30)) SetPixel(dc, 40 + pick(3), 80, colours[static_cast<std::size_t>(pick(3))]);
            // A figure that moves, as the bug does, or stays away.
            if (const int place = pick(4); place > 0)
                with_paint(dc, ink, 2, sun, [&] { Ellipse(dc, 30 * place, 62, 30 * place + 20, 80); });
            if (chance(5)) {
                box(other, colours[static_cast<std::size_t>(pick(3))], 0, 0, width, height);
                ASSERT_TRUE(BitBlt(dc, 64, 40, 30, 30, other, 0, 0, SRCCOPY));
            }
            if (chance(3)) ScrollDC(dc, 1, 0, nullptr, nullptr, nullptr, nullptr);
        });

        if (chance(5)) SetPixel(shown_, pick(width), pick(height), ink);
        if (chance(3)) copy(second_shown);
        if (chance(5)) {
            copy(nullptr, 10, 5, width, height - 7);
            ASSERT_TRUE(shows(reference, 10, 5, width, height - 7)) << "frame " << frame;
        } else {
            copy();
            ASSERT_TRUE(shows(reference, 0, 0, width, height)) << "frame " << frame;
        }
    }
    for (HFONT font : fonts) DeleteObject(font);
    ReleaseDC(second, second_shown);
    DestroyWindow(second);
    DeleteDC(other);
    DeleteObject(other_bitmap);
    DeleteDC(reference);
    DeleteObject(reference_bitmap);
}

}  // namespace
