// Painting a window's client pixels, straight from the layer's buffer.
//
// The layer's pixels are 0x00RRGGBB, as in a 32-bit device-independent bitmap, whose top byte
// Windows leaves at zero. The toolkit's RGB32 images must hold 0xFFRRGGBB: its painter copies
// them onto a backing store as they are, and where that store has an alpha channel (every
// Wayland window's does) a zero top byte makes the pixel fully transparent, so the compositor
// shows nothing of the window's client. The pixels are therefore painted through a few rows at
// a time made opaque, instead of through a second client-sized copy per window.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include "presenter.h"

namespace kd508::platform::qt {

// The part of the changed area that lies in the image, in client pixels; empty for an image
// without pixels.
QRect client_area_in(const ClientImage& image, const ClientArea& changed);

// Paints the part of area that the image covers, opaque, at the same client pixels. rows is
// the caller's scratch image, kept from one paint to the next.
void paint_client_pixels(QPainter& painter, const ClientImage& image, const QRect& area, QImage& rows);

// Whether the image's pixels can be written into target as they are, made opaque: 0xAARRGGBB
// words, one device pixel per image pixel.
bool takes_client_pixels(const QImage& target);

// Writes the area of the image, opaque, into target with the image's origin at offset. Only
// what lies in both images is written. The caller has checked takes_client_pixels(target).
void write_client_pixels(const ClientImage& image, const QRect& area, QImage& target, QPoint offset);

}  // namespace kd508::platform::qt
