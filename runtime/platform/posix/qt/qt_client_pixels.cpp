#include "qt_client_pixels.h"

#include <algorithm>
#include <cstdint>

namespace kd508::platform::qt {
namespace {

// The top byte that the toolkit requires of an opaque pixel.
constexpr std::uint32_t opaque_alpha = 0xFF000000u;

}  // namespace

QRect copy_client_pixels(const ClientImage& image, const ClientArea& changed, QImage& copy) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) {
        const QRect emptied(QPoint(0, 0), copy.size());
        copy = QImage();
        return emptied;
    }
    ClientArea area = changed;
    if (copy.width() != image.width || copy.height() != image.height) {
        copy = QImage(image.width, image.height, QImage::Format_RGB32);
        area = ClientArea{0, 0, image.width, image.height};
    }
    const int left = std::clamp(area.left, 0, image.width);
    const int right = std::clamp(area.right, left, image.width);
    const int top = std::clamp(area.top, 0, image.height);
    const int bottom = std::clamp(area.bottom, top, image.height);
    for (int row = top; row < bottom; ++row) {
        const std::uint32_t* from = image.pixels + static_cast<std::ptrdiff_t>(row) * image.stride_pixels;
        auto* to = reinterpret_cast<std::uint32_t*>(copy.scanLine(row));
        for (int column = left; column < right; ++column) to[column] = from[column] | opaque_alpha;
    }
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace kd508::platform::qt
