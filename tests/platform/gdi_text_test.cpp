// CreateFontA, TextOutA, GetTextExtentPointA and GetTextMetricsA on a memory bitmap of a fresh
// layer: where the cell lands, what each background mode paints, and what text costs.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "font/face_library.h"
#include "font/font_state.h"
#include "font/sized_font.h"
#include "font/text_stamp.h"
#include "headless/headless_driver.h"
#include "core/layer_counters.h"
#include "win32_subset.h"

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF blue = RGB(0, 0, 255);

constexpr int canvas_width = 200;
constexpr int canvas_height = 200;

struct Box {
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;  // inclusive
    bool empty() const { return left > right; }
};

class TextCanvas : public ::testing::Test {
protected:
    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateCompatibleBitmap(dc, canvas_width, canvas_height);
        original_bitmap = SelectObject(dc, bitmap);
        original_font = SelectObject(dc, GetStockObject(SYSTEM_FONT));
        clear();
    }

    void TearDown() override {
        SelectObject(dc, original_font);
        SelectObject(dc, original_bitmap);
        if (font) DeleteObject(font);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    void clear() {
        for (int y = 0; y < canvas_height; ++y)
            for (int x = 0; x < canvas_width; ++x) SetPixel(dc, x, y, white);
    }

    // Selects a new font made by CreateFontA as the runtime makes its text fonts.
    void use_font(int height, const char* face = "KD508-font") {
        HFONT made = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
        ASSERT_NE(made, nullptr);
        SelectObject(dc, made);
        if (font) DeleteObject(font);
        font = made;
    }

    TEXTMETRICA metrics() const {
        TEXTMETRICA tm{};
        EXPECT_TRUE(GetTextMetricsA(dc, &tm));
        return tm;
    }

    SIZE extent(const std::string& text) const {
        SIZE size{-1, -1};
        EXPECT_TRUE(GetTextExtentPointA(dc, text.data(), static_cast<int>(text.size()), &size));
        return size;
    }

    // The smallest box holding every pixel that is not white.
    Box painted() const { return painted_where([](COLORREF c) { return c != white; }); }

    template <class Predicate>
    Box painted_where(Predicate predicate) const {
        Box box;
        for (int y = 0; y < canvas_height; ++y) {
            for (int x = 0; x < canvas_width; ++x) {
                if (!predicate(GetPixel(dc, x, y))) continue;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        }
        return box;
    }

    int count_where(COLORREF colour) const {
        int count = 0;
        for (int y = 0; y < canvas_height; ++y)
            for (int x = 0; x < canvas_width; ++x) count += GetPixel(dc, x, y) == colour;
        return count;
    }

    kd508::headless::Driver driver;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ original_bitmap = nullptr;
    HGDIOBJ original_font = nullptr;
    HFONT font = nullptr;
};

TEST_F(TextCanvas, OpaqueTextFillsExactlyTheCellBelowAndRightOfThePoint) {
    for (int height : {-5, -12, -127, 0}) {
        SCOPED_TRACE(height);
        clear();
        use_font(height);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, blue);
        SetTextColor(dc, black);
        const std::string text = "Hg";
        ASSERT_TRUE(TextOutA(dc, 10, 20, text.data(), 2));

        const TEXTMETRICA tm = metrics();
        const SIZE size = extent(text);
        const Box box = painted();
        EXPECT_EQ(box.left, 10);
        EXPECT_EQ(box.top, 20);
        EXPECT_EQ(box.right, std::min(10 + size.cx - 1, canvas_width - 1));
        EXPECT_EQ(box.bottom, std::min<int>(20 + tm.tmHeight - 1, canvas_height - 1));
        // The cell is filled whole: nothing inside it is left white.
        EXPECT_EQ(count_where(white), canvas_width * canvas_height - (box.right - box.left + 1) *
                                                                        (box.bottom - box.top + 1));
    }
}

TEST_F(TextCanvas, TransparentTextDrawsOnlyGlyphsInTheTextColour) {
    use_font(-40);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, blue);
    SetTextColor(dc, black);
    ASSERT_TRUE(TextOutA(dc, 10, 20, "Hl", 2));

    const TEXTMETRICA tm = metrics();
    EXPECT_EQ(count_where(blue), 0);
    // Solid stems are painted in exactly the text colour; edges are mixed with what was there.
    EXPECT_GT(count_where(black), 0);
    const Box box = painted();
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.left, 10);
    EXPECT_GE(box.top, 20);
    EXPECT_LE(box.bottom, 20 + tm.tmHeight - 1);
    // Capitals stand on the baseline, well below the cell's top.
    EXPECT_LE(box.bottom, 20 + tm.tmAscent - 1);
    EXPECT_GT(box.top, 20 + tm.tmInternalLeading - 2);
    EXPECT_LT(box.right, 10 + extent("Hl").cx);
}

