// The toolkit's copy of a window's client pixels.
//
// The layer's pixels are 0x00RRGGBB, as in a 32-bit device-independent bitmap, whose top byte
// Windows leaves at zero. The toolkit's RGB32 images must hold 0xFFRRGGBB: its painter copies
// them onto a backing store as they are, and where that store has an alpha channel (every
// Wayland window's does) a zero top byte makes the pixel fully transparent, so the compositor
// shows nothing of the window's client. The copy therefore sets the top byte of every pixel.
#pragma once

#include <QImage>
#include <QRect>

#include "../presenter.h"

namespace kd508::platform::qt {

// Brings the changed area of the layer's client image into the copy, which takes the image's
// size (and the image's whole content when the size changed). An image without pixels leaves
// an empty copy. Areas reaching beyond the image are cut to it. Returns the area of the copy
// that changed, in client pixels.
QRect copy_client_pixels(const ClientImage& image, const ClientArea& changed, QImage& copy);

}  // namespace kd508::platform::qt
