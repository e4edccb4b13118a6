#include "qt_client_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include <QPaintEngine>
#include <QTransform>

namespace kd508::platform::qt {
namespace {

// The top byte that the toolkit requires of an opaque pixel.
constexpr std::uint32_t opaque_alpha = 0xFF000000u;

// Rows made opaque at a time: few enough that the scratch image stays small, enough that a
// whole client takes few calls of the painter.
constexpr int rows_per_strip = 8;

// Pixels made opaque per step: a fixed count that compilers turn into vector instructions.
constexpr int pixels_per_step = 8;

// The image formats whose pixels are 0xAARRGGBB words: an opaque layer pixel is the same word in
// each of them, premultiplied or not.
bool holds_argb_words(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

void copy_opaque(const std::uint32_t* __restrict from, std::uint32_t* __restrict to, int count) {
    int column = 0;
    for (; column + pixels_per_step <= count; column += pixels_per_step) {
        for (int i = 0; i < pixels_per_step; ++i) to[column + i] = from[column + i] | opaque_alpha;
    }
    for (; column < count; ++column) to[column] = from[column] | opaque_alpha;
}

const std::uint32_t* client_row(const ClientImage& image, int row) {
    return image.pixels + static_cast<std::ptrdiff_t>(row) * image.stride_pixels;
}

// The image that the painter's raster engine draws into, when the client's pixels can go into it
// as they are: 0xAARRGGBB words, one device pixel per client pixel, whole pixels apart, painted
// fully opaque. The offset of the client's origin in it is returned in device_offset.
QImage* image_taking_client_pixels(QPainter& painter, QPoint& device_offset) {
    QPaintEngine* engine = painter.paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster) return nullptr;
    QPaintDevice* device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return nullptr;
    auto* target = static_cast<QImage*>(device);
    if (!takes_client_pixels(*target)) return nullptr;
    if (painter.opacity() != 1.0 || painter.compositionMode() != QPainter::CompositionMode_SourceOver) {
        return nullptr;
    }
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate) return nullptr;
    if (transform.dx() != std::round(transform.dx()) || transform.dy() != std::round(transform.dy())) {
        return nullptr;
    }
    device_offset = QPoint(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
    return target;
}

// Paints through a few opaque rows at a time, on any device the painter may have.
void paint_through_strips(QPainter& painter, const ClientImage& image, const QRect& shown, QImage& rows) {
    if (rows.width() != image.width || rows.height() != rows_per_strip) {
        rows = QImage(image.width, rows_per_strip, QImage::Format_RGB32);
    }
    for (int top = shown.top(); top <= shown.bottom(); top += rows_per_strip) {
        const int strip_height = std::min(rows_per_strip, shown.bottom() + 1 - top);
        for (int row = 0; row < strip_height; ++row) {
            copy_opaque(client_row(image, top + row) + shown.left(), reinterpret_cast<std::uint32_t*>(rows.scanLine(row)),
                        shown.width());
        }
        painter.drawImage(QRect(shown.left(), top, shown.width(), strip_height), rows,
                          QRect(0, 0, shown.width(), strip_height));
    }
}

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
    QPoint offset;
    QImage* target = image_taking_client_pixels(painter, offset);
    if (target == nullptr) {
        paint_through_strips(painter, image, shown, rows);
        return;
    }
    // A window's backing store, as a rule: the pixels go straight into it, made opaque on the
    // way, with no scratch rows and no second pass of the painter. The painter finishes its own
    // drawing before anything is written behind its back.
    painter.beginNativePainting();
    write_client_pixels(image, shown, *target, offset);
    painter.endNativePainting();
}

bool takes_client_pixels(const QImage& target) {
    return holds_argb_words(target.format()) && !target.isNull() && target.devicePixelRatio() == 1.0;
}

void write_client_pixels(const ClientImage& image, const QRect& area, QImage& target, QPoint offset) {
    const QRect shown = area.intersected(client_area_in(image, ClientArea{0, 0, image.width, image.height}));
    const QRect written = shown.translated(offset).intersected(target.rect());
    if (written.isEmpty()) return;
    // The memory written is the memory the target's painters draw into: taken without the
    // image's writable accessors, which would give a private copy of an image shared meanwhile.
    const uchar* bits = std::as_const(target).constBits();
    const qsizetype bytes_per_line = target.bytesPerLine();
    for (int row = written.top(); row <= written.bottom(); ++row) {
        const std::uint32_t* from = client_row(image, row - offset.y()) + (written.left() - offset.x());
        auto* to = reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(bits + row * bytes_per_line)) + written.left();
        copy_opaque(from, to, written.width());
    }
}

}  // namespace kd508::platform::qt