TEST_F(TextCanvas, ExtentCountsEveryByteOnOneLine) {
    use_font(-12);
    const TEXTMETRICA tm = metrics();
    const SIZE plain = extent("ab");
    const SIZE newline = extent("\n");
    const SIZE broken = extent("a\nb");
    EXPECT_GT(newline.cx, 0);
    EXPECT_EQ(broken.cx, plain.cx + newline.cx);
    EXPECT_EQ(broken.cy, tm.tmHeight);
    EXPECT_EQ(plain.cy, tm.tmHeight);
    const SIZE nothing = extent("");
    EXPECT_EQ(nothing.cx, 0);
    EXPECT_EQ(nothing.cy, tm.tmHeight);

    // Drawn, the newline is a box on the same line, not a line break.
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "a\nb", 3);
    EXPECT_LE(painted().bottom, tm.tmHeight - 1);
}

TEST_F(TextCanvas, HeightsOfCreateFontA) {
    for (int em : {5, 12, 127}) {
        SCOPED_TRACE(em);
        use_font(-em);
        const TEXTMETRICA tm = metrics();
        EXPECT_GE(tm.tmHeight, em);
        EXPECT_LE(tm.tmHeight, em * 3 / 2 + 1);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, em);
        EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    }
    use_font(0);
    EXPECT_EQ(metrics().tmHeight, 16);
    use_font(30);
    EXPECT_EQ(metrics().tmHeight, 30);
    // An unknown face draws like the default face.
    use_font(-12, "KD508-font");
    const LONG unknown_width = extent("Walking").cx;
    use_font(-12, "");
    EXPECT_EQ(extent("Walking").cx, unknown_width);
}

TEST_F(TextCanvas, StockFontsAndThePitchBitTheSystemReports) {
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    const TEXTMETRICA fixed = metrics();
    EXPECT_GE(fixed.tmHeight, 13);
    EXPECT_LE(fixed.tmHeight, 16);
    EXPECT_EQ(extent("iiii").cx, extent("MMMM").cx);
    EXPECT_EQ(extent("\n").cx, extent("W").cx);
    EXPECT_EQ(fixed.tmAveCharWidth, fixed.tmMaxCharWidth);
    // Set means variable pitch, as on the system: clear for the fixed font.
    EXPECT_EQ(fixed.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);

    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    const TEXTMETRICA system = metrics();
    EXPECT_EQ(system.tmHeight, 16);
    EXPECT_NE(system.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);
    EXPECT_LT(extent("iiii").cx, extent("MMMM").cx);
}

TEST_F(TextCanvas, AFontPerCallLeaksNothingAndOpensNoFileAgain) {
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "warm up", 7);
    const auto objects = kd508::platform::live_gdi_object_count();
    const auto files = kd508::font::face_files_opened();
    for (int i = 0; i < 10000; ++i) {
        HFONT made = CreateFontA(-(i % 127) - 1, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "KD508-font");
        HGDIOBJ previous = SelectObject(dc, made);
        SIZE size;
        GetTextExtentPointA(dc, "Go", 2, &size);
        TextOutA(dc, 5, 5, "Go", 2);
        SelectObject(dc, previous);
        DeleteObject(made);
    }
    EXPECT_EQ(kd508::platform::live_gdi_object_count(), objects);
    EXPECT_EQ(kd508::font::face_files_opened(), files);
}

TEST_F(TextCanvas, DrawingTheSameTextAgainRendersNoGlyph) {
    use_font(-21);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "Faster", 6);
    const auto rendered = kd508::font::glyphs_rendered();
    TextOutA(dc, 50, 50, "Faster", 6);
    use_font(-21);  // a new font object of the same size shares the glyphs
    TextOutA(dc, 0, 100, "rest", 4);
    EXPECT_EQ(kd508::font::glyphs_rendered(), rendered);
}

