// What one text command of the runtime costs the layer: a font created, selected, measured,
// drawn with and deleted, as every call of the runtime's text drawing does. Faces and glyphs are
// cached, so after the first call this is lookup and blending only.
#include <benchmark/benchmark.h>

#include <string>

#include "headless/headless_driver.h"
#include "win32_subset.h"

namespace {

constexpr int canvas_width = 601;
constexpr int canvas_height = 540;

struct Canvas {
    kd508::headless::Driver driver;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, canvas_width, canvas_height);
    HGDIOBJ original_bitmap = SelectObject(dc, bitmap);

    ~Canvas() {
        SelectObject(dc, original_bitmap);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void text_command(HDC dc, int point_size, const std::string& text) {
    HFONT font = CreateFontA(-point_size, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "KD508-font");
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE extent;
    GetTextExtentPointA(dc, text.data(), static_cast<int>(text.size()), &extent);
    TextOutA(dc, 40, 200, text.data(), static_cast<int>(text.size()));
    SelectObject(dc, previous);
    DeleteObject(font);
}

// A button caption of the control panel, at the size the program draws it.
void BM_TextCommandCaption(benchmark::State& state) {
    Canvas canvas;
    SetBkMode(canvas.dc, TRANSPARENT);
    const std::string caption = "Faster";
    for (auto _ : state) text_command(canvas.dc, static_cast<int>(state.range(0)), caption);
}
BENCHMARK(BM_TextCommandCaption)->Arg(12)->Arg(40)->Arg(127);

// The font alone, with no drawing: the floor under every text command.
void BM_CreateSelectDeleteFont(benchmark::State& state) {
    Canvas canvas;
    for (auto _ : state) text_command(canvas.dc, 12, "");
}
BENCHMARK(BM_CreateSelectDeleteFont);

// A line of the text window: the fixed font, opaque.
void BM_LogLine(benchmark::State& state) {
    Canvas canvas;
    SelectObject(canvas.dc, GetStockObject(ANSI_FIXED_FONT));
    const std::string line = "red circle at (10,20), radius 30";
    for (auto _ : state) {
        TextOutA(canvas.dc, 5, 400, line.data(), static_cast<int>(line.size()));
    }
}
BENCHMARK(BM_LogLine);

}  // namespace
