// A small bitmap in a memory device context, for drawing tests, with its pixels read back as
// text: one character per pixel, one line per row. The test owns the headless driver that gives
// the layer; several canvases may live in one layer at once.
#pragma once

#include <string>

#include "win32_subset.h"

namespace kd508::testing {

// Colours the pictures name.
inline constexpr COLORREF white = RGB(255, 255, 255);
inline constexpr COLORREF black = RGB(0, 0, 0);
inline constexpr COLORREF red = RGB(255, 0, 0);
inline constexpr COLORREF blue = RGB(0, 0, 255);

class RasterCanvas {
public:
    // A width x height bitmap, all white, with the default pen and brush selected.
    RasterCanvas(int width, int height);
    ~RasterCanvas();
    RasterCanvas(const RasterCanvas&) = delete;
    RasterCanvas& operator=(const RasterCanvas&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Selects a new pen or brush, deleting the one this canvas made before.
    void use_pen(int style, int width, COLORREF colour);
    void use_brush(COLORREF colour);
    void use_hollow_brush();

    // The rows top..bottom-1 and columns left..right-1 as text: '.' white, '#' black, 'r' red,
    // 'b' blue, '?' anything else; rows end in '\n'.
    std::string picture(int left, int top, int right, int bottom) const;
    std::string picture() const { return picture(0, 0, width_, height_); }
    // Pixels that are not white.
    int painted_count() const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HGDIOBJ bitmap_ = nullptr;
    HGDIOBJ original_bitmap_ = nullptr;
    HGDIOBJ original_pen_ = nullptr;
    HGDIOBJ original_brush_ = nullptr;
    HGDIOBJ pen_ = nullptr;
    HGDIOBJ brush_ = nullptr;
};

}  // namespace kd508::testing
