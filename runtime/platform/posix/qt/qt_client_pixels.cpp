#include "qt_client_pixels.h"

#include <algorithm>
#include <cstdint>

namespace kd508::platform::qt {
namespace {

// The top byte that the toolkit requires of an opaque pixel.
constexpr std::uint32_t opaque_alpha = 0xFF000000u;

// Rows made opaque at a time: few enough that the scratch image stays small, enough that a
// whole client takes few calls of the painter.
constexpr int rows_per_strip = 8;

}  // namespace

QRect client_area_in(const ClientImage& image, const ClientArea& changed) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) return QRect();
    const int left = std::clamp(changed.left, 0, image.width);
    const int right = std::clamp(changed.right, left, image.width);
    const int top = std::clamp(changed.top, 0, image.height);
    const int bottom = std::clamp(changed.bottom, top, image.height);
    return QRect(left, top, right - left, bottom - top);
}

void paint_client_pixels(QPainter& painter, const ClientImage& image, const QRect& area, QImage& rows) {
    const QRect shown = area.intersected(client_area_in(image, ClientArea{0, 0, image.width, image.height}));
    if (shown.isEmpty()) return;
    if (rows.width() != image.width || rows.height() != rows_per_strip) {
        rows = QImage(image.width, rows_per_strip, QImage::Format_RGB32);
    }
    for (int top = shown.top(); top <= shown.bottom(); top += rows_per_strip) {
        const int strip_height = std::min(rows_per_strip, shown.bottom() + 1 - top);
        for (int row = 0; row < strip_height; ++row) {
            const std::uint32_t* from =
                image.pixels + static_cast<std::ptrdiff_t>(top + row) * image.stride_pixels + shown.left();
            auto* to = reinterpret_cast<std::uint32_t*>(rows.scanLine(row));
            for (int column = 0; column < shown.width(); ++column) to[column] = from[column] | opaque_alpha;
        }
        painter.drawImage(QRect(shown.left(), top, shown.width(), strip_height), rows,
                          QRect(0, 0, shown.width(), strip_height));
    }
}

}  // namespace kd508::platform::qt
