"""Screenshots of a virtual X display: read from the framebuffer file that Xvfb keeps with
-fbdir (an XWD image it updates in place), cut to rectangles, compared, and written as PNG."""

import array
import struct
import sys
import zlib

XWD_HEADER_FIELDS = (
    "header_size", "file_version", "pixmap_format", "pixmap_depth", "pixmap_width",
    "pixmap_height", "xoffset", "byte_order", "bitmap_unit", "bitmap_bit_order", "bitmap_pad",
    "bits_per_pixel", "bytes_per_line", "visual_class", "red_mask", "green_mask", "blue_mask",
    "bits_per_rgb", "colormap_entries", "ncolors", "window_width", "window_height", "window_x",
    "window_y", "window_bdrwidth",
)
XWD_COLOUR_ENTRY_BYTES = 12
XWD_LSB_FIRST = 0


class Image:
    """32-bit pixels 0xRRGGBB, rows top down."""

    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels  # array or list of ints, width * height

    def pixel(self, x, y):
        return self.pixels[y * self.width + x]

    def crop(self, left, top, width, height):
        rows = array.array("I")
        for y in range(top, top + height):
            start = y * self.width + left
            rows.extend(self.pixels[start:start + width])
        return Image(width, height, rows)

    def count(self, predicate):
        return sum(1 for p in self.pixels if predicate(p))

    def differing_pixels(self, other):
        return sum(1 for a, b in zip(self.pixels, other.pixels) if a != b)

    def __eq__(self, other):
        if not isinstance(other, Image):
            return NotImplemented
        return (self.width, self.height, self.pixels) == (other.width, other.height, other.pixels)

    def write_png(self, path):
        raw = bytearray()
        for y in range(self.height):
            raw.append(0)  # no filter
            for p in self.pixels[y * self.width:(y + 1) * self.width]:
                raw += bytes(((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                      + chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def read_xwd(path, region=None):
    """Reads a 32-bit TrueColor XWD file, as Xvfb's framebuffer or xwd writes it; region
    (left, top, width, height) reads only that part."""
    with open(path, "rb") as source:
        header = dict(zip(XWD_HEADER_FIELDS, struct.unpack(">25I", source.read(100))))
        if header["bits_per_pixel"] != 32:
            raise ValueError("only 32 bits per pixel are read, not %d" % header["bits_per_pixel"])
        stride = header["bytes_per_line"]
        left, top, width, height = region or (0, 0, header["pixmap_width"], header["pixmap_height"])
        # Only the rows of the region are read.
        source.seek(header["header_size"] + header["ncolors"] * XWD_COLOUR_ENTRY_BYTES + top * stride)
        data = source.read(height * stride)
    start = -top * stride
    if header["byte_order"] != XWD_LSB_FIRST:
        raise ValueError("only least-significant-byte-first framebuffers are read")
    padding_byte = 3  # the byte above red, green and blue in each little-endian pixel
    pixels = array.array("I")
    for y in range(top, top + height):
        row = bytearray(data[start + y * stride + left * 4:start + y * stride + (left + width) * 4])
        row[padding_byte::4] = bytes(width)
        pixels.frombytes(row)
    if sys.byteorder != "little":
        pixels.byteswap()
    return Image(width, height, pixels)


def read_png(path):
    """Reads the 8-bit RGB PNG files that write_png makes."""
    with open(path, "rb") as source:
        data = source.read()
    position, idat, width, height = 8, b"", 0, 0
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour_type = struct.unpack(">IIBB", body[:10])
            if (depth, colour_type) != (8, 2):
                raise ValueError("only 8-bit RGB PNG files are read")
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 3
    pixels, previous = array.array("I"), bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up = previous[i]
            up_left = previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                estimate = left + up - up_left
                nearest = min((abs(estimate - left), 0, left), (abs(estimate - up), 1, up),
                              (abs(estimate - up_left), 2, up_left))
                line[i] = (line[i] + nearest[2]) & 0xFF
        pixels.extend((line[i] << 16) | (line[i + 1] << 8) | line[i + 2] for i in range(0, stride, 3))
        previous = line
    return Image(width, height, pixels)
