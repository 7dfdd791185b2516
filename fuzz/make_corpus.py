#!/usr/bin/env python3
"""Writes the fuzzer's seed pictures into fuzz/corpus/: small BMP files of every kind the
program accepts (each bit count, both header families, bit fields, top-down rows) and a few it
refuses, so that the fuzzer starts from every branch of the check."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "corpus")


def bmp(width, height, bits, compression=0, header_size=40, colours=0, palette=b"",
        masks=b"", pixels=None, rows=None):
    stored_rows = abs(height) if rows is None else rows
    row_bytes = (width * bits + 31) // 32 * 4
    if pixels is None:
        pixels = bytes((i * 37 + 11) & 0xFF for i in range(row_bytes * stored_rows))
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                           len(pixels), 2835, 2835, colours, 0)
        info += masks[: max(0, header_size - 40)]
        info += b"\0" * (header_size - len(info))
        if header_size == 40:
            info += masks
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def palette(count, entry=4):
    return b"".join(bytes((i * 50 % 256, i * 90 % 256, 255 - i * 20 % 256, 0)[:entry])
                    for i in range(count))


def indices(width, rows, bits, colours):
    row_bytes = (width * bits + 31) // 32 * 4
    data = bytearray(row_bytes * rows)
    per_byte = 8 // bits
    for r in range(rows):
        for c in range(width):
            value = (r + c) % colours
            shift = 8 - bits * (c % per_byte + 1)
            data[r * row_bytes + c // per_byte] |= value << shift
    return bytes(data)


mask565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
mask8888 = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
seeds = {
    "bits1.bmp": bmp(13, 7, 1, colours=2, palette=palette(2)),
    "bits4.bmp": bmp(9, 5, 4, palette=palette(16)),
    "bits8_three_colours.bmp": bmp(10, 4, 8, colours=3, palette=palette(3),
                                   pixels=indices(10, 4, 8, 3)),
    "bits16_fields.bmp": bmp(5, 3, 16, compression=3, masks=mask565),
    "bits16.bmp": bmp(6, 2, 16),
    "bits24.bmp": bmp(7, 5, 24),
    "bits32_top_down.bmp": bmp(4, -4, 32),
    "bits32_v5_fields.bmp": bmp(3, 3, 32, compression=3, header_size=124, masks=mask8888),
    "core_header_bits8.bmp": bmp(6, 3, 8, header_size=12, palette=palette(256, 3)),
    "core_header_bits24.bmp": bmp(5, 2, 24, header_size=12),
    # 32-bit pictures as opaque as stb_image (the browser's reader) needs them
    "bits32_opaque.bmp": bmp(5, 3, 32, pixels=bytes((0x10 * i) & 0xFF | (0xFF if i % 4 == 3 else 0)
                                                     for i in range(60))),
    "bits32_v5_fields_opaque.bmp": bmp(3, 3, 32, compression=3, header_size=124, masks=mask8888,
                                       pixels=bytes(0xFF if i % 4 == 3 else i for i in range(36))),
    "refused_rle8.bmp": bmp(8, 2, 8, compression=1, palette=palette(256),
                            pixels=bytes([8, 1, 0, 0, 8, 2, 0, 1])),
    "refused_bits288.bmp": bmp(2, 2, 288, rows=0),
    "refused_huge.bmp": bmp(60000, 60000, 24, rows=0),
}
os.makedirs(out, exist_ok=True)
for name, content in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(content)
