#include "raster_canvas.h"

#include <stdexcept>

namespace kd508::testing {

RasterCanvas::RasterCanvas(int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(dc_, width, height);
    if (!dc_ || !bitmap_) throw std::runtime_error("no memory device context for the canvas");
    original_bitmap_ = SelectObject(dc_, bitmap_);
    original_pen_ = SelectObject(dc_, GetStockObject(NULL_PEN));
    original_brush_ = SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    Rectangle(dc_, 0, 0, width + 1, height + 1);
    SelectObject(dc_, original_pen_);
    SelectObject(dc_, original_brush_);
}

RasterCanvas::~RasterCanvas() {
    SelectObject(dc_, original_pen_);
    SelectObject(dc_, original_brush_);
    SelectObject(dc_, original_bitmap_);
    if (pen_) DeleteObject(pen_);
    if (brush_) DeleteObject(brush_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void RasterCanvas::use_pen(int style, int width, COLORREF colour) {
    HGDIOBJ pen = CreatePen(style, width, colour);
    SelectObject(dc_, pen);
    if (pen_) DeleteObject(pen_);
    pen_ = pen;
}

void RasterCanvas::use_brush(COLORREF colour) {
    HGDIOBJ brush = CreateSolidBrush(colour);
    SelectObject(dc_, brush);
    if (brush_) DeleteObject(brush_);
    brush_ = brush;
}

void RasterCanvas::use_hollow_brush() {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    if (brush_) DeleteObject(brush_);
    brush_ = nullptr;
}

std::string RasterCanvas::picture(int left, int top, int right, int bottom) const {
    std::string text;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            switch (GetPixel(dc_, x, y)) {
                case white: text += '.'; break;
                case black: text += '#'; break;
                case red: text += 'r'; break;
                case blue: text += 'b'; break;
                default: text += '?'; break;
            }
        }
        text += '\n';
    }
    return text;
}

int RasterCanvas::painted_count() const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) count += GetPixel(dc_, x, y) != white;
    return count;
}

}  // namespace kd508::testing