TEST_F(TextCanvas, ALineDrawnAgainFromItsStampPaintsWhatItsGlyphsPainted) {
    use_font(-33);
    const kd508::font::FontRequest request{-33, false, "KD508-font"};
    const int a_advance = kd508::font::sized_font(request).advance('a');
    struct Case {
        const char* text;
        int x, y;
        int mode;
    };
    // Inside, hanging off each edge, and a 'j', whose ink starts left of its pen position,
    // whose pen position lies just off the right edge: drawing stops before it.
    const Case cases[] = {
        {"Delete Bug", 10, 20, TRANSPARENT}, {"Delete Bug", -30, -10, TRANSPARENT},
        {"Delete Bug", 150, 180, OPAQUE},    {"Wj_gy", 170, 5, TRANSPARENT},
        {"aj", canvas_width - a_advance, 40, TRANSPARENT}, {"aj", canvas_width - a_advance - 1, 80, TRANSPARENT},
    };
    SetBkColor(dc, blue);
    SetTextColor(dc, black);
    for (const Case& line : cases) {
        SCOPED_TRACE(testing::Message() << line.text << " at " << line.x << ", " << line.y);
        kd508::font::font_state().stamps.clear();
        SetBkMode(dc, line.mode);
        const int count = static_cast<int>(std::strlen(line.text));
        std::vector<COLORREF> first, again;
        for (std::vector<COLORREF>* pixels : {&first, &again}) {
            clear();
            ASSERT_TRUE(TextOutA(dc, line.x, line.y, line.text, count));
            for (int y = 0; y < canvas_height; ++y)
                for (int x = 0; x < canvas_width; ++x) pixels->push_back(GetPixel(dc, x, y));
        }
        EXPECT_EQ(again, first);
        EXPECT_NE(count_where(white), canvas_width * canvas_height);
        if (line.x == canvas_width - a_advance) {
            clear();
            TextOutA(dc, line.x, line.y, "a", 1);
            EXPECT_EQ(count_where(white), static_cast<int>(std::count(again.begin(), again.end(), white)))
                << "the 'j' starts off the right edge and is not drawn";
        }
        EXPECT_NE(kd508::font::text_stamp(kd508::font::sized_font(request), line.text), nullptr);
    }
}

TEST_F(TextCanvas, FarCoordinatesAreSafeAndClip) {
    use_font(-12);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, blue);
    const std::string text(50, 'W');
    const int count = static_cast<int>(text.size());
    for (auto [x, y] : {std::pair{INT_MIN, 0}, {INT_MAX, 0}, {0, INT_MIN}, {0, INT_MAX},
                        {INT_MAX - 3, INT_MAX - 3}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}}) {
        EXPECT_TRUE(TextOutA(dc, x, y, text.data(), count));
    }
    EXPECT_EQ(count_where(white), canvas_width * canvas_height);

    // Partly inside: only the part on the bitmap is painted.
    const TEXTMETRICA tm = metrics();
    TextOutA(dc, canvas_width - 3, canvas_height - 2, text.data(), count);
    EXPECT_EQ(count_where(white), canvas_width * canvas_height - 3 * 2);
    // A cell hanging off the top left leaves just its last row, from the left edge on.
    clear();
    TextOutA(dc, -100, -static_cast<int>(tm.tmHeight) + 1, text.data(), count);
    const Box band = painted_where([](COLORREF c) { return c == blue; });
    EXPECT_EQ(band.left, 0);
    EXPECT_EQ(band.top, 0);
    EXPECT_EQ(band.bottom, 0);
    EXPECT_EQ(band.right, std::min<int>(-100 + extent(text).cx, canvas_width) - 1);
}

TEST_F(TextCanvas, TextOnAWindowIsShownThroughThePresenter) {
    WNDCLASSA description{};
    description.lpfnWndProc = DefWindowProcA;
    description.lpszClassName = "TextProbe";
    ASSERT_NE(RegisterClassA(&description), 0);
    HWND window = CreateWindowExA(0, "TextProbe", "Text", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    HDC window_dc = GetDC(window);
    SetBkColor(window_dc, blue);
    const auto frames = driver.frames_shown(window);
    EXPECT_TRUE(TextOutA(window_dc, 3, 4, "Go", 2));
    EXPECT_GT(driver.frames_shown(window), frames);
    EXPECT_EQ(driver.client_pixel(window, 3, 4), 0x0000FFu);

    // Text that lands wholly outside the client area tells the presenter nothing.
    const auto after = driver.frames_shown(window);
    TextOutA(window_dc, -500, 4, "Go", 2);
    EXPECT_EQ(driver.frames_shown(window), after);
    ReleaseDC(window, window_dc);
}

TEST_F(TextCanvas, RefusesWhatTheSystemRefuses) {
    SIZE size{};
    TEXTMETRICA tm{};
    EXPECT_FALSE(TextOutA(nullptr, 0, 0, "a", 1));
    EXPECT_FALSE(TextOutA(dc, 0, 0, "a", -1));
    EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 3));
    EXPECT_TRUE(TextOutA(dc, 0, 0, nullptr, 0));
    EXPECT_FALSE(GetTextExtentPointA(dc, "a", 1, nullptr));
    EXPECT_FALSE(GetTextExtentPointA(dc, "a", -1, &size));
    EXPECT_FALSE(GetTextMetricsA(nullptr, &tm));
    EXPECT_FALSE(GetTextMetricsA(dc, nullptr));
    EXPECT_EQ(count_where(white), canvas_width * canvas_height);
}

}  // namespace
