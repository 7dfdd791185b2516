"""Pictures in memory: what the tests draw, write as BMP files, read back from the X server.

An Image is a width, a height and a bytearray of RGB triples, row by row from the top. That one
layout serves the test pictures (written as BMP for the program to load), the expected screens
(composed by the tests) and the real screen (read from the X server), so that comparing two of
them is comparing two byte strings.
"""

import struct
import zlib

WHITE = (255, 255, 255)


class Image:
    def __init__(self, width, height, colour=WHITE):
        self.width = width
        self.height = height
        self.rgb = bytearray(bytes(colour) * (width * height))

    def copy(self):
        twin = Image(0, 0)
        twin.width, twin.height, twin.rgb = self.width, self.height, bytearray(self.rgb)
        return twin

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.rgb[at : at + 3])

    def set_pixel(self, x, y, colour):
        at = (y * self.width + x) * 3
        self.rgb[at : at + 3] = bytes(colour)

    def fill_rect(self, x, y, width, height, colour):
        x0, y0 = max(x, 0), max(y, 0)
        x1, y1 = min(x + width, self.width), min(y + height, self.height)
        if x0 >= x1:
            return
        run = bytes(colour) * (x1 - x0)
        for row in range(y0, y1):
            at = (row * self.width + x0) * 3
            self.rgb[at : at + len(run)] = run

    def blit(self, source, source_rect, x, y):
        """Copies source's rectangle (sx, sy, w, h) so that its corner lands at x, y; the
        rectangle is first cut to the source picture, then to this one, as a blit does."""
        sx, sy, width, height = source_rect
        width = min(width, source.width - sx)
        height = min(height, source.height - sy)
        for row in range(max(height, 0)):
            ty = y + row
            if ty < 0 or ty >= self.height:
                continue
            x0, x1 = max(x, 0), min(x + width, self.width)
            if x0 >= x1:
                return
            src = ((sy + row) * source.width + sx + (x0 - x)) * 3
            dst = (ty * self.width + x0) * 3
            self.rgb[dst : dst + (x1 - x0) * 3] = source.rgb[src : src + (x1 - x0) * 3]

    def differing_pixels(self, other):
        """(x, y) of every pixel that differs from other's, row by row."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError(f"sizes differ: {self.width}x{self.height} and "
                             f"{other.width}x{other.height}")
        stride = self.width * 3
        for y in range(self.height):
            row = slice(y * stride, (y + 1) * stride)
            if self.rgb[row] == other.rgb[row]:
                continue
            for x in range(self.width):
                if self.pixel(x, y) != other.pixel(x, y):
                    yield x, y

    def differences(self, other, limit=10):
        """Pixels that differ from other's: (count, up to limit examples (x, y, ours, theirs),
        bounding box (x0, y0, x1, y1) or None)."""
        count, examples, box = 0, [], None
        for x, y in self.differing_pixels(other):
            count += 1
            if len(examples) < limit:
                examples.append((x, y, self.pixel(x, y), other.pixel(x, y)))
            box = (x, y, x, y) if box is None else (
                min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y))
        return count, examples, box

def bmp_bytes(image, fourth_byte=None, header_size=40):
    """The image as a Windows BMP, rows bottom-up: 24 bits a pixel, or 32 with fourth_byte as
    the pixels' fourth byte (which SDL 1.2 ignores): a number, or a function of the pixel's
    index giving one. A header of 108 or 124 bytes names the usual colour masks and no opacity
    mask."""
    channels = 3 if fourth_byte is None else 4
    fourth = fourth_byte if callable(fourth_byte) else lambda index: fourth_byte or 0
    row_size = (image.width * channels + 3) & ~3
    pixel_bytes = bytearray()
    for y in range(image.height - 1, -1, -1):
        row = image.rgb[y * image.width * 3 : (y + 1) * image.width * 3]
        pixels = bytearray(image.width * channels)
        if channels == 4:
            pixels[3::4] = bytes(fourth(y * image.width + x) for x in range(image.width))
        pixels[0::channels], pixels[1::channels], pixels[2::channels] = (row[2::3], row[1::3],
                                                                          row[0::3])
        pixel_bytes += pixels + bytes(row_size - len(pixels))
    headers_size = 14 + header_size
    file_header = struct.pack("<2sIHHI", b"BM", headers_size + len(pixel_bytes), 0, 0,
                              headers_size)
    info_header = struct.pack("<IiiHHIIiiII", header_size, image.width, image.height, 1,
                              8 * channels, 0, len(pixel_bytes), 2835, 2835, 0, 0)
    if header_size > 40:
        info_header += struct.pack("<4I", 0xFF0000, 0xFF00, 0xFF, 0)
    return file_header + info_header.ljust(header_size, b"\0") + bytes(pixel_bytes)


def png_bytes(image):
    """The image as an 8-bit RGB PNG."""
    stride = image.width * 3
    raw = bytearray()
    for y in range(image.height):
        raw.append(0)  # no filter: the pictures here are mostly runs of one colour
        raw += image.rgb[y * stride : (y + 1) * stride]

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def image_from_pixels(width, height, pixels, bytes_per_line, bits_per_pixel, byte_order,
                      masks):
    """Reads a ZPixmap as an X server gives it (24 or 32 bits a pixel): rows of bytes_per_line
    bytes, byte_order 0 for the least significant byte first, masks the red, green and blue
    masks of its visual."""
    if bits_per_pixel not in (24, 32):
        raise ValueError(f"unexpected screen image: {bits_per_pixel} bits a pixel")
    step = bits_per_pixel // 8
    if len(pixels) < bytes_per_line * height:
        raise ValueError("the screen image is cut short")

    def byte_of(mask):
        # Which byte of a pixel, as stored, holds the component of this mask.
        shift = {0xFF: 0, 0xFF00: 8, 0xFF0000: 16, 0xFF000000: 24}.get(mask)
        if shift is None:
            raise ValueError(f"unexpected colour mask {mask:#x}")
        index = shift // 8
        return index if byte_order == 0 else step - 1 - index

    image = Image(width, height)
    out_stride = width * 3
    red, green, blue = (byte_of(mask) for mask in masks)
    for y in range(height):
        row = pixels[y * bytes_per_line : y * bytes_per_line + width * step]
        at = y * out_stride
        line = bytearray(out_stride)
        line[0::3], line[1::3], line[2::3] = row[red::step], row[green::step], row[blue::step]
        image.rgb[at : at + out_stride] = line
    return image
