// A screenshot in the Windows build: the graphics window's client pixels, copied off the
// window, written as a PNG image by the system's own imaging codecs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kd508::platform {

// Client pixels as 8-bit blue, green, red triples, top row first, each row padded to a
// multiple of four bytes as device-independent bitmaps are.
struct ClientPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rows;

    int row_bytes() const { return (width * 3 + 3) & ~3; }
};

// What the window's client area shows now. False when the window has no client area or its
// pixels cannot be read.
bool capture_client(HWND window, ClientPicture& picture);

// Writes the picture as an 8-bit RGB PNG file. Returns an empty text when the file was written
// whole, else why not ("Permission denied", ...); a file left half written is removed.
std::string write_png_image(const std::string& path, const ClientPicture& picture);

}  // namespace kd508::platform
